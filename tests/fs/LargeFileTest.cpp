// Files beyond 4 GiB: 64-bit positions and sizes, and the 32-bit size rules. The file
// is sparse: only its last bytes are written.
#include "tests/fs/FsTestSupport.h"

#include "fs/FileDataSource.h"
#include "fs/FindFileWin32.h"

#include <memory>
#include <string>

using namespace fstest;

namespace {

const int64_t fourGiB = int64_t(1) << 32;

class LargeFileTest : public FsTest {
protected:
    void SetUp() override {
        std::error_code error;
        std::filesystem::space_info space = std::filesystem::space(fsPath(dir.path()), error);
        // Where the file system does not keep holes, writing at 4 GiB allocates it all.
        if (error || space.available < static_cast<uintmax_t>(6 * fourGiB))
            GTEST_SKIP() << "not enough room for a 4 GiB file";
    }

    // Writes "END" so that the file ends 100 bytes beyond 4 GiB.
    bool makeLargeFile(const std::string &name) {
        uint32_t reason = 0;
        std::unique_ptr<TarnixHandle> h(FileSys::openForWriteWin32(X(path(name)), reason, &log));
        return h && h->setPosition(fourGiB + 97, &log) && h->writeBytes("END", 3, nullptr, &log);
    }
};

TEST_F(LargeFileTest, SizesAndPositionsUseAll64Bits) {
    ASSERT_TRUE(makeLargeFile("big.bin"));
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> h(FileSys::openForReadWin32(X(path("big.bin")), reason, &log));
    ASSERT_TRUE(h);
    EXPECT_EQ(fourGiB + 100, h->getSize64(&log));
    // Only the low half is reported by the 32-bit size.
    EXPECT_EQ(100, h->getSize32(&log));
    ASSERT_TRUE(h->seekToEnd(&log));
    EXPECT_EQ(fourGiB + 100, h->getPosition(&log));
    ASSERT_TRUE(h->seekRelative(-3, &log));
    char tail[8];
    uint32_t got = 0;
    bool endOfFile = false;
    ASSERT_TRUE(h->readBytes(tail, sizeof tail, got, endOfFile, &log));
    EXPECT_EQ("END", std::string(tail, got));
    EXPECT_TRUE(endOfFile);
    ASSERT_TRUE(h->setPosition(fourGiB - 1, &log));
    EXPECT_EQ(fourGiB - 1, h->getPosition(&log));
    ASSERT_TRUE(h->readChunk(tail, 1, got, endOfFile, &log));
    EXPECT_EQ(0, tail[0]);
    EXPECT_TRUE(log.entries().empty());
}

TEST_F(LargeFileTest, TheThirtyTwoBitFileSizeWraps) {
    ASSERT_TRUE(makeLargeFile("big.bin"));
    bool success = false;
    EXPECT_EQ(100, FileSys::fileSize32(X(path("big.bin")), &log, success));
    EXPECT_TRUE(success);
}

TEST_F(LargeFileTest, ListingsAndSourcesSeeTheWholeSize) {
    ASSERT_TRUE(makeLargeFile("big.bin"));
    FindFileWin32 find;
    ASSERT_TRUE(find.findFirst(X(path("big.bin")), &log));
    EXPECT_EQ(fourGiB + 100, find.getEntrySize64());

    std::unique_ptr<FileDataSource> src(
        FileSys::createFileDataSource(path("big.bin").c_str(), &log));
    ASSERT_TRUE(src);
    int64_t position = 0;
    ASSERT_TRUE(src->setPosition(fourGiB + 90, &log));
    // The last hole byte and "END".
    EXPECT_TRUE(src->findUint32(0x444E4500, position, &log));
    EXPECT_EQ(fourGiB + 96, position);
    ASSERT_TRUE(src->seekRelative(-int64_t(10), &log));
    EXPECT_EQ(fourGiB + 86, src->getPosition());
}

} // namespace
