#include "removal_index.h"

#include <cstring>

namespace {

constexpr std::uint64_t kOdd0 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kOdd1 = 0xD6E8FEB86659FD93ull;
constexpr std::uint64_t kOdd2 = 0xA0761D6478BD642Full;
constexpr unsigned kTagBits = 24;
constexpr std::uint64_t kTagMask = (std::uint64_t{1} << kTagBits) - 1;

std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

std::uint64_t load64(const char* at) {
    std::uint64_t value;
    std::memcpy(&value, at, 8);
    return value;
}

std::uint64_t load32(const char* at) {
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

// A fast hash for short lines: whole 8-byte words, and for the tail two
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

std::uint64_t packLengthAndTag(std::size_t length, std::uint64_t hash) {
    // Lines are held in memory, so a length needs far fewer than 40 bits.
    return static_cast<std::uint64_t>(length) << kTagBits | (hash >> (64 - kTagBits));
}

// Absent lines have no bytes of their own; a free slot is the null one.
const char kEmptyLine[] = "";

}  // namespace

RemovalIndex::RemovalIndex(std::size_t expectedLines) {
    std::size_t capacity = 16;
    while (capacity < expectedLines * 2) capacity *= 2;
    slots_.assign(capacity, Slot{nullptr, 0});
    mask_ = capacity - 1;
}

std::uint64_t RemovalIndex::hashAndPrefetch(const char* bytes, std::size_t length) const {
    const std::uint64_t hash = hashBytes(bytes ? bytes : kEmptyLine, length);
    __builtin_prefetch(&slots_[hash & mask_]);
    return hash;
}

bool RemovalIndex::containsHashed(const char* bytes, std::size_t length,
                                  std::uint64_t hash) const {
    const std::uint64_t wanted = packLengthAndTag(length, hash);
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
        const Slot& slot = slots_[at];
        if (slot.bytes == nullptr) return false;
        if (slot.lengthAndTag == wanted && std::memcmp(slot.bytes, bytes ? bytes : kEmptyLine, length) == 0) {
            return true;
        }
    }
}

void RemovalIndex::add(const char* bytes, std::size_t length) {
    if (bytes == nullptr) bytes = kEmptyLine;
    const std::uint64_t hash = hashBytes(bytes, length);
    if (containsHashed(bytes, length, hash)) return;  // duplicates change nothing
    if ((size_ + 1) * 2 > slots_.size()) grow();
    place(Slot{bytes, packLengthAndTag(length, hash)}, hash);
    ++size_;
}

void RemovalIndex::place(const Slot& slot, std::uint64_t hash) {
    std::size_t at = hash & mask_;
    while (slots_[at].bytes != nullptr) at = (at + 1) & mask_;
    slots_[at] = slot;
}

void RemovalIndex::grow() {
    std::vector<Slot, CoreAllocator<Slot>> old(slots_.size() * 2, Slot{nullptr, 0});
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.bytes == nullptr) continue;
        const std::size_t length = static_cast<std::size_t>(slot.lengthAndTag >> kTagBits);
        place(slot, hashBytes(slot.bytes, length));
    }
}
