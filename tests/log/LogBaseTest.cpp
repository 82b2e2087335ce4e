#include "log/LogBase.h"

#include "core/StringBuffer.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Call {
    std::string operation;
    std::string tag;
    std::string value;
};

bool operator==(const Call &a, const Call &b) {
    return a.operation == b.operation && a.tag == b.tag && a.value == b.value;
}

std::ostream &operator<<(std::ostream &os, const Call &call) {
    return os << call.operation << "(\"" << call.tag << "\", \"" << call.value << "\")";
}

// Captures what the conveniences pass to the virtual operations.
class RecordingLog : public LogBase {
public:
    bool logError(const char *text) override { return record("logError", "", text); }
    bool logInfo(const char *text) override { return record("logInfo", "", text); }
    bool logData(const char *tag, const char *value) override {
        return record("logData", tag, value);
    }

    std::vector<Call> calls;

private:
    bool record(const char *operation, const char *tag, const char *value) {
        calls.push_back({operation, tag ? tag : "<null>", value ? value : "<null>"});
        return true;
    }
};

Call data(const char *tag, const std::string &value) {
    return {"logData", tag, value};
}

// The system's own text for a code, as FormatMessageA gives it, without the line end.
std::string systemText(DWORD code) {
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return std::string();
    std::string result(text, length);
    LocalFree(text);
    while (!result.empty() && strchr(" \t\r\n", result.back()) != nullptr)
        result.pop_back();
    return result;
}

