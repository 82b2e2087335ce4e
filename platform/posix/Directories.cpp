// Directories, the current directory and full-path resolution.
#include "platform/Win32.h"
#include "platform/posix/FileInfo.h"
#include "platform/posix/WinPath.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace txposix;

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

template <typename Char> BOOL createDirectory(const Char *path) {
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    if (mkdir(target.path.text(), 0777) == 0) return TRUE;
    int mkdirError = errno;
    if (mkdirError == EEXIST) return fail(ERROR_ALREADY_EXISTS);
    // Only the last level is made: a missing parent is a missing path.
    if (mkdirError == ENOENT || mkdirError == ENOTDIR) return fail(ERROR_PATH_NOT_FOUND);
    return fail(errorFromErrno(mkdirError));
}

template <typename Char> BOOL removeDirectory(const Char *path) {
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    struct stat info;
    if (lstat(target.path.text(), &info) != 0)
        return fail(missingPathError(target.path.text(), errno));
    if (S_ISLNK(info.st_mode)) {
        // A link to a directory is removed as a link, as Windows removes a
        // directory symbolic link without touching its target.
        struct stat targetInfo;
        if (stat(target.path.text(), &targetInfo) != 0 || !S_ISDIR(targetInfo.st_mode))
            return fail(ERROR_DIRECTORY);
        if (unlink(target.path.text()) == 0) return TRUE;
        return fail(errorFromErrno(errno));
    }
    if (!S_ISDIR(info.st_mode)) return fail(ERROR_DIRECTORY);
    if (rmdir(target.path.text()) == 0) return TRUE;
    int rmdirError = errno;
    if (rmdirError == ENOTEMPTY || rmdirError == EEXIST) return fail(ERROR_DIR_NOT_EMPTY);
    return fail(errorFromErrno(rmdirError));
}

template <typename Char> BOOL setCurrentDirectory(const Char *path) {
    if (path == nullptr || path[0] == 0) return fail(ERROR_INVALID_NAME);
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    struct stat info;
    if (stat(target.path.text(), &info) != 0)
        return fail(missingPathError(target.path.text(), errno));
    if (!S_ISDIR(info.st_mode)) return fail(ERROR_DIRECTORY);
    if (chdir(target.path.text()) != 0) return fail(errorFromErrno(errno));
    return TRUE;
}

// The text in the entry's encoding, by the buffer protocol of GetFullPathName and
// GetCurrentDirectory: the length without the terminator when it fits, else the
// size needed with it (the buffer is then left alone).
DWORD deliver(const ByteText &utf8, DWORD bufferLength, char *buffer, long filePart,
              char **filePartOut) {
    DWORD needed = DWORD(utf8ToAnsi(utf8.text(), utf8.length(), nullptr, 0));
    if (buffer == nullptr || bufferLength <= needed) return needed + 1;
    utf8ToAnsi(utf8.text(), utf8.length(), buffer, needed);
    buffer[needed] = '\0';
    if (filePartOut != nullptr) {
        *filePartOut =
            filePart < 0 ? nullptr : buffer + utf8ToAnsi(utf8.text(), size_t(filePart), nullptr, 0);
    }
    return needed;
}

DWORD deliver(const ByteText &utf8, DWORD bufferLength, WCHAR *buffer, long filePart,
              WCHAR **filePartOut) {
    DWORD needed = DWORD(utf8ToWide(utf8.text(), utf8.length(), nullptr, 0));
    if (buffer == nullptr || bufferLength <= needed) return needed + 1;
    utf8ToWide(utf8.text(), utf8.length(), buffer, needed);
    buffer[needed] = 0;
    if (filePartOut != nullptr) {
        *filePartOut =
            filePart < 0 ? nullptr : buffer + utf8ToWide(utf8.text(), size_t(filePart), nullptr, 0);
    }
    return needed;
}

bool entryToUtf8(const char *path, ByteText *out) {
    return ansiToUtf8(path, out);
}
bool entryToUtf8(const WCHAR *path, ByteText *out) {
    return wideToUtf8(path, out);
}

template <typename Char>
DWORD getFullPathName(const Char *path, DWORD bufferLength, Char *buffer, Char **filePart) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (path[0] == 0) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    ByteText utf8, full;
    long filePartOffset;
    if (!entryToUtf8(path, &utf8) || !resolveFullPath(utf8.text(), &full, &filePartOffset)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return deliver(full, bufferLength, buffer, filePartOffset, filePart);
}

template <typename Char> DWORD getCurrentDirectory(DWORD bufferLength, Char *buffer) {
    ByteText current;
    if (!currentDirectory(&current)) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return deliver(current, bufferLength, buffer, -1, nullptr);
}

} // namespace

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    if (hookFails(txhooks::Call::CreateDirectory)) return FALSE;
    return createDirectory(path);
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    if (hookFails(txhooks::Call::CreateDirectory)) return FALSE;
    return createDirectory(path);
}

BOOL RemoveDirectoryA(LPCSTR path) {
    if (hookFails(txhooks::Call::RemoveDirectory)) return FALSE;
    return removeDirectory(path);
}

BOOL RemoveDirectoryW(LPCWSTR path) {
    if (hookFails(txhooks::Call::RemoveDirectory)) return FALSE;
    return removeDirectory(path);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
    if (hookFails(txhooks::Call::SetCurrentDirectory)) return FALSE;
    return setCurrentDirectory(path);
}

BOOL SetCurrentDirectoryW(LPCWSTR path) {
    if (hookFails(txhooks::Call::SetCurrentDirectory)) return FALSE;
    return setCurrentDirectory(path);
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
    if (hookFails(txhooks::Call::GetCurrentDirectory)) return 0;
    return getCurrentDirectory(bufferLength, buffer);
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) {
    if (hookFails(txhooks::Call::GetCurrentDirectory)) return 0;
    return getCurrentDirectory(bufferLength, buffer);
}

DWORD GetFullPathNameA(LPCSTR path, DWORD bufferLength, LPSTR buffer, LPSTR *filePart) {
    if (hookFails(txhooks::Call::GetFullPathName)) return 0;
    return getFullPathName(path, bufferLength, buffer, filePart);
}

DWORD GetFullPathNameW(LPCWSTR path, DWORD bufferLength, LPWSTR buffer, LPWSTR *filePart) {
    if (hookFails(txhooks::Call::GetFullPathName)) return 0;
    return getFullPathName(path, bufferLength, buffer, filePart);
}
