#include "filter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;

// One pass the compiler vectorises: a memchr call per line costs more on short lines.
std::size_t countByte(const char* bytes, std::size_t length, char wanted) {
    return static_cast<std::size_t>(std::count(bytes, bytes + length, wanted));
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
    static constexpr std::size_t kCapacity = std::size_t{1} << 16;
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
    // Added a batch at a time, so the index can overlap the batch's look-ups.
    constexpr std::size_t kBatch = 1024;
    std::size_t breaks[kBatch];
    LineView batch[kBatch];
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t found = findLineBreaks(unsignedText, lineStart, length, scanner, breaks, kBatch);
        for (std::size_t k = 0; k < found; ++k) {
            batch[k] = {text + lineStart, breaks[k] - lineStart};
            lineStart = breaks[k] + breakLength;
        }
        index_.add(batch, found);
        if (found > 0) traits_.hasLineBreak = true;
        if (found < kBatch) break;
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
    std::vector<unsigned char, CoreAllocator<unsigned char>> inList;  // per line: 1 when removed
    constexpr std::size_t kBreaksAtOnce = 1024;
    std::size_t breaks[kBreaksAtOnce];

    auto finish = [&](FilterOutcome outcome) {
        report.outcome = outcome;
        if (outcome != FilterOutcome::writeFailed && !output.flush()) report.outcome = FilterOutcome::writeFailed;
        return report;
    };

    // Decides `lines` and writes the kept ones. Every line passed here exists,
    // so it settles the break owed by the kept line before it. The lines lie
    // one after another in the buffer, each but the last followed by its
    // break, so a run of kept lines goes out as one copy, breaks and all.
    auto emitLines = [&]() -> bool {
        const std::size_t count = lines.size();
        if (count == 0) return true;
        inList.resize(count);
        removal.index().containsEach(lines.data(), count, inList.data());
        if (breakPending && !output.append(lineBreak, breakLength)) return false;
        const char* run = nullptr;  // the first line of the current run of kept lines
        for (std::size_t k = 0; k < count; ++k) {
            if (!inList[k]) {
                if (!run) run = lines[k].bytes;
            } else if (run) {
                if (!output.append(run, static_cast<std::size_t>(lines[k].bytes - run))) return false;
                run = nullptr;
            }
        }
        // The last line's break waits until a line after it turns up.
        breakPending = run != nullptr;
        return !run || output.append(run, static_cast<std::size_t>(lines[count - 1].bytes + lines[count - 1].length - run));
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
            const std::size_t found = findLineBreaks(bytes, lineStart, held, scanner, breaks, kBreaksAtOnce);
            for (std::size_t k = 0; k < found; ++k) {
                lines.push_back({buffer.get() + lineStart, breaks[k] - lineStart});
                lineStart = breaks[k] + breakLength;
            }
            if (found < kBreaksAtOnce) break;
        }
        if (!lines.empty()) traits.hasLineBreak = true;
        if (atEnd && lineStart < held) lines.push_back({buffer.get() + lineStart, held - lineStart});
        if (!emitLines()) return finish(FilterOutcome::writeFailed);
        // At the end, a break still owed belongs to the original's last line: dropped.
        if (atEnd) return finish(FilterOutcome::done);
        held -= lineStart;
        std::memmove(buffer.get(), buffer.get() + lineStart, held);
    }
}
