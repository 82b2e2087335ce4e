// Blocks for buffers that may grow to many megabytes: whole files, converted and
// encoded text. They are ordinary C heap blocks, so free() releases them and realloc()
// works on them like on any other. Where the system allows it, a large block is
// advised to be backed by large pages: filling it then costs one page fault per 2 MiB
// instead of one per 4 KiB.
#pragma once

#include <cstddef>

namespace txmemory {

// malloc(), with the large-page advice for a large block; null when none.
void *allocateBlock(size_t size);
// realloc(), with the same advice for the resized block; null (the old block left
// as it was) when it cannot be had.
void *resizeBlock(void *block, size_t size);

} // namespace txmemory
