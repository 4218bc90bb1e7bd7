#include "program.h"

#include <ole2.h>

#include "fatal_error.h"
#include "program_folder.h"
#include "ui/main_window.h"
#include "ui/run_control.h"
#include "ui/site_link.h"

namespace {

// "载入启动窗口失败"
constexpr char kMessageLoadFailed[] = "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC";

constexpr char kEndRequestClassName[] = "KorvelSievraEndRequest";
// Sent by another thread after a fatal error: the user-interface thread ends
// the process inside its handling, so the sender never goes on.
constexpr UINT kEndRequest = WM_APP + 1;

ProgramState g_program;
ProgramHandlers g_handlers{};
HWND g_endRequestWindow = nullptr;

// The program's handlers run on the user-interface thread only, and only
// while nothing blocks them.
void dispatch(void (*handler)()) {
    if (!handler || g_program.handlersBlocked.load() != 0) return;
    if (GetCurrentThreadId() != g_program.userInterfaceThread) return;
    handler();
}

void raiseWindowCreated() { dispatch(g_handlers.onWindowCreated); }
void raiseStartClicked() { dispatch(g_handlers.onStartClicked); }
void onControlsReady() { --g_program.handlersBlocked; }
void onMainWindowDestroyed() {
    if (g_program.loopEntered) PostQuitMessage(0);
}

LRESULT CALLBACK endRequestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEndRequest) {
        if (g_program.ending.load()) return 0;  // already on its way out: the sender ends itself
        cleanUpOnce();
        ExitProcess(static_cast<UINT>(wParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden, message-only window of the user-interface thread, there to take
// the end request of another thread.
void createEndRequestWindow() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = endRequestProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kEndRequestClassName;
    RegisterClassExA(&windowClass);
    g_endRequestWindow = CreateWindowExA(0, kEndRequestClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleA(nullptr), nullptr);
}

bool isSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

void enterProgramFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    path[programFolderLength(path, isSystemLeadByte)] = '\0';
    SetCurrentDirectoryA(path);
}

int runMessageLoop() {
    g_program.loopEntered = true;
    if (!mainWindow()) return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (handleWindowKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

ProgramState& programState() { return g_program; }

int programMain(const ProgramHandlers& handlers) {
    g_program.userInterfaceThread = GetCurrentThreadId();
    g_handlers = handlers;
    // The process heap serves every allocation (see process_heap.cpp).
    g_program.oleInitialised = OleInitialize(nullptr) == S_OK;
    enterProgramFolder();
    createEndRequestWindow();

    ++g_program.handlersBlocked;  // nothing reaches a handler while the window is built
    const MainWindowEvents events{onControlsReady, raiseWindowCreated, raiseStartClicked, onMainWindowDestroyed};
    if (!loadMainWindow(events)) fatalError(0, kMessageLoadFailed);
    return runMessageLoop();
}

void cleanUpOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    g_program.ending = true;
    releaseThreadLibrary();
    destroyProgramIcons();
    destroySiteLinkCursor();
    if (g_program.oleInitialised) {
        g_program.oleInitialised = false;
        OleUninitialize();
    }
}

void endAfterFatalError() {
    constexpr UINT kFatalExitCode = static_cast<UINT>(-1);
    if (g_program.userInterfaceThread == 0 || GetCurrentThreadId() == g_program.userInterfaceThread) {
        cleanUpOnce();
        ExitProcess(kFatalExitCode);
    }
    if (g_endRequestWindow) SendMessageA(g_endRequestWindow, kEndRequest, kFatalExitCode, 0);
    // The user-interface thread is already ending: end here, without clean-up.
    ExitProcess(kFatalExitCode);
}
