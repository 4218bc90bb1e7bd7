#include "line_scanner.h"

#include <bit>
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

constexpr std::uint64_t everyByte(unsigned char byte) { return 0x0101010101010101ull * byte; }

// The bulk search: the breaks from `lineStart` on, stored in `breaks` up to
// `capacity` of them, with `lineStart` moved past each. Eight bytes at a time,
// since short lines would spend more on a memchr call each than on the search.
// When lead bytes matter it stops at the first word holding a high byte
// (setting `sawHighByte`): from there only a walk by characters is exact.
class FastSearch {
public:
    FastSearch(const unsigned char* bytes, LineBreak style, bool stopAtHighByte, std::size_t* breaks,
               std::size_t capacity)
        : bytes_(bytes), style_(style), stopAtHighByte_(stopAtHighByte), breaks_(breaks), capacity_(capacity) {}

    std::size_t count = 0;
    bool sawHighByte = false;

    void run(std::size_t& lineStart, std::size_t end) {
        std::size_t at = lineStart;
        if constexpr (std::endian::native == std::endian::little) {
            for (; end - at >= 8; at += 8) {
                std::uint64_t word;
                std::memcpy(&word, bytes_ + at, 8);
                if (stopAtHighByte_ && (word & everyByte(0x80))) {
                    sawHighByte = true;
                    return;
                }
                // The top bit of each byte that is an LF, exactly: no carry
                // crosses from one byte into the next.
                const std::uint64_t x = word ^ everyByte(kLf);
                std::uint64_t lfs = ~(((x & everyByte(0x7F)) + everyByte(0x7F)) | x | everyByte(0x7F));
                for (; lfs; lfs &= lfs - 1) {
                    if (!take(at + static_cast<std::size_t>(std::countr_zero(lfs)) / 8, lineStart)) return;
                }
            }
        }
        for (; at < end; ++at) {
            if (stopAtHighByte_ && (bytes_[at] & 0x80)) {
                sawHighByte = true;
                return;
            }
            if (bytes_[at] == kLf && !take(at, lineStart)) return;
        }
    }

private:
    // Records the break an LF ends, if any; false once the capacity is used up.
    bool take(std::size_t lf, std::size_t& lineStart) {
        std::size_t breakAt = lf;
        if (style_ == LineBreak::crLf) {
            // A pair's CR stands inside the current line; an LF alone is text.
            if (lf == lineStart || bytes_[lf - 1] != kCr) return true;
            breakAt = lf - 1;
        }
        breaks_[count++] = breakAt;
        lineStart = lf + 1;
        return count < capacity_;
    }

    const unsigned char* bytes_;
    LineBreak style_;
    bool stopAtHighByte_;
    std::size_t* breaks_;
    std::size_t capacity_;
};

}  // namespace

std::size_t findLineBreaks(const unsigned char* bytes, std::size_t lineStart, std::size_t end,
                           const LineScanner& scanner, std::size_t* breaks, std::size_t capacity) {
    std::size_t count = 0;
    while (count < capacity && lineStart < end) {
        FastSearch search(bytes, scanner.style, scanner.anyLeadByte, breaks + count, capacity - count);
        search.run(lineStart, end);
        count += search.count;
        if (!search.sawHighByte || count == capacity) break;
        // The line holding the high byte, character by character; then the
        // fast search again from the next line.
        const std::size_t found = findLineBreak(bytes, lineStart, end, scanner);
        if (found == kNoLineBreak) break;
        breaks[count++] = found;
        lineStart = found + lineBreakLength(scanner.style);
    }
    return count;
}

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
