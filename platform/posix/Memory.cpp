// Large blocks advised for transparent huge pages.
#include "platform/Memory.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A smaller block could not hold one whole 2 MiB page besides its partial ends.
const size_t largeBlockSize = size_t(4) << 20;

// Every page the block touches is advised, not just the whole 2 MiB pages inside it:
// a large malloc block is a mapping of its own, and advice on part of a mapping splits
// it, after which realloc can no longer move it with mremap and copies it instead.
// Advice changes no content, so a page shared with a neighbouring block is unharmed.
void adviseLargePages(void *block, size_t size) {
#ifdef MADV_HUGEPAGE
    if (block == nullptr || size < largeBlockSize) return;
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return;
    uintptr_t mask = uintptr_t(pageSize) - 1;
    uintptr_t start = uintptr_t(block) & ~mask;
    uintptr_t end = (uintptr_t(block) + size + mask) & ~mask;
    // Only a hint: a kernel without huge pages refuses it and the block works as it is.
    madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
#else
    (void)block;
    (void)size;
#endif
}

} // namespace

namespace txmemory {

void *allocateBlock(size_t size) {
    void *block = malloc(size);
    adviseLargePages(block, size);
    return block;
}

void *resizeBlock(void *block, size_t size) {
    void *resized = realloc(block, size);
    adviseLargePages(resized, size);
    return resized;
}

} // namespace txmemory
