#include "fs/FileSys.h"

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/PathText.h"
#include "fs/ScopedLogContext.h"
#include "fs/TarnixHandle.h"
#include "fs/WideText.h"
#include "fs/WindowsVersion.h"
#include "log/LogBase.h"

#include <new>

namespace {

const int sharingViolationRetries = 3;
const DWORD sharingViolationPauseMs = 50;

TarnixHandle *wrapHandle(HANDLE handle) {
    TarnixHandle *owner = new (std::nothrow) TarnixHandle(handle);
    if (owner == nullptr) CloseHandle(handle);
    return owner;
}

uint32_t reasonFor(DWORD osError) {
    if (osError == ERROR_ACCESS_DENIED) return FileSys::OpenReasonAccessDenied;
    if (osError == ERROR_FILE_NOT_FOUND || osError == ERROR_PATH_NOT_FOUND)
        return FileSys::OpenReasonNotFound;
    return FileSys::OpenReasonOther;
}

void logOsErrorInfo(LogBase *log, DWORD osError) {
    StringBuffer text;
    text.appendWindowsError(osError);
    log->logData("osErrorInfo", text.getString());
}

bool moveInto(TarnixHandle *opened, TarnixHandle &handle) {
    if (opened == nullptr) return false;
    handle.takeOwnership(*opened);
    delete opened;
    return true;
}

} // namespace

TarnixHandle *FileSys::openHandleAnsi(const XString &path, DWORD desiredAccess, DWORD shareMode,
                                      DWORD creationDisposition, DWORD flagsAndAttributes,
                                      DWORD &osError, LogBase *log) {
    osError = 0;
    XString normalized;
    pathtext::copyNormalized(path, normalized);
    const char *ansiPath = normalized.getAnsi();
    HANDLE handle = CreateFileA(ansiPath, desiredAccess, shareMode, nullptr, creationDisposition,
                                flagsAndAttributes, nullptr);
    for (int retry = 0; handle == INVALID_HANDLE_VALUE && retry < sharingViolationRetries;
         ++retry) {
        if (GetLastError() != ERROR_SHARING_VIOLATION) break;
        // Whoever holds the file may be writing it; asking to share writes can get in.
        if (shareMode == FILE_SHARE_READ) shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
        Sleep(sharingViolationPauseMs);
        handle = CreateFileA(ansiPath, desiredAccess, shareMode, nullptr, creationDisposition,
                             flagsAndAttributes, nullptr);
    }
    if (handle != INVALID_HANDLE_VALUE) return wrapHandle(handle);

    osError = GetLastError();
    if (log) {
        log->logError("Failed to open file (2)");
        XString localPath;
        localPath.setFromAnsi(ansiPath);
        log->logData("localFilePath", localPath.getUtf8());
        XString currentDirectory;
        getCurrentDirectory(currentDirectory);
        log->logData("currentWorkingDirectory", currentDirectory.getUtf8());
        logOsErrorInfo(log, osError);
    }
    return nullptr;
}

