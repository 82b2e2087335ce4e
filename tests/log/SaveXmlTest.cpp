#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(SaveXml, WritesExactlyTheXmlRendering) {
    TempDir dir;
    std::string path = dir.file("last.xml");
    Logger log;
    log.enterContext("FileOpen", true);
    log.logData("DllDate", "Jan 5 2024");
    log.logError("Cannot open <x>");
    log.leaveContext();
    EXPECT_TRUE(log.saveXml(false, path.c_str()));
    EXPECT_EQ("<TarnixLog>\r\n"
              "<FileOpen>\r\n"
              "<DllDate>Jan 5 2024</DllDate>\r\n"
              "<error><![CDATA[Cannot open <x>]]></error>\r\n"
              "</FileOpen>\r\n"
              "</TarnixLog>\r\n",
              readWholeFile(path));
    EXPECT_EQ(xmlOf(log), readWholeFile(path));
}

TEST(SaveXml, ReplacesAnExistingFileAndLeavesTheLogAlone) {
    TempDir dir;
    std::string path = dir.file("again.xml");
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fputs("a much longer earlier content that must not survive the save", file);
    fclose(file);

    Logger log;
    log.logInfo("i");
    std::string before = textOf(log);
    EXPECT_TRUE(log.saveXml(false, path.c_str()));
    EXPECT_EQ("<TarnixLog>\r\n<info>i</info>\r\n</TarnixLog>\r\n", readWholeFile(path));
    EXPECT_EQ(before, textOf(log));
}

TEST(SaveXml, BareLogSavesTheRootOnly) {
    TempDir dir;
    std::string path = dir.file("bare.xml");
    Logger log;
    EXPECT_TRUE(log.saveXml(false, path.c_str()));
    EXPECT_EQ("<TarnixLog>\r\n</TarnixLog>\r\n", readWholeFile(path));
}

TEST(SaveXml, FailsWhereNoFileCanBeMade) {
    TempDir dir;
    std::string path = dir.file("missing-dir") + "/x.xml";
    Logger log;
    log.logInfo("i");
    EXPECT_FALSE(log.saveXml(false, path.c_str()));
    EXPECT_EQ("<missing>", readWholeFile(path));
    EXPECT_FALSE(log.saveXml(false, ""));
    EXPECT_FALSE(log.saveXml(false, nullptr));
    // The writer is given no log: the failure leaves no entry here.
    EXPECT_EQ("TarnixLog:\r\n  i\r\n--TarnixLog\r\n", textOf(log));
}

} // namespace
