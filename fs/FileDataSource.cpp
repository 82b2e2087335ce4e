#include "fs/FileDataSource.h"

#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/HeapBlock.h"
#include "fs/TarnixHandle.h"
#include "log/LogBase.h"

#include <cstring>

namespace {

const uint32_t searchBlockSize = 20000;

} // namespace

FileDataSource::FileDataSource() : m_handle(nullptr), m_ownsHandle(false) {}

FileDataSource::~FileDataSource() {
    releaseHandle();
}

void FileDataSource::releaseHandle() {
    if (m_ownsHandle) delete m_handle;
    m_handle = nullptr;
}

void FileDataSource::takeHandle(TarnixHandle *handle) {
    releaseHandle();
    m_handle = handle;
    m_ownsHandle = true;
}

void FileDataSource::borrowHandle(TarnixHandle *handle) {
    releaseHandle();
    m_handle = handle;
    m_ownsHandle = false;
}

void FileDataSource::setPath(const char *utf8Path) {
    m_path.setString(utf8Path ? utf8Path : "");
}

bool FileDataSource::readInto(char *buffer, uint32_t bufferSize, uint32_t &numBytes,
                              bool &endOfFile, LogBase *log) {
    numBytes = 0;
    endOfFile = false;
    if (bufferSize == 0) {
        if (log) log->logError("zero-size buffer passed to get-next-chunk.");
        return false;
    }
    if (buffer == nullptr) {
        if (log) log->logError("NULL buffer passed to get-next-chunk.");
        return false;
    }
    if (m_handle == nullptr) {
        endOfFile = true;
        return true;
    }
    return m_handle->readBytes(buffer, bufferSize, numBytes, endOfFile, log);
}

bool FileDataSource::getNextChunk(char *buffer, uint32_t bufferSize, uint32_t &numBytes,
                                  LogBase *log) {
    bool endOfFile = false;
    bool ok = readInto(buffer, bufferSize, numBytes, endOfFile, log);
    if (endOfFile) releaseHandle();
    if (!ok) return false;
    deliver(buffer, numBytes);
    return true;
}

bool FileDataSource::getNextChunkStrict(char *buffer, uint32_t bufferSize, uint32_t &numBytes,
                                        LogBase *log) {
    bool endOfFile = false;
    if (!readInto(buffer, bufferSize, numBytes, endOfFile, log)) return false;
    if (numBytes == 0) {
        releaseHandle();
        return false;
    }
    deliver(buffer, numBytes);
    return true;
}

bool FileDataSource::endOfStream() {
    return m_handle == nullptr;
}

bool FileDataSource::setPosition(int64_t position, LogBase *log) {
    return m_handle != nullptr && m_handle->setPosition(position, log);
}

int64_t FileDataSource::getPosition() {
    return m_handle != nullptr ? m_handle->getPosition(nullptr) : -1;
}

void FileDataSource::rewind() {
    setPosition(0, nullptr);
}

bool FileDataSource::reopenAt(int64_t position, LogBase *log) {
    releaseHandle();
    XString path;
    path.setFromUtf8(m_path.getString());
    uint32_t reason = 0;
    TarnixHandle *reopened = FileSys::openForReadWin32(path, reason, log);
    if (reopened == nullptr) return false;
    takeHandle(reopened);
    return m_handle->setPosition(position, log);
}

bool FileDataSource::seekRelative(int64_t offset, LogBase *log) {
    if (offset < 0 && !m_ownsHandle) {
        if (log) log->logError("Cannot seek relative on non-owned file handle");
        return false;
    }
    if (m_handle == nullptr) {
        if (log) log->logError("Cannot fseek relative, file already closed.");
        return false;
    }
    if (!m_handle->seekRelative(offset, log)) {
        if (log) log->logError("Failed to seek to relative offset in file");
        return false;
    }
    if (offset < 0 && m_path.getSize() > 0) {
        // Start over on a fresh handle rather than trust one that has gone backwards.
        int64_t position = m_handle->getPosition(log);
        if (position < 0) return false;
        return reopenAt(position, log);
    }
    return true;
}

bool FileDataSource::skipBytes(int64_t count, LogBase *log) {
    return seekRelative(count, log);
}

bool FileDataSource::findUint32(uint32_t value, int64_t &position, LogBase *log) {
    position = 0;
    if (m_handle == nullptr) return false;
    int64_t windowStart = m_handle->getPosition(log);
    if (windowStart < 0) return false;
    const unsigned char pattern[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    // The last three bytes of a block stay in front of the next, for matches across.
    HeapBlock block(searchBlockSize + 3);
    unsigned char *window = block.get();
    if (window == nullptr) return false;
    uint32_t carried = 0;
    for (;;) {
        uint32_t got = 0;
        bool endOfFile = false;
        if (!m_handle->readBytes(window + carried, searchBlockSize, got, endOfFile, log))
            return false;
        uint32_t available = carried + got;
        for (uint32_t i = 0; i + 4 <= available; ++i) {
            if (memcmp(window + i, pattern, 4) == 0) {
                position = windowStart + i;
                return m_handle->setPosition(position, log);
            }
        }
        if (endOfFile || got == 0) return false;
        uint32_t keep = available < 3 ? available : 3;
        memmove(window, window + available - keep, keep);
        carried = keep;
        windowStart += available - keep;
    }
}