TarnixHandle *FileSys::openHandleWide(const XString &path, DWORD desiredAccess, DWORD shareMode,
                                      DWORD creationDisposition, DWORD flagsAndAttributes,
                                      DWORD &osError, LogBase *log) {
    osError = 0;
    XString normalized;
    pathtext::copyNormalized(path, normalized);
    const WCHAR *widePath = asWide(normalized.getUtf16());
    HANDLE handle = CreateFileW(widePath, desiredAccess, shareMode, nullptr, creationDisposition,
                                flagsAndAttributes, nullptr);
    for (int retry = 0; handle == INVALID_HANDLE_VALUE && retry < sharingViolationRetries;
         ++retry) {
        if (GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(sharingViolationPauseMs);
        handle = CreateFileW(widePath, desiredAccess, shareMode, nullptr, creationDisposition,
                             flagsAndAttributes, nullptr);
    }
    if (handle != INVALID_HANDLE_VALUE) return wrapHandle(handle);

    osError = GetLastError();
    if (log) {
        log->logError("Failed to open file (3)");
        log->logData("utf8Filename", normalized.getUtf8());
        logOsErrorInfo(log, osError);
    }
    return nullptr;
}

TarnixHandle *FileSys::openFileWin32(const XString &path, bool read, bool write, bool exclusive,
                                     bool append, uint32_t &reason, LogBase *log) {
    reason = OpenReasonNone;
    XString local;
    pathtext::copyNormalized(path, local);
    // Only a file opened for writing can turn con.txt into the console.
    replaceForbiddenChars(local, write, nullptr);
    if (local.isEmpty()) return nullptr;

    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (write) {
        access = read ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_WRITE;
        disposition = read ? OPEN_ALWAYS : CREATE_ALWAYS;
    }
    DWORD share = (read && !exclusive) ? (FILE_SHARE_READ | FILE_SHARE_WRITE) : 0;
    const DWORD attributes = FILE_ATTRIBUTE_NORMAL;

    WindowsVersion version;
    bool useAnsi = pathtext::prefersAnsiCall(local, version);
    XString callPath;
    if (useAnsi)
        callPath.copyFrom(local);
    else
        toLongPathForm(local, callPath);

    DWORD osError = 0;
    auto open = [&]() {
        return useAnsi
                   ? openHandleAnsi(callPath, access, share, disposition, attributes, osError, log)
                   : openHandleWide(callPath, access, share, disposition, attributes, osError, log);
    };
    TarnixHandle *handle = open();
    if (handle == nullptr) {
        DWORD currentAttributes = 0;
        DWORD attributeError = 0;
        if (GetAttributes(local, currentAttributes, attributeError, nullptr) &&
            (currentAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
            setFileAttributes(local,
                              currentAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
            handle = open();
    }
    if (handle == nullptr) {
        if (log) {
            reason = reasonFor(osError);
            log->logData("localWindowsFilePath", local.getUtf8());
        }
        return nullptr;
    }
    if (append) {
        LONG high = 0;
        SetFilePointer(handle->getOsHandle(), 0, &high, FILE_END);
    }
    return handle;
}

TarnixHandle *FileSys::openForReadWin32(const XString &path, uint32_t &reason, LogBase *log) {
    ScopedLogContext context(log, "openForReadWin32");
    return openFileWin32(path, true, false, false, false, reason, log);
}

TarnixHandle *FileSys::openForWriteWin32(const XString &path, uint32_t &reason, LogBase *log) {
    ScopedLogContext context(log, "openForWriteWin32");
    return openFileWin32(path, false, true, true, false, reason, log);
}

TarnixHandle *FileSys::openForReadWriteWin32(const XString &path, bool exclusive, uint32_t &reason,
                                             LogBase *log) {
    ScopedLogContext context(log, "openForReadWriteWin32");
    return openFileWin32(path, true, true, exclusive, false, reason, log);
}

TarnixHandle *FileSys::openForAppendWin32(const XString &path, uint32_t &reason, LogBase *log) {
    ScopedLogContext context(log, "openForAppendWin32");
    return openFileWin32(path, true, true, false, true, reason, log);
}

bool FileSys::openForReadInto(const XString &path, TarnixHandle &handle, uint32_t &reason,
                              LogBase *log) {
    return moveInto(openForReadWin32(path, reason, log), handle);
}

bool FileSys::openForWriteInto(const XString &path, TarnixHandle &handle, uint32_t &reason,
                               LogBase *log) {
    return moveInto(openForWriteWin32(path, reason, log), handle);
}

bool FileSys::openForReadWriteInto(const XString &path, bool exclusive, TarnixHandle &handle,
                                   uint32_t &reason, LogBase *log) {
    return moveInto(openForReadWriteWin32(path, exclusive, reason, log), handle);
}
