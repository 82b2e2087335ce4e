#include "fs/FileSys.h"

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/PathText.h"
#include "fs/TarnixHandle.h"
#include "fs/WideText.h"
#include "fs/WindowsVersion.h"
#include "log/LogBase.h"

namespace {

// Paths of this length and longer need the long form to be deleted.
const int maxPlainDeletePath = 261;

bool fitsPathBuffer(DWORD length) {
    return length > 0 && length < static_cast<DWORD>(FileSys::pathBufferChars);
}

} // namespace

bool FileSys::GetAttributes(const XString &path, DWORD &attributes, DWORD &osError, LogBase *log) {
    attributes = INVALID_FILE_ATTRIBUTES;
    osError = 0;
    if (path.isEmpty()) {
        if (log) log->logError("GetAttributes: filename is empty");
        return false;
    }
    XString local;
    pathtext::copyNormalized(path, local);
    WindowsVersion version;
    if (pathtext::prefersAnsiCall(local, version)) {
        attributes = GetFileAttributesA(local.getAnsi());
    } else {
        XString longForm;
        toLongPathForm(local, longForm);
        attributes = GetFileAttributesW(asWide(longForm.getUtf16()));
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) return true;
    osError = GetLastError();
    return false;
}

bool FileSys::setFileAttributes(const XString &path, DWORD attributes) {
    XString local;
    pathtext::copyNormalized(path, local);
    replaceForbiddenChars(local, true, nullptr);
    WindowsVersion version;
    if (version.isLegacyOs()) return SetFileAttributesA(local.getAnsi(), attributes) != 0;
    XString callPath;
    pathtext::longFormUnlessEmpty(local, callPath);
    return SetFileAttributesW(asWide(callPath.getUtf16()), attributes) != 0;
}

bool FileSys::fileExists(const XString &path, LogBase *log) {
    if (path.isEmpty()) return false;
    DWORD attributes = 0;
    DWORD osError = 0;
    if (GetAttributes(path, attributes, osError, nullptr)) return true;
    if (osError == ERROR_FILE_NOT_FOUND || osError == ERROR_PATH_NOT_FOUND ||
        osError == ERROR_NOT_READY) {
        if (log) log->logWindowsError(osError);
        return false;
    }
    // Access denied, a sharing violation, an unreachable share: something is there.
    return true;
}

bool FileSys::fileExistsUtf8(const char *path, LogBase *log) {
    XString xpath;
    xpath.setFromUtf8(path);
    return fileExists(xpath, log);
}

int32_t FileSys::fileSize32(const XString &path, LogBase *log, bool &success) {
    success = false;
    uint32_t reason = 0;
    TarnixHandle *handle = openForReadWin32(path, reason, log);
    if (handle == nullptr) return 0;
    int32_t size = handle->getSize32(log);
    delete handle;
    if (size == -1) return 0;
    success = true;
    return size;
}

