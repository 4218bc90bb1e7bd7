// The allocator of programs that bring none of their own (the command-line
// tool, tests, benchmarks): the C runtime's heap. The window program supplies
// its own, over the process heap.
#include <cstdlib>

#include "fatal_error.h"
#include "memory.h"

void* allocateBytes(std::size_t byteCount) {
    // A request of 0 bytes still yields a block of its own.
    void* block = std::malloc(byteCount == 0 ? 1 : byteCount);
    if (block == nullptr) {
        char message[kAllocationMessageCapacity];
        formatAllocationFailure(byteCount, message);
        fatalError(0, message);
    }
    return block;
}

void releaseBytes(void* block) noexcept { std::free(block); }
