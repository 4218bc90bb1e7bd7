#include "line_scanner.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

bool hasHighByte(const unsigned char* from, const unsigned char* to) {
    while (to - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        if (word & 0x8080808080808080ull) return true;
        from += 8;
    }
    for (; from < to; ++from) {
        if (*from & 0x80) return true;
    }
    return false;
}

// Without lead bytes every position is a character boundary, so a plain
// search for LF finds the breaks.
std::size_t findBreakByteWise(const unsigned char* bytes, std::size_t start, std::size_t end,
                              LineBreak style) {
    if (style == LineBreak::lf) {
        const void* found = std::memchr(bytes + start, kLf, end - start);
        return found ? static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes)
                     : kNoLineBreak;
    }
    std::size_t from = start + 1;  // the LF of a pair stands at least one byte in
    while (from < end) {
        const void* found = std::memchr(bytes + from, kLf, end - from);
        if (!found) return kNoLineBreak;
        const std::size_t lf = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes);
        if (bytes[lf - 1] == kCr) return lf - 1;
        from = lf + 1;
    }
    return kNoLineBreak;
}

// One character at a time, as the lead bytes demand.
std::size_t findBreakCharacterWise(const unsigned char* bytes, std::size_t p, std::size_t end,
                                   const LineScanner& scanner) {
    const LeadByteTable& lead = *scanner.leadBytes;
    if (scanner.style == LineBreak::lf) {
        while (p < end) {
            const unsigned char byte = bytes[p];
            if (byte == kLf) return p;
            p += lead[byte] ? 2 : 1;
        }
        return kNoLineBreak;
    }
    while (p + 1 < end) {
        const unsigned char byte = bytes[p];
        if (byte == kCr && bytes[p + 1] == kLf) return p;
        p += lead[byte] ? 2 : 1;
    }
    return kNoLineBreak;
}

}  // namespace

std::size_t findLineBreak(const unsigned char* bytes, std::size_t lineStart, std::size_t end,
                          const LineScanner& scanner) {
    if (lineStart >= end) return kNoLineBreak;
    if (!scanner.anyLeadByte) return findBreakByteWise(bytes, lineStart, end, scanner.style);

    // Most lines hold no byte above 0x7F; for those, alignment is trivial and
    // the byte-wise search is exact. Look at the candidate break first and
    // fall back to the careful walk only when the line before it has high bytes.
    const std::size_t candidate = findBreakByteWise(bytes, lineStart, end, scanner.style);
    const std::size_t checkedUpTo = candidate == kNoLineBreak ? end : candidate;
    if (!hasHighByte(bytes + lineStart, bytes + checkedUpTo)) return candidate;
    return findBreakCharacterWise(bytes, lineStart, end, scanner);
}