bool FileSys::deleteFile(const XString &path, LogBase *log) {
    XString local;
    pathtext::copyNormalized(path, local);
    WindowsVersion version;
    if (version.isLegacyOs()) return DeleteFileA(local.getAnsi()) != 0;
    if (local.getNumChars() < maxPlainDeletePath) {
        if (DeleteFileW(asWide(local.getUtf16()))) return true;
        DWORD error = GetLastError();
        if (log) {
            log->logWindowsError(error);
            log->logData("failedToDeleteFilepath", local.getUtf8());
        }
        return error == ERROR_FILE_NOT_FOUND;
    }
    XString longForm;
    toLongPathForm(local, longForm);
    if (DeleteFileW(asWide(longForm.getUtf16()))) return true;
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool FileSys::deleteFileUtf8(const char *path, LogBase *log) {
    XString xpath;
    xpath.setFromUtf8(path);
    return deleteFile(xpath, log);
}

bool FileSys::renameFile(const XString &existingPath, const XString &newPath, LogBase *log) {
    XString from;
    pathtext::copyNormalized(existingPath, from);
    XString to;
    pathtext::copyNormalized(newPath, to);
    WindowsVersion version;
    BOOL moved;
    if (version.isLegacyOs()) {
        moved = MoveFileA(from.getAnsi(), to.getAnsi());
    } else if (from.isEmpty() && to.isEmpty()) {
        moved = MoveFileW(asWide(from.getUtf16()), asWide(to.getUtf16()));
    } else {
        XString longFrom;
        toLongPathForm(from, longFrom);
        XString longTo;
        toLongPathForm(to, longTo);
        moved = MoveFileW(asWide(longFrom.getUtf16()), asWide(longTo.getUtf16()));
    }
    if (moved) return true;
    if (log) log->logLastWindowsError();
    return false;
}

bool FileSys::copyFile(const XString &existingPath, const XString &newPath, bool failIfExists) {
    XString from;
    pathtext::copyNormalized(existingPath, from);
    XString to;
    pathtext::copyNormalized(newPath, to);
    WindowsVersion version;
    if (version.isLegacyOs())
        return CopyFileA(from.getAnsi(), to.getAnsi(), failIfExists ? TRUE : FALSE) != 0;
    return CopyFileW(asWide(from.getUtf16()), asWide(to.getUtf16()), failIfExists ? TRUE : FALSE) !=
           0;
}

void FileSys::getCurrentDirectory(XString &out) {
    out.clear();
    WindowsVersion version;
    if (!version.isLegacyOs()) {
        WCHAR wide[pathBufferChars];
        DWORD length = GetCurrentDirectoryW(pathBufferChars, wide);
        if (length != 0) {
            if (fitsPathBuffer(length)) out.setFromUtf16(asUnits(wide));
            return;
        }
    }
    char ansi[pathBufferChars];
    DWORD length = GetCurrentDirectoryA(pathBufferChars, ansi);
    if (fitsPathBuffer(length)) out.setFromAnsi(ansi);
}

bool FileSys::setCurrentDirectory(const XString &path) {
    XString local;
    pathtext::copyNormalized(path, local);
    WindowsVersion version;
    if (version.isLegacyOs()) return SetCurrentDirectoryA(local.getAnsi()) != 0;
    XString callPath;
    pathtext::longFormUnlessEmpty(local, callPath);
    return SetCurrentDirectoryW(asWide(callPath.getUtf16())) != 0;
}

bool FileSys::writeEntireFile(const XString &path, const void *data, int64_t numBytes,
                              LogBase *log) {
    if (path.isEmpty()) return false;
    XString pathForLog;
    pathForLog.copyFrom(path);
    TarnixHandle handle;
    uint32_t reason = 0;
    if (!openForWriteInto(path, handle, reason, log)) {
        if (log) {
            log->logData("filename", pathForLog.getUtf8());
            log->logError("Failed to write complete file (7)");
        }
        return false;
    }
    if (data != nullptr && numBytes > 0 && !handle.writeBytes(data, numBytes, nullptr, log)) {
        if (log) {
            log->logData("filename", pathForLog.getUtf8());
            log->logError("Failed to write complete file (1)");
        }
        return false;
    }
    return true;
}

bool FileSys::writeEntireFile(const XString &path, const DataBuffer &data, LogBase *log) {
    return writeEntireFile(path, data.getData(), data.getSize(), log);
}

bool FileSys::writeEntireFileUtf8(const char *path, const void *data, int64_t numBytes,
                                  LogBase *log) {
    XString xpath;
    xpath.setFromUtf8(path);
    return writeEntireFile(xpath, data, numBytes, log);
}

bool FileSys::writeEntireFileAnsi(const char *path, const void *data, int64_t numBytes,
                                  LogBase *log) {
    XString xpath;
    xpath.setFromAnsi(path);
    return writeEntireFile(xpath, data, numBytes, log);
}

bool FileSys::writeToOpenHandle(TarnixHandle &handle, const void *data, int64_t numBytes,
                                LogBase *log) {
    if (data == nullptr || numBytes <= 0) return true;
    if (!handle.isOpen()) {
        if (log) log->logError("File not open");
        return false;
    }
    return handle.writeBytes(data, numBytes, nullptr, log);
}
