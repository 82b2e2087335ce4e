#include "log/LogBase.h"
#include "core/XString.h"
#include "platform/Win32.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>

namespace {

// i * 0x11 for i = 0..16: one whole dump line and a byte more.
const char dumpBytes[] = "\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF\x10";
const std::string dumpLine = "0011 2233 4455 6677 8899 AABB CCDD EEFF";

// The system's own text for a code, without the line end that ends it.
std::string systemText(DWORD code) {
    char text[512];
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    std::string result(text, n);
    result.erase(result.find_last_not_of(" \t\r\n") + 1);
    return result;
}

// Rendered as XML, which tells errors from infos and shows any trailing space or line feed.
TEST(LogBaseConveniences, FormatNumbersAndDumps) {
    const std::pair<void (*)(LogBase &), std::string> cases[] = {
        {[](LogBase &l) { l.logDataLong("n", 0); }, "<n>0</n>"},
        {[](LogBase &l) { l.logDataLong("n", INT_MAX); }, "<n>2147483647</n>"},
        {[](LogBase &l) { l.logDataLong("n", INT_MIN); }, "<n>-2147483648</n>"},
        {[](LogBase &l) { l.logDataInt64("n", 0); }, "<n>0</n>"},
        {[](LogBase &l) { l.logDataInt64("n", INT64_MAX); }, "<n>9223372036854775807</n>"},
        {[](LogBase &l) { l.logDataInt64("n", INT64_MIN); }, "<n>-9223372036854775808</n>"},
        {[](LogBase &l) { l.logDataHex32("h", 0); }, "<h>0x0</h>"},
        {[](LogBase &l) { l.logDataHex32("h", 0xAB); }, "<h>0xab</h>"},
        {[](LogBase &l) { l.logDataHex32("h", 0xFFFFFFFFu); }, "<h>0xffffffff</h>"},
        {[](LogBase &l) { l.logDataHexDump("d", dumpBytes, 0); }, "<d>(empty)</d>"},
        {[](LogBase &l) { l.logDataHexDump("d", nullptr, 0); }, "<d>(empty)</d>"},
        {[](LogBase &l) { l.logDataHexDump("d", dumpBytes, 3); }, "<d>0011 22</d>"},
        // Four bytes end in a group space, sixteen in a line feed; neither is recorded.
        {[](LogBase &l) { l.logDataHexDump("d", dumpBytes, 4); }, "<d>0011 2233</d>"},
        {[](LogBase &l) { l.logDataHexDump("d", dumpBytes, 16); }, "<d>" + dumpLine + "</d>"},
        {[](LogBase &l) { l.logDataHexDump("d", dumpBytes, 17); },
         "<d><![CDATA[" + dumpLine + "\n10]]></d>"},
    };
    for (const auto &[call, xml] : cases) {
        SCOPED_TRACE(xml);
        Logger log;
        call(log);
        EXPECT_EQ(rootXml(crlf({xml})), xmlOf(log));
    }
}

TEST(LogBaseConveniences, RecordErrorsAndStrings) {
    const std::string fileNotFound = systemText(ERROR_FILE_NOT_FOUND);
    const std::string accessDenied = systemText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(accessDenied.empty());
#ifndef _WIN32
    // The POSIX layer carries the English texts; Wine and Windows have their own wording.
    EXPECT_EQ("The system cannot find the file specified.", fileNotFound);
#endif
    // Bit 29 marks application-defined codes, for which the system has no text.
    ASSERT_EQ("", systemText(0x2000ABCDu));
    Logger log;
    log.logMemoryAllocFailed(17, 65536);
    XString value;
    value.setFromUtf8("caf\xC3\xA9");
    log.logDataX("x", value);
    SetLastError(ERROR_FILE_NOT_FOUND);
    log.logLastWindowsError();
    // Looking up the missing text sets another last error; the code recorded is the first.
    SetLastError(0x2000ABCDu);
    log.logLastWindowsError();
    log.logWindowsError(0);
    SetLastError(ERROR_FILE_NOT_FOUND);
    log.logWindowsError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        rootXml(crlf({"<error>Memory allocation failed.</error>", "<failurePoint>17</failurePoint>",
                      "<numBytes>65536</numBytes>", "<x>caf\xC3\xA9</x>",
                      "<WindowsError>" + fileNotFound + "</WindowsError>",
                      "<WindowsErrorCode>0x2</WindowsErrorCode>", "<WindowsError></WindowsError>",
                      "<WindowsErrorCode>0x2000abcd</WindowsErrorCode>",
                      "<WindowsError>" + accessDenied + "</WindowsError>"})),
        xmlOf(log));
}

} // namespace
