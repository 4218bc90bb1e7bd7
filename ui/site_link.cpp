#include "site_link.h"

// Placeholder until the link is built.
bool registerSiteLinkClass(HINSTANCE) { return true; }
HWND createSiteLink(HWND parent, int id, const RECT& place, const char* caption, const char*) {
    return CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}
void destroySiteLinkCursor() {}
