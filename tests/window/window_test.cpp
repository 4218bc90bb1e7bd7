// The main window in a real window: built as laid out, painted, driven by
// real keyboard input through the program's own key handling.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "label.h"
#include "layout.h"
#include "main_window.h"
#include "memory_picture.h"
#include "pump.h"
#include "scoped_win.h"
#include "site_link.h"
#include "tab_ring.h"
#include "web_panel.h"

namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02X", c);
        out += two;
    }
    return out;
}

std::string textOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}


void pumpAWhile() {
    pumpUntil([] { return false; }, 100);
}

TEST(Layout, CentredOrigin) {
    const struct {
        int screen, size, origin;
    } cases[] = {
        {1024, 484, 270}, {1025, 484, 270},  // an odd difference halves toward zero
        {484, 484, 0},    {400, 484, -42},   // smaller than the window: negative
        {401, 484, -41},                     // -83 / 2 truncates toward zero, not down
        {768, 510, 129},  {0, 510, -255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.origin, centredOrigin(c.screen, c.size)) << c.screen << " - " << c.size;
    }
}

TEST(TabRing, Targets) {
    const std::vector<bool> five = {true, true, true, true, true};
    const std::vector<bool> gap = {true, true, false, true};
    const std::vector<bool> tail = {true, true, false};
    const struct {
        const std::vector<bool>* ring;
        int focused;
        bool forward;
        int target;
    } cases[] = {
        {&five, 0, true, 1},  {&five, 4, true, 0},    {&five, 0, false, 4}, {&five, 3, false, 2},
        {&gap, 1, true, 3},   {&gap, 3, true, 0},     {&gap, 0, false, 3},
        {&gap, 2, true, 3},   {&gap, 2, false, 1},    // focus outside the ring
        {&tail, 2, true, 0},  {&tail, 2, false, 1},   // nothing after it: wraps to the first
        {&five, -1, true, -1}, {&five, -1, false, -1}, // no focus: nothing
    };
    for (const auto& c : cases) {
        const std::vector<bool>& ring = *c.ring;
        bool members[8] = {};
        for (std::size_t i = 0; i < ring.size(); ++i) members[i] = ring[i];
        EXPECT_EQ(c.target, tabTarget(std::span<const bool>(members, ring.size()), c.focused, c.forward))
            << "focus " << c.focused << (c.forward ? " Tab" : " Shift+Tab");
    }
}

// What the window raised, and in which state it was at the time.
struct Observed {
    std::vector<std::string> events;
    bool visibleAtCreated = true;
    bool controlsShownAtCreated = false;
    int clicks = 0;
};
Observed g_observed;

void onReady() { g_observed.events.push_back("ready"); }
void onCreated() {
    g_observed.events.push_back("created");
    HWND main = mainWindow();
    g_observed.visibleAtCreated = IsWindowVisible(main) != FALSE;
    bool shown = true;
    for (const ControlPlace& control : kControls) {
        if (HWND made = GetDlgItem(main, control.id)) shown = shown && (GetWindowLongPtrA(made, GWL_STYLE) & WS_VISIBLE);
    }
    g_observed.controlsShownAtCreated = shown;
}
void onClicked() { ++g_observed.clicks; }
void onDestroyed() { g_observed.events.push_back("destroyed"); }

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        g_observed = Observed{};
        ASSERT_TRUE(loadMainWindow(MainWindowEvents{onReady, onCreated, onClicked, onDestroyed}));
        main_ = mainWindow();
        ASSERT_NE(nullptr, main_);
        SetForegroundWindow(main_);
        ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main_ && GetFocus() != nullptr; }))
            << "the window never became active";
    }
    void TearDown() override {
        if (IsWindow(main_)) DestroyWindow(main_);
        pumpAWhile();
    }

    HWND control(int id) const { return GetDlgItem(main_, id); }

    // Presses a key (with Shift when asked) as the user would.
    void press(WORD key, bool shift = false) {
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, bool up) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        };
        if (shift) add(VK_SHIFT, false);
        add(key, false);
        add(key, true);
        if (shift) add(VK_SHIFT, true);
        ASSERT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
    }

    // The focus is on the control or on a window inside it (the web panel
    // hands it on to the page).
    bool focusIsIn(int id) const {
        HWND focus = GetFocus();
        return focus && (focus == control(id) || IsChild(control(id), focus));
    }

    void focus(int id) {
        SetFocus(control(id));
        ASSERT_TRUE(pumpUntil([&] { return GetFocus() == control(id); }));
    }

    HWND main_ = nullptr;
};

