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

    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t lineBreak = findLineBreak(bytes, lineStart, length, scanner);
        if (lineBreak == kNoLineBreak) break;
        addLine(lineStart, lineBreak);
        lineStart = lineBreak + 2;
    }
    // A break at the very end closes the line before it and opens none.
    if (lineStart < length) addLine(lineStart, length);
    return list;
}
