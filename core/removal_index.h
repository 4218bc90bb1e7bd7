#pragma once

// The set of lines to remove, built once so each original line is decided by
// one look-up instead of a scan of the whole removal list.
//
// Design: open addressing over buckets of four 16-byte slots, one cache line
// each; a line goes to the first free slot from its home bucket on, so a
// bucket with a free slot ends every search that reaches it. Most lists hold
// short lines (numbers, codes, names), so a line of up to 15 bytes lives in
// its slot itself, packed with its length: deciding it takes one cache line
// and a compare of every slot in it at once, without branches that guess. A
// longer line's slot holds its address and a word packing its length with
// hash bits, so its bytes are read only when length and hash bits agree.
//
// Nearly every look-up of a large list misses the cache, so containsEach runs
// a pipeline: it hashes a line far ahead and prefetches its bucket, decides a
// nearer line whose bucket has arrived (for a long line, prefetching the bytes
// of the candidate), and finishes the nearest. Many misses are then in flight
// at once instead of one after another.

#include <cstddef>
#include <cstdint>

#include "line_list.h"
#include "memory.h"

class RemovalIndex {
public:
    // `expectedLines` sizes the table up front; more lines still fit.
    explicit RemovalIndex(std::size_t expectedLines = 0);

    // Adds lines. The bytes are not copied: they must outlive the index.
    // An absent line (bytes == nullptr, length 0) stands for the empty line.
    // Adding a batch at once lets the index overlap the lines' cache misses.
    void add(const LineView* lines, std::size_t count);
    void add(const char* bytes, std::size_t length);

    bool contains(const char* bytes, std::size_t length) const;

    // inList[k] = contains(lines[k]) ? 1 : 0 for k = 0 .. count-1, with the
    // look-ups overlapped.
    void containsEach(const LineView* lines, std::size_t count, unsigned char* inList) const;

    std::size_t size() const { return size_; }

private:
    struct Slot {
        std::uint64_t first;   // a short line's first 8 bytes; a long line's address
        std::uint64_t second;  // a short line's other bytes and its length; a long line's
                               // length and hash bits; 0 in a free slot
    };
    // A line as its slot would hold it, with the hash that places it.
    struct Key {
        Slot slot;
        std::uint64_t hash;
        bool isShort;
    };

    static constexpr std::size_t kBucketSlots = 4;

    static Key keyOf(const LineView& line);
    static Key longKeyOf(const LineView& line);
    static std::uint64_t hashOf(const Slot& slot);
    // The first slot of the line's home bucket: the hash scaled to the
    // bucket count, so the table need not be a power of 2 in size.
    std::size_t bucketOf(std::uint64_t hash) const {
        return static_cast<std::size_t>((static_cast<unsigned __int128>(hash) * buckets_) >> 64) * kBucketSlots;
    }
    std::size_t nextBucket(std::size_t first) const {
        return first + kBucketSlots == buckets_ * kBucketSlots ? 0 : first + kBucketSlots;
    }
    bool find(const Key& key, const LineView& line) const;
    void insert(const Key& key, const LineView& line);
    void allocate(std::size_t buckets);
    void grow(std::size_t lines);

    OwnedBytes storage_;
    Slot* slots_ = nullptr;  // in storage_, aligned to the cache line
    std::size_t buckets_ = 0;
    std::size_t size_ = 0;
};

// Calls onDecided(k, inRemovalList) for k = 0 .. count-1, in order. Lines are
// decided a block at a time, so the look-ups overlap.
template <typename OnDecided>
void decideLines(const RemovalIndex& index, const LineView* lines, std::size_t count,
                 OnDecided&& onDecided) {
    constexpr std::size_t kBlock = 1024;
    unsigned char inList[kBlock];
    for (std::size_t base = 0; base < count; base += kBlock) {
        const std::size_t block = count - base < kBlock ? count - base : kBlock;
        index.containsEach(lines + base, block, inList);
        for (std::size_t k = 0; k < block; ++k) onDecided(base + k, inList[k] != 0);
    }
}
