// The Win32 calls the system relies on behave as on Windows in both builds:
// messages, threads, version, names and random bytes (for the log header and
// the random source).
#include "tests/platform/PlatformTest.h"

#include <atomic>
#include <cstring>
#include <set>
#include <thread>

namespace {

std::string systemMessage(DWORD code) {
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    return result;
}

// The texts themselves are checked where the log records them (and Wine words them its
// own way); here only the form the callers rely on.
TEST(SystemMessageTest, TextsEndInCrLfAndAnUnknownCodeHasNone) {
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION, ERROR_NEGATIVE_SEEK}) {
        std::string text = systemMessage(code);
        EXPECT_TRUE(text.size() > 2 && text.substr(text.size() - 2) == "\r\n")
            << code << ": " << text;
    }
    SetLastError(0xDEADBEEF);
    std::string unknown = systemMessage(0x2BADF00Du);
    DWORD error = GetLastError();
    EXPECT_EQ("", unknown);
    EXPECT_EQ(317u, error) << "ERROR_MR_MID_NOT_FOUND: the system has no text for the code";
}

// GetCurrentThreadId tells the log's threads apart.
TEST(LastErrorTest, IsKeptPerThread) {
    std::atomic<int> step{0};
    DWORD seenByOtherThread = 12345, otherThreadId = 0;
    std::thread other([&] {
        while (step.load() != 1) {
        }
        SetLastError(ERROR_DISK_FULL);
        seenByOtherThread = GetLastError();
        otherThreadId = GetCurrentThreadId();
        step = 2;
    });
    // Read before join: creating and joining a thread may set the last error.
    SetLastError(ERROR_ACCESS_DENIED);
    step = 1;
    while (step.load() != 2) {
    }
    DWORD seenHere = GetLastError();
    other.join();
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), seenByOtherThread);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), seenHere);
    EXPECT_NE(GetCurrentThreadId(), otherThreadId);
}

TEST(InterlockedTest, CountsExactlyUnderContention) {
    LONG volatile counter = 0;
    auto work = [&] {
        for (int i = 0; i < 100000; ++i) {
            InterlockedIncrement(&counter);
            InterlockedIncrement(&counter);
            InterlockedDecrement(&counter);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(200000, counter);
    // Each returns the new value.
    EXPECT_EQ(200001, InterlockedIncrement(&counter));
    EXPECT_EQ(200000, InterlockedDecrement(&counter));
}

TEST(VersionTest, IsACurrentEnglishWindowsNt) {
    // Wine's default prefix and the POSIX layer both report an English system.
    EXPECT_EQ(1252u, GetACP());
    EXPECT_EQ(437u, GetOEMCP());
    OSVERSIONINFOA info;
    memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(148u, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info)) << "error " << GetLastError();
    EXPECT_EQ(148u, info.dwOSVersionInfoSize);
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), info.dwPlatformId);
    // At least Windows 7, which also rules out the legacy system (4).
    EXPECT_GE(info.dwMajorVersion * 100 + info.dwMinorVersion, 601u);
    EXPECT_LT(strlen(info.szCSDVersion), sizeof info.szCSDVersion);
    info.dwOSVersionInfoSize = 100;
    EXPECT_FAILS_WITH(ERROR_INSUFFICIENT_BUFFER, GetVersionExA(&info));
}

// The two calls count the terminator differently, both on success and when
// the buffer is too small.
TEST(ComputerAndUserNameTest, BufferProtocols) {
    char name[400]; // the size the log header uses
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameA(name, &size)) << "error " << GetLastError();
    EXPECT_EQ(strlen(name), size);
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH));
    DWORD smallSize = 1;
    EXPECT_FAILS_WITH(ERROR_BUFFER_OVERFLOW, GetComputerNameA(name, &smallSize));
    EXPECT_EQ(size + 1, smallSize);

    size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size)) << "error " << GetLastError();
    EXPECT_EQ(strlen(name) + 1, size);
    EXPECT_GT(size, 1u);
    smallSize = 1;
    EXPECT_FAILS_WITH(ERROR_INSUFFICIENT_BUFFER, GetUserNameA(name, &smallSize));
    EXPECT_EQ(size, smallSize);
}

TEST(CryptRandomTest, VerifyContextGivesFreshBytes) {
    // The random source asks for this provider first; it must do on both builds.
    HCRYPTPROV provider = 0;
    ASSERT_TRUE(CryptAcquireContextA(&provider, nullptr,
                                     "Microsoft Base Cryptographic Provider v1.0", PROV_RSA_FULL,
                                     CRYPT_VERIFYCONTEXT))
        << "error " << std::hex << GetLastError();
    unsigned char first[1000] = {}, second[1000] = {};
    ASSERT_TRUE(CryptGenRandom(provider, sizeof first, first));
    ASSERT_TRUE(CryptGenRandom(provider, sizeof second, second));
    EXPECT_NE(0, memcmp(first, second, sizeof first));
    // 1000 random bytes take nearly all 256 values.
    EXPECT_GT(std::set<unsigned char>(first, first + sizeof first).size(), 200u);
    EXPECT_TRUE(CryptReleaseContext(provider, 0));

    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CryptAcquireContextA(&provider, nullptr, nullptr, 999, CRYPT_VERIFYCONTEXT));
    EXPECT_NE(0xDEADBEEFu, GetLastError());
}

} // namespace
