#include "main_window.h"

#include <array>
#include <atomic>

#include "label.h"
#include "layout.h"
#include "resources/resource_ids.h"
#include "run_control.h"
#include "scoped_win.h"
#include "site_link.h"
#include "tab_ring.h"
#include "web_panel.h"
#include "window_class.h"

namespace {

// Per-window state, bound to the window at WM_NCCREATE.
struct MainWindowState {
    MainWindowEvents events{};
    HWND focusBeforeDeactivation = nullptr;
    HFONT font = nullptr;  // a private class keeps its own font
    bool resultRepaintScheduled = false;
    ULONGLONG resultPaintedAt = 0;
};

// While pieces pour into the result box, it is painted at most every 50 ms:
// a paint of the box costs more than an append, and the window's thread goes
// idle, and so paints, between almost every two pieces. A piece that comes
// sooner is not painted now; a timer paints it once the thread is idle, so
// the last pieces of a run show too.
constexpr UINT_PTR kResultRepaintTimer = 1;
constexpr ULONGLONG kResultRepaintMilliseconds = 50;

void onAppendToResult(HWND main, MainWindowState& state, const char* piece) {
    HWND box = GetDlgItem(main, kResultBox);
    appendAtEnd(box, piece);
    const ULONGLONG now = GetTickCount64();
    if (now - state.resultPaintedAt >= kResultRepaintMilliseconds) {
        state.resultPaintedAt = now;  // left invalid: painted when the thread is next idle
        return;
    }
    ValidateRect(box, nullptr);
    if (!state.resultRepaintScheduled) {
        state.resultRepaintScheduled =
            SetTimer(main, kResultRepaintTimer, static_cast<UINT>(kResultRepaintMilliseconds), nullptr) != 0;
        // Without a timer, paint as usual rather than not at all.
        if (!state.resultRepaintScheduled) InvalidateRect(box, nullptr, FALSE);
    }
}

void onResultRepaintTimer(HWND main, MainWindowState& state) {
    KillTimer(main, kResultRepaintTimer);
    state.resultRepaintScheduled = false;
    state.resultPaintedAt = GetTickCount64();
    InvalidateRect(GetDlgItem(main, kResultBox), nullptr, FALSE);
}

MainWindowState g_state;
// Read by a run's background thread too, to learn whether the window still exists.
std::atomic<HWND> g_mainWindow = nullptr;
ScopedIcon g_largeIcon;
ScopedIcon g_smallIcon;

MainWindowState* stateOf(HWND window) {
    return reinterpret_cast<MainWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void raise(void (*event)()) {
    if (event) event();
}

RECT placeOf(const ControlPlace& control) {
    return {control.x, control.y, control.x + control.width, control.y + control.height};
}

void setFont(HWND window) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

HWND createEditBox(HWND parent, const ControlPlace& control) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_LEFT;
    HWND box = CreateWindowExA(0, "EDIT", "", style, control.x, control.y, control.width, control.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), GetModuleHandleA(nullptr),
                               nullptr);
    if (!box) return nullptr;
    setFont(box);
    SendMessageA(box, EM_LIMITTEXT, 0, 0);  // 0: the largest limit there is
    SendMessageA(box, EM_SETSEL, 0, 0);
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
    // The sunken edge is added afterwards, so the frame has to be worked out anew.
    SetWindowLongPtrA(box, GWL_EXSTYLE, GetWindowLongPtrA(box, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return box;
}

HWND createStartButton(HWND parent, const ControlPlace& control) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_MULTILINE | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
    HWND button = CreateWindowExA(0, "BUTTON", kStartButtonText, style, control.x, control.y, control.width,
                                  control.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (button) setFont(button);
    return button;
}

const char* labelText(int id) {
    switch (id) {
        case kColumnCaption: return kColumnCaptionText;
        case kFirstExample: return kFirstExampleText;
        case kSecondExample: return kSecondExampleText;
        default: return kThirdExampleText;
    }
}

// Makes one control of the table.
bool createControl(HWND parent, const ControlPlace& control) {
    switch (control.kind) {
        case ControlKind::editBox:
            return createEditBox(parent, control) != nullptr;
        case ControlKind::label:
            return createLabel(parent, control.id, labelText(control.id), placeOf(control),
                               control.id == kColumnCaption) != nullptr;
        case ControlKind::button:
            return createStartButton(parent, control) != nullptr;
        case ControlKind::siteLink:
            return createSiteLink(parent, control.id, placeOf(control), kSiteLinkCaption, kWebAddress) != nullptr;
        case ControlKind::webPanel:
            return createWebPanel(parent, control.id, placeOf(control)) != nullptr;
    }
    return false;
}

// Which of the window's controls holds the focus (the focus may sit in a
// window inside one of them): its index in the control table, or -1.
int focusedControlIndex(HWND main) {
    HWND focus = GetFocus();
    while (focus && GetParent(focus) != main) focus = GetParent(focus);
    if (!focus) return -1;
    const int id = GetDlgCtrlID(focus);
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (kControls[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

void moveFocusAlongRing(HWND main, bool forward) {
    std::array<bool, kControls.size()> inRing{};
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        HWND control = GetDlgItem(main, kControls[i].id);
        inRing[i] = control && (GetWindowLongPtrA(control, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(control) &&
                    IsWindowEnabled(control);
    }
    const int target = tabTarget(inRing, focusedControlIndex(main), forward);
    if (target >= 0) SetFocus(GetDlgItem(main, kControls[target].id));
}

void giveFocusBack(HWND main, MainWindowState& state) {
    HWND previous = state.focusBeforeDeactivation;
    if (previous && IsWindow(previous) && IsChild(main, previous)) {
        SetFocus(previous);
    } else {
        SetFocus(GetDlgItem(main, kOriginalBox));
    }
}

void onActivate(HWND main, MainWindowState& state, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        state.focusBeforeDeactivation = focus && IsChild(main, focus) ? focus : nullptr;
    } else if (!IsIconic(main)) {
        giveFocusBack(main, state);
    }
}

void onPaint(HWND main) {
    PaintScope paint(main);
    fillWithButtonFace(paint.dc(), paint.area());
}

// The boxes show black on white whatever the system colours are.
LRESULT onEditColours(HDC dc) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        g_mainWindow = window;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    MainWindowState* state = stateOf(window);
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            onPaint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting fills the whole update area
        case WM_CTLCOLOREDIT:
            return onEditColours(reinterpret_cast<HDC>(wParam));
        case WM_COMMAND:
            if (LOWORD(wParam) == kStartButton && HIWORD(wParam) == BN_CLICKED) raise(state->events.startClicked);
            return 0;
        case kAppendToResultMessage:
            onAppendToResult(window, *state, reinterpret_cast<const char*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kResultRepaintTimer) onResultRepaintTimer(window, *state);
            return 0;
        case WM_SETFONT:
            state->font = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state->font);
        case WM_ACTIVATE:
            onActivate(window, *state, wParam);
            return 0;
        case WM_SETFOCUS:
            giveFocusBack(window, *state);
            return 0;
        case WM_NCDESTROY: {
            const MainWindowEvents events = state->events;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            g_mainWindow = nullptr;
            raise(events.destroyed);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerMainWindowClass(HINSTANCE instance) {
    return registerWindowClass(instance, kMainWindowClassName, mainWindowProcedure,
                               CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, arrowCursor());
}

HWND createMainWindow(HINSTANCE instance) {
    const int x = centredOrigin(GetSystemMetrics(SM_CXSCREEN), kMainWindowWidth);
    const int y = centredOrigin(GetSystemMetrics(SM_CYSCREEN), kMainWindowHeight);
    const DWORD style = WS_CLIPCHILDREN | WS_CAPTION | WS_DLGFRAME | WS_SYSMENU;
    HWND window = CreateWindowExA(0, kMainWindowClassName, kMainWindowTitle, style, x, y, kMainWindowWidth,
                                  kMainWindowHeight, nullptr, nullptr, instance, &g_state);
    if (!window) return nullptr;
    RECT outer;
    GetWindowRect(window, &outer);
    if (outer.right - outer.left != kMainWindowWidth || outer.bottom - outer.top != kMainWindowHeight) {
        MoveWindow(window, x, y, kMainWindowWidth, kMainWindowHeight, FALSE);
    }
    g_largeIcon.reset(static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    g_smallIcon.reset(static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_largeIcon.get()));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_smallIcon.get()));
    setFont(window);
    return window;
}

}  // namespace

bool loadMainWindow(const MainWindowEvents& events) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerMainWindowClass(instance) || !registerLabelClass(instance) || !registerSiteLinkClass(instance) ||
        !registerWebPanelClass(instance)) {
        return false;
    }
    g_state = MainWindowState{events, nullptr, nullptr, false, 0};

    HWND window = createMainWindow(instance);
    if (!window) return false;
    for (const ControlPlace& control : kControls) {
        if (!createControl(window, control)) {
            // Never shown; the caller ends the program.
            DestroyWindow(window);
            return false;
        }
    }
    for (const ControlPlace& control : kControls) {
        if (HWND made = GetDlgItem(window, control.id)) ShowWindow(made, SW_SHOWNA);
    }
    raise(events.controlsReady);
    raise(events.created);
    if (IsWindow(window)) ShowWindow(window, SW_SHOW);
    return true;
}

HWND mainWindow() { return g_mainWindow; }

HWND controlOf(int id) {
    HWND main = g_mainWindow;
    return main ? GetDlgItem(main, id) : nullptr;
}

bool handleWindowKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.wParam != VK_TAB) return false;
    HWND main = g_mainWindow;
    if (!main || (message.hwnd != main && !IsChild(main, message.hwnd))) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    moveFocusAlongRing(main, GetKeyState(VK_SHIFT) >= 0);
    return true;
}

void destroyProgramIcons() {
    g_largeIcon.reset();
    g_smallIcon.reset();
}