TEST_F(MainWindowTest, LoadsHiddenThenShows) {
    EXPECT_EQ((std::vector<std::string>{"ready", "created"}), g_observed.events);
    EXPECT_FALSE(g_observed.visibleAtCreated) << "the created event must run while the window is hidden";
    EXPECT_TRUE(g_observed.controlsShownAtCreated);
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_EQ(control(kOriginalBox), GetFocus()) << "the caret starts in the original box";
}

TEST_F(MainWindowTest, WindowSettings) {
    EXPECT_EQ(kMainWindowTitle, textOf(main_));
    EXPECT_EQ(kMainWindowClassName, classOf(main_));
    const LONG_PTR style = GetWindowLongPtrA(main_, GWL_STYLE);
    for (LONG_PTR wanted : {WS_CLIPCHILDREN, WS_CAPTION, WS_DLGFRAME, WS_SYSMENU}) {
        EXPECT_EQ(wanted, style & wanted) << std::hex << wanted;
    }
    for (LONG_PTR unwanted : {WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME, WS_VSCROLL, WS_HSCROLL}) {
        EXPECT_EQ(0, style & unwanted) << std::hex << unwanted;
    }
    EXPECT_EQ(0, GetWindowLongPtrA(main_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, GetWindow(main_, GW_OWNER));
    EXPECT_EQ(nullptr, GetParent(main_));

    RECT outer;
    GetWindowRect(main_, &outer);
    EXPECT_EQ(kMainWindowWidth, outer.right - outer.left);
    EXPECT_EQ(kMainWindowHeight, outer.bottom - outer.top);
    EXPECT_EQ(centredOrigin(GetSystemMetrics(SM_CXSCREEN), kMainWindowWidth), outer.left);
    EXPECT_EQ(centredOrigin(GetSystemMetrics(SM_CYSCREEN), kMainWindowHeight), outer.top);

    const auto classStyles = static_cast<UINT>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    for (HWND window : {main_, control(kColumnCaption)}) {
        SCOPED_TRACE(classOf(window));
        EXPECT_EQ(classStyles, GetClassLongPtrA(window, GCL_STYLE));
        EXPECT_EQ(0, GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
        EXPECT_EQ(0, GetClassLongPtrA(window, GCLP_HICON));
    }
    EXPECT_NE(0, SendMessageA(main_, WM_GETICON, ICON_BIG, 0)) << "the large icon";
    EXPECT_NE(0, SendMessageA(main_, WM_GETICON, ICON_SMALL, 0)) << "the small icon";
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)), SendMessageA(main_, WM_GETFONT, 0, 0));
}

