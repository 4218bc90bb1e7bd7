#pragma once

#include <windows.h>

// The site link: one owner-painted line of text that turns light blue under
// the mouse and, pressed, opens its target in the system's web browser.

inline constexpr char kSiteLinkClassName[] = "KorvelSievraSiteLink";

// Registers the link's window class, with its pointing-hand cursor (made
// here, once, and kept until destroySiteLinkCursor). False on failure.
bool registerSiteLinkClass(HINSTANCE instance);

// Makes a link as a child of `parent` at `place`, its window text `caption`;
// a press opens `target`, which must outlive the window. Null on failure.
HWND createSiteLink(HWND parent, int id, const RECT& place, const char* caption, const char* target);

// Destroys the class's cursor (the clean-up at the end calls this).
void destroySiteLinkCursor();
