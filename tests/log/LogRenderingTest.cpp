#include "log/LogRendering.h"
#include "core/StringBuffer.h"
#include "log/LogEntry2.h"
#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a framed method that failed to open its file leaves behind.
void recordFailedFileOpen(Logger &log) {
    log.clearLog();
    log.enterContext("FileOpen", true);
    log.logData("DllDate", "Jan 5 2024");
    log.logError("Failed.");
    log.leaveContext();
}

TEST(LogRendering, ClearedLogIsTheBareRoot) {
    Logger log;
    log.logInfo("gone");
    log.clearLog();
    EXPECT_EQ("TarnixLog:\r\n--TarnixLog\r\n", textOf(log));
    EXPECT_EQ("<TarnixLog>\r\n</TarnixLog>\r\n", xmlOf(log));
    EXPECT_EQ("TarnixLog:<blockquote>\r\n</blockquote>\r\n", htmlOf(log));
}

TEST(LogRendering, FramedMethodWithDataAndError) {
    Logger log;
    recordFailedFileOpen(log);
    EXPECT_EQ("TarnixLog:\r\n"
              "  FileOpen:\r\n"
              "    DllDate: Jan 5 2024\r\n"
              "    Failed.\r\n"
              "  --FileOpen\r\n"
              "--TarnixLog\r\n",
              textOf(log));
    EXPECT_EQ("<TarnixLog>\r\n"
              "<FileOpen>\r\n"
              "<DllDate>Jan 5 2024</DllDate>\r\n"
              "<error>Failed.</error>\r\n"
              "</FileOpen>\r\n"
              "</TarnixLog>\r\n",
              xmlOf(log));
    EXPECT_EQ("TarnixLog:<blockquote>\r\n"
              "FileOpen:<blockquote>\r\n"
              "DllDate: Jan 5 2024<br>\r\n"
              "Failed.<br>\r\n"
              "</blockquote>\r\n"
              "</blockquote>\r\n",
              htmlOf(log));
}

TEST(LogRendering, NestedContextsKindsAndOrder) {
    Logger log;
    log.enterContext("CopyFile", true);
    log.logInfo("start");
    log.enterContext("openForReadWin32", true);
    log.logData("path", "c:\\temp\\a.txt");
    log.enterContext("inner", true);
    log.logRaw("raw line");
    log.leaveContext();
    log.leaveContext();
    log.logError("Failed.");
    log.leaveContext();
    log.enterContext("Second", true);
    log.leaveContext();

    EXPECT_EQ("TarnixLog:\r\n"
              "  CopyFile:\r\n"
              "    start\r\n"
              "    openForReadWin32:\r\n"
              "      path: c:\\temp\\a.txt\r\n"
              "      inner:\r\n"
              "        raw line\r\n"
              "      --inner\r\n"
              "    --openForReadWin32\r\n"
              "    Failed.\r\n"
              "  --CopyFile\r\n"
              "  Second:\r\n"
              "  --Second\r\n"
              "--TarnixLog\r\n",
              textOf(log));
    EXPECT_EQ("<TarnixLog>\r\n"
              "<CopyFile>\r\n"
              "<info>start</info>\r\n"
              "<openForReadWin32>\r\n"
              "<path>c:\\temp\\a.txt</path>\r\n"
              "<inner>\r\n"
              "raw line\r\n"
              "</inner>\r\n"
              "</openForReadWin32>\r\n"
              "<error>Failed.</error>\r\n"
              "</CopyFile>\r\n"
              "<Second>\r\n"
              "</Second>\r\n"
              "</TarnixLog>\r\n",
              xmlOf(log));
    EXPECT_EQ("TarnixLog:<blockquote>\r\n"
              "CopyFile:<blockquote>\r\n"
              "start<br>\r\n"
              "openForReadWin32:<blockquote>\r\n"
              "path: c:\\temp\\a.txt<br>\r\n"
              "inner:<blockquote>\r\n"
              "raw line<br>\r\n"
              "</blockquote>\r\n"
              "</blockquote>\r\n"
              "Failed.<br>\r\n"
              "</blockquote>\r\n"
              "Second:<blockquote>\r\n"
              "</blockquote>\r\n"
              "</blockquote>\r\n",
              htmlOf(log));
}

