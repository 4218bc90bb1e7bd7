#pragma once

#include <windows.h>

#include <oaidl.h>

struct IWebBrowser2;

// The web panel: a child window hosting the system's WebBrowser control over
// its whole client area. The panel holds the control's IWebBrowser2 for its
// whole life; the container the control needs (client site, in-place site and
// frame, an event sink) is in web_panel.cpp.

inline constexpr char kWebPanelClassName[] = "KorvelSievraWebPanel";

bool registerWebPanelClass(HINSTANCE instance);

// Makes the panel with its one-pixel border and the browser's four settings,
// requesting no page. Null, with nothing left behind, when the control or
// its IWebBrowser2 cannot be had. Needs OLE initialised on this thread.
HWND createWebPanel(HWND parent, int id, const RECT& place);

// Asks the panel's browser for `address` (ANSI) and returns at once; the
// outcome is the browser's. `targetFrame` and `headers` may be null (none).
// Fatal (code 0, "指定窗口或窗口组件不存在或尚未载入") when `panel` is not a
// live web panel.
void navigate(HWND panel, const char* address, long flags = 0, const char* targetFrame = nullptr,
              const char* headers = nullptr);

// The panel's browser (not add-ref'ed), or null when `panel` is not a live web panel.
IWebBrowser2* browserOf(HWND panel);

// Where the control's events go. The program handles none of them and sets
// no observer; tests watch the panel's navigations through one.
using WebPanelEventObserver = void (*)(HWND panel, DISPID event, DISPPARAMS* parameters);
void setWebPanelEventObserver(WebPanelEventObserver observer);
