#pragma once

#include <windows.h>

// The site link: one owner-painted line of text that turns light blue under
// the mouse and, pressed, opens its target in the system's web browser.
// It answers only painting, mouse moves and the left button's press: no
// keys, never the focus, and the second press of a double click does nothing.

inline constexpr char kSiteLinkClassName[] = "KorvelSievraSiteLink";

// The text's colours: under the mouse (this wins), after a successful open,
// and otherwise.
inline constexpr COLORREF kSiteLinkHoverColour = 0x00FF9933;
inline constexpr COLORREF kSiteLinkVisitedColour = 0x00000080;
inline constexpr COLORREF kSiteLinkNormalColour = 0x00FF0000;

// The pointing hand's hot spot: the tip of the index finger.
inline constexpr POINT kSiteLinkCursorHotSpot{6, 1};

// Registers the link's window class, with its pointing-hand cursor (made
// here, once, and kept until destroySiteLinkCursor). False on failure.
bool registerSiteLinkClass(HINSTANCE instance);

// Makes a link as a child of `parent` at `place`, its window text `caption`;
// a press opens `target`, which must outlive the window. Null on failure.
HWND createSiteLink(HWND parent, int id, const RECT& place, const char* caption, const char* target);

// Destroys the class's cursor (the clean-up at the end calls this).
void destroySiteLinkCursor();

// Paints a link into any DC: `area` filled with the button face, `text` in
// `colour` centred on one line in `client`, in the default GUI font.
void paintSiteLink(HDC dc, const RECT& area, const RECT& client, const char* text, COLORREF colour);
