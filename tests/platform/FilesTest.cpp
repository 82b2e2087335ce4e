// CreateFile and the handle calls behave as on Windows in both builds.
#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

namespace {

HANDLE openFile(const std::string &path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

DWORD fileSize(HANDLE file) {
    DWORD high = 0xDEAD;
    DWORD low = GetFileSize(file, &high);
    EXPECT_EQ(0u, high);
    return low;
}

class CreateFileTest : public testing::Test {
protected:
    TempDir dir;
    std::string existing = dir.file("existing.txt");
    std::string missing = dir.file("missing.txt");

    void SetUp() override { ASSERT_TRUE(writeTestFile(existing, "old content")); }
};

TEST_F(CreateFileTest, CreateNewMakesAFileOnceOnly) {
    SetLastError(0xDEADBEEF);
    TestHandle created(openFile(missing, GENERIC_WRITE, 0, CREATE_NEW));
    ASSERT_TRUE(created.valid()) << "error " << GetLastError();
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    created.reset();

    SetLastError(0xDEADBEEF);
    TestHandle again(openFile(existing, GENERIC_WRITE, 0, CREATE_NEW));
    EXPECT_FALSE(again.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
    EXPECT_EQ("old content", readTestFile(existing));
}

TEST_F(CreateFileTest, CreateAlwaysTruncatesAndReportsAnExistingFile) {
    SetLastError(0xDEADBEEF);
    TestHandle replaced(openFile(existing, GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(replaced.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(0u, fileSize(replaced.get()));

    SetLastError(0xDEADBEEF);
    TestHandle created(openFile(missing, GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(created.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
}

TEST_F(CreateFileTest, OpenExistingNeedsTheFile) {
    SetLastError(0xDEADBEEF);
    TestHandle opened(openFile(existing, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(opened.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_EQ(11u, fileSize(opened.get()));

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(missing, GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              openFile(dir.file("nodir") + "\\x.txt", GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    // A file where a directory should be is a missing path too.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(existing + "\\x.txt", GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(CreateFileTest, OpenAlwaysKeepsContentAndReportsAnExistingFile) {
    SetLastError(0xDEADBEEF);
    TestHandle opened(openFile(existing, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS));
    ASSERT_TRUE(opened.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(11u, fileSize(opened.get()));

    SetLastError(0xDEADBEEF);
    TestHandle created(openFile(missing, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS));
    ASSERT_TRUE(created.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
}

TEST_F(CreateFileTest, TruncateExistingEmptiesOnlyAnExistingFile) {
    TestHandle truncated(openFile(existing, GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    ASSERT_TRUE(truncated.valid()) << "error " << GetLastError();
    EXPECT_EQ(0u, fileSize(truncated.get()));

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(missing, GENERIC_WRITE, 0, TRUNCATE_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
}

TEST_F(CreateFileTest, UnknownDispositionIsAnInvalidParameter) {
    for (DWORD disposition : {0u, 6u}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(existing, GENERIC_READ, 0, disposition));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError())
            << "disposition " << disposition;
    }
}

TEST_F(CreateFileTest, ForbiddenCharactersMakeAnInvalidName) {
    for (const char *name : {"a*b", "a?b", "a<b", "a>b", "a|b", "a\"b",
                             "a\x01"
                             "b"}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(dir.file(name), GENERIC_WRITE, 0, CREATE_ALWAYS))
            << name;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError()) << name;
    }
    // In a directory name too.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              openFile(dir.file("x*") + "\\b", GENERIC_WRITE, 0, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
}

#ifndef _WIN32
// On Windows a colon names a stream of an NTFS file, and Wine answers
// file-not-found; here, as Win32 rules a colon out of names, it is refused.
TEST_F(CreateFileTest, ColonInANameIsRefused) {
    SetLastError(0xDEADBEEF);
    TestHandle stream(openFile(dir.file("a:b"), GENERIC_WRITE, 0, CREATE_ALWAYS));
    EXPECT_FALSE(stream.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
}
#endif

TEST_F(CreateFileTest, TrailingDotsAndSpacesOfTheNameAreDropped) {
    TestHandle created(openFile(dir.file("dotted. . "), GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(created.valid()) << "error " << GetLastError();
    created.reset();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("dotted").c_str()));
}

TEST_F(CreateFileTest, TrailingSeparatorMakesAnInvalidName) {
    for (const std::string &path : {existing + "\\", missing + "\\"}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS)) << path;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError()) << path;
    }
}

TEST_F(CreateFileTest, EmptyPathIsAMissingPath) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, openFile("", GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST_F(CreateFileTest, DirectoryOpensOnlyWithBackupSemantics) {
    const std::string sub = dir.file("sub");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    struct Case {
        DWORD access;
        DWORD disposition;
        DWORD error;
    };
    for (const Case &c : {Case{GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
                          Case{GENERIC_READ, OPEN_ALWAYS, ERROR_ACCESS_DENIED},
                          Case{GENERIC_WRITE, CREATE_ALWAYS, ERROR_ACCESS_DENIED},
                          Case{GENERIC_READ, CREATE_NEW, ERROR_FILE_EXISTS}}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(sub, c.access, 0, c.disposition))
            << "disposition " << c.disposition;
        EXPECT_EQ(c.error, GetLastError()) << "disposition " << c.disposition;
    }
    TestHandle backup(openFile(sub, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS));
    EXPECT_TRUE(backup.valid()) << "error " << GetLastError();
}

TEST_F(CreateFileTest, MissingDriveAndServerAreMissingPaths) {
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              openFile("\\\\nosuchserver\\share\\x.txt", GENERIC_READ, 0, OPEN_EXISTING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileW(toWide("\\\\?\\UNC\\nosuchserver\\share\\x.txt").c_str(), GENERIC_READ, 0,
                          nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

    // Q: is missing in Wine's prefix; there no drive letter exists at all.
    // Windows says path-not-found; Wine says file-not-found.
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE, openFile("Q:\\x.txt", GENERIC_READ, 0, OPEN_EXISTING));
    if (runningUnderWine()) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    } else {
        EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    }
}

#ifndef _WIN32
TEST_F(CreateFileTest, DriveLettersDoNotExistOnPosix) {
    for (const char *path : {"C:\\x.txt", "C:", "c:/tmp", "\\\\?\\C:\\x.txt"}) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openFile(path, GENERIC_READ, 0, OPEN_EXISTING)) << path;
        EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError()) << path;
    }
}
#endif

// Share modes between two handles of this process, as Windows decides them:
// the second open's access against the first's share mode, and the second's
// share mode against the first's access.
struct ShareCase {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool allowed;
};

void PrintTo(const ShareCase &c, std::ostream *out) {
    *out << std::hex << "first access 0x" << c.firstAccess << " share " << c.firstShare
         << ", second access 0x" << c.secondAccess << " share " << c.secondShare
         << (c.allowed ? ": allowed" : ": refused");
}

class ShareModeTest : public testing::TestWithParam<ShareCase> {
protected:
    TempDir dir;
};

TEST_P(ShareModeTest, SecondOpenIsDecidedByBothHandles) {
    const ShareCase &c = GetParam();
    std::string path = dir.file("shared.txt");
    ASSERT_TRUE(writeTestFile(path, "x"));
    TestHandle first(openFile(path, c.firstAccess, c.firstShare, OPEN_EXISTING));
    ASSERT_TRUE(first.valid()) << "error " << GetLastError();
    SetLastError(0xDEADBEEF);
    TestHandle second(openFile(path, c.secondAccess, c.secondShare, OPEN_EXISTING));
    if (c.allowed) {
        EXPECT_TRUE(second.valid()) << "error " << GetLastError();
    } else {
        EXPECT_FALSE(second.valid());
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    }
    // Once the first handle is gone, the second open is always allowed.
    second.reset();
    first.reset();
    TestHandle alone(openFile(path, c.secondAccess, c.secondShare, OPEN_EXISTING));
    EXPECT_TRUE(alone.valid()) << "error " << GetLastError();
}

const DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
const DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SRW = FILE_SHARE_READ | FILE_SHARE_WRITE;

INSTANTIATE_TEST_SUITE_P(
    BothWays, ShareModeTest,
    testing::Values(ShareCase{R, SR, R, SR, true}, ShareCase{R, SR, R, SRW, true},
                    ShareCase{R, SR, W, SRW, false}, // wants write, first shares no write
                    ShareCase{W, SRW, R, SR, false}, // first writes, second shares no write
                    ShareCase{W, SRW, R, SRW, true}, ShareCase{W, SRW, W, SRW, true},
                    ShareCase{R, 0, R, SRW, false},   // first shares nothing
                    ShareCase{R, SRW, R, 0, false},   // second shares nothing with a reader
                    ShareCase{RW, SRW, R, SW, false}, // first reads, second shares no read
                    ShareCase{R, SW, W, SRW, true},   // first shares write only: a writer fits
                    ShareCase{R, 0, 0, 0, true},      // no data access collides with nothing
                    ShareCase{R, 0, FILE_READ_ATTRIBUTES, 0, true},
                    ShareCase{R, SRW, DELETE, SRW | FILE_SHARE_DELETE, false},
                    ShareCase{R, SRW | FILE_SHARE_DELETE, DELETE, SRW | FILE_SHARE_DELETE, true}));

class FileIoTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("data.bin");
};

TEST_F(FileIoTest, WrittenBytesReadBackAndEndOfFileReadsNothing) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.valid());
    DWORD count = 0xDEAD;
    ASSERT_TRUE(WriteFile(file.get(), "hello world", 11, &count, nullptr));
    EXPECT_EQ(11u, count);
    ASSERT_TRUE(WriteFile(file.get(), "x", 0, &count, nullptr));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(11u, fileSize(file.get()));

    EXPECT_EQ(6u, SetFilePointer(file.get(), 6, nullptr, FILE_BEGIN));
    char buffer[32] = {};
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(5u, count);
    EXPECT_EQ("world", std::string(buffer, count));
    SetLastError(0xDEADBEEF);
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(0u, count) << "end of file reads nothing and succeeds";
    EXPECT_EQ(0xDEADBEEFu, GetLastError());
}

TEST_F(FileIoTest, HandleWithoutTheAccessIsDenied) {
    ASSERT_TRUE(writeTestFile(path, "abc"));
    DWORD count = 0xDEAD;
    char buffer[4];
    {
        TestHandle reader(openFile(path, GENERIC_READ, SRW, OPEN_EXISTING));
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &count, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
        EXPECT_EQ(0u, count);
    }
    TestHandle writer(openFile(path, GENERIC_WRITE, SRW, OPEN_EXISTING));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(ReadFile(writer.get(), buffer, 1, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(0u, count);
}

TEST_F(FileIoTest, ClosedAndForeignHandlesAreInvalid) {
    HANDLE file = openFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(CloseHandle(file));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    HANDLE foreign = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(foreign, 0, nullptr, FILE_BEGIN));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(foreign, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    // INVALID_HANDLE_VALUE is also the current process's pseudo-handle.
    EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST_F(FileIoTest, FilePointerMovesBy64BitDistances) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.valid());
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(5u, SetFilePointer(file.get(), 5, nullptr, FILE_BEGIN));
    EXPECT_EQ(0xDEADBEEFu, GetLastError()) << "success leaves the last error alone";

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), -6, nullptr, FILE_CURRENT));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());
    EXPECT_EQ(5u, SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT)) << "position kept";

    LONG high = -1;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), -1, &high, FILE_BEGIN));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());

