// Runs started by the user's own gesture in a real window: the result box
// fills at its end, the button is disabled for the run, the window goes on
// serving input meanwhile.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "layout.h"
#include "main_window.h"
#include "pump.h"
#include "run_control.h"
#include "support/test_fatal_error.h"
#include "support/visible_bytes.h"

namespace {

std::string textOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}



// How long a run may take before a test gives up on it.
constexpr DWORD kRunBound = 60000;

// The Start button's enable and disable notifications, in order.
std::vector<bool> g_enableSequence;
WNDPROC g_buttonProcedure = nullptr;

LRESULT CALLBACK recordingButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE) g_enableSequence.push_back(wParam != FALSE);
    return CallWindowProcA(g_buttonProcedure, button, message, wParam, lParam);
}

// Appends the result box has taken since it last painted.
int g_unpaintedAppends = 0;
WNDPROC g_resultProcedure = nullptr;

LRESULT CALLBACK recordingResultProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == EM_REPLACESEL) ++g_unpaintedAppends;
    if (message == WM_PAINT) g_unpaintedAppends = 0;
    return CallWindowProcA(g_resultProcedure, box, message, wParam, lParam);
}

void runStarted() { onStartClicked(); }

class RunTest : public testing::Test {
protected:
    void SetUp() override {
        g_enableSequence.clear();
        ASSERT_TRUE(loadMainWindow(MainWindowEvents{nullptr, nullptr, runStarted, nullptr}));
        main_ = mainWindow();
        SetForegroundWindow(main_);
        ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == main_ && GetFocus() != nullptr; }, 5000));
        g_buttonProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            button(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingButtonProcedure)));
    }
    void TearDown() override {
        if (IsWindow(main_)) DestroyWindow(main_);
        pumpUntil([] { return false; }, 50);
    }

    HWND box(int id) const { return GetDlgItem(main_, id); }
    HWND button() const { return GetDlgItem(main_, kStartButton); }

    void key(WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
    void press(WORD vk) {
        key(vk, false);
        key(vk, true);
    }

    // A left click at a point of a control, as the mouse gives it.
    void click(HWND control, int x, int y) {
        POINT at{x, y};
        ClientToScreen(control, &at);
        SetCursorPos(at.x, at.y);
        INPUT inputs[2]{};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, inputs, sizeof(INPUT));
    }

    // Presses Space on the focused Start button and waits for the run to end.
    void runBySpace() {
        SetFocus(button());
        ASSERT_TRUE(pumpUntil([&] { return GetFocus() == button(); }, 5000));
        const std::size_t before = g_enableSequence.size();
        press(VK_SPACE);
        ASSERT_TRUE(pumpUntil([&] { return g_enableSequence.size() >= before + 2; }, kRunBound))
            << "the run never ended (button enable notifications: " << g_enableSequence.size() - before << ")";
        EXPECT_EQ((std::vector<bool>{false, true}),
                  std::vector<bool>(g_enableSequence.begin() + static_cast<long>(before), g_enableSequence.end()));
    }

    HWND main_ = nullptr;
};

TEST_F(RunTest, ResultBoxReceivesTheRemainingLines) {
    const struct {
        const char* name;
        const char* original;
        const char* removal;
        const char* resultBefore;
        const char* resultAfter;
    } cases[] = {
        {"both boxes empty", "", "", "", ""},
        {"removal box empty", "a\r\nb\r\nc", "", "", "a\r\nb\r\nc"},
        {"the window's example", "11111\r\n22222\r\n33333\r\n44444", "22222\r\n33333\r\n", "", "11111\r\n44444"},
        {"text without a final break is continued", "11111\r\n22222", "22222", "x", "x11111\r\n"},
        {"the result box is never cleared", "b", "", "a\r\n", "a\r\nb"},
        {"an empty line in the middle stays", "a\r\n\r\nb", "x", "", "a\r\n\r\nb"},
        {"an empty last line appends nothing", "a\r\n\r\n", "x", "", "a\r\n"},
        {"an empty removal line removes empty lines", "a\r\n\r\nb", "\r\n", "", "a\r\nb"},
        // GBK under code page 936: two-byte characters kept and removed whole.
        {"two-byte lines", "\xD6\xD0\r\n\xCE\xC4\r\n\xD6\xD0\xCE\xC4", "\xCE\xC4", "", "\xD6\xD0\r\n\xD6\xD0\xCE\xC4"},
        {"a line ending in a two-byte character", "\xD6\xD0\xCE\xC4\r\nx", "x", "", "\xD6\xD0\xCE\xC4\r\n"},
        // The euro sign 0x80 is one byte in code page 936: its line ends at the CR LF.
        {"a line ending in the euro sign", "a\x80\r\nb\r\nc", "a\x80", "", "b\r\nc"},
    };
    ASSERT_EQ(936u, GetACP()) << "these rows are for code page 936";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetWindowTextA(box(kOriginalBox), c.original);
        SetWindowTextA(box(kRemovalBox), c.removal);
        SetWindowTextA(box(kResultBox), c.resultBefore);
        runBySpace();
        EXPECT_EQ(visibleBytes(c.resultAfter), visibleBytes(textOf(box(kResultBox))));
        EXPECT_EQ(visibleBytes(c.original), visibleBytes(textOf(box(kOriginalBox)))) << "the inputs stay as they were";
    }
}

