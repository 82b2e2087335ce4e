// CreateFile and the handle calls behave as on Windows in both builds.
#include "tests/platform/PlatformTest.h"

namespace {

const DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
const DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SRW = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST(CreateFileTest, DispositionsAndFlagsOnAFileOnNothingAndOnADirectory) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.file("dir").c_str(), nullptr));
    const DWORD badParameter = ERROR_INVALID_PARAMETER;
    struct Case {
        DWORD access, disposition, onFile, onNothing, onDirectory;
        bool truncates;
    };
    // A directory opens only with backup semantics.
    for (const Case &c :
         {Case{R, CREATE_NEW, ERROR_FILE_EXISTS, ERROR_SUCCESS, ERROR_FILE_EXISTS, false},
          Case{W, CREATE_ALWAYS, ERROR_ALREADY_EXISTS, ERROR_SUCCESS, ERROR_ACCESS_DENIED, true},
          Case{R, OPEN_EXISTING, ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, false},
          Case{RW, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, ERROR_SUCCESS, ERROR_ACCESS_DENIED, false},
          Case{W, TRUNCATE_EXISTING, ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
               true},
          Case{R, 0, badParameter, badParameter, badParameter, false},
          Case{R, TRUNCATE_EXISTING + 1, badParameter, badParameter, badParameter, false}}) {
        const char *const targets[] = {"existing", "missing", "dir"};
        const DWORD errors[] = {c.onFile, c.onNothing, c.onDirectory};
        for (int target = 0; target < 3; ++target) {
            SCOPED_TRACE(testing::Message()
                         << "disposition " << c.disposition << " on " << targets[target]);
            ASSERT_TRUE(writeTestFile(dir.file("existing"), "old content"));
            DeleteFileA(dir.file("missing").c_str());
            SetLastError(0xDEADBEEF);
            TestHandle file(openFile(dir.file(targets[target]), c.access, 0, c.disposition));
            EXPECT_EQ(errors[target], GetLastError());
            bool opened = errors[target] == ERROR_SUCCESS || errors[target] == ERROR_ALREADY_EXISTS;
            EXPECT_EQ(opened, file.valid());
            file.reset();
            bool emptied = opened && target == 0 && c.truncates;
            EXPECT_EQ(emptied ? "" : "old content", readTestFile(dir.file("existing")));
            bool created =
                GetFileAttributesA(dir.file("missing").c_str()) != INVALID_FILE_ATTRIBUTES;
            EXPECT_EQ(opened && target == 1, created);
        }
    }
    TestHandle backup(openFile(dir.file("dir"), R, SRW, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    EXPECT_TRUE(backup.valid()) << "error " << GetLastError();
    // The last handle of a file opened to be deleted on close takes the file with it.
    TestHandle doomed(openFile(dir.file("doomed"), W | DELETE, 0, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE));
    ASSERT_TRUE(doomed.valid()) << "error " << GetLastError();
    doomed.reset();
    EXPECT_FAILS_WITH(ERROR_FILE_NOT_FOUND, GetFileAttributesA(dir.file("doomed").c_str()));
}

// Share modes between two handles of this process, as Windows decides them:
// the second open's access against the first's share mode, and the second's
// share mode against the first's access.
TEST(ShareModeTest, SecondOpenIsDecidedByBothHandles) {
    TempDir dir;
    std::string path = dir.file("shared.txt");
    ASSERT_TRUE(writeTestFile(path, "x"));
    const DWORD SD = FILE_SHARE_DELETE;
    struct Case {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool allowed;
    };
    for (const Case &c :
         {Case{R, SR, R, SR, true}, Case{R, SR, R, SRW, true},
          Case{R, SR, W, SRW, false}, // wants write, first shares no write
          Case{W, SRW, R, SR, false}, // first writes, second shares no write
          Case{W, SRW, R, SRW, true}, Case{W, SRW, W, SRW, true},
          Case{R, 0, R, SRW, false},   // first shares nothing
          Case{R, SRW, R, 0, false},   // second shares nothing with a reader
          Case{RW, SRW, R, SW, false}, // first reads, second shares no read
          Case{R, SW, W, SRW, true},   // first shares write only: a writer fits
          Case{R, 0, 0, 0, true},      // no data access collides with nothing
          Case{R, 0, FILE_READ_ATTRIBUTES, 0, true}, Case{R, SRW, DELETE, SRW | SD, false},
          Case{R, SRW | SD, DELETE, SRW | SD, true}}) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << "first 0x" << c.firstAccess << "/" << c.firstShare
                     << ", second 0x" << c.secondAccess << "/" << c.secondShare);
        TestHandle first(openFile(path, c.firstAccess, c.firstShare, OPEN_EXISTING));
        ASSERT_TRUE(first.valid()) << "error " << GetLastError();
        SetLastError(0xDEADBEEF);
        TestHandle second(openFile(path, c.secondAccess, c.secondShare, OPEN_EXISTING));
        EXPECT_EQ(static_cast<DWORD>(c.allowed ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION),
                  GetLastError());
        EXPECT_EQ(c.allowed, second.valid());
        // Closing both must release their share modes: each case starts afresh.
    }
}

class FileIoTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("data.bin");
    TestHandle file{openFile(path, RW, SRW, CREATE_ALWAYS)};
    DWORD count = 0xDEAD;
    char buffer[128] = {};

    void SetUp() override { ASSERT_TRUE(file.valid()) << "error " << GetLastError(); }
};

// Reading, writing and moving within the file are proven through the file handle's
// tests; the zeros of a gap and the untouched last error are not visible there.
TEST_F(FileIoTest, AGapPastTheEndReadsAsZerosAndTheEndReadsNothing) {
    ASSERT_TRUE(WriteFile(file.get(), "hello", 5, &count, nullptr));
    EXPECT_EQ(20u, SetFilePointer(file.get(), 20, nullptr, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(file.get(), "z", 1, &count, nullptr));
    ASSERT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN));
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ("hello" + std::string(15, '\0') + "z", std::string(buffer, count));
    SetLastError(0xDEADBEEF);
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0xDEADBEEFu, GetLastError());
}

TEST_F(FileIoTest, WrongAccessAndBadHandlesFail) {
    TestHandle reader(openFile(path, R, SRW, OPEN_EXISTING));
    TestHandle writer(openFile(path, W, SRW, OPEN_EXISTING));
    EXPECT_FAILS_WITH(ERROR_ACCESS_DENIED, WriteFile(reader.get(), "x", 1, &count, nullptr));
    EXPECT_EQ(0u, count);
    count = 0xDEAD;
    EXPECT_FAILS_WITH(ERROR_ACCESS_DENIED, ReadFile(writer.get(), buffer, 1, &count, nullptr));
    EXPECT_EQ(0u, count);

    HANDLE foreign = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    EXPECT_FAILS_WITH(ERROR_INVALID_HANDLE, SetFilePointer(foreign, 0, nullptr, FILE_BEGIN));
    EXPECT_FAILS_WITH(ERROR_INVALID_HANDLE, GetFileSize(foreign, nullptr));
    // INVALID_HANDLE_VALUE is also the current process's pseudo-handle.
    EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

// Moves before the start, positions past 4 GiB and 64-bit sizes are proven through
// the file handle's tests; these are the moves and sizes it never makes.
TEST_F(FileIoTest, PointerFromTheEndBadMethodAndASizeWhoseLowPartIsAllOnes) {
    ASSERT_TRUE(WriteFile(file.get(), "0123456789", 10, &count, nullptr));
    LONG high = -1;
    EXPECT_EQ(7u, SetFilePointer(file.get(), -3, &high, FILE_END));
    EXPECT_EQ(0, high);
    EXPECT_FAILS_WITH(ERROR_INVALID_PARAMETER, SetFilePointer(file.get(), 0, nullptr, 3));
    high = 1;
    ASSERT_EQ(0xFFFFFFFEu, SetFilePointer(file.get(), -2, &high, FILE_BEGIN));
    if (!WriteFile(file.get(), "f", 1, &count, nullptr)) {
        GTEST_SKIP() << "this file system holds no sparse 8 GiB file (error " << GetLastError()
                     << ")";
    }
    DWORD sizeHigh = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file.get(), &sizeHigh));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_EQ(1u, sizeHigh);
}

} // namespace
