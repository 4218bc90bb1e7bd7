// The site link in a real window of its own: what it paints in each state,
// read back from the window, driven by mouse messages and by real input.
// Pressed, it opens the recorder program, so no browser ever starts.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "launch_support.h"
#include "layout.h"
#include "memory_picture.h"
#include "pump.h"
#include "scoped_win.h"
#include "site_link.h"

namespace {

// The link's colours, as its users are promised them.
constexpr COLORREF kNormal = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF kHover = RGB(0x33, 0x99, 0xFF);
constexpr COLORREF kVisited = RGB(0x80, 0x00, 0x00);

constexpr int kLinkWidth = 456;
constexpr int kLinkHeight = 32;
constexpr char kHostClassName[] = "KorvelSievraTestLinkHost";

// A picture of 32-bit pixels, read from a window or painted in memory.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> at;

    bool operator==(const Pixels&) const = default;
    int count(COLORREF colour) const {
        int found = 0;
        for (COLORREF pixel : at) found += pixel == colour;
        return found;
    }
    std::string describe() const {
        return "normal " + std::to_string(count(kNormal)) + ", hover " + std::to_string(count(kHover)) +
               ", visited " + std::to_string(count(kVisited)) + " pixels";
    }
};

// What paintSiteLink draws for `text` in `colour` over a whole link.
Pixels paintedInMemory(const char* text, COLORREF colour) {
    const MemoryPicture picture(kLinkWidth, kLinkHeight);
    const RECT client{0, 0, kLinkWidth, kLinkHeight};
    paintSiteLink(picture.dc(), client, client, text, colour);
    return Pixels{picture.width(), picture.height(), picture.colours()};
}

// What the window shows now, as it is: nothing is painted first.
Pixels shownNow(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const MemoryPicture picture(client.right, client.bottom);
    const WindowDc screen(window);
    BitBlt(picture.dc(), 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
    return Pixels{picture.width(), picture.height(), picture.colours()};
}

bool hasPaintPending(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

// What the window shows once every repaint asked for is done.
Pixels shown(HWND window) {
    EXPECT_TRUE(pumpUntil([&] { return !hasPaintPending(window); })) << "the link never painted";
    return shownNow(window);
}

LPARAM clientPoint(int x, int y) { return MAKELPARAM(x, y); }

// Real mouse input, to a point of `window`'s client area.
void moveMouseTo(HWND window, POINT point) {
    ClientToScreen(window, &point);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (point.x * 65536 + width / 2) / width;
    input.mi.dy = (point.y * 65536 + height / 2) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ASSERT_EQ(1u, SendInput(1, &input, sizeof input));
}

void clickLeftButton() {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, inputs, sizeof inputs[0]));
}

bool registerHostClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kHostClassName;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A host window with a link in it, laid out as in the main window, whose
// target is the recorder program (the tests may change it in place).
class SiteLinkTest : public testing::Test {
protected:
    void SetUp() override {
        // The real pointer stays off the windows until a test moves it.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
        ASSERT_TRUE(registerSiteLinkClass(GetModuleHandleA(nullptr)));
        ASSERT_TRUE(registerHostClass());
        host_.reset(CreateWindowExA(WS_EX_TOPMOST, kHostClassName, "link host", WS_POPUP | WS_VISIBLE, 200, 200, 480,
                                    120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(host_);
        SetForegroundWindow(host_.get());
        ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == host_.get(); }));
        // A failed open must not reach a real browser: HTML files name a class
        // that has no command, whatever this system had registered.
        noBrowser_.setText("", "KorvelSievraTest.NoSuchClass");
        setTarget(recorderPath());
    }

    void TearDown() override {
        host_.reset();
        pumpUntil([] { return false; }, 50);
    }

    HWND makeLink(const char* caption) {
        HWND link = createSiteLink(host_.get(), kSiteLink, RECT{8, 8, 8 + kLinkWidth, 8 + kLinkHeight}, caption, target_);
        EXPECT_NE(nullptr, link);
        if (link) ShowWindow(link, SW_SHOWNA);
        return link;
    }

    void setTarget(const std::string& target) {
        ASSERT_LT(target.size(), sizeof target_);
        std::memcpy(target_, target.c_str(), target.size() + 1);
    }

    static void press(HWND link) { SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(10, 10)); }

    LaunchRecord record_;
    BorrowedClassKey noBrowser_{".htm"};
    ScopedWindow host_;
    char target_[MAX_PATH] = {};
};