TEST(LogBaseConveniences, DataLongIsDecimal) {
    RecordingLog log;
    log.logDataLong("zero", 0);
    log.logDataLong("negative", -42);
    log.logDataLong("max", INT_MAX);
    log.logDataLong("min", INT_MIN);
    std::vector<Call> expected = {data("zero", "0"), data("negative", "-42"),
                                  data("max", "2147483647"), data("min", "-2147483648")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, DataInt64IsDecimal) {
    RecordingLog log;
    log.logDataInt64("big", 5000000000LL);
    log.logDataInt64("max", INT64_MAX);
    log.logDataInt64("min", INT64_MIN);
    log.logDataInt64("minusOne", -1);
    std::vector<Call> expected = {data("big", "5000000000"), data("max", "9223372036854775807"),
                                  data("min", "-9223372036854775808"), data("minusOne", "-1")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, DataHex32IsLowerCaseWithoutLeadingZeros) {
    RecordingLog log;
    log.logDataHex32("five", 5);
    log.logDataHex32("byte", 255);
    log.logDataHex32("zero", 0);
    log.logDataHex32("top", 0x80000000u);
    log.logDataHex32("all", 0xFFFFFFFFu);
    std::vector<Call> expected = {data("five", "0x5"), data("byte", "0xff"), data("zero", "0x0"),
                                  data("top", "0x80000000"), data("all", "0xffffffff")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, HexDumpOfNoBytesIsEmptyMarker) {
    RecordingLog log;
    const unsigned char bytes[] = {1, 2};
    log.logDataHexDump("none", bytes, 0);
    log.logDataHexDump("nullNone", nullptr, 0);
    std::vector<Call> expected = {data("none", "(empty)"), data("nullNone", "(empty)")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, HexDumpOfThreeBytes) {
    RecordingLog log;
    const unsigned char bytes[] = {0x0A, 0x1B, 0x2C};
    log.logDataHexDump("bytes", bytes, 3);
    std::vector<Call> expected = {data("bytes", "0A1B 2C")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, HexDumpIsTrimmedAtTheEnd) {
    // Four bytes end in a group space, sixteen in a line feed; neither is recorded.
    RecordingLog log;
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(0xF0 + i);
    log.logDataHexDump("four", bytes, 4);
    log.logDataHexDump("line", bytes, 16);
    std::vector<Call> expected = {data("four", "F0F1 F2F3"),
                                  data("line", "F0F1 F2F3 F4F5 F6F7 F8F9 FAFB FCFD FEFF")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, HexDumpOfSeventeenBytesBreaksTheLine) {
    RecordingLog log;
    unsigned char bytes[17];
    for (int i = 0; i < 17; ++i)
        bytes[i] = static_cast<unsigned char>(i * 0x11);
    log.logDataHexDump("bytes", bytes, 17);
    std::vector<Call> expected = {data("bytes", "0011 2233 4455 6677 8899 AABB CCDD EEFF\n"
                                                "10")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, MemoryAllocFailed) {
    RecordingLog log;
    log.logMemoryAllocFailed(17, 65536);
    std::vector<Call> expected = {{"logError", "", "Memory allocation failed."},
                                  data("failurePoint", "17"),
                                  data("numBytes", "65536")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, LastWindowsErrorRecordsTextAndCode) {
    std::string text = systemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
#ifndef _WIN32
    EXPECT_EQ("The system cannot find the file specified.", text);
#endif
    RecordingLog log;
    SetLastError(ERROR_FILE_NOT_FOUND);
    log.logLastWindowsError();
    std::vector<Call> expected = {data("WindowsError", text), data("WindowsErrorCode", "0x2")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, LastWindowsErrorWithoutSystemText) {
    // Bit 29 marks application-defined codes, for which the system has no text.
    const DWORD code = 0x2000ABCDu;
    ASSERT_EQ("", systemText(code));
    RecordingLog log;
    SetLastError(code);
    log.logLastWindowsError();
    std::vector<Call> expected = {data("WindowsError", ""), data("WindowsErrorCode", "0x2000abcd")};
    EXPECT_EQ(expected, log.calls);
}

TEST(LogBaseConveniences, WindowsErrorOfZeroRecordsNothing) {
    RecordingLog log;
    log.logWindowsError(0);
    EXPECT_TRUE(log.calls.empty()) << log.calls.size() << " calls, first " << log.calls[0];
}

TEST(LogBaseConveniences, WindowsErrorRecordsTextOnly) {
    std::string text = systemText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    RecordingLog log;
    SetLastError(ERROR_FILE_NOT_FOUND);
    log.logWindowsError(ERROR_ACCESS_DENIED);
    std::vector<Call> expected = {data("WindowsError", text)};
    EXPECT_EQ(expected, log.calls);
}

// Every operation of a log that overrides nothing succeeds and leaves outputs alone.
void expectDefaults(LogBase &log) {
    StringBuffer out("kept");
    log.getText(out);
    log.getXml(out);
    log.getHtml(out);
    EXPECT_STREQ("kept", out.getString());
    EXPECT_TRUE(log.saveXml(true, "never-written.xml"));
    EXPECT_TRUE(log.logError("error"));
    EXPECT_TRUE(log.logInfo("info"));
    EXPECT_TRUE(log.logRaw("raw"));
    EXPECT_TRUE(log.clearLog());
    EXPECT_TRUE(log.enterContext("context", true));
    EXPECT_TRUE(log.leaveContext());
    EXPECT_TRUE(log.logData("tag", "value"));
    EXPECT_TRUE(log.logData(nullptr, nullptr));

    log.logDataLong("long", 1);
    log.logDataInt64("int64", 1);
    log.logDataHex32("hex", 1);
    log.logDataHexDump("dump", "ab", 2);
    log.logMemoryAllocFailed(1, 2);
    SetLastError(ERROR_ACCESS_DENIED);
    log.logLastWindowsError();
    log.logWindowsError(ERROR_FILE_NOT_FOUND);
    log.getText(out);
    EXPECT_STREQ("kept", out.getString());
}

TEST(LogNull, EveryOperationSucceedsAndRecordsNothing) {
    LogNull log;
    expectDefaults(log);
    FILE *file = fopen("never-written.xml", "rb");
    EXPECT_EQ(nullptr, file) << "saveXml of LogNull wrote a file";
    if (file != nullptr) fclose(file);
}

TEST(LogNull, ServesAsLogBase) {
    LogBase *log = new LogNull;
    expectDefaults(*log);
    delete log;
}

TEST(LogBase, DefaultsAreThoseOfLogNull) {
    LogBase log;
    expectDefaults(log);
}

} // namespace
