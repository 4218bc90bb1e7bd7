#include "filter.h"

#include <cstring>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;

std::size_t countByte(const char* bytes, std::size_t length, char wanted) {
    std::size_t count = 0;
    for (const char* at = bytes; (at = static_cast<const char*>(std::memchr(at, wanted, bytes + length - at)));
         ++at) {
        ++count;
    }
    return count;
}

const char* breakBytes(LineBreak style) { return style == LineBreak::crLf ? "\r\n" : "\n"; }

// Output gathered into large writes; `write` sees nothing until a flush.
class OutputBuffer {
public:
    explicit OutputBuffer(WriteAll write) : write_(write), bytes_(allocateOwnedBytes(kCapacity)) {}

    bool append(const char* bytes, std::size_t length) {
        if (length > kCapacity - used_) {
            if (!flush()) return false;
            if (length >= kCapacity) return write_(bytes, length);
        }
        std::memcpy(bytes_.get() + used_, bytes, length);
        used_ += length;
        return true;
    }

    bool flush() {
        if (used_ == 0) return true;
        const bool written = write_(bytes_.get(), used_);
        used_ = 0;
        return written;
    }

private:
    static constexpr std::size_t kCapacity = std::size_t{1} << 20;
    WriteAll write_;
    OwnedBytes bytes_;
    std::size_t used_ = 0;
};

}  // namespace

RemovalSet::RemovalSet(OwnedBytes bytes, std::size_t length, const FilterSettings& settings)
    : bytes_(std::move(bytes)),
      index_(countByte(bytes_.get(), length, '\n') + 1) {
    const char* text = bytes_.get();
    if (length >= kByteOrderMarkLength && std::memcmp(text, kByteOrderMark, kByteOrderMarkLength) == 0) {
        text += kByteOrderMarkLength;
        length -= kByteOrderMarkLength;
    }
    traits_.hasNul = std::memchr(text, '\0', length) != nullptr;
    if (traits_.hasNul) return;  // not text: the caller refuses it
    traits_.hasLf = std::memchr(text, '\n', length) != nullptr;

    const LineScanner scanner(*settings.leadBytes, settings.lineBreak);
    const std::size_t breakLength = lineBreakLength(settings.lineBreak);
    const auto* unsignedText = reinterpret_cast<const unsigned char*>(text);
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t lineBreak = findLineBreak(unsignedText, lineStart, length, scanner);
        if (lineBreak == kNoLineBreak) break;
        traits_.hasLineBreak = true;
        index_.add(text + lineStart, lineBreak - lineStart);
        lineStart = lineBreak + breakLength;
    }
    if (lineStart < length) index_.add(text + lineStart, length - lineStart);
}

FilterReport filterOriginal(ReadSome read, const RemovalSet& removal, const FilterSettings& settings,
                            WriteAll write, std::size_t chunkSize) {
    FilterReport report;
    TextTraits& traits = report.originalTraits;
    OutputBuffer output(write);
    const LineScanner scanner(*settings.leadBytes, settings.lineBreak);
    const std::size_t breakLength = lineBreakLength(settings.lineBreak);
    const char* const lineBreak = breakBytes(settings.lineBreak);

    std::size_t capacity = chunkSize < 4 ? 4 : chunkSize;
    OwnedBytes buffer = allocateOwnedBytes(capacity);
    std::size_t held = 0;            // bytes in the buffer: the unfinished line, then new input
    bool atStart = true;             // nothing of the original consumed yet
    bool breakPending = false;       // the last kept line still owes its line break
    std::vector<LineView, CoreAllocator<LineView>> lines;

    auto finish = [&](FilterOutcome outcome) {
        report.outcome = outcome;
        if (outcome != FilterOutcome::writeFailed && !output.flush()) report.outcome = FilterOutcome::writeFailed;
        return report;
    };

    // Decides lines[0..] and writes the kept ones. Every line passed here
    // exists, so it settles the break owed by the kept line before it.
    auto emitLines = [&]() -> bool {
        bool ok = true;
        decideLines(removal.index(), lines.data(), lines.size(), [&](std::size_t k, bool removed) {
            if (breakPending) {
                ok = ok && output.append(lineBreak, breakLength);
                breakPending = false;
            }
            if (removed) return;
            ok = ok && output.append(lines[k].bytes, lines[k].length);
            breakPending = true;
        });
        return ok;
    };

    for (;;) {
        if (held == capacity) {  // one line fills the whole buffer: make room
            OwnedBytes larger = allocateOwnedBytes(capacity * 2);
            std::memcpy(larger.get(), buffer.get(), held);
            buffer = std::move(larger);
            capacity *= 2;
        }
        // Before waiting for more input, hand out what is decided.
        if (!output.flush()) return finish(FilterOutcome::writeFailed);
        const long long got = read(buffer.get() + held, capacity - held);
        if (got < 0) return finish(FilterOutcome::readFailed);
        const bool atEnd = got == 0;
        char* const fresh = buffer.get() + held;
        if (std::memchr(fresh, '\0', static_cast<std::size_t>(got))) {
            traits.hasNul = true;
            return finish(FilterOutcome::notText);
        }
        if (!traits.hasLf && std::memchr(fresh, '\n', static_cast<std::size_t>(got))) traits.hasLf = true;
        held += static_cast<std::size_t>(got);

        std::size_t lineStart = 0;
        if (atStart) {
            // The byte-order mark goes through as it is and is not part of the
            // first line; wait until it can be told from a line's first bytes.
            const std::size_t compared = held < kByteOrderMarkLength ? held : kByteOrderMarkLength;
            const bool couldBeMark = std::memcmp(buffer.get(), kByteOrderMark, compared) == 0;
            if (couldBeMark && held < kByteOrderMarkLength && !atEnd) continue;
            if (couldBeMark && held >= kByteOrderMarkLength) {
                if (!output.append(kByteOrderMark, kByteOrderMarkLength)) return finish(FilterOutcome::writeFailed);
                lineStart = kByteOrderMarkLength;
            }
            atStart = false;
        }

        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
        lines.clear();
        for (;;) {
            const std::size_t found = findLineBreak(bytes, lineStart, held, scanner);
            if (found == kNoLineBreak) break;
            traits.hasLineBreak = true;
            lines.push_back({buffer.get() + lineStart, found - lineStart});
            lineStart = found + breakLength;
        }
        if (atEnd && lineStart < held) lines.push_back({buffer.get() + lineStart, held - lineStart});
        if (!emitLines()) return finish(FilterOutcome::writeFailed);
        // At the end, a break still owed belongs to the original's last line: dropped.
        if (atEnd) return finish(FilterOutcome::done);
        held -= lineStart;
        std::memmove(buffer.get(), buffer.get() + lineStart, held);
    }
}
