// Directories, the current directory and full paths behave as on Windows in
// both builds.
#include "tests/platform/PlatformTest.h"

namespace {

// Both are far shorter than the buffer; a failure gives "".
std::string fullPath(const std::string &path) {
    char buffer[2048];
    return std::string(buffer, GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr));
}

std::string currentDirectory() {
    char buffer[2048];
    return std::string(buffer, GetCurrentDirectoryA(sizeof buffer, buffer));
}

class DirectoryTest : public testing::Test {
protected:
    TempDir dir;
    CurrentDirectoryGuard restore;
    std::string sub = dir.file("sub");
};

// Names relative to a current directory set by name show throughout the path tests; here
// a relative move, the wide reading and a directory named with a trailing separator.
TEST_F(DirectoryTest, RelativeMoveAndTrailingSeparators) {
    ASSERT_TRUE(CreateDirectoryA((sub + "\\").c_str(), nullptr)) << "error " << GetLastError();
    ASSERT_TRUE(SetCurrentDirectoryA(sub.c_str())) << "error " << GetLastError();
    ASSERT_TRUE(SetCurrentDirectoryA(".."));
    WCHAR wide[2048];
    DWORD length = GetCurrentDirectoryW(2048, wide);
    EXPECT_EQ(fullPath(dir.path()), toUtf8(WideString(wide, length)));
    EXPECT_TRUE(RemoveDirectoryA((sub + "\\").c_str())) << "error " << GetLastError();
    EXPECT_FAILS_WITH(ERROR_FILE_NOT_FOUND, GetFileAttributesA(sub.c_str()));
}

TEST_F(DirectoryTest, FullPathFoldsDotsAndSeparatorsAndTellsTheSizeNeeded) {
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
                          Case{"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\b"},
                          // Roots get one separator at most, and only from the path.
                          Case{"\\\\?\\", "\\\\?\\"}, Case{"\\\\?\\x", "\\\\?\\x"},
                          Case{"\\\\?\\uNc\\s\\", "\\\\?\\uNc\\s\\"},
                          Case{"\\\\?\\a: x", "\\\\?\\a: x"}, Case{"\\\\.\\\\x", "\\\\.\\x"}}) {
        EXPECT_EQ(c.expected, fullPath(c.path)) << c.path;
    }
    char buffer[2048];
    char *filePart = nullptr;
    ASSERT_GT(GetFullPathNameA("sub\\name.txt", sizeof buffer, buffer, &filePart), 0u);
    EXPECT_STREQ("name.txt", filePart);
    ASSERT_GT(GetFullPathNameA("sub\\", sizeof buffer, buffer, &filePart), 0u);
    EXPECT_EQ(nullptr, filePart) << "a path ending in a separator has no file part";
    EXPECT_EQ(0u, GetFullPathNameA("", sizeof buffer, buffer, &filePart));

    // Too small a buffer gives the size needed, terminator included.
    DWORD needed = static_cast<DWORD>(here.size() + 1);
    EXPECT_EQ(needed, GetCurrentDirectoryA(0, nullptr));
    EXPECT_EQ(needed, GetCurrentDirectoryA(needed - 1, buffer));
    EXPECT_EQ(needed, GetCurrentDirectoryW(0, nullptr));
    std::string exact(needed, '#');
    EXPECT_EQ(needed - 1, GetCurrentDirectoryA(needed, &exact[0]));
    EXPECT_EQ(here + '\0', exact);
    DWORD fullNeeded = static_cast<DWORD>(here.size() + 5); // "\abc" and the terminator
    EXPECT_EQ(fullNeeded, GetFullPathNameA("abc", 3, buffer, nullptr));
    EXPECT_EQ(fullNeeded, GetFullPathNameA("abc", 0, nullptr, nullptr));
    EXPECT_EQ(fullNeeded, GetFullPathNameW(toWide("abc").c_str(), 0, nullptr, nullptr));
#ifndef _WIN32
    // There is one root here, shown as "\", and no drive letter in front.
    ASSERT_TRUE(SetCurrentDirectoryA("/"));
    EXPECT_EQ("\\", currentDirectory());
    for (const char *path : {"/tmp", "tmp", "\\tmp\\."})
        EXPECT_EQ("\\tmp", fullPath(path)) << path;
    EXPECT_EQ("\\", fullPath(".."));
    EXPECT_EQ("\\a", fullPath("..\\..\\a"));
    ASSERT_TRUE(SetCurrentDirectoryA("\\tmp"));
    EXPECT_EQ("\\tmp", currentDirectory());
#endif
}

} // namespace
