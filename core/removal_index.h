#pragma once

// The set of lines to remove, built once so each original line is decided by
// one look-up instead of a scan of the whole removal list.
//
// Design: open addressing with linear probing over compact slots. A slot holds
// the line's address and a word that packs its length with 24 bits of its
// hash, so a probe reads the line's bytes only when length and hash bits both
// agree. Nearly every look-up of a large list misses the cache, so callers
// hash a batch of lines ahead and prefetch their slots (decideLines below),
// overlapping those misses.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "line_list.h"
#include "memory.h"

class RemovalIndex {
public:
    // `expectedLines` sizes the table up front; more lines still fit.
    explicit RemovalIndex(std::size_t expectedLines = 0);

    // Adds a line. The bytes are not copied: they must outlive the index.
    // `bytes` may be nullptr when `length` is 0 (an absent line).
    void add(const char* bytes, std::size_t length);

    bool contains(const char* bytes, std::size_t length) const {
        return containsHashed(bytes, length, hashAndPrefetch(bytes, length));
    }

    // The two halves of a look-up, for callers that overlap many of them.
    std::uint64_t hashAndPrefetch(const char* bytes, std::size_t length) const;
    bool containsHashed(const char* bytes, std::size_t length, std::uint64_t hash) const;

    std::size_t size() const { return size_; }

private:
    struct Slot {
        const char* bytes;          // nullptr: the slot is free
        std::uint64_t lengthAndTag;  // length << 24 | 24 hash bits
    };

    void grow();
    void place(const Slot& slot, std::uint64_t hash);

    std::vector<Slot, CoreAllocator<Slot>> slots_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};

// How many lines decideLines hashes ahead of the one it decides.
inline constexpr std::size_t kLookAhead = 16;

// Calls onDecided(k, inRemovalList) for k = 0 .. count-1, in order, each as
// soon as line k is decided.
template <typename OnDecided>
void decideLines(const RemovalIndex& index, const LineView* lines, std::size_t count,
                 OnDecided&& onDecided) {
    std::uint64_t hashes[kLookAhead];
    for (std::size_t base = 0; base < count; base += kLookAhead) {
        const std::size_t batch = count - base < kLookAhead ? count - base : kLookAhead;
        for (std::size_t k = 0; k < batch; ++k) {
            hashes[k] = index.hashAndPrefetch(lines[base + k].bytes, lines[base + k].length);
        }
        for (std::size_t k = 0; k < batch; ++k) {
            const LineView& line = lines[base + k];
            onDecided(base + k, index.containsHashed(line.bytes, line.length, hashes[k]));
        }
    }
}
