// The program's life as a whole process: it starts from any folder, shows its
// window, ends with 0 when closed, and after a fatal error shows the error box
// and ends with -1 once the box is confirmed, whichever thread failed.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fatal_error_box.h"
#include "probe_protocol.h"
#include "support/visible_bytes.h"

namespace {

std::string programPath;  // the real program
std::string probePath;    // the same code with the tests' handlers

constexpr DWORD kWaitBound = 30000;  // milliseconds, for every wait on a child
constexpr DWORD kPollStep = 25;
constexpr DWORD kFatalExitCode = 4294967295u;

constexpr char kMainClass[] = "KorvelSievraMain";
constexpr char kMainTitle[] = "KorvelSievraV3";
constexpr char kDialogClass[] = "#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

// The box's texts, spelled out apart from the code that composes them.
constexpr char kCaption[] = "\xB4\xED\xCE\xF3";                                      // "错误"
constexpr char kHeading[] = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n";      // "运行时出错!"
constexpr char kCodeLabel[] = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";            // "错误代码："
constexpr char kMessageLabel[] = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";         // "错误信息："


// Under Wine the paths arrive as Linux paths; Wine maps / to Z:.
std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
    return path;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string readFile(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string classOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A fresh folder under the system's temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        static int made = 0;
        char base[MAX_PATH + 1] = {};
        GetTempPathA(sizeof base, base);
        path_ = std::string(base) + "korvel-lifecycle-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++made);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// A window program started in a given folder, with some variables added to
// its environment; killed if a test leaves it running.
class WindowProgram {
public:
    WindowProgram(const std::string& program, const std::string& folder, const Environment& environment) {
        for (const auto& [name, value] : environment) SetEnvironmentVariableA(name.c_str(), value.c_str());
        std::string commandLine = "\"" + program + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                           &startup, &started)) {
            CloseHandle(started.hThread);
            process_ = started.hProcess;
            id_ = started.dwProcessId;
        } else {
            startError_ = "starting " + program + " failed, error " + std::to_string(GetLastError());
        }
        for (const auto& [name, value] : environment) SetEnvironmentVariableA(name.c_str(), nullptr);
    }
    ~WindowProgram() {
        if (!process_) return;
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 255);
            WaitForSingleObject(process_, kWaitBound);
        }
        CloseHandle(process_);
    }
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    const std::string& startError() const { return startError_; }

    // A top-level window of this process of class `className` for which
    // `ready` holds, polled for until the bound passes or the process ends;
    // null then.
    template <typename Ready>
    HWND waitForWindow(const char* className, Ready ready) {
        const ULONGLONG deadline = GetTickCount64() + kWaitBound;
        for (;;) {
            if (HWND window = findWindow(className); window && ready(window)) return window;
            if (GetTickCount64() >= deadline) return nullptr;
            // Waiting on the process doubles as the pause between looks.
            if (WaitForSingleObject(process_, kPollStep) == WAIT_OBJECT_0) return nullptr;
        }
    }
    HWND waitForWindow(const char* className) {
        return waitForWindow(className, [](HWND) { return true; });
    }

    bool ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

    // The exit code, once the process ends within the bound.
    bool waitForExit(DWORD& exitCode) {
        if (WaitForSingleObject(process_, kWaitBound) != WAIT_OBJECT_0) return false;
        return GetExitCodeProcess(process_, &exitCode) != FALSE;
    }

private:
    struct Search {
        DWORD processId;
        const char* className;
        HWND found;
    };

    static BOOL CALLBACK visit(HWND window, LPARAM context) {
        auto& search = *reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search.processId || classOf(window) != search.className) return TRUE;
        search.found = window;
        return FALSE;
    }

    HWND findWindow(const char* className) const {
        Search search{id_, className, nullptr};
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::string startError_;
};

bool isVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

// Closes the main window as its close box does and expects a clean end.
void closeAndExpectExitCode0(WindowProgram& program, HWND main) {
    ASSERT_TRUE(PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0));
    DWORD exitCode = 0;
    ASSERT_TRUE(program.waitForExit(exitCode)) << "still running " << kWaitBound << " ms after the close";
    EXPECT_EQ(0u, exitCode);
}

TEST(LifeCycle, ShowsItsWindowFromAnyFolderAndEndsWith0WhenClosed) {
    TempFolder elsewhere;
    WindowProgram program(programPath, elsewhere.path(), {});
    ASSERT_EQ("", program.startError());

    HWND main = program.waitForWindow(kMainClass, isVisible);
    ASSERT_TRUE(main) << "no visible main window within " << kWaitBound << " ms; ended: " << program.ended();
    EXPECT_EQ(kMainTitle, windowText(main));
    closeAndExpectExitCode0(program, main);
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Clicks the Start button of another process's window; the click's handler
// has run by the time this returns.
void clickStartButton(HWND main) {
    HWND button = FindWindowExA(main, nullptr, "Button", nullptr);
    ASSERT_TRUE(button) << "no Start button";
    DWORD_PTR answer = 0;
    ASSERT_NE(0, SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWaitBound, &answer));
}

