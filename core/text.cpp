#include "text.h"

#include <cstring>

bool textEquals(const char* left, const char* right) {
    return std::strcmp(left ? left : "", right ? right : "") == 0;
}

OwnedBytes joinTexts(std::initializer_list<const char*> parts) {
    std::size_t total = 0;
    for (const char* part : parts) total += part ? std::strlen(part) : 0;
    OwnedBytes joined = allocateOwnedBytes(total + 1);
    char* at = joined.get();
    for (const char* part : parts) {
        if (!part) continue;
        const std::size_t length = std::strlen(part);
        std::memcpy(at, part, length);
        at += length;
    }
    *at = '\0';
    return joined;
}
