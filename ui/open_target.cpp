#include "open_target.h"

#include <windows.h>

#include <array>
#include <cstring>

#include "open_command.h"
#include "run_control.h"
#include "scoped_win.h"

namespace {

// A registered name or command: 259 bytes and a NUL.
using RegisteredText = std::array<char, 260>;

constexpr char kCommandSuffix[] = "\\shell\\open\\command";

// The default value of HKEY_CLASSES_ROOT\`path`, when it is text that fits.
// RegQueryValueA reads a value of any type as bytes and an absent one as
// empty, so the type is asked first: only REG_SZ counts, and an empty text
// names nothing.
bool readRegisteredText(const char* path, RegisteredText& out) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    const ScopedKey key(opened);
    DWORD type = REG_NONE;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS || type != REG_SZ) {
        return false;
    }
    LONG size = static_cast<LONG>(out.size());
    // Longer than the buffer: ERROR_MORE_DATA, refused rather than cut.
    if (RegQueryValueA(key.get(), nullptr, out.data(), &size) != ERROR_SUCCESS) return false;
    const auto read = static_cast<std::size_t>(size);
    if (read == 0 || read > out.size()) return false;
    // A value stored without its NUL still has to end inside the buffer.
    if (std::memchr(out.data(), '\0', read) == nullptr) {
        if (read == out.size()) return false;
        out[read] = '\0';
    }
    return out[0] != '\0';
}

}  // namespace

bool openWithHtmlProgram(const char* address, int showCommand) {
    if (address == nullptr || *address == '\0') return false;
    RegisteredText className;
    if (!readRegisteredText(".htm", className)) return false;

    std::array<char, sizeof(RegisteredText) + sizeof kCommandSuffix> commandKey;
    const std::size_t classLength = std::strlen(className.data());
    std::memcpy(commandKey.data(), className.data(), classLength);
    std::memcpy(commandKey.data() + classLength, kCommandSuffix, sizeof kCommandSuffix);
    RegisteredText registered;
    if (!readRegisteredText(commandKey.data(), registered)) return false;

    char commandLine[kOpenCommandCapacity];
    if (!buildOpenCommand(registered.data(), address, activeCodePageLeadBytes(), commandLine, sizeof commandLine)) {
        return false;
    }
    return WinExec(commandLine, static_cast<UINT>(showCommand)) > 32;
}

bool openTarget(const char* address, int showCommand) {
    if (address == nullptr || *address == '\0') return false;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, showCommand));
    if (result > 32) return true;
    return openWithHtmlProgram(address, showCommand);
}
