#include "log/Logger.h"
#include "core/XString.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char bareText[] = "TarnixLog:\r\n--TarnixLog\r\n";

TEST(LoggerData, TagIsTrimmedAndSpacesBecomeUnderscores) {
    Logger log;
    EXPECT_TRUE(log.logData(" my tag ", "v"));
    EXPECT_TRUE(log.logData("\t\r\nedged\n", "w"));
    EXPECT_TRUE(log.logData("a  b c", "x"));
    EXPECT_EQ("TarnixLog:\r\n  my_tag: v\r\n  edged: w\r\n  a__b_c: x\r\n--TarnixLog\r\n",
              textOf(log));
}

TEST(LoggerData, BlankOrNullTagIsRefused) {
    Logger log;
    EXPECT_FALSE(log.logData("", "v"));
    EXPECT_FALSE(log.logData("   ", "v"));
    EXPECT_FALSE(log.logData(" \t\r\n", "v"));
    EXPECT_FALSE(log.logData(nullptr, "v"));
    EXPECT_EQ(bareText, textOf(log));
}

TEST(LoggerData, NullValueIsRecordedAsNullMarker) {
    Logger log;
    EXPECT_TRUE(log.logData("value", nullptr));
    EXPECT_TRUE(log.logData("empty", ""));
    EXPECT_EQ("TarnixLog:\r\n  value: (NULL)\r\n  empty: \r\n--TarnixLog\r\n", textOf(log));
    EXPECT_EQ("<TarnixLog>\r\n<value>(NULL)</value>\r\n<empty></empty>\r\n</TarnixLog>\r\n",
              xmlOf(log));
}

TEST(LoggerData, ValueKeepsItsSpaces) {
    Logger log;
    EXPECT_TRUE(log.logData("t", "  two  words  "));
    EXPECT_EQ("TarnixLog:\r\n  t:   two  words  \r\n--TarnixLog\r\n", textOf(log));
}

TEST(LoggerMessages, NullTextsRecordNothingAndSucceed) {
    Logger log;
    EXPECT_TRUE(log.logError(nullptr));
    EXPECT_TRUE(log.logInfo(nullptr));
    EXPECT_TRUE(log.logRaw(nullptr));
    EXPECT_EQ(bareText, textOf(log));
}

TEST(LoggerMessages, EveryRecordingOperationReturnsTrue) {
    Logger log;
    EXPECT_TRUE(log.enterContext("c", true));
    EXPECT_TRUE(log.logError("e"));
    EXPECT_TRUE(log.logInfo("i"));
    EXPECT_TRUE(log.logRaw("r"));
    EXPECT_TRUE(log.logData("d", "v"));
    EXPECT_TRUE(log.leaveContext());
    EXPECT_TRUE(log.leaveContext()) << "leave at the root";
    EXPECT_TRUE(log.clearLog());
    EXPECT_EQ(bareText, textOf(log));
}

TEST(LoggerMessages, EmptyTextIsAnEntry) {
    Logger log;
    log.logInfo("");
    EXPECT_EQ("<TarnixLog>\r\n<info></info>\r\n</TarnixLog>\r\n", xmlOf(log));
}

TEST(LoggerContexts, LeftContextsReturnEntriesToTheParent) {
    Logger log;
    log.enterContext("A", true);
    log.enterContext("B", true);
    log.logInfo("in B");
    log.leaveContext();
    log.logInfo("in A");
    log.leaveContext();
    log.logInfo("in root");
    EXPECT_EQ("TarnixLog:\r\n  A:\r\n    B:\r\n      in B\r\n    --B\r\n    in A\r\n  --A\r\n"
              "  in root\r\n--TarnixLog\r\n",
              textOf(log));
}

TEST(LoggerContexts, ClearDropsOpenContexts) {
    Logger log;
    log.enterContext("Open", true);
    log.enterContext("Deeper", true);
    log.clearLog();
    log.logInfo("after");
    EXPECT_EQ("TarnixLog:\r\n  after\r\n--TarnixLog\r\n", textOf(log));
}

TEST(LoggerDataX, RecordsTheUtf8Form) {
    Logger log;
    XString value;
    value.setFromUtf8("caf\xC3\xA9");
    log.logDataX("name", value);
    XString empty;
    log.logDataX("nothing", empty);
    EXPECT_EQ("TarnixLog:\r\n  name: caf\xC3\xA9\r\n  nothing: \r\n--TarnixLog\r\n", textOf(log));
}

TEST(LoggerDataX, ConvertsFromTheAnsiForm) {
    // 0xE9 is e acute in code page 1252.
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    Logger log;
    XString value;
    value.setFromAnsi("caf\xE9");
    log.logDataX("name", value);
    EXPECT_EQ("TarnixLog:\r\n  name: caf\xC3\xA9\r\n--TarnixLog\r\n", textOf(log));
}

TEST(LoggerDebugPath, StartsEmptyAndReadsBackWhatWasSet) {
    Logger log;
    XString path;
    path.setFromUtf8("placeholder");
    log.getDebugLogFilePath(path);
    EXPECT_TRUE(path.isEmpty()) << "got \"" << path.getUtf8() << "\"";

    XString wanted;
    wanted.setFromUtf8("C:\\logs\\d\xC3\xA9"
                       "bug.txt");
    log.setDebugLogFilePath(wanted);
    log.getDebugLogFilePath(path);
    EXPECT_STREQ("C:\\logs\\d\xC3\xA9"
                 "bug.txt",
                 path.getUtf8());

    wanted.clear();
    log.setDebugLogFilePath(wanted);
    log.getDebugLogFilePath(path);
    EXPECT_TRUE(path.isEmpty()) << "got \"" << path.getUtf8() << "\"";
}

TEST(LoggerAsLogBase, ConveniencesReachTheTree) {
    Logger log;
    LogBase &base = log;
    base.enterContext("Call", true);
    base.logDataLong("count", -3);
    base.logDataHex32("code", 255);
    base.logDataHexDump("bytes", "\x0A\x1B\x2C", 3);
    base.logMemoryAllocFailed(4, 100);
    base.leaveContext();
    EXPECT_EQ("TarnixLog:\r\n"
              "  Call:\r\n"
              "    count: -3\r\n"
              "    code: 0xff\r\n"
              "    bytes: 0A1B 2C\r\n"
              "    Memory allocation failed.\r\n"
              "    failurePoint: 4\r\n"
              "    numBytes: 100\r\n"
              "  --Call\r\n"
              "--TarnixLog\r\n",
              textOf(log));
}

TEST(LoggerLock, OperationsNestUnderAHeldLock) {
    // The owner may hold the lock around a sequence of operations: it is recursive.
    Logger log;
    log.enterCriticalSection();
    log.enterContext("held", true);
    log.logInfo("x");
    log.leaveContext();
    std::string text = textOf(log);
    log.leaveCriticalSection();
    EXPECT_EQ("TarnixLog:\r\n  held:\r\n    x\r\n  --held\r\n--TarnixLog\r\n", text);
}

} // namespace
