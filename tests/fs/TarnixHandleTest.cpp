// Reading, writing, positions and sizes of an owned file handle.
#include "tests/fs/FsTestSupport.h"

#include <memory>
#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

class TarnixHandleTest : public FsTest {
protected:
    std::unique_ptr<TarnixHandle> openRead(const std::string &name) {
        uint32_t reason = 0;
        return std::unique_ptr<TarnixHandle>(
            FileSys::openForReadWin32(X(path(name)), reason, nullptr));
    }
    std::unique_ptr<TarnixHandle> openWrite(const std::string &name) {
        uint32_t reason = 0;
        return std::unique_ptr<TarnixHandle>(
            FileSys::openForWriteWin32(X(path(name)), reason, nullptr));
    }
    std::vector<DWORD> readSizes() const {
        txhooks::IoCounters c = txhooks::counters();
        return std::vector<DWORD>(c.readSizes, c.readSizes + c.readSizesRecorded);
    }
    std::vector<DWORD> writeSizes() const {
        txhooks::IoCounters c = txhooks::counters();
        return std::vector<DWORD>(c.writeSizes, c.writeSizes + c.writeSizesRecorded);
    }
};

TEST_F(TarnixHandleTest, AClosedHandleFailsWithoutCallingTheSystem) {
    TarnixHandle handle;
    EXPECT_FALSE(handle.isOpen());
    txhooks::startCounting();
    char buffer[16];
    uint32_t got = 99;
    bool endOfFile = true;
    EXPECT_FALSE(handle.readChunk(buffer, sizeof buffer, got, endOfFile, &log));
    EXPECT_EQ(0u, got);
    EXPECT_FALSE(endOfFile);
    EXPECT_FALSE(handle.readBytes(buffer, sizeof buffer, got, endOfFile, &log));
    int64_t written = 5;
    EXPECT_FALSE(handle.writeBytes("abc", 3, &written, &log));
    EXPECT_EQ(0, written);
    EXPECT_FALSE(handle.seekToEnd(&log));
    EXPECT_EQ(-1, handle.getPosition(&log));
    EXPECT_FALSE(handle.setPosition(7, &log));
    EXPECT_EQ(-1, handle.getSize64(&log));

    std::string invalidHandle = "data:WindowsError=" + osText(ERROR_INVALID_HANDLE);
    EXPECT_EQ((Lines{"error:No file is open.", "error:No file is open.",
                     "error:Failed to write because file is not open.",
                     "error:Failed to SetFilePointer to end of file.", invalidHandle,
                     "error:Failed to get file position (2)", invalidHandle,
                     "error:Failed to SetFilePointer to absolute file position", invalidHandle,
                     "data:position=7", "error:" + osText(ERROR_INVALID_HANDLE),
                     "error:Failed to get file size (64)"}),
              log.lines);
    txhooks::IoCounters c = txhooks::counters();
    EXPECT_EQ(0u, c.readCalls);
    EXPECT_EQ(0u, c.writeCalls);
    EXPECT_EQ(0u, c.callsOf(txhooks::Call::SetFilePointer));
    EXPECT_EQ(0u, c.callsOf(txhooks::Call::GetFileSize));
}

TEST_F(TarnixHandleTest, BadBuffersAreRefused) {
    writeFile(path("f.bin"), "0123456789");
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    uint32_t got = 0;
    bool endOfFile = false;
    char buffer[4];
    EXPECT_FALSE(handle->readBytes(nullptr, 4, got, endOfFile, &log));
    EXPECT_FALSE(handle->readChunk(nullptr, 4, got, endOfFile, &log));
    EXPECT_FALSE(handle->readChunk(buffer, 0, got, endOfFile, &log));
    EXPECT_EQ((Lines{"error:NULL buf pointer.", "error:NULL buf or bufSize",
                     "error:NULL buf or bufSize"}),
              log.lines);
    log.clear();
    EXPECT_TRUE(handle->readBytes(buffer, 0, got, endOfFile, &log));
    EXPECT_EQ(0u, got);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TarnixHandleTest, ReadsGoInChunksOf65536Bytes) {
    std::string content = patternBytes(200000);
    writeFile(path("f.bin"), content);
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    std::vector<char> buffer(200000);
    uint32_t got = 0;
    bool endOfFile = true;
    txhooks::startCounting();
    ASSERT_TRUE(handle->readBytes(buffer.data(), 200000, got, endOfFile, &log));
    EXPECT_EQ(200000u, got);
    EXPECT_FALSE(endOfFile);
    EXPECT_EQ((std::vector<DWORD>{65536, 65536, 65536, 3392}), readSizes());
    EXPECT_EQ(content, std::string(buffer.data(), got));

    // At the end the next read reports it, with nothing read.
    txhooks::resetCounters();
    EXPECT_TRUE(handle->readBytes(buffer.data(), 10, got, endOfFile, &log));
    EXPECT_EQ(0u, got);
    EXPECT_TRUE(endOfFile);
    EXPECT_EQ(1u, txhooks::counters().readCalls);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TarnixHandleTest, AShortFileEndsTheReadWithTheShortCount) {
    std::string content = patternBytes(150000);
    writeFile(path("f.bin"), content);
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    std::vector<char> buffer(200000);
    uint32_t got = 0;
    bool endOfFile = false;
    txhooks::startCounting();
    ASSERT_TRUE(handle->readBytes(buffer.data(), 200000, got, endOfFile, &log));
    EXPECT_EQ(150000u, got);
    EXPECT_TRUE(endOfFile);
    EXPECT_EQ((std::vector<DWORD>{65536, 65536, 65536, 50000}), readSizes());
    EXPECT_EQ(content, std::string(buffer.data(), got));
}

