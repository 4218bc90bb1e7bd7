#pragma once

#include <cstddef>
#include <memory>

// Every text and list of the program comes from here. A request the allocator
// cannot meet ends the program through fatalError with the byte count asked
// for, so callers never see a null pointer and no exception is thrown.
// Each program links one definition: default_allocator.cpp, or its own.
void* allocateBytes(std::size_t byteCount);
void releaseBytes(void* block) noexcept;

// Writes "分配 N 字节内存失败!" for `byteCount` into `out` (at least
// kAllocationMessageCapacity bytes). Does not allocate: it runs when memory is
// already exhausted.
inline constexpr std::size_t kAllocationMessageCapacity = 64;
void formatAllocationFailure(std::size_t byteCount, char* out);

struct ReleaseBytes {
    void operator()(void* block) const noexcept { releaseBytes(block); }
};

// A block of bytes owned through allocateBytes/releaseBytes.
using OwnedBytes = std::unique_ptr<char[], ReleaseBytes>;

inline OwnedBytes allocateOwnedBytes(std::size_t byteCount) {
    return OwnedBytes(static_cast<char*>(allocateBytes(byteCount)));
}

// Lets standard containers draw from the same allocator, so their growth
// failing is reported like any other allocation.
template <typename T>
struct CoreAllocator {
    using value_type = T;

    CoreAllocator() noexcept = default;
    template <typename U>
    CoreAllocator(const CoreAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) {
            // Far beyond any allocator: report the largest request we can name.
            allocateBytes(static_cast<std::size_t>(-1));
        }
        return static_cast<T*>(allocateBytes(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t) noexcept { releaseBytes(block); }

    template <typename U>
    bool operator==(const CoreAllocator<U>&) const noexcept { return true; }
};