// The colour follows the state, and a repaint comes with each change only.
TEST_F(SiteLinkTest, ColoursFollowTheState) {
    HWND link = makeLink(kSiteLinkCaption);
    const struct {
        const char* what;
        std::function<void()> act;
        COLORREF colour;
    } steps[] = {
        {"made", [] {}, kNormal},
        {"mouse over it", [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, 10)); }, kHover},
        {"pressed under the mouse: hover wins", [&] { press(link); }, kHover},
        {"mouse off its right edge", [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(kLinkWidth, 10)); },
         kVisited},
        {"mouse back at its last pixel",
         [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(kLinkWidth - 1, kLinkHeight - 1)); }, kHover},
        {"mouse off its bottom edge", [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, kLinkHeight)); },
         kVisited},
        {"mouse over it from above", [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, 0)); }, kHover},
        {"mouse off to the left", [&] { SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(-1, 10)); }, kVisited},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const Pixels now = shown(link);
        const Pixels expected = paintedInMemory(kSiteLinkCaption, step.colour);
        EXPECT_TRUE(now == expected) << now.describe() << "; expected " << expected.describe();
        EXPECT_EQ(step.colour == kHover ? link : nullptr, GetCapture()) << "the mouse is captured while over it";
    }
    EXPECT_TRUE(record_.waitFor(1)) << "the press never started the target";
}

TEST_F(SiteLinkTest, MovesThatChangeNothingRepaintNothing) {
    HWND link = makeLink(kSiteLinkCaption);
    SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, 10));
    shown(link);
    SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(20, 12));
    EXPECT_FALSE(hasPaintPending(link));
    EXPECT_EQ(link, GetCapture());
}

// Capture taken away while the mouse is over the link: the next move over it
// takes it back, so the move off it is still seen.
TEST_F(SiteLinkTest, TakesTheCaptureBack) {
    HWND link = makeLink(kSiteLinkCaption);
    SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, 10));
    shown(link);
    SetCapture(host_.get());
    SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(12, 10));
    EXPECT_EQ(link, GetCapture());
    EXPECT_FALSE(hasPaintPending(link)) << "still hovering: nothing to repaint";
    SendMessageA(link, WM_MOUSEMOVE, 0, clientPoint(10, -5));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kNormal));
}

// A press that opens nothing clears the visited colour but paints nothing:
// the window keeps showing it until something else repaints the link.
TEST_F(SiteLinkTest, FailedOpenClearsVisitedWithoutRepainting) {
    const struct {
        const char* what;
        const char* target;
    } cases[] = {
        {"an address nothing opens", "korvelsievra-test:nowhere"},
        {"an empty address", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setTarget(recorderPath());
        HWND link = makeLink(kSiteLinkCaption);
        press(link);
        const Pixels visited = shown(link);
        EXPECT_TRUE(visited == paintedInMemory(kSiteLinkCaption, kVisited)) << visited.describe();

        setTarget(c.target);
        press(link);
        EXPECT_FALSE(hasPaintPending(link)) << "the failed open asked for a repaint";
        pumpUntil([] { return false; }, 200);
        EXPECT_TRUE(shownNow(link) == visited) << shownNow(link).describe();

        InvalidateRect(link, nullptr, FALSE);
        EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kNormal));
        DestroyWindow(link);
    }
    EXPECT_TRUE(record_.waitFor(std::size(cases)));
    EXPECT_TRUE(record_.staysAt(std::size(cases))) << "a failed open started something";
}

// The second press of a double click arrives as WM_LBUTTONDBLCLK (the class
// asks for double clicks), which the link ignores.
TEST_F(SiteLinkTest, DoubleClickOpensOnce) {
    HWND link = makeLink(kSiteLinkCaption);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        SendMessageA(link, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, clientPoint(10, 10));
    }
    EXPECT_TRUE(record_.waitFor(1));
    EXPECT_TRUE(record_.staysAt(1)) << "opened " << record_.lines().size() << " times";
}

TEST_F(SiteLinkTest, WithoutCaptionShowsTheAddress) {
    setTarget(kWebAddress);
    HWND link = makeLink("");
    EXPECT_TRUE(shown(link) == paintedInMemory(kWebAddress, kNormal));
}

// The real pointer: the hand over the link, hover and capture on the way in,
// the first move off it (onto the host window) ends them; a real click opens
// the target and leaves the focus where it was.
TEST_F(SiteLinkTest, FollowsTheRealMouse) {
    HWND link = makeLink(kSiteLinkCaption);
    shown(link);
    SetFocus(host_.get());
    const POINT over{100, 16};
    const POINT offOntoHost{100, kLinkHeight + 30};

    moveMouseTo(link, over);
    ASSERT_TRUE(pumpUntil([&] { return GetCapture() == link; })) << "no hover under the real pointer";
    EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kHover));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(link, GCLP_HCURSOR)), GetCursor()) << "the hand";

    moveMouseTo(link, offOntoHost);
    ASSERT_TRUE(pumpUntil([&] { return GetCapture() == nullptr; })) << "the hover outlived the move off";
    EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kNormal));

    moveMouseTo(link, over);
    ASSERT_TRUE(pumpUntil([&] { return GetCapture() == link; }));
    clickLeftButton();
    EXPECT_TRUE(record_.waitFor(1)) << "the click opened nothing";
    EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kHover));
    EXPECT_EQ(host_.get(), GetFocus()) << "the link took the focus";

    moveMouseTo(link, offOntoHost);
    ASSERT_TRUE(pumpUntil([&] { return GetCapture() == nullptr; }));
    EXPECT_TRUE(shown(link) == paintedInMemory(kSiteLinkCaption, kVisited));
}

