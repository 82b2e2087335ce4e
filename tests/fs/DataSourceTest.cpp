// Streaming a file chunk by chunk, with positions, searches and copies to an output.
#include "tests/fs/FsTestSupport.h"

#include "fs/FileDataSource.h"
#include "fs/OutputFile.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

// The CRC-32 register before its final inversion, computed bit by bit.
uint32_t crcRegister(const std::string &bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

// Serves a string, at most `limit` bytes per chunk, recording what was asked for.
class StringSource : public DataSource {
public:
    StringSource(const std::string &bytes, uint32_t limit) : m_bytes(bytes), m_limit(limit) {}
    bool getNextChunk(char *buffer, uint32_t size, uint32_t &numBytes, LogBase *) override {
        requests.push_back(size);
        if (failAt >= 0 && static_cast<int>(requests.size()) > failAt) {
            numBytes = 0;
            return false;
        }
        numBytes =
            std::min<uint32_t>({size, m_limit, static_cast<uint32_t>(m_bytes.size() - m_at)});
        memcpy(buffer, m_bytes.data() + m_at, numBytes);
        m_at += numBytes;
        return true;
    }
    bool endOfStream() override { return m_at == m_bytes.size(); }

    std::vector<uint32_t> requests;
    int failAt = -1;

private:
    std::string m_bytes;
    uint32_t m_limit;
    size_t m_at = 0;
};

// Keeps what it is given; refuses after `capacity` bytes.
class StringOutput : public Output {
public:
    explicit StringOutput(size_t capacity = SIZE_MAX) : m_capacity(capacity) {}
    uint32_t write(const void *data, uint32_t count, uint32_t size, LogBase *) override {
        size_t total = static_cast<size_t>(count) * size;
        if (bytes.size() + total > m_capacity) return 0;
        bytes.append(static_cast<const char *>(data), total);
        return size;
    }
    std::string bytes;

private:
    size_t m_capacity;
};

class DataSourceTest : public FsTest {
protected:
    std::unique_ptr<FileDataSource> source(const std::string &name, const std::string &bytes) {
        writeFile(path(name), bytes);
        return std::unique_ptr<FileDataSource>(
            FileSys::createFileDataSource(path(name).c_str(), &log));
    }
};

TEST_F(DataSourceTest, ChunksFollowTheBufferSizeUntilTheEnd) {
    std::string content = patternBytes(45000);
    auto src = source("f.bin", content);
    ASSERT_TRUE(src);
    EXPECT_STREQ(path("f.bin").c_str(), src->getPath());
    std::vector<char> buffer(20000);
    std::vector<uint32_t> sizes;
    std::string got;
    while (!src->endOfStream()) {
        uint32_t n = 0;
        ASSERT_TRUE(src->getNextChunk(buffer.data(), 20000, n, &log));
        sizes.push_back(n);
        got.append(buffer.data(), n);
    }
    EXPECT_EQ((std::vector<uint32_t>{20000, 20000, 5000}), sizes);
    EXPECT_EQ(content, got);
    EXPECT_EQ(45000u, src->getTotalDelivered());
    EXPECT_EQ(crcRegister(content), src->getCrcRegister());
    uint32_t n = 9;
    EXPECT_TRUE(src->getNextChunk(buffer.data(), 20000, n, &log));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(-1, src->getPosition());
    EXPECT_TRUE(nobodyHoldsOpen(path("f.bin")));
    EXPECT_EQ((Lines{"enter:openForReadWin32", "leave"}), log.lines);
}

TEST_F(DataSourceTest, AnEmptyFileEndsAtOnce) {
    auto src = source("empty.bin", "");
    ASSERT_TRUE(src);
    EXPECT_FALSE(src->endOfStream());
    char buffer[16];
    uint32_t n = 9;
    EXPECT_TRUE(src->getNextChunk(buffer, sizeof buffer, n, &log));
    EXPECT_EQ(0u, n);
    EXPECT_TRUE(src->endOfStream());
    EXPECT_EQ(0xFFFFFFFFu, src->getCrcRegister());

    auto strict = source("empty2.bin", "");
    EXPECT_FALSE(strict->getNextChunkStrict(buffer, sizeof buffer, n, &log));
    EXPECT_TRUE(strict->endOfStream());
}

TEST_F(DataSourceTest, StrictChunksFailOnlyWhenNothingCame) {
    auto src = source("f.bin", "0123456789");
    char buffer[6];
    uint32_t n = 0;
    ASSERT_TRUE(src->getNextChunkStrict(buffer, 6, n, &log));
    EXPECT_EQ(6u, n);
    ASSERT_TRUE(src->getNextChunkStrict(buffer, 6, n, &log));
    EXPECT_EQ(4u, n);
    EXPECT_EQ("6789", std::string(buffer, n));
    EXPECT_FALSE(src->getNextChunkStrict(buffer, 6, n, &log));
    EXPECT_TRUE(src->endOfStream());
    EXPECT_EQ(10u, src->getTotalDelivered());
}

TEST_F(DataSourceTest, BadBuffersAreRefused) {
    auto src = source("f.bin", "abc");
    char buffer[4];
    uint32_t n = 5;
    log.clear();
    EXPECT_FALSE(src->getNextChunk(buffer, 0, n, &log));
    EXPECT_EQ(0u, n);
    EXPECT_FALSE(src->getNextChunk(nullptr, 4, n, &log));
    EXPECT_FALSE(src->getNextChunkStrict(nullptr, 0, n, &log));
    EXPECT_EQ((Lines{"error:zero-size buffer passed to get-next-chunk.",
                     "error:NULL buffer passed to get-next-chunk.",
                     "error:zero-size buffer passed to get-next-chunk."}),
              log.lines);
    EXPECT_FALSE(src->endOfStream());
}

TEST_F(DataSourceTest, TheCrcCanBeSwitchedOff) {
    auto src = source("f.bin", "some bytes");
    ASSERT_TRUE(src->getComputeCrc());
    src->setComputeCrc(false);
    char buffer[32];
    uint32_t n = 0;
    ASSERT_TRUE(src->getNextChunk(buffer, sizeof buffer, n, &log));
    EXPECT_EQ(10u, n);
    EXPECT_EQ(0xFFFFFFFFu, src->getCrcRegister());
    EXPECT_EQ(10u, src->getTotalDelivered());
}

TEST_F(DataSourceTest, AMissingFileGivesNoSource) {
    EXPECT_EQ(nullptr, FileSys::createFileDataSource(path("none.bin").c_str(), &log));
    EXPECT_EQ("data:osErrorInfo=" + osText(ERROR_FILE_NOT_FOUND), lineAt(log.lines, 4));
}

TEST_F(DataSourceTest, PositionsMoveAndABackwardSeekReopens) {
    auto src = source("f.bin", "0123456789");
    char buffer[4];
    uint32_t n = 0;
    EXPECT_TRUE(src->skipBytes(3, &log));
    ASSERT_TRUE(src->getNextChunk(buffer, 2, n, &log));
    EXPECT_EQ("34", std::string(buffer, n));
    txhooks::startCounting();
    EXPECT_TRUE(src->seekRelative(-4, &log));
    // The file was opened again, at the position reached.
    EXPECT_EQ(1u, txhooks::counters().callsOf(txhooks::Call::CreateFile));
    EXPECT_EQ(1, src->getPosition());
    ASSERT_TRUE(src->getNextChunk(buffer, 2, n, &log));
    EXPECT_EQ("12", std::string(buffer, n));
    EXPECT_TRUE(src->setPosition(8, &log));
    ASSERT_TRUE(src->getNextChunk(buffer, 2, n, &log));
    EXPECT_EQ("89", std::string(buffer, n));
    EXPECT_FALSE(src->endOfStream());
    src->rewind();
    EXPECT_EQ(0, src->getPosition());
    EXPECT_FALSE(nobodyHoldsOpen(path("f.bin")));
    EXPECT_EQ((Lines{"enter:openForReadWin32", "leave", "enter:openForReadWin32", "leave"}),
              log.lines);
}

TEST_F(DataSourceTest, RelativeSeeksThatCannotWorkSaySo) {
    auto src = source("f.bin", "0123456789");
    log.clear();
    EXPECT_FALSE(src->seekRelative(-20, &log));
    EXPECT_EQ((Lines{"error:Failed to SetFilePointer to relative file position",
                     "data:WindowsError=" + osText(ERROR_NEGATIVE_SEEK), "data:position=-20",
                     "error:Failed to seek to relative offset in file"}),
              log.lines);

    // A borrowed handle is never reopened, so it may not go backwards.
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> handle(
        FileSys::openForReadWin32(X(path("f.bin")), reason, nullptr));
    FileDataSource borrowed;
    borrowed.borrowHandle(handle.get());
    log.clear();
    EXPECT_TRUE(borrowed.seekRelative(5, &log));
    EXPECT_FALSE(borrowed.seekRelative(-1, &log));
    EXPECT_EQ((Lines{"error:Cannot seek relative on non-owned file handle"}), log.lines);
    char buffer[16];
    uint32_t n = 0;
    ASSERT_TRUE(borrowed.getNextChunk(buffer, 16, n, &log));
    ASSERT_TRUE(borrowed.getNextChunk(buffer, 16, n, &log));
    EXPECT_TRUE(borrowed.endOfStream());
    // Its owner still holds it.
    EXPECT_TRUE(handle->isOpen());

    log.clear();
    EXPECT_FALSE(borrowed.seekRelative(1, &log));
    EXPECT_FALSE(borrowed.setPosition(0, &log));
    EXPECT_EQ((Lines{"error:Cannot fseek relative, file already closed."}), log.lines);
}

TEST_F(DataSourceTest, FindUint32StopsOnTheFirstMatchAcrossBlocks) {
    std::string content(50000, '\0');
    const unsigned char marker[4] = {0x50, 0x4B, 0x03, 0x04};
    // Straddles the first 20000-byte block.
    memcpy(&content[19998], marker, 4);
    memcpy(&content[41000], marker, 4);
    auto src = source("f.bin", content);
    int64_t position = 0;
    ASSERT_TRUE(src->findUint32(0x04034B50, position, &log));
    EXPECT_EQ(19998, position);
    EXPECT_EQ(19998, src->getPosition());
    ASSERT_TRUE(src->skipBytes(1, &log));
    ASSERT_TRUE(src->findUint32(0x04034B50, position, &log));
    EXPECT_EQ(41000, position);
    char buffer[4];
    uint32_t n = 0;
    ASSERT_TRUE(src->getNextChunk(buffer, 4, n, &log));
    EXPECT_EQ(0, memcmp(buffer, marker, 4));

    EXPECT_FALSE(src->findUint32(0xDEADBEEF, position, &log));
    EXPECT_EQ(0, position);
    EXPECT_EQ((Lines{"enter:openForReadWin32", "leave"}), log.lines);
}

TEST_F(DataSourceTest, TheBaseSkipReadsInChunksOf20000) {
    StringSource src(patternBytes(50000), 20000);
    EXPECT_TRUE(src.skipBytes(45000, &log));
    EXPECT_EQ((std::vector<uint32_t>{20000, 20000, 5000}), src.requests);
    // Running out of data is fine; a short chunk before the end is not.
    EXPECT_TRUE(src.skipBytes(10000, &log));
    StringSource trickle(patternBytes(50000), 700);
    EXPECT_FALSE(trickle.skipBytes(1000, &log));
    StringSource failing(patternBytes(50000), 20000);
    failing.failAt = 1;
    EXPECT_FALSE(failing.skipBytes(30000, &log));
}

TEST_F(DataSourceTest, CopyToOutputMovesEverything) {
    std::string content = patternBytes(65000);
    auto src = source("in.bin", content);
    std::unique_ptr<OutputFile> out(FileSys::createOutputFile(path("out.bin").c_str(), &log));
    ASSERT_TRUE(out);
    txhooks::startCounting();
    EXPECT_TRUE(src->copyToOutput(*out, &log));
    txhooks::IoCounters counters = txhooks::counters();
    EXPECT_EQ(
        (std::vector<DWORD>{20000, 20000, 20000, 5000}),
        std::vector<DWORD>(counters.writeSizes, counters.writeSizes + counters.writeSizesRecorded));
    out.reset();
    EXPECT_EQ(content, readFile(path("out.bin")));

    auto empty = source("empty.bin", "");
    StringOutput sink;
    EXPECT_TRUE(empty->copyToOutput(sink, nullptr));
    EXPECT_EQ("", sink.bytes);
}

TEST_F(DataSourceTest, CopyToOutputFailsOnlyOnAFailedWrite) {
    StringSource src(patternBytes(50000), 20000);
    StringOutput small(30000);
    EXPECT_FALSE(src.copyToOutput(small, &log));
    EXPECT_EQ((Lines{"error:Failed to write data to output."}), log.lines);
    EXPECT_EQ(patternBytes(20000), small.bytes);

    // A failed read ends the copy, keeping what was copied, and is not a failure.
    log.clear();
    StringSource failing(patternBytes(50000), 20000);
    failing.failAt = 1;
    StringOutput sink;
    EXPECT_TRUE(failing.copyToOutput(sink, &log));
    EXPECT_EQ(patternBytes(20000), sink.bytes);
    EXPECT_TRUE(log.lines.empty());

    // Without a log, nothing is recorded and the result is the same.
    StringSource again(patternBytes(50000), 20000);
    StringOutput tiny(10);
    EXPECT_FALSE(again.copyToOutput(tiny, nullptr));
}

} // namespace
