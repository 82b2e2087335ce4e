#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The tree, and the debug file that mirrors it line by line with four spaces per open
// context where the text rendering indents by two.
TEST(Logger, TreeAndDebugFileFollowTheCalls) {
    struct Case {
        std::vector<std::string> steps;
        std::string text;
        std::string debugFile;
    };
    const Case cases[] = {
        // A leave at the root is written but changes nothing, the depth included.
        {{"<", "i:top", ">A", ">B", "i:inB", "<", "e:inA", "<", "i:root"},
         "  top\r\n  A:\r\n    B:\r\n      inB\r\n    --B\r\n    inA\r\n  --A\r\n  root\r\n",
         "(leaveContext)\r\ntop\r\nA:\r\n    B:\r\n        inB\r\n        (leaveContext)\r\n    "
         "inA\r\n"
         "    (leaveContext)\r\nroot\r\n"},
        // An empty context goes as it is left, which may empty its parent in turn; directly
        // under the root every context stays, as hosts expect one per method call.
        {{">A", ">B", ">C", "<", "<", "<", ">D", "<"},
         "  A:\r\n  --A\r\n  D:\r\n  --D\r\n",
         "A:\r\n    B:\r\n        C:\r\n            (leaveContext)\r\n        (leaveContext)\r\n"
         "    (leaveContext)\r\nD:\r\n    (leaveContext)\r\n"},
        // A call cut short leaves contexts open; the next call's clear drops them from the
        // tree and brings the file back to depth 0, but keeps the file.
        {{">A", ">B", "i:x", "!", ">C", "i:y", "<"},
         "  C:\r\n    y\r\n  --C\r\n",
         "A:\r\n    B:\r\n        x\r\nC:\r\n    y\r\n    (leaveContext)\r\n"},
        // Tags become element names: trimmed, spaces made underscores. Values and texts are
        // kept byte for byte, and never taken as a printf format.
        {{" my tag =v", "\t\r\nedged\n=w", "a  b c=x", "t=  two  words  ",
          "empty=", "dump=0011\n2233", "i:caf\xC3\xA9 %s %d", "i:"},
         "  my_tag: v\r\n  edged: w\r\n  a__b_c: x\r\n  t:   two  words  \r\n  empty: \r\n"
         "  dump: 0011\n2233\r\n  caf\xC3\xA9 %s %d\r\n  \r\n",
         "my_tag: v\r\nedged: w\r\na__b_c: x\r\nt:   two  words  \r\nempty: \r\n"
         "dump: 0011\n2233\r\ncaf\xC3\xA9 %s %d\r\n\r\n"},
        // Raw entries are for the renderings only; nothing here even creates the file.
        {{"!", "r:raw"}, "  raw\r\n", "<missing>"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        TempDir dir;
        Logger log;
        setDebugPath(log, dir.file("debug.log"));
        play(log, c.steps);
        EXPECT_EQ(rootText(c.text), textOf(log));
        EXPECT_EQ(c.debugFile, readWholeFile(dir.file("debug.log")));
    }
}

TEST(Logger, NullTextsAndBlankTags) {
    TempDir dir;
    Logger log;
    setDebugPath(log, dir.file("debug.log"));
    for (const char *tag : {"", "   ", " \t\r\n", static_cast<const char *>(nullptr)})
        EXPECT_FALSE(log.logData(tag, "v")) << (tag != nullptr ? tag : "null tag");
    EXPECT_TRUE(log.logError(nullptr) && log.logInfo(nullptr) && log.logRaw(nullptr));
    EXPECT_TRUE(log.logData("value", nullptr));
    EXPECT_EQ(rootText("  value: (NULL)\r\n"), textOf(log));
    EXPECT_EQ("value: (NULL)\r\n", readWholeFile(dir.file("debug.log")));
}

TEST(DebugLogFile, IsClosedBetweenLinesAndStopsWhenThePathIsEmptyOrUnusable) {
    TempDir dir;
    const std::string path = dir.file("debug.log");
    Logger log;
    setDebugPath(log, path);
    // Hosts read, move or delete the file between entries; Windows refuses to delete an open
    // file, and POSIX would leave later lines in the deleted one.
    play(log, {">Call"});
    EXPECT_EQ("Call:\r\n", readWholeFile(path));
    ASSERT_EQ(0, remove(path.c_str()));
    play(log, {"i:kept"});
    setDebugPath(log, "");
    play(log, {"i:not mirrored"});
    EXPECT_EQ("    kept\r\n", readWholeFile(path));
    const std::string unusable = dir.file("no-such-dir") + "/x.log";
    setDebugPath(log, unusable);
    play(log, {"e:e", "<"});
    EXPECT_EQ("<missing>", readWholeFile(unusable));
    EXPECT_EQ(rootText("  Call:\r\n    kept\r\n    not mirrored\r\n    e\r\n  --Call\r\n"),
              textOf(log));
}

TEST(SaveXml, ReplacesTheFileWithTheXmlRenderingOrFailsWithoutALogEntry) {
    TempDir dir;
    const std::string path = dir.file("log.xml");
    Logger log;
    play(log, {"i:a much longer earlier log that must not survive the next save"});
    ASSERT_TRUE(log.saveXml(false, path.c_str()));
    play(log, {"!", ">FileOpen", "e:Cannot open <x>", "<"});
    const std::string xml =
        rootXml("<FileOpen>\r\n<error><![CDATA[Cannot open <x>]]></error>\r\n</FileOpen>\r\n");
    EXPECT_TRUE(log.saveXml(false, path.c_str()));
    EXPECT_EQ(xml, readWholeFile(path));

    const std::string unusable = dir.file("no-such-dir") + "/x.xml";
    EXPECT_FALSE(log.saveXml(false, unusable.c_str()));
    EXPECT_EQ("<missing>", readWholeFile(unusable));
    EXPECT_FALSE(log.saveXml(false, "") || log.saveXml(false, nullptr));
    // The file writer is given no log, so neither saving nor failing adds to this one.
    EXPECT_EQ(xml, xmlOf(log));
}

} // namespace