TEST_F(TarnixHandleTest, ShortReadsBeforeTheEndAreFollowedUp) {
    writeFile(path("f.bin"), patternBytes(10000));
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    txhooks::setReadChunkLimit(3000);
    txhooks::startCounting();
    std::vector<char> buffer(8000);
    uint32_t got = 0;
    bool endOfFile = true;
    ASSERT_TRUE(handle->readBytes(buffer.data(), 8000, got, endOfFile, &log));
    EXPECT_EQ(8000u, got);
    EXPECT_FALSE(endOfFile);
    EXPECT_EQ((std::vector<DWORD>{8000, 5000, 2000}), readSizes());
    EXPECT_EQ(patternBytes(8000), std::string(buffer.data(), got));
}

TEST_F(TarnixHandleTest, AFailedReadReportsTheErrorAndWhatWasReadBefore) {
    writeFile(path("f.bin"), patternBytes(100000));
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    txhooks::failCallsAfter(txhooks::Call::ReadFile, 1, ERROR_READ_FAULT, 1);
    std::vector<char> buffer(100000);
    uint32_t got = 0;
    bool endOfFile = true;
    EXPECT_FALSE(handle->readBytes(buffer.data(), 100000, got, endOfFile, &log));
    EXPECT_EQ(65536u, got);
    EXPECT_FALSE(endOfFile);
    EXPECT_EQ((Lines{"data:WindowsError=" + osText(ERROR_READ_FAULT)}), log.lines);

    // ERROR_HANDLE_EOF is the end of the file, not a failure.
    log.clear();
    txhooks::failNextCalls(txhooks::Call::ReadFile, ERROR_HANDLE_EOF, 1);
    EXPECT_TRUE(handle->readChunk(buffer.data(), 10, got, endOfFile, &log));
    EXPECT_EQ(0u, got);
    EXPECT_TRUE(endOfFile);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TarnixHandleTest, WritesGoInChunksOfTenMillionBytes) {
    auto handle = openWrite("big.bin");
    ASSERT_TRUE(handle);
    std::string content = patternBytes(25000000);
    txhooks::startCounting();
    int64_t written = 0;
    ASSERT_TRUE(handle->writeBytes(content.data(), 25000000, &written, &log));
    EXPECT_EQ(25000000, written);
    EXPECT_EQ((std::vector<DWORD>{10000000, 10000000, 5000000}), writeSizes());
    EXPECT_EQ(25000000, handle->getSize64(&log));
    handle.reset();
    EXPECT_EQ(content, readFile(path("big.bin")));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TarnixHandleTest, AFullDiskStopsTheWriteAfterTheCompleteChunks) {
    auto handle = openWrite("full.bin");
    ASSERT_TRUE(handle);
    std::string content = patternBytes(25000000);
    txhooks::setWriteLimit(15000000);
    int64_t written = 0;
    EXPECT_FALSE(handle->writeBytes(content.data(), 25000000, &written, &log));
    EXPECT_EQ(10000000, written);
    EXPECT_EQ((Lines{"enter:WriteFileError", "data:WindowsError=" + osText(ERROR_DISK_FULL),
                     "data:WindowsErrorCode=0x70", "leave"}),
              log.lines);
    txhooks::clearWriteLimit();
    handle.reset();
    // What reached the disk before it filled up stays.
    EXPECT_EQ(content.substr(0, 15000000), readFile(path("full.bin")));
}

#ifndef _WIN32
TEST_F(TarnixHandleTest, DevFullRefusesTheFirstChunk) {
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> handle(FileSys::openForWriteWin32(X("/dev/full"), reason, &log));
    ASSERT_TRUE(handle) << ::testing::PrintToString(log.lines);
    log.clear();
    int64_t written = 7;
    EXPECT_FALSE(handle->writeBytes("abc", 3, &written, &log));
    EXPECT_EQ(0, written);
    EXPECT_EQ((Lines{"enter:WriteFileError", "data:WindowsError=" + osText(ERROR_DISK_FULL),
                     "data:WindowsErrorCode=0x70", "leave"}),
              log.lines);
}
#endif