// paintSiteLink into memory: the text one colour on the button face, centred,
// every character drawn ('&' too) and nothing under it; only `area` filled.
TEST(SiteLinkPaint, CentredTextOnButtonFace) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF untouched = RGB(1, 2, 3);
    const RECT client{0, 0, kLinkWidth, kLinkHeight};
    for (const char* text : {kSiteLinkCaption, "http://www.sievra.example/?a=1&b=2"}) {
        SCOPED_TRACE(text);
        const MemoryPicture picture(kLinkWidth, kLinkHeight);
        const ScopedBrush fill(CreateSolidBrush(untouched));
        FillRect(picture.dc(), &client, fill.get());
        paintSiteLink(picture.dc(), RECT{0, 0, 300, kLinkHeight}, client, text, kNormal);
        const Pixels painted = Pixels{picture.width(), picture.height(), picture.colours()};

        int left = kLinkWidth, right = -1, top = kLinkHeight, bottom = -1, widestRow = 0, others = 0;
        for (int y = 0; y < kLinkHeight; ++y) {
            int row = 0;
            for (int x = 0; x < kLinkWidth; ++x) {
                const COLORREF pixel = painted.at[static_cast<std::size_t>(y * kLinkWidth + x)];
                if (pixel == kNormal) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                    ++row;
                } else if (pixel != (x < 300 ? face : untouched)) {
                    ++others;
                }
            }
            widestRow = std::max(widestRow, row);
        }
        ASSERT_LE(left, right) << "no text";
        EXPECT_EQ(0, others) << "pixels neither text nor the background";
        EXPECT_NEAR(kLinkWidth, left + right + 1, 3) << "centred across";
        EXPECT_NEAR(kLinkHeight, top + bottom + 1, 4) << "centred down";
        SIZE extent{};
        const SelectedObject font(picture.dc(), GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32A(picture.dc(), text, static_cast<int>(std::strlen(text)), &extent);
        EXPECT_NEAR(extent.cx, right - left + 1, 3) << "the whole text, '&' as itself";
        EXPECT_LT(widestRow, (right - left + 1) / 2) << "a line under the text";
    }
}

// The link class as registered (registering it first, when it is not).
WNDCLASSEXA registeredLinkClass() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    EXPECT_TRUE(registerSiteLinkClass(instance));
    EXPECT_TRUE(GetClassInfoExA(instance, kSiteLinkClassName, &windowClass));
    return windowClass;
}

// The class: double clicks, no background, no icon, and the pointing hand of
// its own, 32 x 32, black and white, pointing from (6, 1).
TEST(SiteLinkClass, Settings) {
    const WNDCLASSEXA windowClass = registeredLinkClass();
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW), windowClass.style);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), windowClass.hbrBackground);
    EXPECT_EQ(nullptr, windowClass.hIcon);
    EXPECT_EQ(nullptr, windowClass.hIconSm);

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(windowClass.hCursor, &info));
    const ScopedBitmap mask(info.hbmMask);
    const ScopedBitmap colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(6u, info.xHotspot);
    EXPECT_EQ(1u, info.yHotspot);
    EXPECT_FALSE(colour) << "a monochrome cursor has no colour bitmap";
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectA(mask.get(), sizeof bitmap, &bitmap));
    EXPECT_EQ(32, bitmap.bmWidth);
    EXPECT_EQ(64, bitmap.bmHeight) << "the AND plane above the XOR plane";
    EXPECT_EQ(1, bitmap.bmBitsPixel);

    // The hot spot is drawn (black), the pixel above it is not: the fingertip.
    std::vector<BYTE> bits(static_cast<std::size_t>(bitmap.bmWidthBytes * bitmap.bmHeight));
    ASSERT_EQ(static_cast<LONG>(bits.size()), GetBitmapBits(mask.get(), static_cast<LONG>(bits.size()), bits.data()));
    auto bit = [&](int x, int y) {
        return (bits[static_cast<std::size_t>(y * bitmap.bmWidthBytes + x / 8)] >> (7 - x % 8)) & 1;
    };
    EXPECT_EQ(0, bit(6, 1)) << "AND at the hot spot";
    EXPECT_EQ(0, bit(6, 1 + 32)) << "XOR at the hot spot";
    EXPECT_EQ(1, bit(6, 0)) << "AND above the hot spot";
    EXPECT_EQ(0, bit(6, 0 + 32)) << "XOR above the hot spot";
}

// destroySiteLinkCursor destroys the cursor; registering again makes a new one.
TEST(SiteLinkClass, CursorIsDestroyedAtTheEnd) {
    const HCURSOR first = registeredLinkClass().hCursor;
    ASSERT_TRUE(UnregisterClassA(kSiteLinkClassName, GetModuleHandleA(nullptr))) << "a link still exists";
    destroySiteLinkCursor();
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(first, &info));

    ASSERT_TRUE(GetIconInfo(registeredLinkClass().hCursor, &info));
    const ScopedBitmap mask(info.hbmMask);
    const ScopedBitmap colour(info.hbmColor);
}

}  // namespace
