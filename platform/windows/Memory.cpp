// Large pages on Windows need a privilege that a scripting host does not hold, and
// VirtualAlloc blocks could not be freed with free(): plain heap blocks serve.
#include "platform/Memory.h"

#include <cstdlib>

namespace txmemory {

void *allocateBlock(size_t size) {
    return malloc(size);
}

void *resizeBlock(void *block, size_t size) {
    return realloc(block, size);
}

} // namespace txmemory
