#include "site_link.h"

#include <windowsx.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "open_target.h"
#include "scoped_win.h"
#include "window_class.h"

namespace {

// The pointing hand, 32 x 32: 'X' black, '-' white, '.' the screen shows through.
constexpr int kCursorSize = 32;
constexpr std::array<std::string_view, kCursorSize> kHandArt{{
    "................................",
    "......XX........................",
    ".....X--X.......................",
    ".....X--X.......................",
    ".....X--X.......................",
    ".....X--X.......................",
    ".....X--XXX.....................",
    ".....X--X--XXX..................",
    ".....X--X--X--XXX...............",
    ".....X--X--X--X--X..............",
    ".XX..X--X--X--X--X..............",
    "X--X.X--X--X--X--X..............",
    "X---XX-----------X..............",
    ".X--X------------X..............",
    "..X--------------X..............",
    "..X--------------X..............",
    "...X-------------X..............",
    "...X------------X...............",
    "....X-----------X...............",
    "....X-----------X...............",
    ".....X---------X................",
    ".....X---------X................",
    ".....XXXXXXXXXXX................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
}};

// The AND and XOR planes CreateCursor takes: one bit a pixel, rows of four
// bytes, the leftmost pixel in the highest bit. Transparent is AND 1 XOR 0,
// black AND 0 XOR 0, white AND 0 XOR 1.
struct CursorPlanes {
    std::array<BYTE, kCursorSize * kCursorSize / 8> andPlane{};
    std::array<BYTE, kCursorSize * kCursorSize / 8> xorPlane{};
};

constexpr CursorPlanes planesOf(const std::array<std::string_view, kCursorSize>& art) {
    CursorPlanes planes;
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const char pixel = art[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            const auto at = static_cast<std::size_t>(y * kCursorSize / 8 + x / 8);
            const auto bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (pixel == '.') planes.andPlane[at] |= bit;
            if (pixel == '-') planes.xorPlane[at] |= bit;
        }
    }
    return planes;
}

constexpr bool artIsSquare(const std::array<std::string_view, kCursorSize>& art) {
    for (std::string_view row : art) {
        if (row.size() != kCursorSize) return false;
    }
    return true;
}
static_assert(artIsSquare(kHandArt), "every row of the hand is 32 pixels");
static_assert(kHandArt[kSiteLinkCursorHotSpot.y][kSiteLinkCursorHotSpot.x] == 'X' &&
                  kHandArt[kSiteLinkCursorHotSpot.y - 1][kSiteLinkCursorHotSpot.x] == '.',
              "the hot spot is the fingertip's top pixel");

constexpr CursorPlanes kHandPlanes = planesOf(kHandArt);

ScopedCursor g_hand;

// Per-window state, bound to the window at WM_NCCREATE.
struct SiteLinkState {
    const char* target = nullptr;
    bool hovering = false;
    bool visited = false;
};

SiteLinkState* stateOf(HWND link) { return reinterpret_cast<SiteLinkState*>(GetWindowLongPtrA(link, GWLP_USERDATA)); }

COLORREF colourOf(const SiteLinkState& state) {
    if (state.hovering) return kSiteLinkHoverColour;
    return state.visited ? kSiteLinkVisitedColour : kSiteLinkNormalColour;
}

std::string windowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void onPaint(HWND link, const SiteLinkState& state) {
    const PaintScope paint(link);
    RECT clip;
    if (GetClipBox(paint.dc(), &clip) <= NULLREGION) return;  // nothing to draw, or no DC
    RECT client;
    GetClientRect(link, &client);
    std::string text = windowText(link);
    if (text.empty() && state.target) text = state.target;
    paintSiteLink(paint.dc(), clip, client, text.c_str(), colourOf(state));
}

// The mouse is captured while it is over the link, so the first move off it
// ends the hover even when it lands on another window.
void onMouseMove(HWND link, SiteLinkState& state, POINT at) {
    if (!state.hovering) {
        state.hovering = true;
        InvalidateRect(link, nullptr, FALSE);
        SetCapture(link);
        return;
    }
    RECT client;
    GetClientRect(link, &client);
    if (!PtInRect(&client, at)) {
        state.hovering = false;
        ReleaseCapture();
        InvalidateRect(link, nullptr, FALSE);
        return;
    }
    if (GetCapture() != link) SetCapture(link);  // someone took it: still over the link
}

// A failed open clears the visited colour without a repaint of its own: the
// link shows it from its next paint on.
void onPress(HWND link, SiteLinkState& state) {
    state.visited = openTarget(state.target, SW_SHOW);
    if (state.visited) InvalidateRect(link, nullptr, FALSE);
}

LRESULT CALLBACK siteLinkProcedure(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // The window takes the state over here, so whichever way creation
        // fails, it is freed once: by WM_NCDESTROY or by createSiteLink.
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* owner = static_cast<std::unique_ptr<SiteLinkState>*>(create->lpCreateParams);
        SetWindowLongPtrA(link, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner->release()));
        return DefWindowProcA(link, message, wParam, lParam);
    }
    SiteLinkState* state = stateOf(link);
    if (!state) return DefWindowProcA(link, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            onPaint(link, *state);
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(link, *state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_LBUTTONDOWN:
            onPress(link, *state);
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrA(link, GWLP_USERDATA, 0);
            const std::unique_ptr<SiteLinkState> owned(state);
            return DefWindowProcA(link, message, wParam, lParam);
        }
    }
    return DefWindowProcA(link, message, wParam, lParam);
}

}  // namespace

void paintSiteLink(HDC dc, const RECT& area, const RECT& client, const char* text, COLORREF colour) {
    const ScopedBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc, &area, face.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT box = client;
    DrawTextA(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

bool registerSiteLinkClass(HINSTANCE instance) {
    if (!g_hand) {
        g_hand.reset(CreateCursor(instance, kSiteLinkCursorHotSpot.x, kSiteLinkCursorHotSpot.y, kCursorSize,
                                  kCursorSize, kHandPlanes.andPlane.data(), kHandPlanes.xorPlane.data()));
        if (!g_hand) return false;
    }
    return registerWindowClass(instance, kSiteLinkClassName, siteLinkProcedure, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                               g_hand.get(), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
}

HWND createSiteLink(HWND parent, int id, const RECT& place, const char* caption, const char* target) {
    auto state = std::make_unique<SiteLinkState>();
    state->target = target;
    return CreateWindowExA(0, kSiteLinkClassName, caption, WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), &state);
}

void destroySiteLinkCursor() { g_hand.reset(); }
