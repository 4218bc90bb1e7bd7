#include "program_folder.h"

std::size_t programFolderLength(const char* path, bool (*isLeadByte)(unsigned char)) {
    std::size_t lastBackslash = static_cast<std::size_t>(-1);
    for (std::size_t at = 0; path[at] != '\0';) {
        const auto byte = static_cast<unsigned char>(path[at]);
        if (byte == '\\') lastBackslash = at;
        at += isLeadByte(byte) && path[at + 1] != '\0' ? 2 : 1;
    }
    if (lastBackslash == static_cast<std::size_t>(-1)) return 0;
    if (lastBackslash == 2 && path[1] == ':') return 3;  // "C:\"
    return lastBackslash;
}

