// Attributes, deletion, renaming and copying of single files.
#include "platform/Win32.h"
#include "platform/posix/FileInfo.h"
#include "platform/posix/Handles.h"
#include "platform/posix/WinPath.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace txposix;

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// stat, or the Win32 error for a path that is not there.
DWORD statPath(const char *path, struct stat *info) {
    if (stat(path, info) == 0) return ERROR_SUCCESS;
    int error = errno;
    // A dangling symbolic link is still an entry of its directory.
    if (error == ENOENT && lstat(path, info) == 0) return ERROR_SUCCESS;
    return missingPathError(path, error);
}

template <typename Char> DWORD getAttributes(const Char *path) {
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    struct stat info;
    if (error == ERROR_SUCCESS) error = statPath(target.path.text(), &info);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(info);
}

template <typename Char> BOOL setAttributes(const Char *path, DWORD attributes) {
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    struct stat info;
    if (error == ERROR_SUCCESS) error = statPath(target.path.text(), &info);
    if (error != ERROR_SUCCESS) return fail(error);
    if (S_ISDIR(info.st_mode)) return TRUE; // as under Wine, directories stay writable
    mode_t mode = info.st_mode & 07777;
    mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY)
                        ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)
                        : (isReadOnlyMode(mode) ? mode | S_IWUSR : mode);
    if (wanted != mode && chmod(target.path.text(), wanted) != 0)
        return fail(errorFromErrno(errno));
    return TRUE;
}

