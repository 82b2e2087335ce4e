// Helpers for the tests of the Win32 calls, which run against the POSIX layer
// natively and against Windows (Wine) in the Windows build.
#pragma once

#include "platform/Win32.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <string>

inline HANDLE openFile(const std::string &path, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

// The failure value of each kind of result the calls return.
// clang-format off
inline bool isFailure(HANDLE result) { return result == INVALID_HANDLE_VALUE; }
inline bool isFailure(BOOL result) { return !result; }
inline bool isFailure(DWORD result) { return result == 0xFFFFFFFFu; }
// clang-format on

// The last error is poisoned first, so that a failure that sets none shows.
#define EXPECT_FAILS_WITH(error, call)                                                             \
    do {                                                                                           \
        SetLastError(0xDEADBEEF);                                                                  \
        bool failed_ = isFailure(call);                                                            \
        EXPECT_EQ(static_cast<DWORD>(error), GetLastError()) << #call;                             \
        EXPECT_TRUE(failed_) << #call;                                                             \
    } while (0)

const DWORD kindBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;
