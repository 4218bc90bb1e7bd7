#pragma once

#include <windows.h>

// The window's labels: text painted on button face, never focused, no input.
// The column caption is one line centred vertically; the example labels wrap
// from their top.

inline constexpr char kLabelClassName[] = "KorvelSievraLabel";

bool registerLabelClass(HINSTANCE instance);

// Makes a label; `singleLine` picks the caption's way of drawing.
HWND createLabel(HWND parent, int id, const char* text, const RECT& place, bool singleLine);

// Paints a label's `area` (of its `client` rectangle) into any DC.
void paintLabel(HDC dc, const RECT& area, const RECT& client, const char* text, bool singleLine);

// Fills `area` with the button face colour of the moment.
void fillWithButtonFace(HDC dc, const RECT& area);
