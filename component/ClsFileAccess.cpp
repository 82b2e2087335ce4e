// The open file of a ClsFileAccess: opens, reads, writes, appends, seeks.
#include "component/ClsFileAccess.h"

#include "charset/TxCharset.h"
#include "fs/FileSys.h"
#include "fs/WindowsVersion.h"

#include <memory>

namespace {

enum OpenMode { OpenRead, OpenWrite, OpenReadWrite, OpenAppend };

const char *const openErrorMessages[] = {
    "Success.",
    "Access denied.",
    "File not found.",
    "General (non-specific) open error.",
    "File aleady exists.",
    "Path refers to a directory and the access requested involves writing",
    "Too many symbolic links were encountered in resolving path.",
    "The process already has the maximum number of files open.",
    "Pathname is too long.",
    "The system limit on the total number of open files has been reached. ",
    "Pathname refers to a device special file and no corresponding device exists.",
    "Insufficient kernel memory was available. ",
    "Pathname was to be created but the device containing pathname has no room for the new "
    "file. ",
    "A component used as a directory in pathname is not, in fact, a directory.",
    "Pathname refers to a regular file, too large to be opened",
    "Pathname refers to a file on a read-only filesystem and write access was requested. ",
    "Pathname refers to an executable image which is currently being executed and write "
    "access was requested. ",
};

const int openErrorCount = static_cast<int>(sizeof openErrorMessages / sizeof *openErrorMessages);

int openErrorFromOsError(DWORD osError) {
    switch (osError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return 2;
    case ERROR_ACCESS_DENIED:
        return 1;
    case ERROR_TOO_MANY_OPEN_FILES:
        return 7;
    default:
        return 3;
    }
}

TarnixHandle *openByMode(int mode, const XString &path, uint32_t &reason, LogBase *log) {
    switch (mode) {
    case OpenRead:
        return FileSys::openForReadWin32(path, reason, log);
    case OpenWrite:
        return FileSys::openForWriteWin32(path, reason, log);
    case OpenReadWrite:
        return FileSys::openForReadWriteWin32(path, false, reason, log);
    default:
        return FileSys::openForAppendWin32(path, reason, log);
    }
}

const uint32_t readSpareBytes = 32;

} // namespace

ClsFileAccess::ClsFileAccess() : m_endOfFile(false), m_fileOpenError(0) {}

ClsFileAccess::~ClsFileAccess() {}

const char *ClsFileAccess::openErrorMessage(int code) {
    if (code < 0 || code >= openErrorCount) return "Unknown file open error.";
    return openErrorMessages[code];
}

void ClsFileAccess::resetOpenState() {
    m_file.close();
    m_endOfFile = false;
    m_fileOpenError = 0;
    m_fileOpenErrorMsg.clear();
}

bool ClsFileAccess::FileOpen(const XString &path, unsigned accessMode, unsigned shareMode,
                             unsigned createDisp, unsigned attr) {
    resetOpenState();
    Frame frame(*this, "FileOpen", FullFrame);
    XString localPath;
    localPath.copyFrom(path);
    // The POSIX layer has one kind of path, but the choice is still made here by the
    // same rule, so that a call leaves the same log natively as on Windows.
    WindowsVersion version;
    DWORD osError = 0;
    std::unique_ptr<TarnixHandle> opened(
        version.isLegacyOs() || localPath.canBeAnsi()
            ? FileSys::openHandleAnsi(localPath, accessMode, shareMode, createDisp, attr, osError,
                                      &log())
            : FileSys::openHandleWide(localPath, accessMode, shareMode, createDisp, attr, osError,
                                      &log()));
    bool success = opened != nullptr;
    if (success) {
        m_file.takeOwnership(*opened);
    } else {
        log().logDataLong("dwLastError", static_cast<int>(osError));
        m_fileOpenError = openErrorFromOsError(osError);
    }
    m_fileOpenErrorMsg.setFromUtf8(openErrorMessage(m_fileOpenError));
    return success;
}

bool ClsFileAccess::openWithMode(const char *methodName, const XString &path, int mode) {
    Frame frame(*this, methodName, FullFrame);
    resetOpenState();
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> opened(openByMode(mode, path, reason, &log()));
    bool success = opened != nullptr;
    if (success)
        m_file.takeOwnership(*opened);
    else
        // A path the open refused before any call (an empty one) still failed.
        m_fileOpenError = reason == FileSys::OpenReasonNone ? 3 : static_cast<int>(reason);
    m_fileOpenErrorMsg.setFromUtf8(openErrorMessage(m_fileOpenError));
    return frame.result(success);
}

bool ClsFileAccess::OpenForRead(const XString &path) {
    return openWithMode("OpenForRead", path, OpenRead);
}

