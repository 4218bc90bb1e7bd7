// Every allocation of the window program, the standard library's included,
// comes from the process heap, which any thread may use. A request it cannot
// meet ends the program through the fatal error box, with the byte count.
#include <windows.h>

#include <new>

#include "fatal_error.h"
#include "memory.h"

namespace {

HANDLE processHeap() {
    static const HANDLE heap = GetProcessHeap();
    return heap;
}

}  // namespace

void* allocateBytes(std::size_t byteCount) {
    void* block = HeapAlloc(processHeap(), 0, byteCount == 0 ? 1 : byteCount);
    if (block == nullptr) {
        char message[kAllocationMessageCapacity];
        formatAllocationFailure(byteCount, message);
        fatalError(0, message);
    }
    return block;
}

void releaseBytes(void* block) noexcept {
    if (block) HeapFree(processHeap(), 0, block);
}

void* operator new(std::size_t byteCount) { return allocateBytes(byteCount); }
void* operator new[](std::size_t byteCount) { return allocateBytes(byteCount); }
void* operator new(std::size_t byteCount, const std::nothrow_t&) noexcept { return allocateBytes(byteCount); }
void* operator new[](std::size_t byteCount, const std::nothrow_t&) noexcept { return allocateBytes(byteCount); }
void operator delete(void* block) noexcept { releaseBytes(block); }
void operator delete[](void* block) noexcept { releaseBytes(block); }
void operator delete(void* block, std::size_t) noexcept { releaseBytes(block); }
void operator delete[](void* block, std::size_t) noexcept { releaseBytes(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { releaseBytes(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { releaseBytes(block); }