TEST(LogRendering, EmptyNestedContextLeavesNoTrace) {
    Logger log;
    log.enterContext("FileExists", true);
    log.enterContext("GetAttributes", true);
    log.leaveContext();
    log.leaveContext();
    EXPECT_EQ("TarnixLog:\r\n  FileExists:\r\n  --FileExists\r\n--TarnixLog\r\n", textOf(log));
    EXPECT_EQ("<TarnixLog>\r\n<FileExists>\r\n</FileExists>\r\n</TarnixLog>\r\n", xmlOf(log));
    EXPECT_EQ("TarnixLog:<blockquote>\r\nFileExists:<blockquote>\r\n</blockquote>\r\n"
              "</blockquote>\r\n",
              htmlOf(log));
}

TEST(LogRendering, OutputIsReplacedNotAppended) {
    Logger log;
    StringBuffer out("stale bytes");
    log.getText(out);
    EXPECT_STREQ("TarnixLog:\r\n--TarnixLog\r\n", out.getString());
    out.setString("stale bytes");
    log.getXml(out);
    EXPECT_STREQ("<TarnixLog>\r\n</TarnixLog>\r\n", out.getString());
    out.setString("stale bytes");
    log.getHtml(out);
    EXPECT_STREQ("TarnixLog:<blockquote>\r\n</blockquote>\r\n", out.getString());
}

TEST(LogRenderingXml, MarkupAndControlBytesGoIntoCdata) {
    struct Case {
        const char *text;
        const char *xml;
    };
    const Case cases[] = {
        {"a<b", "<error><![CDATA[a<b]]></error>\r\n"},
        {"a>b", "<error><![CDATA[a>b]]></error>\r\n"},
        {"a&b", "<error><![CDATA[a&b]]></error>\r\n"},
        {"a\tb", "<error><![CDATA[a\tb]]></error>\r\n"},
        {"a\nb", "<error><![CDATA[a\nb]]></error>\r\n"},
        // CR, quotes and apostrophes need no protection.
        {"a\rb", "<error>a\rb</error>\r\n"},
        {"say \"it's\"", "<error>say \"it's\"</error>\r\n"},
        // Already a CDATA section: left as it is.
        {"<![CDATA[x<y]]>", "<error><![CDATA[x<y]]></error>\r\n"},
        {"pre <![CDATA[a]]> post", "<error>pre <![CDATA[a]]> post</error>\r\n"},
        // Only the closing half: wrapped all the same.
        {"a]]>b", "<error><![CDATA[a]]>b]]></error>\r\n"},
    };
    for (const Case &c : cases) {
        Logger log;
        log.logError(c.text);
        std::string expected = std::string("<TarnixLog>\r\n") + c.xml + "</TarnixLog>\r\n";
        EXPECT_EQ(expected, xmlOf(log)) << "text \"" << c.text << "\"";
    }
}

TEST(LogRenderingXml, InfoAndDataAreWrappedLikeErrors) {
    Logger log;
    log.logInfo("x < y");
    log.logData("dump", "0011 2233 4455 6677 8899 AABB CCDD EEFF\n10");
    log.logData("plain", "value");
    EXPECT_EQ("<TarnixLog>\r\n"
              "<info><![CDATA[x < y]]></info>\r\n"
              "<dump><![CDATA[0011 2233 4455 6677 8899 AABB CCDD EEFF\n10]]></dump>\r\n"
              "<plain>value</plain>\r\n"
              "</TarnixLog>\r\n",
              xmlOf(log));
}

TEST(LogRenderingXml, RawTextAndTagsAreWrittenAsRecorded) {
    Logger log;
    log.logRaw("<custom a=\"1\"/>");
    log.enterContext("a&b", true);
    log.logData("x<y", "1");
    log.leaveContext();
    EXPECT_EQ("<TarnixLog>\r\n"
              "<custom a=\"1\"/>\r\n"
              "<a&b>\r\n"
              "<x<y>1</x<y>\r\n"
              "</a&b>\r\n"
              "</TarnixLog>\r\n",
              xmlOf(log));
}

