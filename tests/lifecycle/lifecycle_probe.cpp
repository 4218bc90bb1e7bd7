// The program's start-up, loop and ends, run with handlers of the tests' own:
// what the created event should do comes from the environment (see
// probe_protocol.h).

#include <windows.h>

#include <cstring>

#include "fatal_error.h"
#include "probe_protocol.h"
#include "program.h"

namespace {

HANDLE g_windowShown = nullptr;
bool g_failOnUserInterfaceThread = false;

void writeCurrentFolder(const char* path) {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, folder, length, &written, nullptr);
    CloseHandle(file);
}

DWORD WINAPI failFromBackgroundThread(void*) {
    WaitForSingleObject(g_windowShown, INFINITE);
    fatalError(kProbeThreadErrorCode, kProbeThreadErrorMessage);
}

// A thread timer first fires from the message loop, so the window is shown by then.
void CALLBACK onLoopRunning(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (g_failOnUserInterfaceThread) fatalError(0, "");
    SetEvent(g_windowShown);
}

void onWindowCreated() {
    char value[MAX_PATH + 1] = {};
    const DWORD folderFile = GetEnvironmentVariableA(kProbeFolderFileVariable, value, sizeof value);
    if (folderFile > 0 && folderFile < sizeof value) writeCurrentFolder(value);

    char fatal[16] = {};
    const DWORD fatalLength = GetEnvironmentVariableA(kProbeFatalVariable, fatal, sizeof fatal);
    if (fatalLength == 0 || fatalLength >= sizeof fatal) return;
    if (std::strcmp(fatal, "thread") == 0) {
        g_windowShown = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, failFromBackgroundThread, nullptr, 0, nullptr);
        if (thread) CloseHandle(thread);
        SetTimer(nullptr, 0, 0, onLoopRunning);
    } else if (std::strcmp(fatal, "ui") == 0) {
        g_failOnUserInterfaceThread = true;
        SetTimer(nullptr, 0, 0, onLoopRunning);
    }
}

void onStartClicked() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableA(kProbeClickFileVariable, path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

LRESULT CALLBACK refuseEveryWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return FALSE;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Takes the labels' class name first, so making a label fails.
void breakLabels() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = refuseEveryWindow;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KorvelSievraLabel";
    RegisterClassExA(&windowClass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (GetEnvironmentVariableA(kProbeBreakLabelsVariable, nullptr, 0) > 0) breakLabels();
    const int exitCode = programMain(ProgramHandlers{onWindowCreated, onStartClicked});
    cleanUpOnce();
    return exitCode;
}
