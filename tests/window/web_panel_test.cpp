#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <string>
#include <vector>

#include "browser_calls.h"
#include "handlers.h"
#include "layout.h"
#include "main_window.h"
#include "memory_picture.h"
#include "pump.h"
#include "scoped_win.h"
#include "support/test_fatal_error.h"
#include "web_panel.h"

namespace {

int g_beforeNavigate = 0;
int g_loadEnded = 0;

// The control's events as the panel passes them on: the navigations and
// their ends are noted beside the calls.
void observeEvent(HWND, DISPID event, DISPPARAMS*) {
    switch (event) {
        case DISPID_BEFORENAVIGATE2:
            ++g_beforeNavigate;
            noteBrowserEvent(std::string("BeforeNavigate2, window ") + (IsWindowVisible(mainWindow()) ? "shown" : "hidden"));
            break;
        case DISPID_NAVIGATEERROR:
        case DISPID_DOCUMENTCOMPLETE:
            ++g_loadEnded;
            break;
    }
}

// What the panel holds when the created event comes.
struct AtCreated {
    bool seen = false;
    std::string location = "?";
    bool hasDocument = true;
    int navigationsBefore = -1;
} g_atCreated;

std::string locationOf(IWebBrowser2* browser) {
    BSTR url = nullptr;
    if (FAILED(browser->get_LocationURL(&url))) return "?";
    Scoped<BSTR, SysFreeString> owned(url);
    char text[512] = "";
    if (url) WideCharToMultiByte(CP_ACP, 0, url, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

bool hasDocument(IWebBrowser2* browser) {
    ComPtr<IDispatch> document;
    return SUCCEEDED(browser->get_Document(document.put())) && document;
}

void onCreated() {
    IWebBrowser2* browser = browserOf(controlOf(kWebPanel));
    g_atCreated.seen = true;
    g_atCreated.location = browser ? locationOf(browser) : "?";
    g_atCreated.hasDocument = browser ? hasDocument(browser) : true;
    g_atCreated.navigationsBefore = g_beforeNavigate;
    noteBrowserEvent("created");
    onWindowCreated();  // the program's own handler
}

class WebPanelTest : public testing::Test {
protected:
    void SetUp() override {
        g_beforeNavigate = 0;
        g_loadEnded = 0;
        g_atCreated = AtCreated{};
        ASSERT_TRUE(startRecordingBrowserCalls());
        setWebPanelEventObserver(observeEvent);
    }
    void TearDown() override {
        if (HWND main = mainWindow()) DestroyWindow(main);
        setWebPanelEventObserver(nullptr);
        stopRecordingBrowserCalls();
    }
    void load() {
        ASSERT_TRUE(loadMainWindow(MainWindowEvents{nullptr, onCreated, nullptr, nullptr}));
        panel_ = controlOf(kWebPanel);
        ASSERT_NE(nullptr, browserOf(panel_));
    }
    HWND panel_ = nullptr;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

// The four settings in order, nothing requested until the created event,
// then one plain navigation to the start page while the window is hidden;
// after the page fails to load (no network here), nothing more.
TEST_F(WebPanelTest, SettingsThenOneNavigationToTheStartPage) {
    load();
    const std::string navigation = std::string("Navigate ") + kStartPageAddress +
                                   " flags=VT_I4:0 frame=VT_BSTR:null post=VT_EMPTY headers=VT_BSTR:null";
    ASSERT_TRUE(g_atCreated.seen);
    EXPECT_EQ("", g_atCreated.location) << "a page was requested before the created event";
    EXPECT_FALSE(g_atCreated.hasDocument);
    EXPECT_EQ(0, g_atCreated.navigationsBefore);

    ASSERT_TRUE(pumpUntil([] { return g_loadEnded > 0; }, 20000)) << "the load never ended";
    pumpUntil([] { return false; }, 1500);  // room for a second attempt, which must not come
    const std::vector<std::string> expected{
        "put_Silent 0",
        "put_Offline 0",
        "put_RegisterAsDropTarget -1",
        "put_RegisterAsBrowser 0",
        "created",
        navigation,
        "BeforeNavigate2, window hidden",
    };
    EXPECT_EQ(expected, recordedBrowserCalls()) << "calls:" << joined(recordedBrowserCalls());
    EXPECT_EQ(kStartPageAddress, locationOf(browserOf(panel_)));

    // What the control keeps of the settings reads back the same. (The drop
    // target setting does not read back under every control: its call above
    // shows it.)
    IWebBrowser2* browser = browserOf(panel_);
    VARIANT_BOOL value = VARIANT_TRUE;
    EXPECT_EQ(S_OK, browser->get_Silent(&value));
    EXPECT_EQ(VARIANT_FALSE, value);
    value = VARIANT_TRUE;
    EXPECT_EQ(S_OK, browser->get_Offline(&value));
    EXPECT_EQ(VARIANT_FALSE, value);
    value = VARIANT_TRUE;
    EXPECT_EQ(S_OK, browser->get_RegisterAsBrowser(&value));
    EXPECT_EQ(VARIANT_FALSE, value);

    // The failed page brings no window of ours.
    int ownTopLevel = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM count) {
            if (IsWindowVisible(window)) ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ownTopLevel));
    EXPECT_EQ(1, ownTopLevel) << "only the main window shows";
}

// Every argument of navigate goes into its VARIANT.
TEST_F(WebPanelTest, NavigatePassesEveryArgument) {
    load();
    pumpUntil([] { return g_loadEnded > 0; }, 20000);
    startRecordingBrowserCalls();
    navigate(panel_, "http://other.example/a.html", 2, "_self", "X-Korvel: 1\r\n");
    ASSERT_FALSE(recordedBrowserCalls().empty());
    EXPECT_EQ("Navigate http://other.example/a.html flags=VT_I4:2 frame=VT_BSTR:_self post=VT_EMPTY "
              "headers=VT_BSTR:X-Korvel: 1\r\n",
              recordedBrowserCalls().front());
}

// The control covers the panel's whole client area, inside the border that
// came after it; the panel paints nothing of its own.
TEST_F(WebPanelTest, ControlFillsThePanelWhichNeverErases) {
    load();
    HWND control = GetWindow(panel_, GW_CHILD);
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, GetWindowLongPtrA(control, GWL_STYLE) & (WS_CHILD | WS_VISIBLE));
    RECT client;
    GetClientRect(panel_, &client);
    EXPECT_EQ(462, client.right) << "the border takes one pixel a side";
    EXPECT_EQ(126, client.bottom);
    RECT covered;
    GetWindowRect(control, &covered);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&covered), 2);
    EXPECT_EQ(client.left, covered.left);
    EXPECT_EQ(client.top, covered.top);
    EXPECT_EQ(client.right, covered.right);
    EXPECT_EQ(client.bottom, covered.bottom);

    const MemoryPicture picture(4, 4);
    SetPixel(picture.dc(), 1, 1, RGB(1, 2, 3));
    const std::vector<COLORREF> before = picture.colours();
    EXPECT_NE(0, SendMessageA(panel_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture.dc()), 0));
    EXPECT_EQ(before, picture.colours());
}

