// Stands in for a browser in the tests: appends its own command line, as one
// line, to the file named by KORVEL_RECORD_FILE, and ends.
#include <windows.h>

#include <string>

#include "scoped_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("KORVEL_RECORD_FILE", path, sizeof path);
    if (length == 0 || length >= sizeof path) return 1;
    HANDLE opened = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 1;
    const ScopedHandle file(opened);
    // One write, so launches running at once never mix their lines.
    const std::string line = std::string(GetCommandLineA()) + "\n";
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return written == line.size() ? 0 : 1;
}
