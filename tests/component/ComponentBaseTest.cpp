// The frames and the last-error renderings, through ClsFileAccess.
#include "tests/component/FileAccessTestSupport.h"

#include <regex>

namespace comptest {
namespace {

std::string expectedUsername() {
    char computer[256] = "";
    char user[512] = "";
    DWORD computerSize = sizeof computer - 1;
    DWORD userSize = sizeof user - 1;
    if (!GetComputerNameA(computer, &computerSize)) computer[0] = 0;
    if (!GetUserNameA(user, &userSize)) user[0] = 0;
    return computer[0] ? std::string(computer) + ":" + user : std::string(user);
}

std::vector<std::string> header(const char *verbose) {
    return {"    DllDate: " + std::string(ClsBase::buildDate()),
            "    Username: " + expectedUsername(), "    Architecture: Little Endian; 32-bit",
            "    Language: ActiveX", std::string("    VerboseLogging: ") + verbose};
}

std::vector<std::string> framed(const std::string &method, std::vector<std::string> head,
                                const std::vector<std::string> &body) {
    std::vector<std::string> lines = {"TarnixLog:", "  " + method + ":"};
    lines.insert(lines.end(), head.begin(), head.end());
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("  --" + method);
    lines.push_back("--TarnixLog");
    return lines;
}

TEST(ComponentBase, BuildDateHasTheHeaderForm) {
    EXPECT_TRUE(std::regex_match(ClsBase::buildDate(),
                                 std::regex("(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                            "[1-9][0-9]? 20[0-9][0-9]")))
        << ClsBase::buildDate();
}

TEST_F(FileAccessTest, FullFrameFailedOpenInFull) {
    fa.put_VerboseLogging(true);
    ASSERT_FALSE(fa.OpenForRead(at("missing.txt")));
    XString current;
    FileSys::getCurrentDirectory(current);
    std::string local = fstest::backslashed(path("missing.txt"));
    EXPECT_EQ(
        crlfLines(framed(
            "OpenForRead", header("1"),
            {"    openForReadWin32:", "      Failed to open file (2)",
             "      localFilePath: " + local, "      currentWorkingDirectory: " + utf8(current),
             "      osErrorInfo: " + fstest::osText(ERROR_FILE_NOT_FOUND),
             "      localWindowsFilePath: " + local, "    --openForReadWin32", "    Failed."})),
        lastErrorText(fa));
    EXPECT_EQ(2, fa.get_FileOpenError());
}

TEST_F(FileAccessTest, ShortFrameWithResultInXml) {
    EXPECT_EQ(-1, fa.ReplaceStrings(at("a.txt"), X("utf-8"), X(""), X("b")));
    EXPECT_EQ(
        crlfLines({"<TarnixLog>", "<ReplaceStrings>", "<error>str1 is empty.</error>", "<n>-1</n>",
                   "<error>Failed.</error>", "</ReplaceStrings>", "</TarnixLog>"}),
        lastErrorXml(fa));
}

TEST_F(FileAccessTest, FailedCharsetInFull) {
    ASSERT_TRUE(fa.WriteEntireTextFile(at("t.txt"), X("abc"), X("no-such-charset"), false));
    EXPECT_EQ(crlfLines(framed("WriteEntireTextFile", header("0"),
                               {"    filename: " + path("t.txt"), "    charset: no-such-charset",
                                "    includePreamble: 0", "    Unknown charset.",
                                "    charset: no-such-charset", "    numOutputBytes: 3"})),
              lastErrorText(fa));
}

TEST_F(FileAccessTest, UnframedCallsKeepTheLastError) {
    fstest::writeFile(path("f"), "x");
    fa.FileDelete(at("f"));
    std::string before = lastErrorText(fa);
    EXPECT_EQ(crlfLines({"TarnixLog:", "  FileDelete:", "  --FileDelete", "--TarnixLog"}), before);
    XString dir;
    fa.FileClose();
    fa.get_CurrentDir(dir);
    fa.SetCurrentDir(dir);
    fa.get_EndOfFile();
    EXPECT_EQ(before, lastErrorText(fa));
    EXPECT_EQ(before, lastErrorText(fa)) << "reading twice changes nothing";
    // The next framed call's log holds only its own entries.
    fa.FileExists(X(""));
    EXPECT_EQ(crlfLines({"TarnixLog:", "  FileExists:", "    filename: ", "  --FileExists",
                         "--TarnixLog"}),
              lastErrorText(fa));
}

TEST_F(FileAccessTest, LineEndsBecomeCrLfOnce) {
    fa.failInContext("Method", "a\nb\r\nc");
    std::string text = lastErrorText(fa);
    EXPECT_NE(std::string::npos, text.find("    a\r\nb\r\nc\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("\r\r")) << text;
    std::string lone = std::regex_replace(text, std::regex("\r\n"), "");
    EXPECT_EQ(std::string::npos, lone.find_first_of("\r\n")) << "no bare CR or LF is left";
    XString html;
    fa.get_LastErrorHtml(html);
    EXPECT_NE(std::string::npos, utf8(html).find("Method:<blockquote>\r\n"));
}

TEST_F(FileAccessTest, SaveLastErrorTrimsAndRefusesBlanks) {
    fa.FileExists(at("x"));
    EXPECT_FALSE(fa.SaveLastError(X("")));
    EXPECT_FALSE(fa.SaveLastError(X(" \t\r\n")));
    ASSERT_TRUE(fa.SaveLastError(X("  " + path("log.xml") + "\t")));
    std::string saved = fstest::readFile(path("log.xml"));
    EXPECT_NE(std::string::npos, saved.find("<filename>" + path("x") + "</filename>")) << saved;
    EXPECT_EQ(lastErrorXml(fa), saved) << "saving neither clears nor adds";
    auto entries = std::filesystem::directory_iterator(fstest::fsPath(dir.path()));
    EXPECT_EQ(1, std::distance(entries, std::filesystem::directory_iterator()))
        << "the blank paths wrote nothing";
}

TEST_F(FileAccessTest, DebugLogFileMirrorsEachEntry) {
    fa.put_DebugLogFilePath(at("debug.log"));
    XString stored;
    fa.get_DebugLogFilePath(stored);
    EXPECT_EQ(path("debug.log"), utf8(stored));
    fa.FileExists(X(""));
    EXPECT_EQ("FileExists:\r\n    filename: \r\n    (leaveContext)\r\n",
              fstest::readFile(path("debug.log")));
}

} // namespace
} // namespace comptest
