// Version, names and random bytes as the log header and the random source use them.
#include "platform/Win32.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(VersionTest, IsACurrentWindowsNt) {
    OSVERSIONINFOA info;
    memset(&info, 0xCC, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_EQ(148u, sizeof info);
    ASSERT_TRUE(GetVersionExA(&info)) << "error " << GetLastError();
    EXPECT_EQ(148u, info.dwOSVersionInfoSize);
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), info.dwPlatformId);
    // Not the legacy system (4), and at least Windows 7.
    EXPECT_NE(4u, info.dwMajorVersion);
    EXPECT_GE(info.dwMajorVersion * 100 + info.dwMinorVersion, 601u);
    EXPECT_LT(strlen(info.szCSDVersion), sizeof info.szCSDVersion);

    info.dwOSVersionInfoSize = 100;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST(ComputerNameTest, BufferProtocolLeavesOutTheTerminatorOnSuccess) {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size)) << "error " << GetLastError();
    EXPECT_EQ(strlen(name), size);
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, static_cast<DWORD>(MAX_COMPUTERNAME_LENGTH));

    char small[1];
    DWORD smallSize = 1;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetComputerNameA(small, &smallSize));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_OVERFLOW), GetLastError());
    EXPECT_EQ(size + 1, smallSize);
}

TEST(UserNameTest, BufferProtocolCountsTheTerminator) {
    char name[400]; // the size the log header uses
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size)) << "error " << GetLastError();
    EXPECT_EQ(strlen(name) + 1, size);
    EXPECT_GT(size, 1u);

    char small[1];
    DWORD smallSize = 1;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetUserNameA(small, &smallSize));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(size, smallSize);
}

TEST(CryptRandomTest, VerifyContextGivesFreshBytes) {
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
    bool seen[256] = {};
    int distinct = 0;
    for (unsigned char byte : first) {
        if (!seen[byte]) ++distinct;
        seen[byte] = true;
    }
    EXPECT_GT(distinct, 200);
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

TEST(CryptRandomTest, EachFlagVariantOfTheRandomSourceIsAccepted) {
    // The random source tries these in order; the first must do on both builds.
    HCRYPTPROV provider = 0;
    EXPECT_TRUE(CryptAcquireContextA(&provider, nullptr,
                                     "Microsoft Base Cryptographic Provider v1.0", PROV_RSA_FULL,
                                     0xF0000000u));
    if (provider != 0) CryptReleaseContext(provider, 0);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(CryptAcquireContextA(&provider, nullptr, nullptr, 999, CRYPT_VERIFYCONTEXT));
    EXPECT_NE(0xDEADBEEFu, GetLastError());
}

} // namespace
