// Streaming a file chunk by chunk, with positions, searches and copies to an output; the
// file output with its positions and reset.
#include "tests/fs/FsTestSupport.h"

#include "fs/FileDataSource.h"
#include "fs/OutputFile.h"

#include <cstring>

using namespace fstest;

namespace {

const std::string enterRead = "enter:openForReadWin32";

class StreamsTest : public FsTest {
protected:
    std::unique_ptr<FileDataSource> source(const std::string &bytes, const char *name = "f.bin") {
        writeFile(path(name), bytes);
        return std::unique_ptr<FileDataSource>(
            FileSys::createFileDataSource(path(name).c_str(), &log));
    }
    std::unique_ptr<OutputFile> output(const std::string &name) {
        return std::unique_ptr<OutputFile>(FileSys::createOutputFile(path(name).c_str(), &log));
    }
    std::string next(DataSource &src, uint32_t size) {
        n = 99;
        EXPECT_TRUE(src.getNextChunk(buffer, size, n, &log));
        return std::string(buffer, n);
    }
    char buffer[32] = {};
    uint32_t n = 99;
};

TEST_F(StreamsTest, ChunksFollowTheBufferUntilTheEndWhichReleasesTheFile) {
    // CRC-32 of "123456789" is 0xCBF43926; the register holds it before the final inversion.
    for (bool crc : {true, false}) {
        auto src = source("123456789");
        src->setComputeCrc(crc);
        EXPECT_EQ((Lines{"1234", "5678", "9", ""}),
                  (Lines{next(*src, 4), next(*src, 4), next(*src, 4), next(*src, 4)}));
        EXPECT_EQ((Results{true, 9, crc ? 0x340BC6D9 : 0xFFFFFFFF, -1}),
                  (Results{src->endOfStream(), int64_t(src->getTotalDelivered()),
                           src->getCrcRegister(), src->getPosition()}));
        EXPECT_TRUE(nobodyHoldsOpen(path("f.bin")));
    }
    // Strict chunks fail only when nothing came; an empty file ends at the first read.
    auto strict = source("0123456789"), empty = source("", "empty.bin");
    Results results{strict->getNextChunkStrict(buffer, 6, n, &log),
                    strict->getNextChunkStrict(buffer, 6, n, &log), n,
                    strict->getNextChunkStrict(buffer, 6, n, &log), strict->endOfStream(),
                    source("", "empty2.bin")->getNextChunkStrict(buffer, 6, n, &log),
                    empty->endOfStream(), empty->getNextChunk(buffer, 6, n, &log), n,
                    empty->endOfStream()};
    EXPECT_EQ((Results{true, true, 4, false, true, false, false, true, 0, true}), results);
    EXPECT_EQ(nullptr, FileSys::createFileDataSource(path("none.bin").c_str(), &log));

    log.lines.clear();
    auto src = source("abc");
    EXPECT_FALSE(src->getNextChunk(buffer, 0, n, &log) || n);
    EXPECT_FALSE(src->getNextChunk(nullptr, 4, n, &log));
    EXPECT_FALSE(src->getNextChunkStrict(nullptr, 0, n, &log));
    EXPECT_EQ((Lines{enterRead, "leave", "error:zero-size buffer passed to get-next-chunk.",
                     "error:NULL buffer passed to get-next-chunk.",
                     "error:zero-size buffer passed to get-next-chunk."}), log.lines);
    EXPECT_EQ("abc", next(*src, 4));
}

TEST_F(StreamsTest, PositionsMoveAndABackwardSeekReopensOnlyAnOwnedFile) {
    auto src = source("0123456789");
    ASSERT_TRUE(src->skipBytes(3, &log));
    EXPECT_EQ("34", next(*src, 2));
    rearm();
    EXPECT_TRUE(src->seekRelative(-4, &log));
    // The file was opened again, at the position reached.
    EXPECT_EQ((Results{1, 1}), (Results{callsOf(Call::CreateFile), src->getPosition()}));
    EXPECT_EQ("12", next(*src, 2));
    ASSERT_TRUE(src->setPosition(8, &log));
    EXPECT_EQ("89", next(*src, 2));
    src->rewind();
    EXPECT_EQ("01", next(*src, 2));
    EXPECT_FALSE(src->seekRelative(-20, &log));
    EXPECT_EQ("error:Failed to seek to relative offset in file", log.lines.back());

    log.lines.clear();
    uint32_t reason = 0;
    Handle handle(FileSys::openForReadWin32(X(path("f.bin")), reason, nullptr));
    FileDataSource borrowed;
    borrowed.borrowHandle(handle.get());
    EXPECT_TRUE(borrowed.seekRelative(5, &log) && !borrowed.seekRelative(-1, &log));
    EXPECT_EQ((Lines{"56789", ""}), (Lines{next(borrowed, 16), next(borrowed, 16)}));
    EXPECT_TRUE(borrowed.endOfStream() && handle->isOpen());
    EXPECT_FALSE(borrowed.seekRelative(1, &log) || borrowed.setPosition(0, &log));
    EXPECT_EQ((Lines{"error:Cannot seek relative on non-owned file handle",
                     "error:Cannot fseek relative, file already closed."}), log.lines);
}

TEST_F(StreamsTest, SearchesSkipsAndCopiesGoIn20000ByteBlocksAndOnlyAFailedWriteFailsACopy) {
    std::string zeros(50000, '\0');
    // The first straddles the end of the first 20000-byte block.
    for (size_t at : {19998, 41000})
        zeros.replace(at, 4, "PK\3\4");
    auto src = source(zeros);
    int64_t position = 0;
    for (int64_t expected : {19998, 41000}) {
        ASSERT_TRUE(src->findUint32(0x04034B50, position, &log));
        EXPECT_EQ((Results{expected, expected}), (Results{position, src->getPosition()}));
        EXPECT_EQ("P", next(*src, 1));
    }
    EXPECT_FALSE(src->findUint32(0x04034B50, position, &log) || position);
    EXPECT_EQ((Lines{enterRead, "leave"}), log.lines);

    // The base skip reads in chunks of 20000; running out of data is fine.
    src = source(zeros);
    rearm();
    EXPECT_TRUE(src->DataSource::skipBytes(5000, &log) && src->DataSource::skipBytes(50000, &log));
    EXPECT_EQ((std::vector<DWORD>{5000, 20000, 20000, 10000, 5000}), ioSizes(false));
    EXPECT_TRUE(src->endOfStream());

    const std::string content = patternBytes(65000);
    // A full disk fails the copy, with or without a log; a failed read only ends it.
    const struct { uint64_t diskRoom; bool failRead, logged, copied; size_t kept; } rows[] = {
        {0, false, true, true, 65000}, {30000, false, true, false, 30000},
        {30000, false, false, false, 30000}, {0, true, true, true, 20000}};
    for (const auto &row : rows) {
        auto src = source(content);
        auto out = output("out.bin");
        rearm();
        if (row.diskRoom) txhooks::setWriteLimit(row.diskRoom);
        if (row.failRead) txhooks::failCallsAfter(Call::ReadFile, 1, ERROR_READ_FAULT, 1);
        EXPECT_EQ(row.copied, src->copyToOutput(*out, row.logged ? &log : nullptr));
        std::vector<DWORD> writes{20000, 20000, 20000, 5000};
        writes.resize(row.failRead ? 1 : row.diskRoom ? 2 : 4);
        EXPECT_EQ(writes, ioSizes(true));
        const std::string failed = "error:Failed to write data to output.";
        EXPECT_EQ(row.logged && !row.copied, !log.lines.empty() && log.lines.back() == failed);
        out.reset();
        EXPECT_EQ(content.substr(0, row.kept), readFile(path("out.bin")));
    }
}

TEST_F(StreamsTest, OutputFileHoldsItsFileExclusivelyWritesMoveThePositionAndResetStartsOver) {
    writeFile(path("out.bin"), "previous content");
    auto out = output("out.bin");
    EXPECT_FALSE(nobodyHoldsOpen(path("out.bin")));
    out.reset();
    EXPECT_TRUE(nobodyHoldsOpen(path("out.bin")) && readFile(path("out.bin")).empty());
    EXPECT_TRUE(output("none/out.bin") == nullptr && !FileSys::createOutputFile("", nullptr));

    out = output("out.bin");
    rearm();
    Results results{out->write(nullptr, 1, 4, &log), out->write("x", 0, 4, &log),
                    out->write64("x", 1, 0, &log), int64_t(txhooks::counters().writeCalls),
                    out->write("abcdef", 3, 2, &log), out->write64("gh", 2, 1, &log),
                    out->setPosition(2, &log), out->write("XYZ", 1, 3, &log), out->getPosition(),
                    int64_t(out->getSize()), out->seekToEnd(&log), out->getPosition()};
    EXPECT_EQ((Results{0, 0, 0, 0, 2, 1, true, 3, 5, 8, true, 8}), results);
    // A failed write keeps what was written before and moves nothing.
    txhooks::failNextCalls(Call::WriteFile, ERROR_DISK_FULL, 1);
    Results failed{out->write("lost", 1, 4, &log), out->getPosition(),
                   int64_t(out->getBytesWritten()), out->write("!", 1, 1, &log),
                   int64_t(out->getSize())};
    EXPECT_EQ((Results{0, 8, 11, 1, 9}), failed);
    out.reset();
    EXPECT_EQ("abXYZfgh!", readFile(path("out.bin")));

    // A reset creates the file anew, unless nothing is written at the current position.
    out = output("out.bin");
    log.lines.clear();
    ASSERT_EQ(3u, out->write("old", 1, 3, &log));
    EXPECT_TRUE(out->reset(&log));
    EXPECT_EQ(0u, out->getBytesWritten() + out->getPosition() + out->getSize());
    ASSERT_EQ(3u, out->write("new", 1, 3, &log));
    EXPECT_FALSE(nobodyHoldsOpen(path("out.bin")));
    EXPECT_EQ((Lines{"enter:openForReadWriteWin32", "leave"}), log.lines);
    ASSERT_TRUE(out->setPosition(0, &log));
    rearm();
    EXPECT_TRUE(out->reset(&log));
    EXPECT_EQ(0u, callsOf(Call::CreateFile) + out->getBytesWritten());
    ASSERT_EQ(1u, out->write("N", 1, 1, &log));
    out.reset();
    EXPECT_EQ("New", readFile(path("out.bin")));
}

} // namespace
