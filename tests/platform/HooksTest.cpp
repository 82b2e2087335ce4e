// The test hooks act on the Win32 calls in both builds: through the POSIX layer
// here, through the wrappers over kernel32 on Windows. Limits, planned failures and
// counters are proven where the file system tests use them; these cover the calls
// those tests never fail and the sharing between threads.
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
};

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
