// Reading, writing, positions and sizes of an owned file handle, up beyond 4 GiB.
#include "tests/fs/FsTestSupport.h"

using namespace fstest;

namespace {

const int64_t fourGiB = int64_t(1) << 32;

class TarnixHandleTest : public FsTest {
protected:
    Handle openFile(const std::string &bytes, bool write = false) {
        writeFile(path("f.bin"), bytes);
        return reopen(write);
    }
    Handle reopen(bool write = false) {
        uint32_t reason = 0;
        X p(path("f.bin"));
        return Handle(write ? FileSys::openForReadWriteWin32(p, false, reason, nullptr)
                            : FileSys::openForReadWin32(p, reason, nullptr));
    }
    char buffer[16] = {};
    uint32_t got = 99;
    bool endOfFile = true;
};

TEST_F(TarnixHandleTest, AClosedHandleFailsWithoutCallingTheSystemAndBadBuffersAreRefused) {
    TarnixHandle handle;
    rearm();
    int64_t written = 5;
    // clang-format off
    Results results{handle.readBytes(buffer, 4, got, endOfFile, &log),
                    handle.writeBytes("abc", 3, &written, &log), written, handle.seekToEnd(&log),
                    handle.getPosition(&log), handle.setPosition(7, &log), handle.getSize64(&log)};
    // clang-format on
    EXPECT_EQ((Results{false, false, 0, false, -1, false, -1}), results);
    const std::string invalid = windowsError(ERROR_INVALID_HANDLE);
    EXPECT_EQ((Lines{"error:No file is open.", "error:Failed to write because file is not open.",
                     "error:Failed to SetFilePointer to end of file.", invalid,
                     "error:Failed to get file position (2)", invalid,
                     "error:Failed to SetFilePointer to absolute file position", invalid,
                     "data:position=7", "error:" + osText(ERROR_INVALID_HANDLE),
                     "error:Failed to get file size (64)"}),
              log.lines);
    EXPECT_EQ(0, callsOf(Call::ReadFile) + callsOf(Call::WriteFile) +
                     callsOf(Call::SetFilePointer) + callsOf(Call::GetFileSize));

    // Nothing asked for is nothing read.
    Handle open = openFile("0123456789");
    log.lines.clear();
    Results refused{open->readBytes(nullptr, 4, got, endOfFile, &log),
                    open->readChunk(nullptr, 4, got, endOfFile, &log),
                    open->readChunk(buffer, 0, got, endOfFile, &log),
                    open->writeBytes(nullptr, 4, nullptr, &log),
                    open->readBytes(buffer, 0, got, endOfFile, &log)};
    EXPECT_EQ((Results{false, false, false, false, true}), refused);
    EXPECT_EQ((Lines{"error:NULL buf pointer.", "error:NULL buf or bufSize",
                     "error:NULL buf or bufSize", "error:NULL buf pointer."}),
              log.lines);
}

TEST_F(TarnixHandleTest, ReadsGoInChunksOf65536AndWritesInChunksOf10000000UntilAFailure) {
    // limit: of each ReadFile, as from a pipe; failure: of the ReadFile after the first. A
    // failed read reports what was read before; ERROR_HANDLE_EOF is the end of the file.
    const struct {
        size_t fileSize;
        uint32_t count;
        DWORD limit, failure;
        uint32_t got;
        std::vector<DWORD> sizes;
    } rows[] = {{200000, 200000, 0, 0, 200000, {65536, 65536, 65536, 3392}},
                {150000, 200000, 0, 0, 150000, {65536, 65536, 65536, 50000}},
                {10000, 8000, 3000, 0, 8000, {8000, 5000, 2000}},
                {0, 10, 0, 0, 0, {10}},
                {100000, 100000, 0, ERROR_READ_FAULT, 65536, {65536}},
                {100000, 100000, 0, ERROR_HANDLE_EOF, 65536, {65536}}};
    for (const auto &row : rows) {
        std::string content = patternBytes(row.fileSize);
        Handle handle = openFile(content);
        std::vector<char> into(row.count);
        rearm();
        txhooks::setReadChunkLimit(row.limit);
        if (row.failure) txhooks::failCallsAfter(Call::ReadFile, 1, row.failure, 1);
        bool ok = row.failure != ERROR_READ_FAULT;
        EXPECT_EQ(ok, handle->readBytes(into.data(), row.count, got, endOfFile, &log));
        EXPECT_EQ(ok && row.got < row.count, endOfFile) << row.fileSize;
        EXPECT_EQ(row.sizes, ioSizes(false)) << row.fileSize;
        EXPECT_EQ(content.substr(0, row.got), std::string(into.data(), got));
        EXPECT_EQ(ok ? Lines{} : Lines{windowsError(ERROR_READ_FAULT)}, log.lines);
    }
    const std::string content = patternBytes(25000000);
    // Only complete chunks count as written; what reached the disk stays.
    for (uint64_t diskRoom : {uint64_t(0), uint64_t(15000000)}) {
        Handle handle = openFile("", true);
        rearm();
        if (diskRoom) txhooks::setWriteLimit(diskRoom);
        int64_t written = -1;
        EXPECT_EQ(diskRoom == 0, handle->writeBytes(content.data(), 25000000, &written, &log));
        EXPECT_EQ(diskRoom ? 10000000 : 25000000, written);
        std::vector<DWORD> sizes{10000000, 10000000, 5000000};
        sizes.resize(diskRoom ? 2 : 3);
        EXPECT_EQ(sizes, ioSizes(true));
        Lines diskFull{"enter:WriteFileError", windowsError(ERROR_DISK_FULL),
                       "data:WindowsErrorCode=0x70", "leave"};
        EXPECT_EQ(diskRoom ? diskFull : Lines{}, log.lines);
        txhooks::clearWriteLimit();
        handle.reset();
        size_t kept = diskRoom ? diskRoom : 25000000;
        EXPECT_TRUE(content.compare(0, kept, readFile(path("f.bin"))) == 0);
    }
}

#ifndef _WIN32
// A real full device: the POSIX layer must report it as Windows reports a full disk.
TEST_F(TarnixHandleTest, AFullDeviceFailsTheWholeFileWriteWithDiskFull) {
    EXPECT_FALSE(FileSys::writeEntireFile(X("/dev/full"), "data", 4, &log));
    EXPECT_EQ((Lines{"enter:openForWriteWin32", "leave", "enter:WriteFileError",
                     windowsError(ERROR_DISK_FULL), "data:WindowsErrorCode=0x70", "leave",
                     "data:filename=/dev/full", "error:Failed to write complete file (1)"}),
              log.lines);
}
#endif

TEST_F(TarnixHandleTest, PositionsMoveButNotBeforeTheStartAndOwnershipMovesWithOneClose) {
    Handle handle = openFile("0123456789", true);
    // Beyond the end is allowed; a write there extends the file.
    // clang-format off
    Results results{handle->setPosition(4, &log), handle->readChunk(buffer, 1, got, endOfFile, &log),
                    buffer[0], handle->seekRelative(-3, &log), handle->getPosition(&log),
                    handle->seekToEnd(&log), handle->getPosition(&log), handle->setPosition(20, &log),
                    handle->getSize32(&log), handle->writeBytes("x", 1, nullptr, &log),
                    handle->getSize64(&log)};
    // clang-format on
    EXPECT_EQ((Results{true, true, '4', true, 2, true, 10, true, 10, true, 21}), results);
    EXPECT_TRUE(log.lines.empty());
    // A move before the start fails with the system's text and leaves the position.
    EXPECT_FALSE(handle->seekRelative(-25, &log) || handle->setPosition(-1, &log));
    EXPECT_EQ(21, handle->getPosition(nullptr));
    EXPECT_EQ((Lines{"error:Failed to SetFilePointer to relative file position",
                     windowsError(ERROR_NEGATIVE_SEEK), "data:position=-25",
                     "error:Failed to SetFilePointer to absolute file position",
                     windowsError(ERROR_NEGATIVE_SEEK), "data:position=-1"}),
              log.lines);

    Handle first = openFile("abc"), taker = reopen();
    rearm();
    // Taking over closes what the taker held and nothing of the giver, nor its own handle.
    taker->takeOwnership(*first);
    taker->takeOwnership(*taker);
    first.reset();
    EXPECT_TRUE(taker->isOpen() && callsOf(Call::CloseHandle) == 1);
}

// The file is sparse: only its last bytes are written.
TEST_F(TarnixHandleTest, FilesBeyondFourGiBUseAll64Bits) {
    std::error_code error;
    std::filesystem::space_info space = std::filesystem::space(fsPath(dir.path()), error);
    // Where the file system does not keep holes, writing at 4 GiB allocates it all.
    if (error || space.available < static_cast<uintmax_t>(6 * fourGiB))
        GTEST_SKIP() << "not enough room for a 4 GiB file";
    Handle h = openFile("", true);
    ASSERT_TRUE(h->setPosition(fourGiB + 97, &log) && h->writeBytes("END", 3, nullptr, &log));
    h.reset();
    h = reopen();
    bool success = false;
    // Only the low half is reported by the 32-bit sizes; 4 GiB - 1 is a position like any.
    // clang-format off
    Results results{h->getSize64(&log), h->getSize32(&log),
                    FileSys::fileSize32(X(path("f.bin")), nullptr, success), success,
                    h->seekToEnd(&log), h->getPosition(&log), h->seekRelative(-3, &log),
                    h->readBytes(buffer, 8, got, endOfFile, &log), got, endOfFile,
                    h->setPosition(fourGiB - 1, &log), h->getPosition(&log)};
    // clang-format on
    EXPECT_EQ((Results{fourGiB + 100, 100, 100, true, true, fourGiB + 100, true, true, 3, true,
                       true, fourGiB - 1}),
              results);
    EXPECT_EQ("END", std::string(buffer, 3));
    FindFileWin32 find;
    ASSERT_TRUE(find.findFirst(X(path("f.bin")), &log));
    EXPECT_EQ(fourGiB + 100, find.getEntrySize64());
}

} // namespace

TEST_F(TarnixHandleTest, AWholeFileLoadThatFailsPartWayHoldsZerosAfterWhatWasRead) {
    // The block is not zeroed up front, so the bytes the failed read never reached
    // must be zeroed afterwards; the 4 spare bytes after the content are zero too.
    const std::string content = patternBytes(200000);
    writeFile(path("f.bin"), content);
    for (DWORD failure : {DWORD(0), DWORD(ERROR_READ_FAULT)}) {
        DataBuffer data;
        data.append("stale", 5);
        rearm();
        if (failure) txhooks::failCallsAfter(Call::ReadFile, 1, failure, 1);
        EXPECT_EQ(failure == 0, data.loadFile(path("f.bin").c_str(), nullptr));
        ASSERT_EQ(content.size(), data.getSize());
        ASSERT_EQ(content.size() + 4, data.getCapacity());
        std::string expected = failure ? content.substr(0, 65536) : content;
        expected.resize(content.size() + 4, '\0');
        EXPECT_EQ(expected, std::string(reinterpret_cast<char *>(data.getData()), expected.size()));
    }
}
