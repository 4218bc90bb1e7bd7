#include "removal_index.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t kOdd0 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kOdd1 = 0xD6E8FEB86659FD93ull;
constexpr std::uint64_t kOdd2 = 0xA0761D6478BD642Full;

// The longest line a slot holds itself: 8 bytes in the first word, 7 in the
// second beside a byte for the length.
constexpr std::size_t kLongestShortLine = 15;
// A long line's second word: this marker in the top byte (a short line's top
// byte is its length + 1, at most 16), 40 bits of length, and 16 low hash
// bits (the high ones pick the bucket, so they say little there).
constexpr std::uint64_t kLongMarker = std::uint64_t{0xFF} << 56;
constexpr unsigned kLongTagBits = 16;
constexpr std::uint64_t kLongLengthMask = (std::uint64_t{1} << 40) - 1;

// Lines between the stages of the look-up pipeline: enough to cover a miss
// with the work on the lines in between. kRing holds the lines in flight.
constexpr std::size_t kDistance = 16;
constexpr std::size_t kRing = 64;
static_assert(kRing > 2 * kDistance && (kRing & (kRing - 1)) == 0);

std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// Loads as little-endian numbers, so a short line packs the same everywhere.
template <typename Word>
std::uint64_t loadLittle(const char* at) {
    Word value;
    std::memcpy(&value, at, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        Word swapped = 0;
        for (std::size_t k = 0; k < sizeof value; ++k) swapped = static_cast<Word>(swapped << 8 | (value >> (8 * k) & 0xFF));
        value = swapped;
    }
    return value;
}

std::uint64_t load64(const char* at) { return loadLittle<std::uint64_t>(at); }
std::uint64_t load32(const char* at) { return loadLittle<std::uint32_t>(at); }

// A fast hash for lines: whole 8-byte words, and for the tail two
// overlapping loads that together cover every byte.
std::uint64_t hashBytes(const char* bytes, std::size_t length) {
    std::uint64_t state = fold(length ^ kOdd0, kOdd1);
    std::size_t left = length;
    while (left > 16) {
        state = fold(load64(bytes) ^ kOdd1 ^ state, load64(bytes + 8) ^ kOdd2);
        bytes += 16;
        left -= 16;
    }
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (left >= 8) {
        a = load64(bytes);
        b = load64(bytes + left - 8);
    } else if (left >= 4) {
        a = load32(bytes);
        b = load32(bytes + left - 4);
    } else if (left > 0) {
        const auto* u = reinterpret_cast<const unsigned char*>(bytes);
        a = std::uint64_t{u[0]} << 16 | std::uint64_t{u[left / 2]} << 8 | u[left - 1];
    }
    return fold(a ^ kOdd2 ^ state, b ^ kOdd0 ^ length) ^ state;
}

std::uint64_t hashShort(std::uint64_t first, std::uint64_t second) {
    return fold(first ^ kOdd0, second ^ kOdd1);
}

constexpr std::size_t kCacheLine = 64;

// Twice the slots the lines need: with at most half of them in use and four
// to a bucket, few buckets fill up, so most searches end in their home bucket.
std::size_t bucketsFor(std::size_t lines) { return lines / 2 + 1; }

bool isLong(std::uint64_t second) { return (second & kLongMarker) == kLongMarker; }

std::size_t longLength(std::uint64_t second) { return static_cast<std::size_t>(second >> kLongTagBits & kLongLengthMask); }

const char* addressOf(std::uint64_t first) { return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(first)); }

bool sameBytes(const char* a, const char* b, std::size_t length) { return std::memcmp(a, b, length) == 0; }

}  // namespace

RemovalIndex::RemovalIndex(std::size_t expectedLines) { allocate(bucketsFor(expectedLines)); }

void RemovalIndex::allocate(std::size_t buckets) {
    const std::size_t bytes = buckets * kBucketSlots * sizeof(Slot);
    storage_ = allocateOwnedBytes(bytes + kCacheLine - 1);
    const auto start = reinterpret_cast<std::uintptr_t>(storage_.get());
    char* aligned = storage_.get() + ((kCacheLine - start % kCacheLine) % kCacheLine);
    std::memset(aligned, 0, bytes);
    slots_ = reinterpret_cast<Slot*>(aligned);
    buckets_ = buckets;
    size_ = 0;
}

RemovalIndex::Key RemovalIndex::longKeyOf(const LineView& line) {
    const std::uint64_t hash = hashBytes(line.bytes, line.length);
    const std::uint64_t second = kLongMarker |
                                 (static_cast<std::uint64_t>(line.length) & kLongLengthMask) << kLongTagBits |
                                 (hash & ((1u << kLongTagBits) - 1));
    return Key{{static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(line.bytes)), second}, hash, false};
}

inline RemovalIndex::Key RemovalIndex::keyOf(const LineView& line) {
    const char* bytes = line.bytes;
    const std::size_t length = line.length;
    if (length > kLongestShortLine) return longKeyOf(line);
    // The bytes packed in order from the lowest, zero beyond the line, and
    // the length + 1 in the top byte: equal words mean equal lines.
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    if (length >= 8) {
        first = load64(bytes);
        // The last 8 bytes, less those already in `first`.
        if (length > 8) second = load64(bytes + length - 8) >> (8 * (16 - length));
    } else if (length >= 4) {
        first = load32(bytes) | load32(bytes + length - 4) << (8 * (length - 4));
    } else if (length > 0) {
        const auto* u = reinterpret_cast<const unsigned char*>(bytes);
        first = std::uint64_t{u[0]} | std::uint64_t{u[length / 2]} << (8 * (length / 2)) |
                std::uint64_t{u[length - 1]} << (8 * (length - 1));
    }
    second |= static_cast<std::uint64_t>(length + 1) << 56;
    return Key{{first, second}, hashShort(first, second), true};
}

