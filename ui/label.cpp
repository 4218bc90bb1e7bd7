#include "label.h"

#include "scoped_win.h"
#include "window_class.h"

namespace {

// The label's way of drawing rides in its window's user data, set at creation.
constexpr LONG_PTR kSingleLine = 1;

void onPaint(HWND label) {
    PaintScope paint(label);
    RECT client;
    GetClientRect(label, &client);
    char text[256];
    GetWindowTextA(label, text, sizeof text);
    paintLabel(paint.dc(), paint.area(), client, text, GetWindowLongPtrA(label, GWLP_USERDATA) == kSingleLine);
}

LRESULT CALLBACK labelProcedure(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(label, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_PAINT:
            onPaint(label);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills everything it is asked to
    }
    return DefWindowProcA(label, message, wParam, lParam);
}

}  // namespace

void fillWithButtonFace(HDC dc, const RECT& area) {
    const ScopedBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc, &area, face.get());
}

void paintLabel(HDC dc, const RECT& area, const RECT& client, const char* text, bool singleLine) {
    fillWithButtonFace(dc, area);
    if (text == nullptr || *text == '\0') return;
    const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT box = client;
    const UINT layout = singleLine ? DT_SINGLELINE | DT_VCENTER : DT_WORDBREAK | DT_VCENTER;
    DrawTextA(dc, text, -1, &box, DT_NOCLIP | layout);
}

bool registerLabelClass(HINSTANCE instance) {
    return registerWindowClass(instance, kLabelClassName, labelProcedure, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                               arrowCursor());
}

HWND createLabel(HWND parent, int id, const char* text, const RECT& place, bool singleLine) {
    return CreateWindowExA(0, kLabelClassName, text, WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           reinterpret_cast<void*>(singleLine ? kSingleLine : 0));
}
