// The test hooks act on the Win32 calls in both builds: through the POSIX layer
// here, through the wrappers over kernel32 on Windows.
#include "platform/TestHooks.h"
#include "tests/platform/PlatformTest.h"

#include <atomic>
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
    HANDLE openForRead() { return openFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING); }
};

TEST_F(HooksTest, PlannedFailuresMayLetCallsOfEitherEntryPassFirst) {
    txhooks::failCallsAfter(Call::CreateFile, 1, ERROR_SHARING_VIOLATION, 2);
    EXPECT_TRUE(TestHandle(openForRead()).valid()) << "error " << GetLastError();
    EXPECT_FAILS_WITH(ERROR_SHARING_VIOLATION, openForRead());
    // The wide entry is the same call.
    EXPECT_FAILS_WITH(ERROR_SHARING_VIOLATION,
                      CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(TestHandle(openForRead()).valid()) << "error " << GetLastError();
}

// Arms one failure of `call` and expects `expression` to report it.
#define EXPECT_INJECTED(call, error, expression)                                                   \
    do {                                                                                           \
        txhooks::failNextCalls(Call::call, error, 1);                                              \
        EXPECT_FAILS_WITH(error, expression);                                                      \
    } while (0)

TEST_F(HooksTest, EachCallFailsWithItsFailureValueAndNeverReachesTheSystem) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(file.valid());
    const std::string made = dir.file("made");
    char buffer[MAX_PATH];
    DWORD read = 0xDEAD, written = 0xDEAD;
    WIN32_FIND_DATAA data;
    HCRYPTPROV provider = 0;
    EXPECT_INJECTED(ReadFile, ERROR_READ_FAULT, ReadFile(file.get(), buffer, 4, &read, nullptr));
    EXPECT_INJECTED(WriteFile, ERROR_WRITE_FAULT, WriteFile(file.get(), "x", 1, &written, nullptr));
    EXPECT_EQ(0u, read + written) << "nothing was transferred";
    EXPECT_INJECTED(SetFilePointer, ERROR_SEEK, SetFilePointer(file.get(), 0, nullptr, FILE_END));
    EXPECT_INJECTED(GetFileSize, ERROR_GEN_FAILURE, GetFileSize(file.get(), nullptr));
    EXPECT_INJECTED(DeleteFile, ERROR_LOCK_VIOLATION, DeleteFileW(toWide(made).c_str()));
    EXPECT_INJECTED(CreateDirectory, ERROR_WRITE_PROTECT, CreateDirectoryA(made.c_str(), nullptr));
    EXPECT_INJECTED(FindFirstFile, ERROR_NOT_READY, FindFirstFileA(dir.file("*").c_str(), &data));
    EXPECT_INJECTED(GetCurrentDirectory, ERROR_NOT_ENOUGH_MEMORY,
                    BOOL(GetCurrentDirectoryA(sizeof buffer, buffer) != 0));
    EXPECT_INJECTED(
        CryptAcquireContext, NTE_BAD_KEYSET,
        CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    // An injected failure closes all the same: a caller cannot retry a close.
    HANDLE closed = openFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    EXPECT_INJECTED(CloseHandle, ERROR_IO_DEVICE, CloseHandle(closed));
    EXPECT_FAILS_WITH(ERROR_INVALID_HANDLE, CloseHandle(closed));

    EXPECT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT)) << "nothing moved";
    file.reset();
    EXPECT_EQ("0123456789", readTestFile(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(made.c_str()));
}

TEST_F(HooksTest, LimitsShortenReadsAndFillTheDiskUntilResetDisarmsEverything) {
    TestHandle file(openFile(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING));
    char buffer[64];
    DWORD count = 0;
    txhooks::setReadChunkLimit(3);
    std::string content;
    while (ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr) && count > 0)
        content += std::string(buffer, count) + "|";
    EXPECT_EQ("012|345|678|9|", content);

    txhooks::setWriteLimit(6);
    EXPECT_TRUE(WriteFile(file.get(), "abcd", 4, &count, nullptr));
    EXPECT_EQ(4u, count);
    EXPECT_FAILS_WITH(ERROR_DISK_FULL, WriteFile(file.get(), "efgh", 4, &count, nullptr));
    EXPECT_EQ(2u, count) << "the part that fits is written";
    EXPECT_FAILS_WITH(ERROR_DISK_FULL, WriteFile(file.get(), "i", 1, &count, nullptr));
    EXPECT_EQ(0u, count);
    EXPECT_TRUE(WriteFile(file.get(), "", 0, &count, nullptr)) << "nothing to write fits";
    txhooks::clearWriteLimit();
    EXPECT_TRUE(WriteFile(file.get(), "j", 1, &count, nullptr));

    txhooks::setWriteLimit(0);
    txhooks::failNextCalls(Call::ReadFile, ERROR_ACCESS_DENIED, 5);
    txhooks::resetAll();
    EXPECT_FALSE(txhooks::detail::anyArmed());
    EXPECT_TRUE(WriteFile(file.get(), "k", 1, &count, nullptr));
    ASSERT_EQ(0u, SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN));
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ("0123456789abcdefjk", std::string(buffer, count));
}

TEST_F(HooksTest, CountersRecordCallsSizesAndSleeps) {
    txhooks::startCounting();
    {
        TestHandle file(openForRead());
        char buffer[16];
        DWORD count;
        ASSERT_TRUE(ReadFile(file.get(), buffer, 4, &count, nullptr));
        ASSERT_TRUE(ReadFile(file.get(), buffer, 16, &count, nullptr));
    }
    ASSERT_TRUE(writeTestFile(dir.file("out.txt"), "xyz"));
    txhooks::IoCounters seen = txhooks::counters();
    EXPECT_EQ(2u, seen.readCalls);
    EXPECT_EQ(10u, seen.bytesRead);
    EXPECT_EQ(std::vector<DWORD>({4, 16}),
              std::vector<DWORD>(seen.readSizes, seen.readSizes + seen.readSizesRecorded));
    EXPECT_EQ(1u, seen.writeCalls);
    EXPECT_EQ(3u, seen.bytesWritten);
    EXPECT_EQ(std::vector<DWORD>({3}),
              std::vector<DWORD>(seen.writeSizes, seen.writeSizes + seen.writeSizesRecorded));
    EXPECT_EQ(2u, seen.callsOf(Call::CreateFile));
    EXPECT_EQ(2u, seen.callsOf(Call::CloseHandle));

    txhooks::resetCounters();
    EXPECT_EQ(0u, txhooks::counters().readCalls);
    // Skipped sleeps return at once but are counted.
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
    GetFileAttributesA(path.c_str());
    EXPECT_EQ(1u, txhooks::counters().callsOf(Call::GetFileAttributes)) << "still counting";
    txhooks::resetAll();
    GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, txhooks::counters().callsOf(Call::GetFileAttributes)) << "counting stopped";
}

TEST_F(HooksTest, InjectedFailuresAreCountedOnceAcrossThreads) {
    txhooks::failNextCalls(Call::GetFileAttributes, ERROR_NOT_READY, 100);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                failures += GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                            GetLastError() == ERROR_NOT_READY;
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(100, failures.load());
    EXPECT_FALSE(txhooks::detail::anyArmed()) << "all planned failures were used";
}

} // namespace
