#include "web_panel.h"

#include "fatal_error.h"
#include "window_texts.h"

// Placeholder until the panel hosts the browser.
bool registerWebPanelClass(HINSTANCE) { return true; }
HWND createWebPanel(HWND parent, int id, const RECT& place) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}
void navigate(HWND panel, const char*, long, const char*, const char*) {
    if (!IsWindow(panel)) fatalError(0, kMessageControlNotLoaded);
}
IWebBrowser2* browserOf(HWND) { return nullptr; }
