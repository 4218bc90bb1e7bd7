#pragma once

// The streaming form of the removal pass, for files of any size: the removal
// list is held in memory and indexed; the original streams through in chunks,
// each line decided and written as soon as its end is seen. The bytes written
// are exactly the pieces the removal pass would hand out for the whole
// original, concatenated.
//
// The one piece of look-ahead: a kept line's break is written only once the
// next line is known to exist, because the original's last line never carries
// one ("a\r\nb\r\n" minus nothing gives "a\r\nb").

#include <cstddef>
#include <vector>

#include "function_ref.h"
#include "line_scanner.h"
#include "memory.h"
#include "removal_index.h"

struct FilterSettings {
    const LeadByteTable* leadBytes;
    LineBreak lineBreak = LineBreak::crLf;
};

// Reads up to `capacity` bytes into `into`: the count read, 0 at the end of
// the input, -1 on a read error.
using ReadSome = FunctionRef<long long(char* into, std::size_t capacity)>;
// Writes all `length` bytes; false on a write error.
using WriteAll = FunctionRef<bool(const char* bytes, std::size_t length)>;

// What a text held: enough to warn about files whose breaks are LF alone.
struct TextTraits {
    bool hasNul = false;
    bool hasLf = false;
    bool hasLineBreak = false;  // a break in the chosen style was found
};

// The lines to remove, owning their bytes. A UTF-8 byte-order mark at the
// start of the text is not part of its first line.
class RemovalSet {
public:
    // Takes the whole removal text; `bytes` must have room for `length` bytes.
    RemovalSet(OwnedBytes bytes, std::size_t length, const FilterSettings& settings);

    const RemovalIndex& index() const { return index_; }
    const TextTraits& traits() const { return traits_; }

private:
    OwnedBytes bytes_;
    TextTraits traits_;
    RemovalIndex index_;
};

enum class FilterOutcome { done, readFailed, writeFailed, notText };

struct FilterReport {
    FilterOutcome outcome = FilterOutcome::done;
    TextTraits originalTraits;
};

// Streams the original from `read` to `write`. `chunkSize` is the first read
// size (the buffer grows for longer lines); tests shrink it to cut lines at
// every boundary. On notText nothing of the chunk holding the NUL is written.
FilterReport filterOriginal(ReadSome read, const RemovalSet& removal, const FilterSettings& settings,
                            WriteAll write, std::size_t chunkSize = std::size_t{1} << 16);
