// Named files and directories, whole files and text, and the names the ANSI code
// page can only best-fit.
#include "tests/component/FileAccessTestSupport.h"

#include <regex>

namespace comptest {
namespace {

using fstest::readFile;
using fstest::writeFile;
namespace fs = std::filesystem;

bool exists(const std::string &path) {
    return fs::exists(fstest::fsPath(path));
}

TEST_F(FileAccessTest, FilesAndDirectories) {
    writeFile(path("a"), "12345");
    fs::create_directory(fstest::fsPath(path("d")));
    EXPECT_TRUE(fa.FileExists(at("a")) && fa.FileExists(at("d")));
    EXPECT_FALSE(fa.FileExists(at("nope")) || fa.FileExists(X("")));
    EXPECT_EQ(5, fa.FileSize(at("a")));
    EXPECT_EQ(0, fa.FileSize(at("nope")));
    EXPECT_TRUE(logHas(fa, "Failed to open file"));

    EXPECT_TRUE(fa.FileCopy(at("a"), at("b"), true));
    EXPECT_FALSE(fa.FileCopy(at("a"), at("b"), true));
    EXPECT_TRUE(logHas(fa, "Failed to copy file"));
    EXPECT_TRUE(fa.FileCopy(at("a"), at("b"), false));
    EXPECT_TRUE(fa.FileRename(at("b"), at("d/c")));
    EXPECT_FALSE(fa.FileRename(at("b"), at("e")));
    EXPECT_EQ("12345", readFile(path("d/c")));
    EXPECT_TRUE(fa.FileDelete(at("d/c")) && !exists(path("d/c")));

    EXPECT_TRUE(fa.DirCreate(at("n")));
    EXPECT_FALSE(fa.DirCreate(at("n"))) << "one that exists";
    EXPECT_FALSE(fa.DirCreate(at("p/q")));
    EXPECT_TRUE(fa.DirAutoCreate(at("p/q/r")) && exists(path("p/q/r")));
    EXPECT_TRUE(fa.DirEnsureExists(at("s/t/file.txt")));
    EXPECT_TRUE(exists(path("s/t")) && !exists(path("s/t/file.txt")));
    EXPECT_FALSE(fa.DirDelete(at("p"))) << "not empty";

    writeFile(path("p/q/f"), "x");
    EXPECT_TRUE(fa.TreeDelete(at("p")));
    EXPECT_TRUE(exists(path("p")) && fs::is_empty(fstest::fsPath(path("p"))));
    EXPECT_TRUE(fa.DirDelete(at("p")) && !exists(path("p")));
    EXPECT_TRUE(fa.TreeDelete(at("gone")));
    EXPECT_TRUE(fa.TreeDelete(at("*")));
    EXPECT_TRUE(logHas(fa, "Cannot use wildcards when deleting a directory tree."));
}

TEST_F(FileAccessTest, CurrentDirectoryAndTemporaryNames) {
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(fa.SetCurrentDir(X(dir.path())));
    EXPECT_FALSE(fa.SetCurrentDir(at("missing")));
    XString current;
    fa.get_CurrentDir(current);
    EXPECT_EQ(fstest::backslashed(dir.path()), fstest::backslashed(utf8(current)));

    struct Form {
        std::string prefix, pattern;
    } forms[] = {{"", "x_[A-Z0-9]{4}\\.tmp"},
                 {"abc", "abc_[A-Z0-9]{4}\\.tmp"},
                 {"log.txt", "log_[A-Z0-9]{4}\\.txt"},
                 {"a.b.c", "a_[A-Z0-9]{4}\\.b\\.c"}};
    std::string root = fstest::backslashed(dir.path()) + "\\";
    for (const Form &form : forms) {
        XString name;
        fa.GetTempFilename(X(dir.path() + "/"), X(form.prefix), name);
        std::string got = utf8(name);
        ASSERT_EQ(0u, got.find(root)) << got;
        EXPECT_TRUE(std::regex_match(got.substr(root.size()), std::regex(form.pattern))) << got;
        EXPECT_FALSE(exists(got)) << "the file is not created";
    }
}

TEST_F(FileAccessTest, TextInCharsetsWrittenAndReadBack) {
    const std::string latin = "gr\xC3\xBC\xC3\x9F \xCE\xA9"; // "grüß Ω"
    const std::string greek = "\xCE\xB1\xCE\xA9";            // "αΩ"
    struct Row {
        const std::string &text;
        const char *charset;
        bool preamble;
        std::string bytes;
    } rows[] = {
        {latin, "utf-8", true, "\xEF\xBB\xBF" + latin},
        {latin, "utf-8", false, latin},
        {latin, "utf-16", true, std::string("\xFF\xFEg\0r\0\xFC\0\xDF\0 \0\xA9\x03", 14)},
        {latin, "utf-16be", true, std::string("\xFE\xFF\0g\0r\0\xFC\0\xDF\0 \x03\xA9", 14)},
        {latin, "utf-32", false,
         std::string("g\0\0\0r\0\0\0\xFC\0\0\0\xDF\0\0\0 \0\0\0\xA9\x03\0\0", 24)},
        {greek, "windows-1253", true, "\xE1\xD9"},
        {greek, "iso-8859-7", false, "\xE1\xD9"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.charset);
        ASSERT_TRUE(fa.WriteEntireTextFile(at("t"), X(row.text), X(row.charset), row.preamble));
        EXPECT_EQ(row.bytes, readFile(path("t")));
        EXPECT_TRUE(logHas(fa, "numOutputBytes: " + std::to_string(row.bytes.size())));
        XString back;
        ASSERT_TRUE(fa.ReadEntireTextFile(at("t"), X(std::string(" ") + row.charset), back));
        EXPECT_EQ(row.text, utf8(back));
    }
    // UTF-16 text ends at its first zero unit, not at its first zero byte.
    writeFile(path("u"), std::string("a\0b\0\0\0c\0", 8));
    XString read;
    ASSERT_TRUE(fa.ReadEntireTextFile(at("u"), X("utf-16le"), read));
    EXPECT_EQ("ab", utf8(read));
    // An 8-bit file stops at its first zero byte; "ansi" keeps a leading mark.
    writeFile(path("z"), std::string("\xEF\xBB\xBFk\0m", 6));
    ASSERT_TRUE(fa.ReadEntireTextFile(at("z"), X(""), read));
    EXPECT_EQ("k", utf8(read));
    ASSERT_TRUE(fa.ReadEntireTextFile(at("z"), X("ansi"), read));
    EXPECT_EQ("\xC3\xAF\xC2\xBB\xC2\xBFk", utf8(read));
    writeFile(path("e"), "");
    ASSERT_TRUE(fa.ReadEntireTextFile(at("e"), X("utf-8"), read));
    EXPECT_TRUE(read.isEmpty());
    EXPECT_TRUE(fa.WriteEntireTextFile(at("m"), X(""), X("utf-8"), true));
    EXPECT_EQ("\xEF\xBB\xBF", readFile(path("m")));
}

TEST_F(FileAccessTest, WholeFilesAsBytesAndEncodedText) {
    std::string bytes("\0\x01\xFEz", 4);
    ASSERT_TRUE(fa.WriteEntireFile(at("b"), Bytes(bytes)));
    DataBuffer read;
    ASSERT_TRUE(fa.ReadEntireFile(at("b"), read));
    EXPECT_EQ(bytes, bytesOf(read));

    struct Encoded {
        const char *encoding, *text;
    } encodings[] = {{"base64", "AAH+eg=="}, {" HEX ", "0001FE7A"}, {"no-such", ""}};
    for (const Encoded &e : encodings) {
        XString text;
        ASSERT_TRUE(fa.ReadBinaryToEncoded(at("b"), X(e.encoding), text));
        EXPECT_EQ(e.text, utf8(text)) << e.encoding;
        EXPECT_TRUE(logHas(fa, "fileSize: 4") && logHas(fa, "Success."));
    }
    XString text;
    EXPECT_FALSE(fa.ReadBinaryToEncoded(at("missing"), X("base64"), text));
    EXPECT_TRUE(text.isEmpty() && logHas(fa, "Failed."));

    // A full disk: false, the reason in the log, the object still usable.
    txhooks::setWriteLimit(2);
    EXPECT_FALSE(fa.WriteEntireFile(at("full"), Bytes("abcdef")));
    EXPECT_TRUE(logHas(fa, "Failed to write complete file"));
    txhooks::resetAll();
    EXPECT_TRUE(fa.WriteEntireFile(at("full"), Bytes("abcdef")));
    EXPECT_TRUE(fstest::nobodyHoldsOpen(path("full")));
}

TEST_F(FileAccessTest, ReplaceStrings) {
    struct Row {
        std::string content, find, replacement, charset;
        int count;
        std::string after;
    } rows[] = {
        {"aaaa", "aa", "a", "utf-8", 2, "aa"},
        {"x\xE9y\xE9", "\xC3\xA9", "e!", "windows-1252", 2, "xe!ye!"},
        {"abc", "abc", "", "utf-8", 1, ""},
        {"abc", "", "x", "utf-8", -1, "abc"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.content + "/" + row.find);
        writeFile(path("r"), row.content);
        EXPECT_EQ(row.count,
                  fa.ReplaceStrings(at("r"), X(row.charset), X(row.find), X(row.replacement)));
        EXPECT_EQ(row.after, readFile(path("r")));
        EXPECT_TRUE(logHas(fa, "n: " + std::to_string(row.count)));
    }
    EXPECT_TRUE(logHas(fa, "str1 is empty."));

    // No match: neither the bytes nor the modification time change.
    writeFile(path("r"), "unchanged");
    fs::last_write_time(fstest::fsPath(path("r")),
                        fs::file_time_type::clock::now() - std::chrono::hours(24));
    auto stamp = fs::last_write_time(fstest::fsPath(path("r")));
    EXPECT_EQ(0, fa.ReplaceStrings(at("r"), X("utf-8"), X("zz"), X("y")));
    EXPECT_EQ(stamp, fs::last_write_time(fstest::fsPath(path("r"))));
}

// In code page 1252 these letters best-fit to plain ones (Omega to O, Cyrillic a to
// a, ...): the operations must reach the named file, never its best-fit twin.
TEST_F(FileAccessTest, BestFitLettersNeverNameAnotherFile) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs ANSI code page 1252, this is " << GetACP();
    struct Name {
        std::string real, twin;
    } names[] = {
        {"\xCE\xA9.txt", "O.txt"}, {"\xD0\xB0\xC4\x81.txt", "aa.txt"}, {"\xC4\x89.txt", "c.txt"}};
    for (const Name &name : names) {
        SCOPED_TRACE(name.twin);
        writeFile(path(name.twin), "twin");
        ASSERT_TRUE(fa.WriteEntireFile(at(name.real), Bytes("real")));
        EXPECT_EQ("real", readFile(path(name.real)));
        DataBuffer read;
        ASSERT_TRUE(fa.ReadEntireFile(at(name.real), read));
        EXPECT_EQ("real", bytesOf(read));
        ASSERT_TRUE(fa.FileDelete(at(name.real)));
        EXPECT_FALSE(fa.FileExists(at(name.real)));
        EXPECT_FALSE(fa.ReadEntireFile(at(name.real), read));
        EXPECT_TRUE(logHas(fa, "loadFileUnicode:"));
        EXPECT_EQ("twin", readFile(path(name.twin)));
        EXPECT_FALSE(fa.OpenForRead(at(name.real)));
        EXPECT_FALSE(fa.FileOpen(at(name.real), GENERIC_READ, 0, OPEN_EXISTING, 0));
    }
}

} // namespace
} // namespace comptest
