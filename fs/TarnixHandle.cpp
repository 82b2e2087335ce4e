#include "fs/TarnixHandle.h"

#include "core/StringBuffer.h"
#include "fs/ScopedLogContext.h"
#include "log/LogBase.h"

namespace {

// The system's text for an error code as an error entry of its own.
void logErrorText(LogBase *log, DWORD code) {
    StringBuffer text;
    text.appendWindowsError(code);
    log->logError(text.getString());
}

} // namespace

TarnixHandle::TarnixHandle() : m_handle(INVALID_HANDLE_VALUE) {}

TarnixHandle::TarnixHandle(HANDLE handle) : m_handle(handle) {}

TarnixHandle::~TarnixHandle() {
    close();
}

void TarnixHandle::close() {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

void TarnixHandle::takeOwnership(TarnixHandle &other) {
    if (&other == this) return;
    close();
    m_handle = other.m_handle;
    other.m_handle = INVALID_HANDLE_VALUE;
}

bool TarnixHandle::readBytes(void *buffer, uint32_t count, uint32_t &bytesRead, bool &endOfFile,
                             LogBase *log) {
    bytesRead = 0;
    endOfFile = false;
    if (buffer == nullptr) {
        if (log) log->logError("NULL buf pointer.");
        return false;
    }
    unsigned char *next = static_cast<unsigned char *>(buffer);
    while (bytesRead < count) {
        uint32_t remaining = count - bytesRead;
        uint32_t request = remaining < readChunkSize ? remaining : readChunkSize;
        uint32_t got = 0;
        bool ok = readChunk(next, request, got, endOfFile, log);
        bytesRead += got;
        next += got;
        if (!ok) return false;
        if (endOfFile) return true;
    }
    return true;
}

bool TarnixHandle::readChunk(void *buffer, uint32_t count, uint32_t &bytesRead, bool &endOfFile,
                             LogBase *log) {
    bytesRead = 0;
    endOfFile = false;
    if (buffer == nullptr || count == 0) {
        if (log) log->logError("NULL buf or bufSize");
        return false;
    }
    if (!isOpen()) {
        if (log) log->logError("No file is open.");
        return false;
    }
    DWORD got = 0;
    if (ReadFile(m_handle, buffer, count, &got, nullptr)) {
        bytesRead = got;
        if (got == 0) endOfFile = true;
        return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_HANDLE_EOF) {
        endOfFile = true;
        return true;
    }
    if (log) log->logWindowsError(error);
    return false;
}

bool TarnixHandle::writeBytes(const void *buffer, int64_t count, int64_t *bytesWritten,
                              LogBase *log) {
    if (bytesWritten) *bytesWritten = 0;
    if (!isOpen()) {
        if (log) log->logError("Failed to write because file is not open.");
        return false;
    }
    if (count <= 0) return true;
    if (buffer == nullptr) {
        if (log) log->logError("NULL buf pointer.");
        return false;
    }
    const unsigned char *next = static_cast<const unsigned char *>(buffer);
    int64_t remaining = count;
    while (remaining > 0) {
        DWORD request = remaining < static_cast<int64_t>(writeChunkSize)
                            ? static_cast<DWORD>(remaining)
                            : static_cast<DWORD>(writeChunkSize);
        DWORD written = 0;
        BOOL ok = WriteFile(m_handle, next, request, &written, nullptr);
        if (!ok || written != request) {
            if (log) {
                ScopedLogContext context(log, "WriteFileError");
                log->logLastWindowsError();
            }
            return false;
        }
        next += request;
        remaining -= request;
        if (bytesWritten) *bytesWritten += request;
    }
    return true;
}

bool TarnixHandle::movePointer(int64_t distance, DWORD method, int64_t &newPosition, DWORD &error) {
    newPosition = -1;
    error = 0;
    if (!isOpen()) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    uint64_t bits = static_cast<uint64_t>(distance);
    LONG high = static_cast<LONG>(static_cast<uint32_t>(bits >> 32));
    LONG low = static_cast<LONG>(static_cast<uint32_t>(bits));
    // A low half of all ones is a valid result; only the last error tells failure.
    SetLastError(0);
    DWORD resultLow = SetFilePointer(m_handle, low, &high, method);
    if (resultLow == INVALID_SET_FILE_POINTER) {
        error = GetLastError();
        if (error != 0) return false;
    }
    newPosition = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) |
                                       resultLow);
    return true;
}

bool TarnixHandle::seekToEnd(LogBase *log) {
    int64_t position;
    DWORD error;
    if (movePointer(0, FILE_END, position, error)) return true;
    if (log) {
        log->logError("Failed to SetFilePointer to end of file.");
        log->logWindowsError(error);
    }
    return false;
}

bool TarnixHandle::setPosition(int64_t position, LogBase *log) {
    int64_t reached;
    DWORD error;
    if (movePointer(position, FILE_BEGIN, reached, error)) return true;
    if (log) {
        log->logError("Failed to SetFilePointer to absolute file position");
        log->logWindowsError(error);
        log->logDataInt64("position", position);
    }
    return false;
}

bool TarnixHandle::seekRelative(int64_t offset, LogBase *log) {
    int64_t reached;
    DWORD error;
    if (movePointer(offset, FILE_CURRENT, reached, error)) return true;
    if (log) {
        log->logError("Failed to SetFilePointer to relative file position");
        log->logWindowsError(error);
        log->logDataInt64("position", offset);
    }
    return false;
}

int64_t TarnixHandle::getPosition(LogBase *log) {
    int64_t position;
    DWORD error;
    if (movePointer(0, FILE_CURRENT, position, error)) return position;
    if (log) {
        log->logError("Failed to get file position (2)");
        log->logWindowsError(error);
    }
    return -1;
}

int32_t TarnixHandle::getSize32(LogBase *log) {
    DWORD error = ERROR_INVALID_HANDLE;
    if (isOpen()) {
        SetLastError(0);
        DWORD size = GetFileSize(m_handle, nullptr);
        if (size != INVALID_FILE_SIZE) return static_cast<int32_t>(size);
        error = GetLastError();
        // A file of 4 GiB - 1 (or any multiple of 4 GiB beyond) has this low half.
        if (error == 0) return static_cast<int32_t>(size);
    }
    if (log) {
        logErrorText(log, error);
        log->logError("Failed to get file size (32)");
    }
    return -1;
}

int64_t TarnixHandle::getSize64(LogBase *log) {
    DWORD error = ERROR_INVALID_HANDLE;
    if (isOpen()) {
        DWORD high = 0;
        SetLastError(0);
        DWORD low = GetFileSize(m_handle, &high);
        error = low == INVALID_FILE_SIZE ? GetLastError() : 0;
        if (error == 0) return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
    }
    if (log) {
        logErrorText(log, error);
        log->logError("Failed to get file size (64)");
    }
    return -1;
}
