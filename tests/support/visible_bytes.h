#pragma once

#include <cstdio>
#include <string>

// Bytes with CR, LF and everything outside printable ASCII spelled out, so a
// failure message shows exactly which bytes differ.
inline std::string visibleBytes(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "<CR>";
        } else if (c == '\n') {
            out += "<LF>";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return "\"" + out + "\"";
}
