#include "run_control.h"

#include <cstring>

#include "fatal_error.h"
#include "layout.h"
#include "lead_bytes.h"
#include "line_list.h"
#include "main_window.h"
#include "memory.h"
#include "remove_lines.h"
#include "window_texts.h"

namespace {

// "无法找到指定DLL库文件中的输出命令“%s”"
constexpr char kMessageNoExportHead[] = "\xCE\xDE\xB7\xA8\xD5\xD2\xB5\xBD\xD6\xB8\xB6\xA8" "DLL\xBF\xE2\xCE\xC4\xBC\xFE"
                                        "\xD6\xD0\xB5\xC4\xCA\xE4\xB3\xF6\xC3\xFC\xC1\xEE\xA1\xB0";
constexpr char kMessageNoExportTail[] = "\xA1\xB1";

constexpr char kThreadStartName[] = "CreateThread";
// Searched in turn for the thread-start function; the first has it on every
// Windows system.
constexpr const char* kSystemLibraries[] = {"Kernel32.dll", "KernelBase.dll", "User32.dll", "Advapi32.dll"};

using ThreadStart = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);

// Bound at the first run and kept until the program ends. Only the
// user-interface thread starts runs, so only it touches these.
HMODULE g_threadLibrary = nullptr;
ThreadStart g_threadStart = nullptr;

ThreadStart bindThreadStart() {
    if (g_threadStart) return g_threadStart;
    for (const char* name : kSystemLibraries) {
        HMODULE library = LoadLibraryA(name);
        if (!library) continue;
        if (auto found = reinterpret_cast<ThreadStart>(reinterpret_cast<void*>(GetProcAddress(library, kThreadStartName)))) {
            g_threadLibrary = library;
            g_threadStart = found;
            return found;
        }
        FreeLibrary(library);
    }
    char message[128];
    std::strcpy(message, kMessageNoExportHead);
    std::strcat(message, kThreadStartName);
    std::strcat(message, kMessageNoExportTail);
    fatalError(0, message);
}

// The handle is of no use to anyone: the run is never waited for.
HANDLE startThread(LPTHREAD_START_ROUTINE entry, void* parameter) {
    DWORD threadId = 0;
    return bindThreadStart()(nullptr, 0, entry, parameter, 0, &threadId);
}

bool mainWindowExists() {
    HWND main = mainWindow();
    return main && IsWindow(main);
}

DWORD WINAPI runRemoval(void*) {
    const LeadByteTable leadBytes = activeCodePageLeadBytes();
    LineList original;
    {
        const OwnedBytes text = readText(kOriginalBox);
        original = splitLines(text.get(), leadBytes);
    }
    LineList removal;
    {
        const OwnedBytes text = readText(kRemovalBox);
        removal = splitLines(text.get(), leadBytes);
    }
    removeLines(original, removal, [](const char* piece, std::size_t) { appendText(piece); });
    setDisabled(kStartButton, false);
    return 0;
}

}  // namespace

OwnedBytes readText(int controlId) {
    if (!mainWindowExists()) fatalError(0, kMessageWindowNotLoaded);
    HWND control = controlOf(controlId);
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return nullptr;
    OwnedBytes text = allocateOwnedBytes(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(control, text.get(), length + 1);
    if (copied <= 0) return nullptr;
    text[copied] = '\0';
    return text;
}

void appendText(const char* piece) {
    if (!mainWindowExists()) fatalError(0, kMessageControlNotLoaded);
    SendMessageA(mainWindow(), kAppendToResultMessage, 0, reinterpret_cast<LPARAM>(piece ? piece : ""));
}

void setDisabled(int controlId, bool disabled) {
    if (HWND control = controlOf(controlId)) EnableWindow(control, disabled ? FALSE : TRUE);
}

LeadByteTable activeCodePageLeadBytes() {
    LeadByteTable table;
    const UINT codePage = GetACP();
    for (int byte = 0x80; byte < 256; ++byte) {
        table.isLead[byte] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE;
    }
    return table;
}

void onStartClicked() {
    setDisabled(kStartButton, true);
    startThread(runRemoval, nullptr);
}

void appendAtEnd(HWND editBox, const char* text) {
    // A position past the end is taken as the end: no need to measure the text.
    constexpr WPARAM kPastTheEnd = 0x7FFFFFFF;
    SendMessageA(editBox, EM_SETSEL, kPastTheEnd, kPastTheEnd);
    SendMessageA(editBox, EM_SCROLLCARET, 0, 0);
    SendMessageA(editBox, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void releaseThreadLibrary() {
    if (g_threadLibrary) FreeLibrary(g_threadLibrary);
    g_threadLibrary = nullptr;
    g_threadStart = nullptr;
}
