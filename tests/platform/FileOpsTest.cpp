// Attributes, deletion, renaming and copying behave as on Windows in both builds.
#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kindBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;

class FileOpsTest : public testing::Test {
protected:
    TempDir dir;
    std::string file = dir.file("file.txt");
    std::string missing = dir.file("missing.txt");
    std::string inMissingDir = dir.file("nodir") + "\\x.txt";
    std::string sub = dir.file("sub");

    void SetUp() override {
        ASSERT_TRUE(writeTestFile(file, "content"));
        ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    }
};

TEST_F(FileOpsTest, AttributesTellFilesFromDirectories) {
    DWORD attributes = GetFileAttributesA(file.c_str());
    EXPECT_EQ(0u, attributes & kindBits) << std::hex << attributes;
    // A plain file shows the archive bit (Windows sets it on every write) or NORMAL.
    EXPECT_TRUE(attributes == FILE_ATTRIBUTE_ARCHIVE || attributes == FILE_ATTRIBUTE_NORMAL)
        << std::hex << attributes;
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(sub.c_str()) & kindBits);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((sub + "\\").c_str()) & kindBits);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((sub + "\\.").c_str()) & kindBits);
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((sub + "\\..\\sub").c_str()) & kindBits);
}

TEST_F(FileOpsTest, AttributesOfWhatIsNotThere) {
    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case &c :
         {Case{missing, ERROR_FILE_NOT_FOUND}, Case{inMissingDir, ERROR_PATH_NOT_FOUND},
          Case{file + "\\", ERROR_PATH_NOT_FOUND}, Case{file + "\\x", ERROR_PATH_NOT_FOUND},
          Case{missing + "\\", ERROR_FILE_NOT_FOUND}, Case{"", ERROR_PATH_NOT_FOUND},
          Case{dir.file("a*"), ERROR_INVALID_NAME}, Case{dir.file("?.txt"), ERROR_INVALID_NAME}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(c.path.c_str())) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
}

TEST_F(FileOpsTest, SettingAttributesOfAMissingFileFails) {
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(SetFileAttributesA(missing.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(SetFileAttributesA(inMissingDir.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileOpsTest, DirectoryDoesNotBecomeReadOnly) {
    // Wine keeps no read-only bit on directories, and neither does the POSIX layer.
#ifdef _WIN32
    if (!runningUnderWine()) GTEST_SKIP() << "Windows keeps the bit on directories";
#endif
    EXPECT_TRUE(SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(sub.c_str()) & kindBits);
    EXPECT_TRUE(RemoveDirectoryA(sub.c_str())) << "error " << GetLastError();
}

TEST_F(FileOpsTest, DeleteFileErrors) {
    struct Case {
        std::string path;
        DWORD error;
    };
    for (const Case &c :
         {Case{missing, ERROR_FILE_NOT_FOUND}, Case{inMissingDir, ERROR_PATH_NOT_FOUND},
          Case{sub, ERROR_ACCESS_DENIED}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(DeleteFileA(c.path.c_str())) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
    EXPECT_TRUE(DeleteFileA(file.c_str()));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(FileOpsTest, ReadOnlyFileIsNotDeletedUntilCleared) {
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA(file.c_str())) << "error " << GetLastError();
}

TEST_F(FileOpsTest, OpenFileIsDeletedOnlyWhenItSharesDeletion) {
    {
        TestHandle open(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(open.valid());
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(DeleteFileA(file.c_str()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(MoveFileA(file.c_str(), missing.c_str()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    }
    TestHandle sharing(CreateFileA(file.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(sharing.valid());
    EXPECT_TRUE(MoveFileA(file.c_str(), missing.c_str())) << "error " << GetLastError();
    EXPECT_TRUE(DeleteFileA(missing.c_str())) << "error " << GetLastError();
}

TEST_F(FileOpsTest, MoveFileNeverReplaces) {
    std::string other = dir.file("other.txt");
    ASSERT_TRUE(writeTestFile(other, "other"));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(MoveFileA(file.c_str(), other.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(MoveFileA(file.c_str(), sub.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ("other", readTestFile(other));
    EXPECT_EQ("content", readTestFile(file));
}

TEST_F(FileOpsTest, MoveFileErrorsAndSuccess) {
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(MoveFileA(missing.c_str(), dir.file("x").c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(MoveFileA(file.c_str(), inMissingDir.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    std::string moved = sub + "\\moved.txt";
    ASSERT_TRUE(MoveFileA(file.c_str(), moved.c_str())) << "error " << GetLastError();
    EXPECT_EQ("content", readTestFile(moved));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    // Directories move too.
    std::string movedDir = dir.file("sub2");
    ASSERT_TRUE(MoveFileA(sub.c_str(), movedDir.c_str())) << "error " << GetLastError();
    EXPECT_EQ("content", readTestFile(movedDir + "\\moved.txt"));
}

TEST_F(FileOpsTest, ReadOnlyFileMayBeRenamed) {
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(MoveFileA(file.c_str(), missing.c_str())) << "error " << GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesA(missing.c_str()) & kindBits);
    SetFileAttributesA(missing.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOpsTest, CopyFileHonoursFailIfExists) {
    std::string copy = dir.file("copy.txt");
    ASSERT_TRUE(CopyFileA(file.c_str(), copy.c_str(), TRUE)) << "error " << GetLastError();
    EXPECT_EQ("content", readTestFile(copy));

    ASSERT_TRUE(writeTestFile(file, "changed"));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CopyFileA(file.c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
    EXPECT_EQ("content", readTestFile(copy));

    EXPECT_TRUE(CopyFileA(file.c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    EXPECT_EQ("changed", readTestFile(copy));
}

TEST_F(FileOpsTest, CopyFileErrors) {
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CopyFileA(missing.c_str(), dir.file("x").c_str(), FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CopyFileA(file.c_str(), inMissingDir.c_str(), FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(FileOpsTest, CopyKeepsTheReadOnlyAttribute) {
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    std::string copy = dir.file("copy.txt");
    EXPECT_TRUE(CopyFileA(file.c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesA(copy.c_str()) & kindBits);
    EXPECT_EQ("content", readTestFile(copy));
    if (!runningUnderWine()) {
        // Windows will not overwrite a read-only target; Wine as root does.
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(CopyFileA(file.c_str(), copy.c_str(), FALSE));
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    }
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOpsTest, CopyRespectsOpenHandles) {
    std::string copy = dir.file("copy.txt");
    {
        // A writer that shares reading does not stop the copy from reading.
        TestHandle writer(CreateFileA(file.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        ASSERT_TRUE(writer.valid());
        EXPECT_TRUE(CopyFileA(file.c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    }
    // A reader of the target that shares no writing keeps the copy out.
    TestHandle reader(CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CopyFileA(file.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
}

} // namespace