bool ClsFileAccess::OpenForWrite(const XString &path) {
    return openWithMode("OpenForWrite", path, OpenWrite);
}

bool ClsFileAccess::OpenForReadWrite(const XString &path) {
    return openWithMode("OpenForReadWrite", path, OpenReadWrite);
}

bool ClsFileAccess::OpenForAppend(const XString &path) {
    return openWithMode("OpenForAppend", path, OpenAppend);
}

bool ClsFileAccess::FileRead(unsigned numBytes, DataBuffer &out) {
    Frame frame(*this, "FileRead", ShortFrame);
    if (numBytes == 0) {
        log().logError("Requested number of bytes is zero");
        return true;
    }
    out.clear();
    // FileRead(-1) is a script's way of saying "the rest": room for what is left of
    // the file is all the read can use, so a 4 GB block is not asked for.
    uint64_t wanted = numBytes;
    int64_t position = m_file.isOpen() ? m_file.getPosition(nullptr) : -1;
    int64_t size = m_file.isOpen() ? m_file.getSize64(nullptr) : -1;
    if (position >= 0 && size >= position && static_cast<uint64_t>(size - position) < wanted)
        wanted = static_cast<uint64_t>(size - position);
    uint64_t room = wanted + readSpareBytes;
    if (room > 0xFFFFFFFFull || !out.ensureCapacity(static_cast<uint32_t>(room))) {
        log().logMemoryAllocFailed(1085, static_cast<int>(numBytes));
        return false;
    }
    // One byte beyond the rest, so that the read meets the end and says so; a file that
    // grew since its size was taken is read up to the room made for it.
    uint32_t request = static_cast<uint32_t>(wanted < numBytes ? wanted + 1 : wanted);
    uint32_t bytesRead = 0;
    bool endOfFile = false;
    if (!m_file.readBytes(out.getData(), request, bytesRead, endOfFile, &log())) {
        out.clear();
        return false;
    }
    if (endOfFile) m_endOfFile = true;
    out.setSize(bytesRead);
    return true;
}

bool ClsFileAccess::writeToOpenFile(const void *bytes, uint32_t n) {
    if (!m_file.isOpen()) {
        log().logError("File not open");
        return false;
    }
    if (n == 0) return true;
    return m_file.writeBytes(bytes, n, nullptr, &log());
}

bool ClsFileAccess::FileWrite(const DataBuffer &data) {
    Frame frame(*this, "FileWrite", ShortFrame);
    return writeToOpenFile(data.getData(), data.getSize());
}

bool ClsFileAccess::AppendText(const XString &text, const XString &charset) {
    Frame frame(*this, "AppendText", ShortFrame);
    XString name;
    name.copyFrom(charset);
    _txCharset selected;
    selected.setByName(name.getUtf8());
    XString source;
    source.copyFrom(text);
    DataBuffer bytes;
    source.getConverted(selected, bytes);
    return writeToOpenFile(bytes.getData(), bytes.getSize());
}

bool ClsFileAccess::AppendAnsi(const XString &text) {
    Frame frame(*this, "AppendAnsi", ShortFrame);
    _txCharset ansi;
    ansi.setByCodePage(static_cast<int>(GetACP()));
    XString source;
    source.copyFrom(text);
    DataBuffer bytes;
    source.getConverted(ansi, bytes);
    return writeToOpenFile(bytes.getData(), bytes.getSize());
}

bool ClsFileAccess::AppendUnicodeBOM() {
    Frame frame(*this, "AppendUnicodeBOM", ShortFrame);
    static const unsigned char mark[] = {0xFF, 0xFE};
    return writeToOpenFile(mark, sizeof mark);
}

bool ClsFileAccess::AppendUtf8BOM() {
    Frame frame(*this, "AppendUtf8BOM", ShortFrame);
    static const unsigned char mark[] = {0xEF, 0xBB, 0xBF};
    return writeToOpenFile(mark, sizeof mark);
}

bool ClsFileAccess::FileSeek(int offset, int origin) {
    Frame frame(*this, "FileSeek", ShortFrame);
    // The offset is signed, so that FileSeek(-10, 1) moves back ten bytes as a script
    // author expects; a position before the start fails.
    if (origin == 2) return m_file.seekToEnd(&log());
    if (origin == 1) return m_file.seekRelative(offset, &log());
    return m_file.setPosition(offset, &log());
}

void ClsFileAccess::FileClose() {
    m_file.close();
    m_endOfFile = false;
}

bool ClsFileAccess::get_EndOfFile() {
    return m_endOfFile;
}

int ClsFileAccess::get_FileOpenError() {
    return m_fileOpenError;
}

void ClsFileAccess::get_FileOpenErrorMsg(XString &out) {
    out.copyFrom(m_fileOpenErrorMsg);
}