TEST(LogRenderingHtml, TextsAreEscapedTagsAreNot) {
    Logger log;
    log.logError("a<b & \"c\" 'd' >");
    log.logData("x&y", "<v>");
    log.logRaw("r&");
    log.enterContext("c<d", true);
    log.logInfo("i");
    log.leaveContext();
    EXPECT_EQ("TarnixLog:<blockquote>\r\n"
              "a&lt;b &amp; &quot;c&quot; 'd' &gt;<br>\r\n"
              "x&y: &lt;v&gt;<br>\r\n"
              "r&amp;<br>\r\n"
              "c<d:<blockquote>\r\n"
              "i<br>\r\n"
              "</blockquote>\r\n"
              "</blockquote>\r\n",
              htmlOf(log));
}

TEST(LogRendering, MultiLineTextsAreCopiedAsTheyAre) {
    Logger log;
    log.enterContext("m", true);
    log.logInfo("first\r\nsecond\nthird");
    log.leaveContext();
    EXPECT_EQ("TarnixLog:\r\n  m:\r\n    first\r\nsecond\nthird\r\n  --m\r\n--TarnixLog\r\n",
              textOf(log));
    EXPECT_EQ("TarnixLog:<blockquote>\r\nm:<blockquote>\r\nfirst\r\nsecond\nthird<br>\r\n"
              "</blockquote>\r\n</blockquote>\r\n",
              htmlOf(log));
}

TEST(LogRendering, Utf8BytesPassThroughUnchanged) {
    // "Grüße, 日本" and a path with an e acute, as UTF-8.
    const char *text = "Gr\xC3\xBC\xC3\x9F"
                       "e, \xE6\x97\xA5\xE6\x9C\xAC";
    const char *path = "C:\\caf\xC3\xA9\\f.txt";
    Logger log;
    log.logInfo(text);
    log.logData("path", path);
    EXPECT_EQ(std::string("TarnixLog:\r\n  ") + text + "\r\n  path: " + path +
                  "\r\n--TarnixLog\r\n",
              textOf(log));
    EXPECT_EQ(std::string("<TarnixLog>\r\n<info>") + text + "</info>\r\n<path>" + path +
                  "</path>\r\n</TarnixLog>\r\n",
              xmlOf(log));
    EXPECT_EQ(std::string("TarnixLog:<blockquote>\r\n") + text + "<br>\r\npath: " + path +
                  "<br>\r\n</blockquote>\r\n",
              htmlOf(log));
}

// Entries that lost a string to a failed allocation, built by hand.
TEST(LogRendering, EntriesWithoutTheirStringsRenderAsNothing) {
    LogEntry2 *root = LogEntry2::createNewEntry(LogEntry2::typeContext, "R", nullptr);
    ASSERT_NE(nullptr, root);
    LogEntry2 *broken[] = {
        LogEntry2::createNewEntry(LogEntry2::typeError, nullptr, nullptr),
        LogEntry2::createNewEntry(LogEntry2::typeInfo, "tagOnly", nullptr),
        LogEntry2::createNewEntry(LogEntry2::typeRaw, nullptr, nullptr),
        LogEntry2::createNewEntry(LogEntry2::typeTagged, "noValue", nullptr),
        LogEntry2::createNewEntry(LogEntry2::typeTagged, nullptr, "noTag"),
        LogEntry2::createNewEntry(LogEntry2::typeContext, nullptr, nullptr),
        LogEntry2::createNewEntry('Q', "unknown", "kind"),
    };
    for (LogEntry2 *entry : broken) {
        ASSERT_NE(nullptr, entry);
        ASSERT_TRUE(root->appendChild(entry));
    }
    LogEntry2 *kept = LogEntry2::createNewEntry(LogEntry2::typeInfo, nullptr, "kept");
    ASSERT_TRUE(root->appendChild(kept));

    StringBuffer out;
    appendLogText(*root, 0, out);
    EXPECT_STREQ("R:\r\n  kept\r\n--R\r\n", out.getString());
    out.clear();
    appendLogXml(*root, out);
    EXPECT_STREQ("<R>\r\n<info>kept</info>\r\n</R>\r\n", out.getString());
    out.clear();
    appendLogHtml(*root, out);
    EXPECT_STREQ("R:<blockquote>\r\nkept<br>\r\n</blockquote>\r\n", out.getString());
    delete root;
}

} // namespace
