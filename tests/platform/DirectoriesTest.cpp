// Directories, the current directory and full paths behave as on Windows in
// both builds.
#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string fullPath(const std::string &path) {
    char buffer[2048];
    char *filePart = nullptr;
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &filePart);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string currentDirectory() {
    char buffer[2048];
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

class DirectoryTest : public testing::Test {
protected:
    TempDir dir;
    std::string sub = dir.file("sub");
    std::string file = dir.file("file.txt");
    void SetUp() override { ASSERT_TRUE(writeTestFile(file, "x")); }
};

TEST_F(DirectoryTest, CreateDirectoryMakesOneLevel) {
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr)) << "error " << GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(sub.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(CreateDirectoryA((dir.file("withSeparator") + "\\").c_str(), nullptr))
        << "error " << GetLastError();

    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case &c :
         {Case{sub, ERROR_ALREADY_EXISTS}, Case{file, ERROR_ALREADY_EXISTS},
          Case{dir.file("a") + "\\b", ERROR_PATH_NOT_FOUND}, Case{"", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(CreateDirectoryA(c.path.c_str(), nullptr)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
}

TEST_F(DirectoryTest, RemoveDirectoryTakesOnlyEmptyDirectories) {
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(writeTestFile(sub + "\\inner.txt", "y"));
    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case &c : {Case{sub, ERROR_DIR_NOT_EMPTY}, Case{file, ERROR_DIRECTORY},
                          Case{dir.file("missing"), ERROR_FILE_NOT_FOUND},
                          Case{dir.file("a") + "\\b", ERROR_PATH_NOT_FOUND}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(RemoveDirectoryA(c.path.c_str())) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
    ASSERT_TRUE(DeleteFileA((sub + "\\inner.txt").c_str()));
    EXPECT_TRUE(RemoveDirectoryA((sub + "\\").c_str())) << "error " << GetLastError();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(sub.c_str()));
}

TEST_F(DirectoryTest, CurrentDirectoryRoundTrip) {
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(sub.c_str())) << "error " << GetLastError();
    std::string current = currentDirectory();
    EXPECT_EQ(fullPath(sub), current);
    EXPECT_EQ(current + "\\x.txt", fullPath("x.txt"));
    EXPECT_EQ(fullPath(dir.path()), fullPath(".."));
    EXPECT_EQ(std::string::npos, current.find('/')) << current;

    // Relative names now resolve against the new directory.
    ASSERT_TRUE(writeTestFile("relative.txt", "r"));
    EXPECT_EQ("r", readTestFile(sub + "\\relative.txt"));
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_EQ(fullPath(dir.path()), currentDirectory());

    WCHAR wide[2048];
    DWORD length = GetCurrentDirectoryW(2048, wide);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(fullPath(dir.path()), toUtf8(WideString(wide, length)));
}

TEST_F(DirectoryTest, SetCurrentDirectoryErrors) {
    CurrentDirectoryGuard restore;
    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case &c : {Case{dir.file("missing"), ERROR_FILE_NOT_FOUND},
                          Case{dir.file("a") + "\\b", ERROR_PATH_NOT_FOUND},
                          Case{file, ERROR_DIRECTORY}, Case{"", ERROR_INVALID_NAME}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(SetCurrentDirectoryA(c.path.c_str())) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
}

TEST_F(DirectoryTest, BufferTooSmallGivesTheSizeNeeded) {
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    std::string current = currentDirectory();
    DWORD needed = static_cast<DWORD>(current.size() + 1);
    EXPECT_EQ(needed, GetCurrentDirectoryA(0, nullptr));
    char small[4] = "abc";
    EXPECT_EQ(needed, GetCurrentDirectoryA(needed - 1, small));
    EXPECT_EQ(needed, GetCurrentDirectoryW(0, nullptr));
    std::string buffer(needed, '#');
    EXPECT_EQ(needed - 1, GetCurrentDirectoryA(needed, &buffer[0]));
    EXPECT_EQ(current + '\0', buffer);

    std::string expected = current + "\\abc";
    DWORD fullNeeded = static_cast<DWORD>(expected.size() + 1);
    EXPECT_EQ(fullNeeded, GetFullPathNameA("abc", 3, small, nullptr));
    EXPECT_EQ(fullNeeded, GetFullPathNameA("abc", 0, nullptr, nullptr));
    EXPECT_EQ(fullNeeded, GetFullPathNameW(toWide("abc").c_str(), 0, nullptr, nullptr));
}

TEST_F(DirectoryTest, FullPathFoldsDotsAndSeparators) {
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    const std::string here = currentDirectory();
    struct Case {
        const char *path;
        std::string expected;
    };
    for (const Case &c : {Case{"a/b\\c", here + "\\a\\b\\c"}, Case{"a\\\\b\\", here + "\\a\\b\\"},
                          Case{"a\\.\\b\\.", here + "\\a\\b"}, Case{"a\\b\\..", here + "\\a"},
                          Case{"name. . ", here + "\\name"}, Case{"a*b", here + "\\a*b"},
                          Case{"\\\\srv\\share\\..\\..\\b", "\\\\srv\\share\\b"},
                          Case{"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\b"}}) {
        EXPECT_EQ(c.expected, fullPath(c.path)) << c.path;
    }
    char buffer[2048];
    char *filePart = nullptr;
    ASSERT_GT(GetFullPathNameA("sub\\name.txt", sizeof buffer, buffer, &filePart), 0u);
    ASSERT_NE(nullptr, filePart);
    EXPECT_STREQ("name.txt", filePart);
    filePart = buffer;
    ASSERT_GT(GetFullPathNameA("sub\\", sizeof buffer, buffer, &filePart), 0u);
    EXPECT_EQ(nullptr, filePart) << "a path ending in a separator has no file part";
    EXPECT_EQ(0u, GetFullPathNameA("", sizeof buffer, buffer, &filePart));
}

#ifndef _WIN32
// There is one root here, shown as "\", and no drive letter in front.
TEST(PosixPathFormTest, RootAndSeparatorsReadAsOnWindows) {
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(SetCurrentDirectoryA("/"));
    EXPECT_EQ("\\", currentDirectory());
    EXPECT_EQ("\\tmp", fullPath("/tmp"));
    EXPECT_EQ("\\tmp", fullPath("tmp"));
    EXPECT_EQ("\\", fullPath(".."));
    EXPECT_EQ("\\a", fullPath("..\\..\\a"));
    ASSERT_TRUE(SetCurrentDirectoryA("\\tmp"));
    EXPECT_EQ("\\tmp", currentDirectory());
}
#endif

class LongPathTest : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(LongPathTest, WideEntriesReachPastMaxPathThroughThePrefix) {
    WCHAR base[2048];
    DWORD length = GetFullPathNameW(toWide(dir.path()).c_str(), 2048, base, nullptr);
    ASSERT_GT(length, 0u);
    WideString path = toWide("\\\\?\\") + WideString(base, length);
    while (path.size() < 300) {
        path += toWide("\\abcdefghijklmno");
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr))
            << "error " << GetLastError() << " at " << path.size();
    }
    WideString file = path + toWide("\\f.txt");
    ASSERT_GT(file.size(), static_cast<size_t>(MAX_PATH));
    {
        TestHandle created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(created.valid()) << "error " << GetLastError();
        DWORD written;
        ASSERT_TRUE(WriteFile(created.get(), "deep", 4, &written, nullptr));
    }
    DWORD attributes = GetFileAttributesW(file.c_str());
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        << std::hex << attributes;

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + toWide("\\*.txt")).c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find) << "error " << GetLastError();
    EXPECT_EQ("f.txt", toUtf8(data.cFileName));
    EXPECT_EQ(4u, data.nFileSizeLow);
    FindClose(find);

    // The ANSI entries keep the MAX_PATH limit.
    std::string ansi = toUtf8(file.substr(4));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ansi.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());

    EXPECT_TRUE(DeleteFileW(file.c_str())) << "error " << GetLastError();
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DeleteFileW(file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    WideString level = path;
    while (level.size() > 4 + length) {
        ASSERT_TRUE(RemoveDirectoryW(level.c_str())) << "error " << GetLastError();
        level.erase(level.rfind(static_cast<WCHAR>('\\')));
    }
}

} // namespace
