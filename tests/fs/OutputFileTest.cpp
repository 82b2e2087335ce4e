// The file output: creation, writes, positions, reset and description.
#include "tests/fs/FsTestSupport.h"

#include "fs/OutputFile.h"

#include <memory>
#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

class OutputFileTest : public FsTest {
protected:
    std::unique_ptr<OutputFile> create(const std::string &name) {
        return std::unique_ptr<OutputFile>(FileSys::createOutputFile(path(name).c_str(), &log));
    }
};

TEST_F(OutputFileTest, CreationReplacesAnExistingFile) {
    writeFile(path("out.bin"), "previous content");
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    EXPECT_EQ((Lines{"enter:openForReadWriteWin32", "leave"}), log.lines);
    // Held exclusively while it exists, left on disk and free afterwards.
    EXPECT_FALSE(nobodyHoldsOpen(path("out.bin")));
    out.reset();
    EXPECT_TRUE(nobodyHoldsOpen(path("out.bin")));
    EXPECT_EQ("", readFile(path("out.bin")));

    out = create("out.bin");
    ASSERT_EQ(4u, out->write("data", 1, 4, &log));
    out.reset();
    EXPECT_EQ("data", readFile(path("out.bin")));
}

TEST_F(OutputFileTest, CreationInAMissingDirectoryFails) {
    EXPECT_EQ(nullptr, FileSys::createOutputFile(path("none/out.bin").c_str(), &log));
    EXPECT_EQ("data:osErrorInfo=" + osText(ERROR_PATH_NOT_FOUND), lineAt(log.lines, 4));
    EXPECT_EQ(nullptr, FileSys::createOutputFile("", nullptr));
}

TEST_F(OutputFileTest, WritesAdvanceThePositionAndTheSizeFollowsTheHighest) {
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    EXPECT_EQ(2u, out->write("abcdef", 3, 2, &log));
    EXPECT_EQ(6, out->getPosition());
    EXPECT_EQ(6u, out->getSize());
    EXPECT_EQ(1u, out->write64("gh", 2, 1, &log));
    EXPECT_EQ(8u, out->getBytesWritten());
    ASSERT_TRUE(out->setPosition(2, &log));
    EXPECT_EQ(2, out->getPosition());
    EXPECT_EQ(3u, out->write("XYZ", 1, 3, &log));
    EXPECT_EQ(5, out->getPosition());
    EXPECT_EQ(8u, out->getSize());
    ASSERT_TRUE(out->seekToEnd(&log));
    EXPECT_EQ(8, out->getPosition());
    EXPECT_EQ(1u, out->write("!", 1, 1, &log));
    EXPECT_EQ(9u, out->getSize());
    out.reset();
    EXPECT_EQ("abXYZfgh!", readFile(path("out.bin")));
}

TEST_F(OutputFileTest, EmptyWritesReturnZeroAndWriteNothing) {
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    txhooks::startCounting();
    EXPECT_EQ(0u, out->write(nullptr, 1, 4, &log));
    EXPECT_EQ(0u, out->write("x", 0, 4, &log));
    EXPECT_EQ(0u, out->write64("x", 1, 0, &log));
    EXPECT_EQ(0u, txhooks::counters().writeCalls);
    EXPECT_EQ(0, out->getPosition());
}

TEST_F(OutputFileTest, AFailedWriteKeepsWhatWasWrittenBefore) {
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    ASSERT_EQ(5u, out->write("first", 1, 5, &log));
    log.clear();
    txhooks::failNextCalls(txhooks::Call::WriteFile, ERROR_DISK_FULL, 1);
    EXPECT_EQ(0u, out->write("second", 1, 6, &log));
    EXPECT_EQ(5, out->getPosition());
    EXPECT_EQ((Lines{"enter:WriteFileError", "data:WindowsError=" + osText(ERROR_DISK_FULL),
                     "data:WindowsErrorCode=0x70", "leave"}),
              log.lines);
    out.reset();
    EXPECT_EQ("first", readFile(path("out.bin")));
}

TEST_F(OutputFileTest, ResetStartsTheFileOver) {
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    ASSERT_EQ(3u, out->write("old", 1, 3, &log));
    EXPECT_TRUE(out->reset(&log));
    EXPECT_EQ(0u, out->getBytesWritten());
    EXPECT_EQ(0, out->getPosition());
    EXPECT_EQ(0u, out->getSize());
    ASSERT_EQ(2u, out->write("ne", 1, 2, &log));
    EXPECT_FALSE(nobodyHoldsOpen(path("out.bin")));
    out.reset();
    EXPECT_EQ("ne", readFile(path("out.bin")));
    EXPECT_EQ(
        (Lines{"enter:openForReadWriteWin32", "leave", "enter:openForReadWriteWin32", "leave"}),
        log.lines);
}

TEST_F(OutputFileTest, ResetAtTheStartOnlyClearsTheCounter) {
    auto out = create("out.bin");
    ASSERT_TRUE(out);
    ASSERT_EQ(3u, out->write("abc", 1, 3, &log));
    ASSERT_TRUE(out->setPosition(0, &log));
    txhooks::startCounting();
    EXPECT_TRUE(out->reset(&log));
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::CreateFile));
    EXPECT_EQ(0u, out->getBytesWritten());
    ASSERT_EQ(1u, out->write("X", 1, 1, &log));
    out.reset();
    EXPECT_EQ("Xbc", readFile(path("out.bin")));
}

TEST_F(OutputFileTest, DescribeNamesTheFile) {
    auto out = create("a.bin");
    ASSERT_TRUE(out);
    StringBuffer text("stale");
    out->describe(text);
    EXPECT_EQ("file: " + path("a.bin"), std::string(text.getString()));
    OutputFile unnamed;
    unnamed.describe(text);
    EXPECT_STREQ("file", text.getString());
    Output base;
    base.describe(text);
    EXPECT_STREQ("unknown", text.getString());
}

TEST_F(OutputFileTest, AClosedOutputFailsItsOperations) {
    OutputFile unopened;
    EXPECT_EQ(0u, unopened.write("x", 1, 1, &log));
    EXPECT_FALSE(unopened.setPosition(3, &log));
    EXPECT_EQ(0, unopened.getPosition());
    EXPECT_EQ("error:Failed to write because file is not open.", lineAt(log.lines, 0));
}

} // namespace
