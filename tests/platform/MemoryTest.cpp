// Blocks for large buffers are plain heap blocks in both builds: usable to the last
// byte, resized with their content, released with free().
#include "platform/Memory.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(MemoryTest, BlocksKeepTheirContentThroughResizesAndAreFreedAsHeapBlocks) {
    const size_t MiB = size_t(1) << 20;
    // {size, resized}: small, grown past the large-block size, and large shrunk.
    const size_t rows[][2] = {{16, 64}, {4 * MiB + 3, 9 * MiB}, {9 * MiB, 3}};
    for (const auto &row : rows) {
        auto *block = static_cast<unsigned char *>(txmemory::allocateBlock(row[0]));
        ASSERT_NE(nullptr, block) << row[0];
        block[0] = 0x5A;
        block[row[0] - 1] = 0xA5;
        block = static_cast<unsigned char *>(txmemory::resizeBlock(block, row[1]));
        ASSERT_NE(nullptr, block) << row[1];
        EXPECT_EQ(0x5A, block[0]);
        if (row[1] >= row[0]) EXPECT_EQ(0xA5, block[row[0] - 1]) << row[0];
        block[row[1] - 1] = 1;
        free(block);
    }
}
