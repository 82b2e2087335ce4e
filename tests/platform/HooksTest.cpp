// The test hooks act on the Win32 calls in both builds: through the POSIX layer
// here, through the wrappers over kernel32 on Windows.
#include "platform/TestHooks.h"
#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using txhooks::Call;

class HooksTest : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("hooked.txt");
    txhooks::ScopedReset resetHooks;

    void SetUp() override {
        txhooks::resetAll();
        ASSERT_TRUE(writeTestFile(path, "0123456789"));
    }

    HANDLE openForRead() {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

TEST_F(HooksTest, NextCreateFileCallsFailWithTheGivenError) {
    txhooks::failNextCalls(Call::CreateFile, ERROR_SHARING_VIOLATION, 2);
    for (int i = 0; i < 2; ++i) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(INVALID_HANDLE_VALUE, openForRead()) << "call " << i;
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError()) << "call " << i;
    }
    TestHandle third(openForRead());
    EXPECT_TRUE(third.valid()) << "error " << GetLastError();

    // The wide entry is the same call.
    txhooks::failNextCalls(Call::CreateFile, ERROR_NOT_READY, 1);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
}

TEST_F(HooksTest, FailureMayWaitForSomeCallsToPass) {
    txhooks::failCallsAfter(Call::GetFileAttributes, 2, ERROR_ACCESS_DENIED, 1);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(toWide(path).c_str()));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

TEST_F(HooksTest, EachCallFailsWithItsOwnFailureValue) {
    TestHandle file(openForRead());
    ASSERT_TRUE(file.valid());
    char buffer[4];
    DWORD count = 0xDEAD;

    txhooks::failNextCalls(Call::ReadFile, ERROR_READ_FAULT, 1);
    EXPECT_FALSE(ReadFile(file.get(), buffer, 4, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_READ_FAULT), GetLastError());
    EXPECT_EQ(0u, count);

    txhooks::failNextCalls(Call::SetFilePointer, ERROR_SEEK, 1);
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file.get(), 0, nullptr, FILE_END));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SEEK), GetLastError());
    EXPECT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT)) << "nothing moved";

    txhooks::failNextCalls(Call::GetFileSize, ERROR_GEN_FAILURE, 1);
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file.get(), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());

    txhooks::failNextCalls(Call::DeleteFile, ERROR_LOCK_VIOLATION, 1);
    EXPECT_FALSE(DeleteFileW(toWide(dir.file("any")).c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_LOCK_VIOLATION), GetLastError());

    txhooks::failNextCalls(Call::CreateDirectory, ERROR_WRITE_PROTECT, 1);
    EXPECT_FALSE(CreateDirectoryA(dir.file("new").c_str(), nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_PROTECT), GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("new").c_str()))
        << "the directory was not made";

    txhooks::failNextCalls(Call::FindFirstFile, ERROR_NOT_READY, 1);
    WIN32_FIND_DATAA data;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(dir.file("*").c_str(), &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());

    txhooks::failNextCalls(Call::GetCurrentDirectory, ERROR_NOT_ENOUGH_MEMORY, 1);
    char current[2048];
    EXPECT_EQ(0u, GetCurrentDirectoryA(sizeof current, current));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());

    txhooks::failNextCalls(Call::CryptAcquireContext, NTE_BAD_KEYSET, 1);
    HCRYPTPROV provider = 0;
    EXPECT_FALSE(
        CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(static_cast<DWORD>(NTE_BAD_KEYSET), GetLastError());
}