TEST_F(TarnixHandleTest, PositionsMoveAbsoluteRelativeAndToTheEnd) {
    writeFile(path("f.bin"), "0123456789");
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> handle(
        FileSys::openForReadWriteWin32(X(path("f.bin")), false, reason, nullptr));
    ASSERT_TRUE(handle);
    EXPECT_EQ(0, handle->getPosition(&log));
    EXPECT_TRUE(handle->setPosition(4, &log));
    char c = 0;
    uint32_t got = 0;
    bool endOfFile = false;
    ASSERT_TRUE(handle->readChunk(&c, 1, got, endOfFile, &log));
    EXPECT_EQ('4', c);
    EXPECT_TRUE(handle->seekRelative(-3, &log));
    EXPECT_EQ(2, handle->getPosition(&log));
    EXPECT_TRUE(handle->seekToEnd(&log));
    EXPECT_EQ(10, handle->getPosition(&log));
    // Beyond the end is allowed; a write there extends the file.
    EXPECT_TRUE(handle->setPosition(20, &log));
    EXPECT_EQ(20, handle->getPosition(&log));
    EXPECT_EQ(10, handle->getSize32(&log));
    ASSERT_TRUE(handle->writeBytes("x", 1, nullptr, &log));
    EXPECT_EQ(21, handle->getSize64(&log));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TarnixHandleTest, AMoveBeforeTheStartFailsWithTheOffset) {
    writeFile(path("f.bin"), "0123456789");
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    ASSERT_TRUE(handle->setPosition(3, &log));
    EXPECT_FALSE(handle->seekRelative(-5, &log));
    EXPECT_EQ((Lines{"error:Failed to SetFilePointer to relative file position",
                     "data:WindowsError=" + osText(ERROR_NEGATIVE_SEEK), "data:position=-5"}),
              log.lines);
    EXPECT_EQ(3, handle->getPosition(nullptr));
    log.clear();
    EXPECT_FALSE(handle->setPosition(-1, &log));
    EXPECT_EQ((Lines{"error:Failed to SetFilePointer to absolute file position",
                     "data:WindowsError=" + osText(ERROR_NEGATIVE_SEEK), "data:position=-1"}),
              log.lines);
}

TEST_F(TarnixHandleTest, FailedPointerAndSizeQueriesLogTheSystemText) {
    writeFile(path("f.bin"), "0123456789");
    auto handle = openRead("f.bin");
    ASSERT_TRUE(handle);
    txhooks::failNextCalls(txhooks::Call::SetFilePointer, ERROR_INVALID_FUNCTION, 2);
    EXPECT_EQ(-1, handle->getPosition(&log));
    EXPECT_FALSE(handle->seekToEnd(&log));
    txhooks::failNextCalls(txhooks::Call::GetFileSize, ERROR_ACCESS_DENIED, 2);
    EXPECT_EQ(-1, handle->getSize32(&log));
    EXPECT_EQ(-1, handle->getSize64(&log));
    std::string invalidFunction = "data:WindowsError=" + osText(ERROR_INVALID_FUNCTION);
    EXPECT_EQ((Lines{"error:Failed to get file position (2)", invalidFunction,
                     "error:Failed to SetFilePointer to end of file.", invalidFunction,
                     "error:" + osText(ERROR_ACCESS_DENIED), "error:Failed to get file size (32)",
                     "error:" + osText(ERROR_ACCESS_DENIED), "error:Failed to get file size (64)"}),
              log.lines);
    // Without a log the results are the same and nothing is written anywhere.
    txhooks::failNextCalls(txhooks::Call::GetFileSize, ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(-1, handle->getSize32(nullptr));
    EXPECT_EQ(10, handle->getSize32(nullptr));
}

TEST_F(TarnixHandleTest, OwnershipMovesAndTheOwnerClosesOnce) {
    writeFile(path("f.bin"), "abc");
    auto first = openRead("f.bin");
    ASSERT_TRUE(first);
    TarnixHandle second;
    txhooks::startCounting();
    second.takeOwnership(*first);
    EXPECT_FALSE(first->isOpen());
    EXPECT_TRUE(second.isOpen());
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::CloseHandle));
    first.reset();
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::CloseHandle));
    char buffer[3];
    uint32_t got = 0;
    bool endOfFile = false;
    ASSERT_TRUE(second.readBytes(buffer, 3, got, endOfFile, nullptr));
    EXPECT_EQ("abc", std::string(buffer, got));
    second.close();
    second.close();
    EXPECT_EQ(1u, txhooks::counters().callsOf(txhooks::Call::CloseHandle));
    EXPECT_TRUE(nobodyHoldsOpen(path("f.bin")));

    // Taking over closes what the taker held.
    auto third = openRead("f.bin");
    auto fourth = openRead("f.bin");
    txhooks::resetCounters();
    third->takeOwnership(*fourth);
    EXPECT_EQ(1u, txhooks::counters().callsOf(txhooks::Call::CloseHandle));
    third->takeOwnership(*third);
    EXPECT_TRUE(third->isOpen());
}

} // namespace
