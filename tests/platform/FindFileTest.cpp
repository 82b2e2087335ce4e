// Directory listings and non-ASCII names behave as on Windows in both builds.
#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct Listed {
    DWORD attributes;
    uint64_t size;
};

// Every entry a pattern lists, by name (ANSI), or the error of FindFirstFileA.
std::map<std::string, Listed> listAnsi(const std::string &pattern, DWORD *error) {
    std::map<std::string, Listed> entries;
    WIN32_FIND_DATAA data;
    SetLastError(0xDEADBEEF);
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    *error = GetLastError();
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        entries[data.cFileName] = {data.dwFileAttributes,
                                   (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
    } while (FindNextFileA(find, &data));
    *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return entries;
}

std::map<std::string, Listed> listWide(const std::string &pattern, DWORD *error) {
    std::map<std::string, Listed> entries;
    WIN32_FIND_DATAW data;
    SetLastError(0xDEADBEEF);
    HANDLE find = FindFirstFileW(toWide(pattern).c_str(), &data);
    *error = GetLastError();
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        entries[toUtf8(data.cFileName)] = {
            data.dwFileAttributes, (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
    } while (FindNextFileW(find, &data));
    *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return entries;
}

std::string names(const std::map<std::string, Listed> &entries) {
    std::string all;
    for (const auto &entry : entries)
        all += "[" + entry.first + "]";
    return all;
}

class FindFileTest : public testing::Test {
protected:
    TempDir dir;
    std::string sub = dir.file("d");
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
        ASSERT_TRUE(writeTestFile(sub + "\\Ab.txt", "abc"));
        ASSERT_TRUE(writeTestFile(sub + "\\b", ""));
        ASSERT_TRUE(CreateDirectoryA((sub + "\\inner").c_str(), nullptr));
    }
};

TEST_F(FindFileTest, StarPatternsListEverythingWithDotEntries) {
    for (const char *pattern : {"\\*.*", "\\*", "/*"}) {
        DWORD error;
        auto entries = listAnsi(sub + pattern, &error);
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), error) << pattern;
        EXPECT_EQ("[.][..][Ab.txt][b][inner]", names(entries)) << pattern;
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, entries["."].attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, entries[".."].attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, entries["inner"].attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(0u, entries["Ab.txt"].attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(3u, entries["Ab.txt"].size);
        EXPECT_EQ(0u, entries["b"].size);
    }
}

TEST_F(FindFileTest, WildcardsMatchIgnoringCase) {
    struct Case {
        const char *pattern;
        const char *expected;
    };
    for (const Case &c :
         {Case{"a*", "[Ab.txt]"}, Case{"*.TXT", "[Ab.txt]"}, Case{"a?.txt", "[Ab.txt]"},
          Case{"ab.txt", "[Ab.txt]"}, Case{"?", "[.][b]"}, Case{"*b*", "[Ab.txt][b]"},
          Case{"in*er", "[inner]"}}) {
        DWORD error;
        EXPECT_EQ(c.expected, names(listAnsi(sub + "\\" + c.pattern, &error))) << c.pattern;
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), error) << c.pattern;
    }
    // Without a wildcard the entry itself is found, a directory included.
    DWORD error;
    EXPECT_EQ("[d]", names(listAnsi(sub, &error)));
}

TEST_F(FindFileTest, FailuresTellWhatIsMissing) {
    ASSERT_TRUE(CreateDirectoryA(dir.file("empty").c_str(), nullptr));
    struct Case {
        std::string pattern;
        DWORD error;
    };
    for (const Case &c :
         {Case{sub + "\\x*", ERROR_FILE_NOT_FOUND},
          Case{dir.file("empty") + "\\x", ERROR_FILE_NOT_FOUND},
          Case{sub + "\\", ERROR_FILE_NOT_FOUND},
          Case{dir.file("nodir") + "\\*", ERROR_PATH_NOT_FOUND},
          Case{dir.file("nodir") + "\\x", ERROR_PATH_NOT_FOUND},
          Case{sub + "\\b\\*", ERROR_INVALID_NAME}, Case{"", ERROR_PATH_NOT_FOUND}}) {
        WIN32_FIND_DATAA data;
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(c.pattern.c_str(), &data)) << c.pattern;
        EXPECT_EQ(c.error, GetLastError()) << c.pattern;
    }
    DWORD error;
    EXPECT_EQ("[.][..]", names(listAnsi(dir.file("empty") + "\\*", &error)));
}

TEST_F(FindFileTest, EndOfListingStaysTheEnd) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((sub + "\\b").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    for (int i = 0; i < 2; ++i) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(FindNextFileA(find, &data));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
    }
    EXPECT_TRUE(FindClose(find));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FindFileTest, EntriesCarryTheirTimes) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(toWide(sub + "\\Ab.txt").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    // 100 ns ticks since 1601: any file written lately is past the year 2000.
    uint64_t written =
        (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(written, 125911584000000000ull);
}

class NameEncodingTest : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(NameEncodingTest, AnsiNameIsWindows1252) {
    // "café.txt" with é as the single byte 0xE9.
    ASSERT_TRUE(writeTestFile(dir.file("caf\xE9.txt"), "ansi"));
    DWORD attributes = GetFileAttributesW(toWide(dir.file("caf\xC3\xA9.txt")).c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << "error " << GetLastError();
    DWORD error;
    EXPECT_EQ("[caf\xC3\xA9.txt]", names(listWide(dir.file("*.txt"), &error)));
    EXPECT_EQ("[caf\xE9.txt]", names(listAnsi(dir.file("*.txt"), &error)));
    // The euro sign is 0x80 in windows-1252.
    ASSERT_TRUE(writeTestFile(dir.file("\x80.txt"), "euro"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW(toWide(dir.file("\xE2\x82\xAC.txt")).c_str()))
        << "error " << GetLastError();
}

TEST_F(NameEncodingTest, NameWithoutAnAnsiFormListsAsQuestionMarks) {
    // U+65E5 U+672C, "Japan", has no windows-1252 form.
    WideString wide = toWide(dir.file("\xE6\x97\xA5\xE6\x9C\xAC.txt"));
    {
        TestHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid()) << "error " << GetLastError();
    }
    DWORD error;
    EXPECT_EQ("[\xE6\x97\xA5\xE6\x9C\xAC.txt]", names(listWide(dir.file("*.txt"), &error)));
    EXPECT_EQ("[??.txt]", names(listAnsi(dir.file("*.txt"), &error)));
    // The "?" form names no file: "?" is a wildcard, not a name.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("??.txt").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wide.c_str()));
}

TEST_F(NameEncodingTest, CharacterBeyondTheBasicPlaneIsTwoQuestionMarks) {
    WideString wide = toWide(dir.file("\xF0\x9F\x98\x80.txt")); // U+1F600
    {
        TestHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid()) << "error " << GetLastError();
    }
    DWORD error;
    EXPECT_EQ("[??.txt]", names(listAnsi(dir.file("*.txt"), &error)));
    EXPECT_EQ("[\xF0\x9F\x98\x80.txt]", names(listWide(dir.file("*.txt"), &error)));
}

TEST_F(NameEncodingTest, CurrentDirectoryWithoutAnAnsiFormReadsAsQuestionMarks) {
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
