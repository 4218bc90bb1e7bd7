#include "open_command.h"

#include <cstring>

namespace {

constexpr char kQuotedPlaceholder[] = "\"%1\"";
constexpr std::size_t kQuotedPlaceholderLength = 4;

// Where the quoted placeholder starts, stepping over two-byte characters;
// the length of the text when there is none.
std::size_t findQuotedPlaceholder(const char* text, std::size_t length, const LeadByteTable& leadBytes) {
    for (std::size_t at = 0; at < length;) {
        if (length - at >= kQuotedPlaceholderLength && std::memcmp(text + at, kQuotedPlaceholder, kQuotedPlaceholderLength) == 0) {
            return at;
        }
        at += leadBytes[static_cast<unsigned char>(text[at])] ? 2 : 1;
    }
    return length;
}

}  // namespace

bool buildOpenCommand(const char* registeredCommand, const char* address, const LeadByteTable& leadBytes,
                      char* out, std::size_t capacity) {
    const std::size_t length = std::strlen(registeredCommand);
    std::size_t kept = findQuotedPlaceholder(registeredCommand, length, leadBytes);
    if (kept == length) {
        if (const char* plain = std::strstr(registeredCommand, "%1")) kept = static_cast<std::size_t>(plain - registeredCommand);
    }
    const std::size_t addressLength = std::strlen(address);
    if (kept + 1 + addressLength + 1 > capacity) return false;
    std::memcpy(out, registeredCommand, kept);
    out[kept] = ' ';
    std::memcpy(out + kept + 1, address, addressLength + 1);
    return true;
}