    // 0x1_0000_0010: past the end and past 4 GiB, on an empty file.
    high = 1;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(0x10u, SetFilePointer(file.get(), 0x10, &high, FILE_BEGIN));
    EXPECT_EQ(1, high);
    EXPECT_EQ(0xDEADBEEFu, GetLastError());
    high = 0;
    EXPECT_EQ(0x10u, SetFilePointer(file.get(), 0, &high, FILE_CURRENT));
    EXPECT_EQ(1, high);

    // A low part of all ones is told from a failure by a last error of 0.
    high = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), -1, &high, FILE_BEGIN));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_EQ(0, high);

    // Relative to the end, backwards by a negative 64-bit distance.
    ASSERT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN));
    DWORD count;
    ASSERT_TRUE(WriteFile(file.get(), "0123456789", 10, &count, nullptr));
    high = -1;
    EXPECT_EQ(7u, SetFilePointer(file.get(), -3, &high, FILE_END));
    EXPECT_EQ(0, high);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), 0, nullptr, 3));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(FileIoTest, WritingPastTheEndFillsTheGapWithZeros) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(100u, SetFilePointer(file.get(), 100, nullptr, FILE_BEGIN));
    EXPECT_EQ(0u, fileSize(file.get())) << "moving alone does not grow the file";
    DWORD count;
    ASSERT_TRUE(WriteFile(file.get(), "z", 1, &count, nullptr));
    EXPECT_EQ(101u, fileSize(file.get()));
    ASSERT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN));
    char buffer[101];
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    ASSERT_EQ(101u, count);
    EXPECT_EQ(std::string(100, '\0'), std::string(buffer, 100));
    EXPECT_EQ('z', buffer[100]);
}

