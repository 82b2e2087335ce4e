// Directory listings and non-ASCII names behave as on Windows in both builds.
#include "tests/platform/PlatformTest.h"

#include <set>

namespace {

// Every entry a pattern lists, in order of name, as "[name\]" for a directory
// and "[name=size]" for a file.
std::string list(const std::string &pattern) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    std::set<std::string> entries;
    do {
        std::string size = std::to_string((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
        bool directory = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        entries.insert(data.cFileName + (directory ? "\\" : "=" + size));
        // 100 ns ticks since 1601: anything written lately is past the year 2000,
        // whose ticks have the high part 0x1BF53EB.
        EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0x1BF53EBu) << data.cFileName;
    } while (FindNextFileA(find, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError()) << pattern;
    // The end stays the end.
    EXPECT_FAILS_WITH(ERROR_NO_MORE_FILES, FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    std::string all;
    for (const std::string &entry : entries)
        all += "[" + entry + "]";
    return all;
}

TEST(FindFileTest, PatternsMatchIgnoringCaseAndStarsListTheDotEntries) {
    TempDir dir;
    const std::string sub = dir.file("d");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(writeTestFile(sub + "\\Ab.txt", "abc"));
    ASSERT_TRUE(writeTestFile(sub + "\\b", ""));
    ASSERT_TRUE(CreateDirectoryA((sub + "\\inner").c_str(), nullptr));
    const char *const everything = "[..\\][.\\][Ab.txt=3][b=0][inner\\]";
    struct Case {
        const char *pattern, *expected;
    };
    for (const Case &c :
         {Case{"\\*.*", everything}, Case{"\\*", everything}, Case{"/*", everything},
          Case{"\\a*", "[Ab.txt=3]"}, Case{"\\*.TXT", "[Ab.txt=3]"}, Case{"\\a?.txt", "[Ab.txt=3]"},
          Case{"\\ab.txt", "[Ab.txt=3]"}, Case{"\\?", "[.\\][b=0]"},
          Case{"\\*b*", "[Ab.txt=3][b=0]"}, Case{"\\in*er", "[inner\\]"},
          // Without a wildcard the entry itself is found, a directory included.
          Case{"", "[d\\]"}}) {
        EXPECT_EQ(c.expected, list(sub + c.pattern)) << c.pattern;
    }
    // A failed FindFirstFile's handle is no listing to close.
    EXPECT_FAILS_WITH(ERROR_INVALID_HANDLE, FindClose(INVALID_HANDLE_VALUE));
}

TEST(NameEncodingTest, AnsiNamesAreWindows1252AndOtherCharactersListAsQuestionMarks) {
    struct Case {
        bool createdWide;
        const char *created, *ansi, *utf8;
    };
    for (const Case &c :
         {// é is the single byte 0xE9, the euro sign 0x80.
          Case{false, "caf\xE9.txt", "caf\xE9.txt", "caf\xC3\xA9.txt"},
          Case{false, "\x80.txt", "\x80.txt", "\xE2\x82\xAC.txt"},
          // U+65E5 U+672C, "Japan", has no windows-1252 form.
          Case{true, "\xE6\x97\xA5\xE6\x9C\xAC.txt", "??.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"},
          // U+1F600, beyond the basic plane, is two UTF-16 units.
          Case{true, "\xF0\x9F\x98\x80.txt", "??.txt", "\xF0\x9F\x98\x80.txt"}}) {
        SCOPED_TRACE(c.utf8);
        TempDir dir;
        TestHandle file(c.createdWide
                            ? CreateFileW(toWide(dir.file(c.created)).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                            : openFile(dir.file(c.created), GENERIC_WRITE, 0, CREATE_ALWAYS));
        ASSERT_TRUE(file.valid()) << "error " << GetLastError();
        EXPECT_EQ("[" + std::string(c.ansi) + "=0]", list(dir.file("*.txt")));
        WIN32_FIND_DATAW wide;
        HANDLE find = FindFirstFileW(toWide(dir.file("*.txt")).c_str(), &wide);
        ASSERT_NE(INVALID_HANDLE_VALUE, find) << "error " << GetLastError();
        EXPECT_EQ(c.utf8, toUtf8(wide.cFileName));
        FindClose(find);
    }
}

TEST(NameEncodingTest, CurrentDirectoryWithoutAnAnsiFormReadsAsQuestionMarks) {
    TempDir dir;
    CurrentDirectoryGuard restore;
    WideString wide = toWide(dir.file("\xE6\x97\xA5"));
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << "error " << GetLastError();
    ASSERT_TRUE(SetCurrentDirectoryW(wide.c_str())) << "error " << GetLastError();
    char ansi[2048];
    DWORD length = GetCurrentDirectoryA(sizeof ansi, ansi);
    ASSERT_GT(length, 2u);
    EXPECT_EQ("\\?", std::string(ansi + length - 2, 2));
    WCHAR current[2048];
    length = GetCurrentDirectoryW(2048, current);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(0x65E5, current[length - 1]);
}

} // namespace