TEST_F(HooksTest, WriteLimitRunsTheDiskFull) {
    TestHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    txhooks::setWriteLimit(6);
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file.get(), "abcd", 4, &count, nullptr));
    EXPECT_EQ(4u, count);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WriteFile(file.get(), "efgh", 4, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ(2u, count) << "the part that fits is written";
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WriteFile(file.get(), "i", 1, &count, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(WriteFile(file.get(), "", 0, &count, nullptr)) << "nothing to write fits";

    txhooks::clearWriteLimit();
    EXPECT_TRUE(WriteFile(file.get(), "j", 1, &count, nullptr));
    file.reset();
    EXPECT_EQ("abcdefj", readTestFile(path));
}

TEST_F(HooksTest, CountersRecordReadAndWriteSizes) {
    txhooks::startCounting();
    {
        TestHandle file(openForRead());
        char buffer[16];
        DWORD count;
        ASSERT_TRUE(ReadFile(file.get(), buffer, 4, &count, nullptr));
        ASSERT_TRUE(ReadFile(file.get(), buffer, 16, &count, nullptr));
        EXPECT_EQ(6u, count);
    }
    ASSERT_TRUE(writeTestFile(dir.file("out.txt"), "xyz"));
    txhooks::IoCounters seen = txhooks::counters();
    EXPECT_EQ(2u, seen.readCalls);
    EXPECT_EQ(10u, seen.bytesRead);
    ASSERT_EQ(2, seen.readSizesRecorded);
    EXPECT_EQ(4u, seen.readSizes[0]);
    EXPECT_EQ(16u, seen.readSizes[1]);
    EXPECT_EQ(1u, seen.writeCalls);
    EXPECT_EQ(3u, seen.bytesWritten);
    ASSERT_EQ(1, seen.writeSizesRecorded);
    EXPECT_EQ(3u, seen.writeSizes[0]);
    EXPECT_EQ(2u, seen.callsOf(Call::CreateFile));
    EXPECT_EQ(2u, seen.callsOf(Call::CloseHandle));

    txhooks::resetCounters();
    EXPECT_EQ(0u, txhooks::counters().readCalls);
    GetFileAttributesA(path.c_str());
    EXPECT_EQ(1u, txhooks::counters().callsOf(Call::GetFileAttributes)) << "still counting";
    txhooks::resetAll();
    GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, txhooks::counters().callsOf(Call::GetFileAttributes)) << "counting stopped";
}

TEST_F(HooksTest, ReadChunkLimitMakesShortReads) {
    txhooks::setReadChunkLimit(3);
    TestHandle file(openForRead());
    std::string content;
    char buffer[64];
    DWORD count;
    int reads = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        EXPECT_LE(count, 3u);
        content.append(buffer, count);
        ++reads;
    }
    EXPECT_EQ("0123456789", content);
    EXPECT_EQ(4, reads);
}

TEST_F(HooksTest, SkippedSleepsReturnAtOnce) {
    txhooks::startCounting();
    txhooks::skipNextSleeps(2);
    DWORD before = GetTickCount();
    Sleep(5000);
    Sleep(5000);
    EXPECT_LT(GetTickCount() - before, 1000u);
    before = GetTickCount();
    Sleep(60);
    // The tick count moves in steps of up to 16 ms.
    EXPECT_GE(GetTickCount() - before, 40u) << "the third sleep sleeps";
    EXPECT_EQ(3u, txhooks::counters().sleepCalls);
    EXPECT_EQ(10060u, txhooks::counters().sleptMilliseconds);
}

TEST_F(HooksTest, ResetDisarmsEverything) {
    txhooks::failNextCalls(Call::CreateFile, ERROR_ACCESS_DENIED, 5);
    txhooks::setWriteLimit(0);
    txhooks::setReadChunkLimit(1);
    txhooks::resetAll();
    EXPECT_FALSE(txhooks::detail::anyArmed());
    TestHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << "error " << GetLastError();
    char buffer[16];
    DWORD count;
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(10u, count);
    EXPECT_TRUE(WriteFile(file.get(), "x", 1, &count, nullptr));
}

TEST_F(HooksTest, InjectedFailuresAreCountedOnceAcrossThreads) {
    txhooks::failNextCalls(Call::GetFileAttributes, ERROR_NOT_READY, 100);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) ++failures[t];
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(100, failures[0] + failures[1] + failures[2] + failures[3]);
    EXPECT_FALSE(txhooks::detail::anyArmed()) << "all planned failures were used";
}

} // namespace