// The box is not painted after every piece of a fast run, but the last
// pieces must show once the run is over.
TEST_F(RunTest, TheResultBoxShowsTheLastPieces) {
    g_resultProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        box(kResultBox), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingResultProcedure)));
    std::string original;
    for (int i = 0; i < 3000; ++i) original += std::to_string(i) + "\r\n";
    SetWindowTextA(box(kOriginalBox), original.c_str());
    runBySpace();
    EXPECT_TRUE(pumpUntil([] { return g_unpaintedAppends == 0; }, 2000))
        << g_unpaintedAppends << " appended pieces never painted";
}

TEST_F(RunTest, TwoRunsInARowAppendTwice) {
    SetWindowTextA(box(kOriginalBox), "11111\r\n22222\r\n33333\r\n44444");
    SetWindowTextA(box(kRemovalBox), "22222\r\n33333\r\n");
    runBySpace();
    runBySpace();
    EXPECT_EQ("11111\r\n4444411111\r\n44444", textOf(box(kResultBox)));
}

TEST_F(RunTest, ResultBeyondTheBoxLimitDoesNotStopTheRun) {
    SendMessageA(box(kResultBox), EM_LIMITTEXT, 8, 0);
    SetWindowTextA(box(kOriginalBox), "11111\r\n22222\r\n33333\r\n44444");
    runBySpace();  // ends, with the button enabled again
    EXPECT_LE(textOf(box(kResultBox)).size(), 8u);
}

// A run long enough for the user to act during it: clicks into the result
// box, typing there, and clicks on the disabled button. Every piece must
// still land at the end, in order, and only one run must happen.
TEST_F(RunTest, UserInputDuringARunNeverSplitsThePieces) {
    std::string original;
    std::string expected;
    constexpr int kLines = 6000;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = std::to_string(100000 + i);
        original += line + "\r\n";
        if (i % 3 != 0) expected += line + "\r\n";
    }
    std::string removal;
    for (int i = 0; i < kLines; i += 3) removal += std::to_string(100000 + i) + "\r\n";
    expected.resize(expected.size() - 2);  // the original's last line is kept and carries no break
    SetWindowTextA(box(kOriginalBox), original.c_str());
    SetWindowTextA(box(kRemovalBox), removal.c_str());

    click(button(), 40, 100);
    ASSERT_TRUE(pumpUntil([&] { return g_enableSequence.size() >= 1; }, 5000)) << "the click started no run";
    int typedDuringRun = 0;
    int clicksOnDisabledButton = 0;
    for (int round = 0; round < 400 && !IsWindowEnabled(button()); ++round) {
        ++typedDuringRun;
        // The caret goes up into the text; alternate places, so no two clicks
        // make a double click (which would select a word for the typing to replace).
        click(box(kResultBox), 5, round % 2 ? 5 : 60);
        press('Z');
        if (round % 10 == 0) {
            click(button(), 40, 100);
            ++clicksOnDisabledButton;
        }
        pumpUntil([] { return false; }, 20);
    }
    ASSERT_TRUE(pumpUntil([&] { return IsWindowEnabled(button()) != FALSE; }, kRunBound)) << "the run never ended";

    pumpUntil([] { return false; }, 100);
    EXPECT_GT(typedDuringRun, 0) << "the run ended before any input; make it longer";
    EXPECT_GT(clicksOnDisabledButton, 0);

    std::string result = textOf(box(kResultBox));
    std::string withoutTyping;
    for (char c : result) {
        if (c != 'z' && c != 'Z') withoutTyping += c;
    }
    EXPECT_NE(std::string::npos, result.find_first_of("zZ")) << "no typing reached the box";
    EXPECT_EQ(expected.size(), withoutTyping.size()) << "one run, every piece once";
    EXPECT_TRUE(withoutTyping == expected) << "pieces out of place";
    EXPECT_EQ((std::vector<bool>{false, true}), g_enableSequence) << "a second run started";
}

// Started under another locale (see CMakeLists.txt), the split follows the
// code page: in 1252 an accented letter is one byte and its line ends at CR LF.
TEST_F(RunTest, SplitFollowsTheActiveCodePage) {
    const char* expectedCodePage = std::getenv("KORVEL_EXPECT_ACP");
    if (!expectedCodePage) GTEST_SKIP() << "runs as a test of its own, under code page 1252";
    ASSERT_EQ(static_cast<UINT>(std::atoi(expectedCodePage)), GetACP());
    SetWindowTextA(box(kOriginalBox), "caf\xE9\r\nb\r\nc");
    SetWindowTextA(box(kRemovalBox), "b");
    runBySpace();
    // In 1252, 0xE9 is é, a whole character: the CR LF after it is a break.
    EXPECT_EQ(visibleBytes("caf\xE9\r\nc"), visibleBytes(textOf(box(kResultBox))));
}

}  // namespace

namespace {

// Once the window is gone, reading or appending is a fatal error with its own
// message; enabling or disabling does nothing.
TEST(RunControlDeathTest, AfterTheWindowIsGone) {
    ASSERT_EQ(nullptr, mainWindow());
    setDisabled(kStartButton, true);
    setDisabled(kStartButton, false);
    EXPECT_EXIT(readText(kOriginalBox), testing::ExitedWithCode(kFatalErrorExitCode), "fatalError 0 D6B8B6A8B4B0BFDAC9D0CEB4D4D8C8EB");
    EXPECT_EXIT(appendText("x"), testing::ExitedWithCode(kFatalErrorExitCode),
                "fatalError 0 D6B8B6A8B4B0BFDABBF2B4B0BFDAD7E9BCFEB2BBB4E6D4DABBF2C9D0CEB4D4D8C8EB");
}

}  // namespace
