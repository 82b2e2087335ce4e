#include "log/LogRendering.h"
#include "core/StringBuffer.h"
#include "log/LogEntry2.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {

// One tree that meets every rendering rule: nesting and indentation, each entry kind, an
// empty text, a top-level context that recorded nothing, markup in tags, texts and raw
// entries, a line break and UTF-8 bytes.
TEST(LogRendering, OneTreeInAllThreeForms) {
    Logger log;
    play(log, {">CopyFile", "i:start\ncaf\xC3\xA9", ">a&b", "path=c:\\temp\\x.txt",
               "x<y=<v> & \"it's\"", "r:<custom a=\"1\"/>", "<", "e:", "<", ">Second", "<"});
    EXPECT_EQ(crlf({"TarnixLog:", "  CopyFile:", "    start\ncaf\xC3\xA9",
                    "    a&b:", "      path: c:\\temp\\x.txt", "      x<y: <v> & \"it's\"",
                    "      <custom a=\"1\"/>", "    --a&b", "    ", "  --CopyFile",
                    "  Second:", "  --Second", "--TarnixLog"}),
              textOf(log));
    EXPECT_EQ(crlf({"<TarnixLog>", "<CopyFile>", "<info><![CDATA[start\ncaf\xC3\xA9]]></info>",
                    "<a&b>", "<path>c:\\temp\\x.txt</path>",
                    "<x<y><![CDATA[<v> & \"it's\"]]></x<y>", "<custom a=\"1\"/>", "</a&b>",
                    "<error></error>", "</CopyFile>", "<Second>", "</Second>", "</TarnixLog>"}),
              xmlOf(log));
    EXPECT_EQ(crlf({"TarnixLog:<blockquote>", "CopyFile:<blockquote>", "start\ncaf\xC3\xA9<br>",
                    "a&b:<blockquote>", "path: c:\\temp\\x.txt<br>",
                    "x<y: &lt;v&gt; &amp; &quot;it's&quot;<br>",
                    "&lt;custom a=&quot;1&quot;/&gt;<br>", "</blockquote>", "<br>", "</blockquote>",
                    "Second:<blockquote>", "</blockquote>", "</blockquote>"}),
              htmlOf(log));
}

TEST(LogRenderingXml, MarkupAndControlBytesGoIntoCdata) {
    const std::pair<const char *, const char *> cases[] = {
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
    for (const auto &[text, xml] : cases) {
        SCOPED_TRACE(text);
        Logger log;
        log.logError(text);
        EXPECT_EQ(rootXml(xml), xmlOf(log));
    }
}

// Entries that lost a string or their child array to a failed allocation, built by hand.
TEST(LogRendering, EntriesWithoutTheirStringsRenderAsNothing) {
    std::unique_ptr<LogEntry2> root(
        LogEntry2::createNewEntry(LogEntry2::typeContext, "R", nullptr));
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
    LogEntry2 *kept = LogEntry2::createNewEntry(LogEntry2::typeInfo, nullptr, "kept");
    for (LogEntry2 *entry : broken) {
        ASSERT_NE(nullptr, entry);
        ASSERT_TRUE(root->appendChild(entry));
    }
    ASSERT_NE(nullptr, kept);
    // Only a context takes children; a refused child stays the caller's.
    EXPECT_FALSE(broken[1]->appendChild(kept));
    ASSERT_TRUE(root->appendChild(kept));

    StringBuffer text, xml, html;
    appendLogText(*root, 0, text);
    appendLogXml(*root, xml);
    appendLogHtml(*root, html);
    EXPECT_STREQ("R:\r\n  kept\r\n--R\r\n", text.getString());
    EXPECT_STREQ("<R>\r\n<info>kept</info>\r\n</R>\r\n", xml.getString());
    EXPECT_STREQ("R:<blockquote>\r\nkept<br>\r\n</blockquote>\r\n", html.getString());
}

} // namespace
