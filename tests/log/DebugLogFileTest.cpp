#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(DebugLogFile, FramedCallWritesIndentedLinesWithCrLf) {
    TempDir dir;
    std::string path = dir.file("debug.log");
    Logger log;
    setDebugPath(log, path);
    log.enterContext("FileOpen", true);
    log.logError("x");
    log.leaveContext();
    EXPECT_EQ("FileOpen:\r\n    x\r\n    (leaveContext)\r\n", readWholeFile(path));
}

TEST(DebugLogFile, EachKindHasItsLineFormat) {
    TempDir dir;
    std::string path = dir.file("kinds.log");
    Logger log;
    setDebugPath(log, path);
    log.enterContext("Outer", true);
    log.logInfo("info text");
    log.enterContext("inner", true);
    log.logData(" my tag ", "value");
    log.logData("nullValue", nullptr);
    log.logError("Failed.");
    log.leaveContext();
    log.leaveContext();
    EXPECT_EQ("Outer:\r\n"
              "    info text\r\n"
              "    inner:\r\n"
              "        my_tag: value\r\n"
              "        nullValue: (NULL)\r\n"
              "        Failed.\r\n"
              "        (leaveContext)\r\n"
              "    (leaveContext)\r\n",
              readWholeFile(path));
}

TEST(DebugLogFile, LinesAppearAsEntriesAreRecorded) {
    TempDir dir;
    std::string path = dir.file("live.log");
    Logger log;
    setDebugPath(log, path);
    EXPECT_EQ("<missing>", readWholeFile(path)) << "file made before any entry";
    log.enterContext("Call", true);
    EXPECT_EQ("Call:\r\n", readWholeFile(path));
    log.logInfo("one");
    EXPECT_EQ("Call:\r\n    one\r\n", readWholeFile(path));
    // Closed between lines: it may be removed and is made again by the next entry.
    ASSERT_EQ(0, remove(path.c_str()));
    log.logInfo("two");
    EXPECT_EQ("    two\r\n", readWholeFile(path));
}

TEST(DebugLogFile, RawEntriesAndClearWriteNothing) {
    TempDir dir;
    std::string path = dir.file("quiet.log");
    Logger log;
    setDebugPath(log, path);
    log.logRaw("raw");
    log.logError(nullptr);
    log.logData("  ", "refused");
    log.clearLog();
    EXPECT_EQ("<missing>", readWholeFile(path));
}

TEST(DebugLogFile, KeepsEarlierCallsAndRestartsAtDepthZero) {
    TempDir dir;
    std::string path = dir.file("calls.log");
    Logger log;
    setDebugPath(log, path);
    log.clearLog();
    log.enterContext("First", true);
    log.enterContext("stillOpen", true);
    // The frame is cut short: the next call's clear brings the depth back to 0.
    log.clearLog();
    log.enterContext("Second", true);
    log.logInfo("s");
    log.leaveContext();
    EXPECT_EQ("First:\r\n    stillOpen:\r\nSecond:\r\n    s\r\n    (leaveContext)\r\n",
              readWholeFile(path));
}

TEST(DebugLogFile, LeaveAtTheRootStaysAtDepthZero) {
    TempDir dir;
    std::string path = dir.file("root.log");
    Logger log;
    setDebugPath(log, path);
    log.leaveContext();
    log.leaveContext();
    log.logInfo("still flush");
    EXPECT_EQ("(leaveContext)\r\n(leaveContext)\r\nstill flush\r\n", readWholeFile(path));
    EXPECT_EQ("TarnixLog:\r\n  still flush\r\n--TarnixLog\r\n", textOf(log));
}

TEST(DebugLogFile, AppendsToAnExistingFile) {
    TempDir dir;
    std::string path = dir.file("existing.log");
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fputs("earlier\r\n", file);
    fclose(file);
    Logger log;
    setDebugPath(log, path);
    log.logInfo("later");
    EXPECT_EQ("earlier\r\nlater\r\n", readWholeFile(path));
}

TEST(DebugLogFile, MultiLineAndUtf8TextsAreWrittenAsTheyAre) {
    TempDir dir;
    std::string path = dir.file("bytes.log");
    Logger log;
    setDebugPath(log, path);
    log.enterContext("c", true);
    log.logData("dump", "0011\n2233");
    log.logInfo("caf\xC3\xA9 %s %d");
    EXPECT_EQ("c:\r\n    dump: 0011\n2233\r\n    caf\xC3\xA9 %s %d\r\n", readWholeFile(path));
}

TEST(DebugLogFile, UnwritablePathIsIgnored) {
    TempDir dir;
    std::string path = dir.file("no-such-dir") + "/x.log";
    Logger log;
    setDebugPath(log, path);
    EXPECT_TRUE(log.enterContext("c", true));
    EXPECT_TRUE(log.logError("e"));
    EXPECT_TRUE(log.leaveContext());
    EXPECT_EQ("<missing>", readWholeFile(path));
    EXPECT_EQ("TarnixLog:\r\n  c:\r\n    e\r\n  --c\r\n--TarnixLog\r\n", textOf(log));
}

TEST(DebugLogFile, EmptyingThePathStopsTheMirror) {
    TempDir dir;
    std::string path = dir.file("stop.log");
    Logger log;
    setDebugPath(log, path);
    log.logInfo("kept");
    setDebugPath(log, "");
    log.logInfo("not mirrored");
    EXPECT_EQ("kept\r\n", readWholeFile(path));
}

} // namespace