std::uint64_t RemovalIndex::hashOf(const Slot& slot) {
    if (!isLong(slot.second)) return hashShort(slot.first, slot.second);
    return hashBytes(addressOf(slot.first), longLength(slot.second));
}

// A bucket with a free slot ends every search that reaches it: lines take
// the first free slot from their home bucket on, and none is ever removed.
inline bool RemovalIndex::find(const Key& key, const LineView& line) const {
    for (std::size_t first = bucketOf(key.hash);; first = nextBucket(first)) {
        const Slot* slots = slots_ + first;
        if (key.isShort) {
            // Every slot of the bucket at once: no branch guesses which one answers.
            bool found = false;
            bool open = false;
            for (std::size_t k = 0; k < kBucketSlots; ++k) {
                found |= (slots[k].first == key.slot.first) & (slots[k].second == key.slot.second);
                open |= slots[k].second == 0;
            }
            if (found | open) return found;
        } else {
            for (std::size_t k = 0; k < kBucketSlots; ++k) {
                if (slots[k].second == 0) return false;
                if (slots[k].second == key.slot.second && sameBytes(addressOf(slots[k].first), line.bytes, line.length)) {
                    return true;
                }
            }
        }
    }
}

bool RemovalIndex::contains(const char* bytes, std::size_t length) const {
    const LineView line{bytes, length};
    return find(keyOf(line), line);
}

void RemovalIndex::containsEach(const LineView* lines, std::size_t count, unsigned char* inList) const {
    Key ring[kRing];
    for (std::size_t i = 0; i < count + 2 * kDistance; ++i) {
        if (i < count) {
            const Key& key = ring[i % kRing] = keyOf(lines[i]);
            __builtin_prefetch(slots_ + bucketOf(key.hash));
        }
        if (i >= kDistance && i - kDistance < count) {
            const std::size_t j = i - kDistance;
            const Key& key = ring[j % kRing];
            if (key.isShort) {
                inList[j] = find(key, lines[j]);
            } else {
                // The first slot of the home bucket that may hold the line:
                // fetch its bytes for the last stage.
                const Slot* slots = slots_ + bucketOf(key.hash);
                for (std::size_t k = 0; k < kBucketSlots; ++k) {
                    if (slots[k].second == key.slot.second) {
                        __builtin_prefetch(addressOf(slots[k].first));
                        break;
                    }
                }
            }
        }
        if (i >= 2 * kDistance) {
            const std::size_t k = i - 2 * kDistance;
            const Key& key = ring[k % kRing];
            if (!key.isShort) inList[k] = find(key, lines[k]);
        }
    }
}

void RemovalIndex::add(const LineView* lines, std::size_t count) {
    if ((size_ + count) * 2 > buckets_ * kBucketSlots) grow(size_ + count);
    Key ring[kRing];
    for (std::size_t i = 0; i < count + kDistance; ++i) {
        if (i < count) {
            const Key& key = ring[i % kRing] = keyOf(lines[i]);
            __builtin_prefetch(slots_ + bucketOf(key.hash), 1);
        }
        if (i >= kDistance) {
            const std::size_t k = i - kDistance;
            insert(ring[k % kRing], lines[k]);
        }
    }
}

void RemovalIndex::add(const char* bytes, std::size_t length) {
    if ((size_ + 1) * 2 > buckets_ * kBucketSlots) grow(size_ + 1);
    const LineView line{bytes, length};
    insert(keyOf(line), line);
}

// Slot by slot, unlike find: the store's address then comes from the branch
// predicted rather than from the slots' bytes, so the next lines' loads need
// not wait for this line's miss.
void RemovalIndex::insert(const Key& key, const LineView& line) {
    for (std::size_t first = bucketOf(key.hash);; first = nextBucket(first)) {
        for (std::size_t k = 0; k < kBucketSlots; ++k) {
            Slot& slot = slots_[first + k];
            if (slot.second == 0) {
                slot = key.slot;
                ++size_;
                return;
            }
            if (slot.second == key.slot.second &&
                (key.isShort ? slot.first == key.slot.first
                             : sameBytes(addressOf(slot.first), line.bytes, line.length))) {
                return;  // a duplicate changes nothing
            }
        }
    }
}

// Makes room for `lines` lines, at least doubling so adding line by line
// stays linear.
void RemovalIndex::grow(std::size_t lines) {
    const OwnedBytes oldStorage = std::move(storage_);
    const Slot* const oldSlots = slots_;
    const std::size_t oldCount = buckets_ * kBucketSlots;
    allocate(std::max(bucketsFor(lines), 2 * buckets_));
    for (std::size_t at = 0; at < oldCount; ++at) {
        const Slot& slot = oldSlots[at];
        if (slot.second == 0) continue;
        const bool isShort = !isLong(slot.second);
        const LineView line{isShort ? nullptr : addressOf(slot.first), isShort ? 0 : longLength(slot.second)};
        insert(Key{slot, hashOf(slot), isShort}, line);
    }
}
