// Attributes, deletion, renaming and copying behave as on Windows in both builds;
// their errors for bad paths are in PathErrorsTest.
#include "tests/platform/PlatformTest.h"

namespace {

class FileOpsTest : public testing::Test {
protected:
    TempDir dir;
    std::string file = dir.file("file.txt");
    std::string other = dir.file("other.txt");
    std::string sub = dir.file("sub");

    void SetUp() override {
        ASSERT_TRUE(writeTestFile(file, "content"));
        ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    }
};

TEST_F(FileOpsTest, AttributesTellFilesFromDirectories) {
    DWORD attributes = GetFileAttributesA(file.c_str());
    // A plain file shows the archive bit (Windows sets it on every write) or NORMAL.
    EXPECT_TRUE(attributes == FILE_ATTRIBUTE_ARCHIVE || attributes == FILE_ATTRIBUTE_NORMAL)
        << std::hex << attributes;
    // Trailing dots and spaces of the last name are dropped.
    EXPECT_EQ(attributes, GetFileAttributesA((file + ". .").c_str()));
    for (const std::string &path : {sub, sub + "\\", sub + "\\.", sub + "\\..\\sub"})
        EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(path.c_str()) & kindBits) << path;
}

TEST_F(FileOpsTest, MoveAndDeleteNeedOpenHandlesToShareDeletion) {
    TestHandle open(
        openFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    EXPECT_FAILS_WITH(ERROR_SHARING_VIOLATION, DeleteFileA(file.c_str()));
    EXPECT_FAILS_WITH(ERROR_SHARING_VIOLATION, MoveFileA(file.c_str(), other.c_str()));
    open.reset(openFile(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING));
    ASSERT_TRUE(MoveFileA(file.c_str(), other.c_str())) << "error " << GetLastError();
    EXPECT_EQ("content", readTestFile(other));
    EXPECT_TRUE(DeleteFileA(other.c_str())) << "error " << GetLastError();
}

TEST_F(FileOpsTest, DirectoriesMoveWithWhatIsInThem) {
    ASSERT_TRUE(writeTestFile(sub + "\\inner.txt", "inner"));
    ASSERT_TRUE(MoveFileA(sub.c_str(), other.c_str())) << "error " << GetLastError();
    EXPECT_EQ("inner", readTestFile(other + "\\inner.txt"));
    EXPECT_FAILS_WITH(ERROR_FILE_NOT_FOUND, GetFileAttributesA(sub.c_str()));
}

TEST_F(FileOpsTest, CopyFileHonoursFailIfExistsAndOpenHandles) {
    ASSERT_TRUE(CopyFileA(file.c_str(), other.c_str(), TRUE)) << "error " << GetLastError();
    EXPECT_EQ("content", readTestFile(other));
    ASSERT_TRUE(writeTestFile(file, "changed"));
    EXPECT_FAILS_WITH(ERROR_FILE_EXISTS, CopyFileA(file.c_str(), other.c_str(), TRUE));
    EXPECT_EQ("content", readTestFile(other));
    {
        // A writer that shares reading does not stop the copy from reading.
        TestHandle writer(
            openFile(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
        EXPECT_TRUE(CopyFileA(file.c_str(), other.c_str(), FALSE)) << "error " << GetLastError();
    }
    EXPECT_EQ("changed", readTestFile(other));
    // A reader of the target that shares no writing keeps the copy out.
    TestHandle reader(openFile(other, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_FAILS_WITH(ERROR_SHARING_VIOLATION, CopyFileA(file.c_str(), other.c_str(), FALSE));
}

class ReadOnlyTest : public testing::Test {
protected:
    TempDir dir;
    std::string locked = dir.file("locked.txt");
    std::string copy = dir.file("copy.txt");

    void SetUp() override {
        ASSERT_TRUE(writeTestFile(locked, "keep"));
        ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    // Read-only files would keep the directory from being removed on Windows.
    void TearDown() override {
        for (const char *name : {"locked.txt", "copy.txt", "moved.txt", "fresh.txt"})
            SetFileAttributesA(dir.file(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    DWORD kind(const std::string &path) { return GetFileAttributesA(path.c_str()) & kindBits; }
};

TEST_F(ReadOnlyTest, RefusesWritingAndDeletionUntilCleared) {
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, kind(locked));
    EXPECT_TRUE(TestHandle(openFile(locked, GENERIC_READ, 0, OPEN_EXISTING)).valid());
    EXPECT_FAILS_WITH(ERROR_ACCESS_DENIED, DeleteFileA(locked.c_str()));
    // Wine leaves read-only to Unix permissions, which root (as here) ignores.
    if (!runningUnderWine()) {
        for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
            SCOPED_TRACE(disposition);
            EXPECT_FAILS_WITH(ERROR_ACCESS_DENIED, openFile(locked, GENERIC_WRITE, 0, disposition));
        }
        ASSERT_TRUE(writeTestFile(copy, "other"));
        EXPECT_FAILS_WITH(ERROR_ACCESS_DENIED, CopyFileA(copy.c_str(), locked.c_str(), FALSE));
    }
    EXPECT_EQ("keep", readTestFile(locked));

    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(0u, kind(locked));
    EXPECT_TRUE(TestHandle(openFile(locked, GENERIC_WRITE, 0, OPEN_EXISTING)).valid());
    EXPECT_TRUE(DeleteFileA(locked.c_str())) << "error " << GetLastError();
}

TEST_F(ReadOnlyTest, CopyRenameAndCreationKeepTheAttribute) {
    ASSERT_TRUE(CopyFileA(locked.c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, kind(copy));
    EXPECT_EQ("keep", readTestFile(copy));
    std::string moved = dir.file("moved.txt");
    EXPECT_TRUE(MoveFileA(locked.c_str(), moved.c_str())) << "error " << GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, kind(moved));

    std::string fresh = dir.file("fresh.txt");
    TestHandle created(openFile(fresh, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(created.valid()) << "error " << GetLastError();
    DWORD count;
    EXPECT_TRUE(WriteFile(created.get(), "x", 1, &count, nullptr))
        << "the creating handle writes all the same";
    created.reset();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, kind(fresh));
}

TEST_F(ReadOnlyTest, DirectoryDoesNotBecomeReadOnly) {
    // Wine keeps no read-only bit on directories, and neither does the POSIX layer.
#ifdef _WIN32
    if (!runningUnderWine()) GTEST_SKIP() << "Windows keeps the bit on directories";
#endif
    std::string sub = dir.file("sub");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, kind(sub));
    EXPECT_TRUE(RemoveDirectoryA(sub.c_str())) << "error " << GetLastError();
}

} // namespace