// A thread outside any OLE apartment cannot have the control: the panel is
// not made, and neither is a window that needs it.
struct FailedLoad {
    HWND panel = reinterpret_cast<HWND>(1);
    HWND leftInParent = reinterpret_cast<HWND>(1);
    bool loaded = true;
    HWND mainAfter = reinterpret_cast<HWND>(1);
};

DWORD WINAPI loadWithoutOle(void* result) {
    auto& failed = *static_cast<FailedLoad*>(result);
    ScopedWindow parent(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 500, 200, nullptr, nullptr, nullptr, nullptr));
    failed.panel = createWebPanel(parent.get(), kWebPanel, RECT{7, 30, 471, 158});
    failed.leftInParent = GetWindow(parent.get(), GW_CHILD);
    failed.loaded = loadMainWindow(MainWindowEvents{nullptr, onCreated, nullptr, nullptr});
    failed.mainAfter = mainWindow();
    return 0;
}

TEST(WebPanelFailureTest, NoControlNoPanelNoWindow) {
    ASSERT_EQ(nullptr, mainWindow());
    ASSERT_TRUE(registerWebPanelClass(GetModuleHandleA(nullptr)));
    g_atCreated = AtCreated{};
    FailedLoad failed;
    ScopedHandle thread(CreateThread(nullptr, 0, loadWithoutOle, &failed, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), 20000));
    EXPECT_EQ(nullptr, failed.panel);
    EXPECT_EQ(nullptr, failed.leftInParent) << "what was made is destroyed";
    EXPECT_FALSE(failed.loaded);
    EXPECT_EQ(nullptr, failed.mainAfter);
    EXPECT_FALSE(g_atCreated.seen) << "a window that did not load raises no created event";
}

TEST(WebPanelDeathTest, NavigateWithoutAPanel) {
    ASSERT_EQ(nullptr, mainWindow());
    const char* gone = "fatalError 0 D6B8B6A8B4B0BFDABBF2B4B0BFDAD7E9BCFEB2BBB4E6D4DABBF2C9D0CEB4D4D8C8EB";
    EXPECT_EXIT(navigate(nullptr, kStartPageAddress), testing::ExitedWithCode(kFatalErrorExitCode), gone);
    EXPECT_EXIT(onWindowCreated(), testing::ExitedWithCode(kFatalErrorExitCode), gone);
    ScopedWindow notAPanel(
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EXIT(navigate(notAPanel.get(), kStartPageAddress), testing::ExitedWithCode(kFatalErrorExitCode), gone);
}

}  // namespace