TEST_F(MainWindowTest, Controls) {
    const DWORD editStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                            ES_WANTRETURN | ES_LEFT;
    const DWORD labelStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_MULTILINE | BS_PUSHBUTTON |
                              BS_CENTER | BS_VCENTER;
    const struct {
        ControlId id;
        const char* className;
        DWORD style;
        DWORD exStyle;
        const char* text;
    } cases[] = {
        {kOriginalBox, "Edit", editStyle, WS_EX_CLIENTEDGE, ""},
        {kRemovalBox, "Edit", editStyle, WS_EX_CLIENTEDGE, ""},
        {kResultBox, "Edit", editStyle, WS_EX_CLIENTEDGE, ""},
        {kColumnCaption, kLabelClassName, labelStyle, 0, kColumnCaptionText},
        {kStartButton, "Button", buttonStyle, 0, kStartButtonText},
        {kFirstExample, kLabelClassName, labelStyle, 0, kFirstExampleText},
        {kSecondExample, kLabelClassName, labelStyle, 0, kSecondExampleText},
        {kThirdExample, kLabelClassName, labelStyle, 0, kThirdExampleText},
        {kSiteLink, kSiteLinkClassName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, kSiteLinkCaption},
        {kWebPanel, kWebPanelClassName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_BORDER, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        HWND made = control(c.id);
        ASSERT_NE(nullptr, made);
        EXPECT_STRCASEEQ(c.className, classOf(made).c_str());
        EXPECT_EQ(c.style, static_cast<DWORD>(GetWindowLongPtrA(made, GWL_STYLE)) & ~WS_GROUP) << std::hex;
        EXPECT_EQ(c.exStyle, static_cast<DWORD>(GetWindowLongPtrA(made, GWL_EXSTYLE)) & ~WS_EX_NOPARENTNOTIFY)
            << std::hex;
        EXPECT_EQ(hex(c.text), hex(textOf(made)));
        EXPECT_TRUE(IsWindowEnabled(made));

        const ControlPlace& place = kControls[static_cast<std::size_t>(c.id - 1)];
        RECT rect;
        GetWindowRect(made, &rect);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(place.x, rect.left);
        EXPECT_EQ(place.y, rect.top);
        EXPECT_EQ(place.width, rect.right - rect.left);
        EXPECT_EQ(place.height, rect.bottom - rect.top);
        if (place.kind == ControlKind::editBox || place.kind == ControlKind::button) {
            EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)), SendMessageA(made, WM_GETFONT, 0, 0));
        }
    }
}

TEST_F(MainWindowTest, EditBoxes) {
    for (int id : {kOriginalBox, kRemovalBox, kResultBox}) {
        SCOPED_TRACE("box " + std::to_string(id));
        HWND box = control(id);
        // No limit of the box's own: the largest a multi-line box allows.
        EXPECT_GE(static_cast<DWORD>(SendMessageA(box, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);
        DWORD start = 1, end = 1;
        SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(0u, end);

        // Black on white, whatever the system colours: the box's colour request.
        const ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
        SetTextColor(dc.get(), RGB(1, 2, 3));
        SetBkColor(dc.get(), RGB(4, 5, 6));
        const LRESULT brush = SendMessageA(main_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.get()),
                                           reinterpret_cast<LPARAM>(box));
        EXPECT_EQ(RGB(0, 0, 0), GetTextColor(dc.get()));
        EXPECT_EQ(RGB(255, 255, 255), GetBkColor(dc.get()));
        LOGBRUSH logBrush{};
        ASSERT_NE(0, GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof logBrush, &logBrush));
        EXPECT_EQ(static_cast<UINT>(BS_SOLID), logBrush.lbStyle);
        EXPECT_EQ(RGB(255, 255, 255), logBrush.lbColor);
    }
}

// A label drawn into a memory bitmap: button face where nothing is written,
// black text, and one band of text for each line.
struct Painted {
    int width, height;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    int textLines() const {
        int bands = 0;
        bool inBand = false;
        for (int y = 0; y < height; ++y) {
            bool dark = false;
            for (int x = 0; x < width && !dark; ++x) dark = at(x, y) == RGB(0, 0, 0);
            if (dark && !inBand) ++bands;
            inBand = dark;
        }
        return bands;
    }
};

Painted paintLabelToBitmap(const char* text, int width, int height, bool singleLine) {
    const MemoryPicture picture(width, height);
    const RECT client{0, 0, width, height};
    paintLabel(picture.dc(), client, client, text, singleLine);
    return Painted{width, height, picture.colours()};
}