TEST(LifeCycle, WorksInItsOwnFolderAndHandlesClicks) {
    TempFolder elsewhere;
    const std::string report = elsewhere.path() + "\\folder.txt";
    const std::string clicked = elsewhere.path() + "\\clicked.txt";
    WindowProgram probe(probePath, elsewhere.path(),
                        {{kProbeFolderFileVariable, report}, {kProbeClickFileVariable, clicked}});
    ASSERT_EQ("", probe.startError());

    // The report is written by the created event, before the window shows.
    HWND main = probe.waitForWindow(kMainClass, isVisible);
    ASSERT_TRUE(main) << "no visible main window within " << kWaitBound << " ms; ended: " << probe.ended();
    EXPECT_EQ(folderOf(probePath), readFile(report));
    clickStartButton(main);
    EXPECT_TRUE(fileExists(clicked)) << "the click never reached its handler";
    closeAndExpectExitCode0(probe, main);
}

// Closing the window while a long run goes on ends the process at once with
// exit code 0: the background thread is neither waited for nor finished.
TEST(LifeCycle, ClosingDuringARunEndsWith0) {
    TempFolder elsewhere;
    WindowProgram program(programPath, elsewhere.path(), {});
    ASSERT_EQ("", program.startError());
    HWND main = program.waitForWindow(kMainClass, isVisible);
    ASSERT_TRUE(main) << "no visible main window within " << kWaitBound << " ms; ended: " << program.ended();

    std::string original;
    for (int i = 0; i < 40000; ++i) original += std::to_string(10000000 + i) + "\r\n";
    HWND originalBox = GetDlgItem(main, 1);
    HWND resultBox = GetDlgItem(main, 3);
    ASSERT_TRUE(originalBox && resultBox);
    DWORD_PTR answer = 0;
    ASSERT_NE(0, SendMessageTimeoutA(originalBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(original.c_str()),
                                     SMTO_ABORTIFHUNG, kWaitBound, &answer));
    clickStartButton(main);

    // The run is under way once the first pieces are in.
    const ULONGLONG deadline = GetTickCount64() + kWaitBound;
    DWORD_PTR length = 0;
    while (GetTickCount64() < deadline &&
           SendMessageTimeoutA(resultBox, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitBound, &length) && length == 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);  // the pause between looks
    }
    ASSERT_GT(length, 0u) << "the run never started";
    HWND button = FindWindowExA(main, nullptr, "Button", nullptr);
    EXPECT_FALSE(IsWindowEnabled(button)) << "the run is already over: make it longer";
    closeAndExpectExitCode0(program, main);
}

std::string expectedBoxText(int code, const std::string& message) {
    std::string text = kHeading;
    if (code != 0) text += kCodeLabel + std::to_string(code) + "\r\n\r\n";
    if (!message.empty()) text += kMessageLabel + message + "\r\n";
    return text;
}

struct FatalCase {
    const char* name;
    const char* where;  // the probe's kProbeFatalVariable
    int code;
    const char* message;
};

void PrintTo(const FatalCase& c, std::ostream* out) { *out << c.name; }

class FatalErrorBox : public testing::TestWithParam<FatalCase> {};

TEST_P(FatalErrorBox, ShowsTheErrorAndEndsWithMinus1OnceConfirmed) {
    const FatalCase& c = GetParam();
    TempFolder elsewhere;
    const std::string clicked = elsewhere.path() + "\\clicked.txt";
    WindowProgram probe(probePath, elsewhere.path(), {{kProbeFatalVariable, c.where}, {kProbeClickFileVariable, clicked}});
    ASSERT_EQ("", probe.startError());

    HWND box = probe.waitForWindow(kDialogClass, isVisible);
    ASSERT_TRUE(box) << "no error box within " << kWaitBound << " ms; ended: " << probe.ended();
    EXPECT_EQ(visibleBytes(kCaption), visibleBytes(windowText(box)));
    char text[2048] = {};
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    EXPECT_EQ(visibleBytes(expectedBoxText(c.code, c.message)), visibleBytes(text));

    // The box has no owner, so it disables nothing: the main window, shown
    // before the failure, stays enabled and answers while the box waits.
    EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
    HWND main = probe.waitForWindow(kMainClass, isVisible);
    ASSERT_TRUE(main) << "no visible main window beside the box";
    EXPECT_TRUE(IsWindowEnabled(main));
    DWORD_PTR answer = 0;
    EXPECT_NE(0, SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitBound, &answer));
    // From the failure on, no event reaches a handler.
    clickStartButton(main);
    EXPECT_FALSE(fileExists(clicked)) << "a click reached its handler after the fatal error";
    EXPECT_FALSE(probe.ended()) << "ended before the box was confirmed";

    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_TRUE(ok) << "the box has no OK button";
    ASSERT_TRUE(PostMessageA(ok, BM_CLICK, 0, 0));
    DWORD exitCode = 0;
    ASSERT_TRUE(probe.waitForExit(exitCode)) << "still running " << kWaitBound << " ms after OK";
    EXPECT_EQ(kFatalExitCode, exitCode);
}