template <typename Char> BOOL deleteFile(const Char *path) {
    PosixPath target;
    DWORD error = entryPath(path, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    HandleTableLock lock;
    struct stat info;
    if (lstat(target.path.text(), &info) != 0)
        return fail(missingPathError(target.path.text(), errno));
    if (S_ISDIR(info.st_mode)) return fail(ERROR_ACCESS_DENIED);
    if (S_ISREG(info.st_mode) && isReadOnlyMode(info.st_mode)) return fail(ERROR_ACCESS_DENIED);
    if (sharingConflict(info.st_dev, info.st_ino, accessDelete,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    if (unlink(target.path.text()) != 0) return fail(errorFromErrno(errno));
    return TRUE;
}

// A rename that never replaces an existing entry.
int renameWithoutReplacing(const char *from, const char *to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    struct stat existing;
    if (lstat(to, &existing) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from, to);
}

template <typename Char> BOOL moveFile(const Char *from, const Char *to) {
    PosixPath source, target;
    DWORD error = entryPath(from, PathUse::Name, &source);
    if (error == ERROR_SUCCESS) error = entryPath(to, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    HandleTableLock lock;
    struct stat info;
    if (lstat(source.path.text(), &info) != 0)
        return fail(missingPathError(source.path.text(), errno));
    // Renaming needs delete access to the source; a read-only file may be renamed.
    if (sharingConflict(info.st_dev, info.st_ino, accessDelete,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return fail(ERROR_SHARING_VIOLATION);
    if (renameWithoutReplacing(source.path.text(), target.path.text()) == 0) return TRUE;
    int renameError = errno;
    if (renameError == EEXIST || renameError == ENOTEMPTY) return fail(ERROR_ALREADY_EXISTS);
    if (renameError == ENOENT || renameError == ENOTDIR)
        return fail(missingPathError(target.path.text(), renameError));
    return fail(errorFromErrno(renameError));
}

bool copyBytes(int from, int to, int *error) {
    char buffer[65536];
    for (;;) {
        ssize_t count = read(from, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            *error = errno;
            return false;
        }
        if (count == 0) return true;
        ssize_t done = 0;
        while (done < count) {
            ssize_t written = write(to, buffer + done, size_t(count - done));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                *error = written < 0 ? errno : ENOSPC;
                return false;
            }
            done += written;
        }
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

template <typename Char> BOOL copyFile(const Char *from, const Char *to, BOOL failIfExists) {
    PosixPath source, target;
    DWORD error = entryPath(from, PathUse::Name, &source);
    if (error == ERROR_SUCCESS) error = entryPath(to, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return fail(error);
    HandleTableLock lock;
    struct stat sourceInfo, targetInfo;
    if (stat(source.path.text(), &sourceInfo) != 0)
        return fail(missingPathError(source.path.text(), errno));
    if (S_ISDIR(sourceInfo.st_mode)) return fail(ERROR_ACCESS_DENIED);
    // The source is read by a handle sharing reading and writing.
    if (sharingConflict(sourceInfo.st_dev, sourceInfo.st_ino, accessRead,
                        FILE_SHARE_READ | FILE_SHARE_WRITE))
        return fail(ERROR_SHARING_VIOLATION);
    bool targetExists = stat(target.path.text(), &targetInfo) == 0;
    if (targetExists) {
        if (failIfExists) return fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(targetInfo.st_mode) || isReadOnlyMode(targetInfo.st_mode))
            return fail(ERROR_ACCESS_DENIED);
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)
            return fail(ERROR_SHARING_VIOLATION);
        if (sharingConflict(targetInfo.st_dev, targetInfo.st_ino, accessWrite, FILE_SHARE_READ))
            return fail(ERROR_SHARING_VIOLATION);
    } else if (errno != ENOENT) {
        return fail(missingPathError(target.path.text(), errno));
    }
    FileDescriptor input(open(source.path.text(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) return fail(errorFromErrno(errno));
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    FileDescriptor output(open(target.path.text(), flags, 0666));
    if (output.get() < 0) {
        int openError = errno;
        if (openError == EEXIST) return fail(ERROR_FILE_EXISTS);
        return fail(missingPathError(target.path.text(), openError));
    }
    int copyError = 0;
    if (!copyBytes(input.get(), output.get(), &copyError)) {
        // Windows leaves no half-copied file behind.
        unlink(target.path.text());
        return fail(errorFromErrno(copyError));
    }
    // The copy keeps the source's attributes (read-only among them) and its
    // last-write time, as CopyFile does.
    struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    futimens(output.get(), times);
    fchmod(output.get(), sourceInfo.st_mode & 07777);
    return TRUE;
}

} // namespace

DWORD GetFileAttributesA(LPCSTR path) {
    if (hookFails(txhooks::Call::GetFileAttributes)) return INVALID_FILE_ATTRIBUTES;
    return getAttributes(path);
}

DWORD GetFileAttributesW(LPCWSTR path) {
    if (hookFails(txhooks::Call::GetFileAttributes)) return INVALID_FILE_ATTRIBUTES;
    return getAttributes(path);
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
    if (hookFails(txhooks::Call::SetFileAttributes)) return FALSE;
    return setAttributes(path, attributes);
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    if (hookFails(txhooks::Call::SetFileAttributes)) return FALSE;
    return setAttributes(path, attributes);
}

BOOL DeleteFileA(LPCSTR path) {
    if (hookFails(txhooks::Call::DeleteFile)) return FALSE;
    return deleteFile(path);
}

BOOL DeleteFileW(LPCWSTR path) {
    if (hookFails(txhooks::Call::DeleteFile)) return FALSE;
    return deleteFile(path);
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
    if (hookFails(txhooks::Call::MoveFile)) return FALSE;
    return moveFile(existingPath, newPath);
}

BOOL MoveFileW(LPCWSTR existingPath, LPCWSTR newPath) {
    if (hookFails(txhooks::Call::MoveFile)) return FALSE;
    return moveFile(existingPath, newPath);
}

BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists) {
    if (hookFails(txhooks::Call::CopyFile)) return FALSE;
    return copyFile(existingPath, newPath, failIfExists);
}

BOOL CopyFileW(LPCWSTR existingPath, LPCWSTR newPath, BOOL failIfExists) {
    if (hookFails(txhooks::Call::CopyFile)) return FALSE;
    return copyFile(existingPath, newPath, failIfExists);
}