TEST_F(FileIoTest, SizeBeyond4GiBNeedsTheHighPart) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.valid());
    LONG high = 1; // 5 GiB - 1, then one byte: a sparse file of 5 GiB
    ASSERT_EQ(0x3FFFFFFFu, SetFilePointer(file.get(), 0x3FFFFFFF, &high, FILE_BEGIN));
    DWORD count;
    if (!WriteFile(file.get(), "e", 1, &count, nullptr)) {
        GTEST_SKIP() << "this file system holds no sparse 5 GiB file (error " << GetLastError()
                     << ")";
    }
    DWORD sizeHigh = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(0x40000000u, GetFileSize(file.get(), &sizeHigh));
    EXPECT_EQ(1u, sizeHigh);
    // Without the high part only the low 32 bits come back.
    EXPECT_EQ(0x40000000u, GetFileSize(file.get(), nullptr));

    // A size whose low part is all ones is told from a failure by the last error.
    high = 1;
    ASSERT_EQ(0xFFFFFFFEu, SetFilePointer(file.get(), -2, &high, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(file.get(), "f", 1, &count, nullptr));
    sizeHigh = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file.get(), &sizeHigh));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_EQ(1u, sizeHigh);
}

TEST_F(FileIoTest, DeleteOnCloseRemovesTheFile) {
    TestHandle file(openFile(path, GENERIC_WRITE | DELETE, 0, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE));
    ASSERT_TRUE(file.valid()) << "error " << GetLastError();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    file.reset();
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

#ifndef _WIN32
// Windows has no /dev/full; here it is the disk that is always full.
TEST(FullDiskTest, DevFullGivesDiskFull) {
    TestHandle full(openFile("/dev/full", GENERIC_WRITE, 0, OPEN_EXISTING));
    ASSERT_TRUE(full.valid()) << "error " << GetLastError();
    DWORD count = 0xDEAD;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WriteFile(full.get(), "data", 4, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ(0u, count);
    full.reset(); // it shares nothing
    // The same device through the other separator.
    TestHandle again(openFile("\\dev\\full", GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(again.valid()) << "error " << GetLastError();
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WriteFile(again.get(), "d", 1, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
}
#endif

class ReadOnlyFileTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("locked.txt");
    void SetUp() override {
        ASSERT_TRUE(writeTestFile(path, "keep"));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    void TearDown() override { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }
};

TEST_F(ReadOnlyFileTest, AttributeIsReportedAndCleared) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY,
              attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        << std::hex << attributes;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        << std::hex << attributes;
    TestHandle writer(openFile(path, GENERIC_WRITE, 0, OPEN_EXISTING));
    EXPECT_TRUE(writer.valid()) << "error " << GetLastError();
}

TEST_F(ReadOnlyFileTest, OpensForReadingOnly) {
    TestHandle reader(openFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    EXPECT_TRUE(reader.valid()) << "error " << GetLastError();
    reader.reset();
    if (runningUnderWine()) {
        GTEST_SKIP() << "Wine leaves read-only to Unix permissions, which root ignores";
    }
    for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        SetLastError(0xDEADBEEF);
        TestHandle writer(openFile(path, GENERIC_WRITE, 0, disposition));
        EXPECT_FALSE(writer.valid()) << "disposition " << disposition;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError())
            << "disposition " << disposition;
    }
    EXPECT_EQ("keep", readTestFile(path));
}

TEST_F(ReadOnlyFileTest, NewFileMayBeCreatedReadOnly) {
    std::string fresh = dir.file("fresh.txt");
    TestHandle file(openFile(fresh, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(file.valid()) << "error " << GetLastError();
    DWORD count;
    EXPECT_TRUE(WriteFile(file.get(), "x", 1, &count, nullptr))
        << "the creating handle writes all the same";
    file.reset();
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesA(fresh.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(SetFileAttributesA(fresh.c_str(), FILE_ATTRIBUTE_NORMAL));
}

} // namespace
