#include "line_list.h"

#include <cstring>

#include "fatal_error.h"
#include "line_scanner.h"
#include "messages.h"

const char* LineList::line(std::int64_t number) const {
    if (number < 1) fatalError(kCodeIndexBelowOne, kMessageIndexBelowOne);
    if (static_cast<std::uint64_t>(number) > lines_.size()) {
        fatalError(kCodeIndexAboveCount, kMessageIndexAboveCount);
    }
    return lines_[static_cast<std::size_t>(number - 1)].bytes;
}

LineList splitLines(const char* text, const LeadByteTable& leadBytes) {
    LineList list;
    const std::size_t length = text ? std::strlen(text) : 0;
    if (length == 0) return list;

    list.storage_ = allocateOwnedBytes(length + 1);
    char* const copy = list.storage_.get();
    std::memcpy(copy, text, length + 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(copy);

    const LineScanner scanner(leadBytes, LineBreak::crLf);
    auto addLine = [&](std::size_t start, std::size_t end) {
        if (end == start) {
            list.lines_.push_back({nullptr, 0});
        } else {
            copy[end] = '\0';
            list.lines_.push_back({copy + start, end - start});
        }
    };

    constexpr std::size_t kBreaksAtOnce = 1024;
    std::size_t breaks[kBreaksAtOnce];
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t found = findLineBreaks(bytes, lineStart, length, scanner, breaks, kBreaksAtOnce);
        for (std::size_t k = 0; k < found; ++k) {
            addLine(lineStart, breaks[k]);
            lineStart = breaks[k] + 2;
        }
        if (found < kBreaksAtOnce) break;
    }
    // A break at the very end closes the line before it and opens none.
    if (lineStart < length) addLine(lineStart, length);
    return list;
}
