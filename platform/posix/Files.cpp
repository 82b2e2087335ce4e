// CreateFile, ReadFile, WriteFile, SetFilePointer, GetFileSize and CloseHandle.
#include "platform/Win32.h"
#include "platform/posix/FileInfo.h"
#include "platform/posix/Handles.h"
#include "platform/posix/WinPath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

using namespace txposix;

namespace {

HANDLE failOpen(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

int openModeFor(DWORD access, bool truncate) {
    bool read = access & accessRead;
    bool write = (access & accessWrite) || truncate;
    if (read && write) return O_RDWR;
    if (write) return O_WRONLY;
    if (read) return O_RDONLY;
    return O_PATH; // attributes only: no data access needed
}

struct OpenRequest {
    DWORD access; // AccessBits
    DWORD shareMode;
    DWORD disposition;
    DWORD flags;
    bool appendOnly;
};

// Called with the handle table locked; the share check and the open are one step.
HANDLE openUnderLock(PosixPath &target, const OpenRequest &request) {
    char *path = target.path.data();
    if (target.trailingSeparator) {
        size_t length = target.path.length();
        while (length > 1 && path[length - 1] == '/')
            --length;
        target.path.truncate(length);
    }
    bool truncate =
        request.disposition == CREATE_ALWAYS || request.disposition == TRUNCATE_EXISTING;
    struct stat info;
    bool exists = stat(path, &info) == 0;
    int statError = errno;
    if (target.trailingSeparator && !(exists && S_ISDIR(info.st_mode))) {
        // A name with a trailing separator can only be a directory.
        if (!exists && missingPathError(path, statError) == ERROR_PATH_NOT_FOUND)
            return failOpen(ERROR_PATH_NOT_FOUND);
        return failOpen(ERROR_INVALID_NAME);
    }
    int flags = O_CLOEXEC | O_NOCTTY;
    if (request.appendOnly) flags |= O_APPEND;
    int fd;
    if (exists) {
        if (request.disposition == CREATE_NEW) return failOpen(ERROR_FILE_EXISTS);
        if (S_ISDIR(info.st_mode)) {
            // Directories open only for backup semantics, as on Windows.
            if (!(request.flags & FILE_FLAG_BACKUP_SEMANTICS) || truncate ||
                (request.access & accessWrite))
                return failOpen(ERROR_ACCESS_DENIED);
            flags |= O_DIRECTORY;
        }
        // Root ignores permission bits; the read-only attribute must not be.
        if (((request.access & accessWrite) || truncate) && isReadOnlyMode(info.st_mode))
            return failOpen(ERROR_ACCESS_DENIED);
        if (sharingConflict(info.st_dev, info.st_ino, request.access, request.shareMode))
            return failOpen(ERROR_SHARING_VIOLATION);
        int mode = S_ISDIR(info.st_mode) ? O_RDONLY : openModeFor(request.access, truncate);
        fd = open(path, flags | mode);
        if (fd < 0) return failOpen(errorFromErrno(errno));
        if (truncate && S_ISREG(info.st_mode) && ftruncate(fd, 0) != 0) {
            int error = errno;
            close(fd);
            return failOpen(errorFromErrno(error));
        }
    } else {
        if (statError != ENOENT) return failOpen(missingPathError(path, statError));
        DWORD missing = missingPathError(path, ENOENT);
        if (missing == ERROR_PATH_NOT_FOUND) return failOpen(missing);
        if (request.disposition == OPEN_EXISTING || request.disposition == TRUNCATE_EXISTING)
            return failOpen(ERROR_FILE_NOT_FOUND);
        mode_t permissions = (request.flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        int mode = openModeFor(request.access, false);
        fd = open(path, flags | O_CREAT | O_EXCL | (mode == O_PATH ? O_RDONLY : mode), permissions);
        if (fd < 0) {
            int error = errno;
            return failOpen(error == EEXIST ? ERROR_FILE_EXISTS : errorFromErrno(error));
        }
    }
    struct stat opened;
    FileObject *file = new (std::nothrow) FileObject();
    char *deletePath = (request.flags & FILE_FLAG_DELETE_ON_CLOSE) ? strdup(path) : nullptr;
    if (fstat(fd, &opened) != 0 || file == nullptr ||
        ((request.flags & FILE_FLAG_DELETE_ON_CLOSE) && deletePath == nullptr)) {
        close(fd);
        delete file;
        free(deletePath);
        return failOpen(ERROR_NOT_ENOUGH_MEMORY);
    }
    file->header.kind = HandleKind::File;
    file->fd = fd;
    file->device = opened.st_dev;
    file->inode = opened.st_ino;
    file->access = request.access;
    file->shareMode = request.shareMode;
    file->appendOnly = request.appendOnly;
    file->regularFile = S_ISREG(opened.st_mode);
    file->deleteOnClose = deletePath;
    addHandle(&file->header);
    bool replaced = request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS;
    SetLastError(exists && replaced ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(file);
}

HANDLE createFile(const char *path, bool ansiEntry, DWORD desiredAccess, DWORD shareMode,
                  DWORD disposition, DWORD flags) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return failOpen(ERROR_INVALID_PARAMETER);
    if (flags & FILE_FLAG_OVERLAPPED) return failOpen(ERROR_INVALID_PARAMETER);
    PosixPath target;
    DWORD error = toPosixPath(path, ansiEntry, PathUse::Name, &target);
    if (error != ERROR_SUCCESS) return failOpen(error);
    OpenRequest request;
    request.access = accessBitsOf(desiredAccess);
    if (flags & FILE_FLAG_DELETE_ON_CLOSE) request.access |= accessDelete;
    request.shareMode = shareMode;
    request.disposition = disposition;
    request.flags = flags;
    request.appendOnly = (desiredAccess & FILE_APPEND_DATA) &&
                         !(desiredAccess & (FILE_WRITE_DATA | GENERIC_WRITE | GENERIC_ALL));
    HandleTableLock lock;
    return openUnderLock(target, request);
}

} // namespace

HANDLE CreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    if (hookFails(txhooks::Call::CreateFile)) return INVALID_HANDLE_VALUE;
    ByteText utf8;
    if (path == nullptr) return failOpen(ERROR_PATH_NOT_FOUND);
    if (!ansiToUtf8(path, &utf8)) return failOpen(ERROR_NOT_ENOUGH_MEMORY);
    return createFile(utf8.text(), true, desiredAccess, shareMode, creationDisposition,
                      flagsAndAttributes);
}

HANDLE CreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    if (hookFails(txhooks::Call::CreateFile)) return INVALID_HANDLE_VALUE;
    ByteText utf8;
    if (path == nullptr) return failOpen(ERROR_PATH_NOT_FOUND);
    if (!wideToUtf8(path, &utf8)) return failOpen(ERROR_NOT_ENOUGH_MEMORY);
    return createFile(utf8.text(), false, desiredAccess, shareMode, creationDisposition,
                      flagsAndAttributes);
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped) {
    if (bytesRead != nullptr) *bytesRead = 0;
    bool hooked = txhooks::detail::anyArmed();
    if (hooked && txhooks::detail::injectFailure(txhooks::Call::ReadFile)) return FALSE;
    FileObject *file = fileFromHandle(handle);
    if (file == nullptr) return FALSE;
    if (overlapped != nullptr || (buffer == nullptr && bytesToRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(file->access & accessRead)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD wanted = hooked ? txhooks::detail::beginRead(bytesToRead) : bytesToRead;
    char *target = static_cast<char *>(buffer);
    DWORD done = 0;
    int error = 0;
    while (done < wanted) {
        ssize_t count = read(file->fd, target + done, wanted - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            error = errno;
            break;
        }
        done += DWORD(count);
        // Files read in full; pipes and devices return what they have.
        if (count == 0 || !file->regularFile) break;
    }
    if (bytesRead != nullptr) *bytesRead = done;
    if (hooked) txhooks::detail::endRead(done);
    if (error != 0) {
        SetLastError(error == EISDIR ? ERROR_INVALID_FUNCTION : errorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    bool hooked = txhooks::detail::anyArmed();
    if (hooked && txhooks::detail::injectFailure(txhooks::Call::WriteFile)) return FALSE;
    FileObject *file = fileFromHandle(handle);
    if (file == nullptr) return FALSE;
    if (overlapped != nullptr || (buffer == nullptr && bytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(file->access & accessWrite)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD allowed = hooked ? txhooks::detail::beginWrite(bytesToWrite) : bytesToWrite;
    const char *source = static_cast<const char *>(buffer);
    DWORD done = 0;
    int error = 0;
    while (done < allowed) {
        ssize_t count = write(file->fd, source + done, allowed - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            error = count < 0 ? errno : ENOSPC;
            break;
        }
        done += DWORD(count);
    }
    if (bytesWritten != nullptr) *bytesWritten = done;
    if (hooked) txhooks::detail::endWrite(done);
    if (error == 0 && allowed < bytesToWrite) error = ENOSPC; // the hooks' full disk
    if (error != 0) {
        SetLastError(errorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
    if (hookFails(txhooks::Call::SetFilePointer)) return INVALID_SET_FILE_POINTER;
    FileObject *file = fileFromHandle(handle);
    if (file == nullptr) return INVALID_SET_FILE_POINTER;
    int64_t offset = distanceHigh != nullptr
                         ? int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distance))
                         : int64_t(distance);
    int64_t base;
    if (moveMethod == FILE_BEGIN) {
        base = 0;
    } else if (moveMethod == FILE_CURRENT) {
        base = lseek(file->fd, 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info;
        base = fstat(file->fd, &info) == 0 ? int64_t(info.st_size) : -1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(errorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    int64_t position;
    if (__builtin_add_overflow(base, offset, &position)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (position < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh == nullptr && position > int64_t(0xFFFFFFFE)) {
        // Without a high part the new position must fit in 32 bits.
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd, position, SEEK_SET) < 0) {
        SetLastError(errorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr) *distanceHigh = LONG(position >> 32);
    DWORD low = DWORD(position);
    // The caller cannot tell this position from a failure but by the last error.
    if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
    return low;
}

DWORD GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
    if (hookFails(txhooks::Call::GetFileSize)) return INVALID_FILE_SIZE;
    FileObject *file = fileFromHandle(handle);
    if (file == nullptr) return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(file->fd, &info) != 0) {
        SetLastError(errorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    uint64_t size = S_ISREG(info.st_mode) ? uint64_t(info.st_size) : 0;
    if (sizeHigh != nullptr) *sizeHigh = DWORD(size >> 32);
    DWORD low = DWORD(size);
    if (low == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
    return low;
}

BOOL CloseHandle(HANDLE handle) {
    // The pseudo-handle of the current process, which INVALID_HANDLE_VALUE also
    // is on Windows, closes without effect.
    if (handle == INVALID_HANDLE_VALUE) return TRUE;
    bool injected = hookFails(txhooks::Call::CloseHandle);
    DWORD injectedError = GetLastError();
    FileObject *file = nullptr;
    {
        HandleTableLock lock;
        if (removeHandle(handle, HandleKind::File)) file = static_cast<FileObject *>(handle);
    }
    if (file == nullptr) {
        SetLastError(injected ? injectedError : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(file->fd);
    if (file->deleteOnClose != nullptr) unlink(file->deleteOnClose);
    free(file->deleteOnClose);
    delete file;
    if (injected) {
        // The handle is gone all the same: a caller cannot retry a close.
        SetLastError(injectedError);
        return FALSE;
    }
    return TRUE;
}