// A window that cannot be built is never shown, and start-up ends through
// the error box.
TEST(LifeCycle, AWindowThatCannotBeBuiltEndsStartUpWithTheErrorBox) {
    TempFolder elsewhere;
    WindowProgram probe(probePath, elsewhere.path(), {{kProbeBreakLabelsVariable, "1"}});
    ASSERT_EQ("", probe.startError());

    HWND box = probe.waitForWindow(kDialogClass, isVisible);
    ASSERT_TRUE(box) << "no error box within " << kWaitBound << " ms; ended: " << probe.ended();
    char text[2048] = {};
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    // "载入启动窗口失败"
    EXPECT_EQ(visibleBytes(expectedBoxText(0, "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC")),
              visibleBytes(text));
    // No other program of ours runs meanwhile, so any such window would be the probe's.
    HWND main = FindWindowA(kMainClass, nullptr);
    EXPECT_TRUE(main == nullptr || !IsWindowVisible(main)) << "the broken window was shown";

    ASSERT_TRUE(PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0));
    DWORD exitCode = 0;
    ASSERT_TRUE(probe.waitForExit(exitCode)) << "still running " << kWaitBound << " ms after OK";
    EXPECT_EQ(kFatalExitCode, exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Threads, FatalErrorBox,
    testing::Values(FatalCase{"BackgroundThreadWithCodeAndMessage", "thread", kProbeThreadErrorCode,
                              kProbeThreadErrorMessage},
                    FatalCase{"UserInterfaceThreadWithNeither", "ui", 0, ""}),
    [](const testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

TEST(FatalErrorText, Composition) {
    const std::string heading = kHeading;
    const std::string codeLine = std::string(kCodeLabel) + "7\r\n\r\n";
    const struct {
        int code;
        const char* message;
        std::string expected;
    } cases[] = {
        {0, nullptr, heading},
        {0, "", heading},
        {7, nullptr, heading + codeLine},
        {7, "", heading + codeLine},
        {0, "\xC4\xDA\xB4\xE6", heading + kMessageLabel + "\xC4\xDA\xB4\xE6\r\n"},  // "内存"
        {7, kProbeThreadErrorMessage, heading + codeLine + kMessageLabel + kProbeThreadErrorMessage + "\r\n"},
        {-1, nullptr, heading + kCodeLabel + "-1\r\n\r\n"},
        {-2147483647 - 1, "x", heading + kCodeLabel + "-2147483648\r\n\r\n" + kMessageLabel + "x\r\n"},
        {2147483647, nullptr, heading + kCodeLabel + "2147483647\r\n\r\n"},
    };
    for (const auto& c : cases) {
        char out[256];
        composeFatalErrorText(c.code, c.message, out, sizeof out);
        EXPECT_EQ(visibleBytes(c.expected), visibleBytes(out)) << "code " << c.code << ", message "
                                                     << (c.message ? visibleBytes(c.message) : "null");
    }
}

// A buffer too small keeps a NUL-terminated start of the text and writes
// nothing past its end.
TEST(FatalErrorText, CutToCapacity) {
    const std::string full = expectedBoxText(7, "abc");
    for (const std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{5}, full.size(),
                                       full.size() + 1}) {
        constexpr char kGuard = '\x5A';
        std::vector<char> buffer(capacity + 8, kGuard);
        composeFatalErrorText(7, "abc", buffer.data(), capacity);
        const std::size_t kept = capacity == 0 ? 0 : std::min(capacity - 1, full.size());
        if (capacity > 0) {
            EXPECT_EQ(visibleBytes(full.substr(0, kept)), visibleBytes(std::string(buffer.data())))
                << "capacity " << capacity;
        }
        for (std::size_t at = capacity; at < buffer.size(); ++at) {
            EXPECT_EQ(kGuard, buffer[at]) << "byte " << at << " written, capacity " << capacity;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lifecycle_tests [GoogleTest options] PROGRAM PROBE\n");
        return 2;
    }
    programPath = windowsPath(argv[1]);
    probePath = windowsPath(argv[2]);
    return RUN_ALL_TESTS();
}