TEST(Label, PaintsTextOnButtonFace) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const struct {
        const char* text;
        int width, height;
        bool singleLine;
        int lines;
    } cases[] = {
        {kColumnCaptionText, 352, 24, true, 1},
        {kFirstExampleText, 88, 64, false, 5},
        {kSecondExampleText, 88, 64, false, 3},
        {kThirdExampleText, 88, 64, false, 3},
        {"", 88, 64, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(hex(c.text));
        const Painted painted = paintLabelToBitmap(c.text, c.width, c.height, c.singleLine);
        EXPECT_EQ(face, painted.at(c.width - 1, c.height - 1)) << "button face where nothing is written";
        EXPECT_EQ(c.lines, painted.textLines()) << "lines of text drawn";
    }
}

TEST_F(MainWindowTest, TabWalksTheRingBothWays) {
    const int forward[] = {kOriginalBox, kRemovalBox, kResultBox, kStartButton, kWebPanel, kOriginalBox};
    for (std::size_t i = 0; i + 1 < std::size(forward); ++i) {
        press(VK_TAB);
        EXPECT_TRUE(pumpUntil([&] { return focusIsIn(forward[i + 1]); }))
            << "Tab from control " << forward[i] << " should reach " << forward[i + 1];
    }
    const int backward[] = {kOriginalBox, kWebPanel, kStartButton, kResultBox, kRemovalBox, kOriginalBox};
    for (std::size_t i = 0; i + 1 < std::size(backward); ++i) {
        press(VK_TAB, true);
        EXPECT_TRUE(pumpUntil([&] { return focusIsIn(backward[i + 1]); }))
            << "Shift+Tab from control " << backward[i] << " should reach " << backward[i + 1];
    }
    for (int id : {kOriginalBox, kRemovalBox, kResultBox}) {
        EXPECT_EQ("", textOf(control(id))) << "a Tab reached box " << id;
    }
}

TEST_F(MainWindowTest, TabSkipsTheDisabledButton) {
    EnableWindow(control(kStartButton), FALSE);
    focus(kResultBox);
    press(VK_TAB);
    EXPECT_TRUE(pumpUntil([&] { return focusIsIn(kWebPanel); }));
    press(VK_TAB, true);
    EXPECT_TRUE(pumpUntil([&] { return GetFocus() == control(kResultBox); }));
}

TEST_F(MainWindowTest, EnterInsertsALineBreakInEveryBox) {
    for (int id : {kOriginalBox, kRemovalBox, kResultBox}) {
        focus(id);
        press(VK_RETURN);
        EXPECT_TRUE(pumpUntil([&] { return textOf(control(id)) == "\r\n"; })) << "box " << id << ": " << hex(textOf(control(id)));
        EXPECT_EQ(control(id), GetFocus()) << "Enter moved the focus";
    }
}

TEST_F(MainWindowTest, StartButtonKeys) {
    focus(kStartButton);
    press(VK_RETURN);
    press(VK_ESCAPE);
    press(VK_F1);
    pumpAWhile();
    EXPECT_EQ(0, g_observed.clicks) << "Enter, Esc and F1 must not click the button";
    EXPECT_EQ(control(kStartButton), GetFocus());
    press(VK_SPACE);
    EXPECT_TRUE(pumpUntil([] { return g_observed.clicks == 1; })) << "Space clicks the focused button";
}

TEST_F(MainWindowTest, EscapeAndF1LeaveTheWindowAlone) {
    focus(kOriginalBox);
    press(VK_ESCAPE);
    press(VK_F1);
    pumpAWhile();
    EXPECT_TRUE(IsWindow(main_));
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_EQ(main_, GetForegroundWindow()) << "no other window (help) came up";
    EXPECT_EQ("", textOf(control(kOriginalBox)));
}

TEST_F(MainWindowTest, FocusComesBackAfterDeactivation) {
    focus(kResultBox);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == other; }));
    SetForegroundWindow(main_);
    EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main_ && GetFocus() == control(kResultBox); }))
        << "focus went back to the wrong control";
    DestroyWindow(other);
}

}  // namespace
