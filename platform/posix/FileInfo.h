// What the POSIX layer reads from a stat record in Win32 terms.
#pragma once

#include "platform/TestHooks.h"
#include "platform/Win32.h"

#include <sys/stat.h>

namespace txposix {

// Read-only in Win32 terms: no one may write, whoever owns it.
inline bool isReadOnlyMode(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

inline DWORD attributesOf(const struct stat &info) {
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return FILE_ATTRIBUTE_ARCHIVE | (isReadOnlyMode(info.st_mode) ? FILE_ATTRIBUTE_READONLY : 0);
}

// 100-nanosecond intervals since 1601-01-01.
inline FILETIME fileTimeOf(const struct timespec &time) {
    const int64_t secondsFrom1601To1970 = 11644473600LL;
    uint64_t ticks =
        uint64_t(time.tv_sec + secondsFrom1601To1970) * 10000000u + uint64_t(time.tv_nsec) / 100u;
    FILETIME result;
    result.dwLowDateTime = DWORD(ticks);
    result.dwHighDateTime = DWORD(ticks >> 32);
    return result;
}

// True when the test hooks make this call fail; the last error is then set.
inline bool hookFails(txhooks::Call call) {
    return txhooks::detail::anyArmed() && txhooks::detail::injectFailure(call);
}

} // namespace txposix
