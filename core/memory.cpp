#include "memory.h"

#include <charconv>
#include <cstring>

#include "fatal_error.h"
#include "messages.h"

void formatAllocationFailure(std::size_t byteCount, char* out) {
    char* const end = out + kAllocationMessageCapacity - 1;
    const char* pattern = kMessageAllocationFailed;
    const char* hole = std::strstr(pattern, "%d");
    char* at = out;
    const std::size_t headLength = static_cast<std::size_t>(hole - pattern);
    std::memcpy(at, pattern, headLength);
    at += headLength;
    at = std::to_chars(at, end, byteCount).ptr;
    const char* tail = hole + 2;
    const std::size_t tailLength = std::strlen(tail);
    std::memcpy(at, tail, tailLength);
    at[tailLength] = '\0';
}
