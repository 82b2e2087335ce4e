// The whole-file operations of DataBuffer; they live with the file system layer
// they call.
#include "core/DataBuffer.h"

#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/ScopedLogContext.h"
#include "fs/TarnixHandle.h"
#include "log/LogBase.h"
#include "platform/Memory.h"

#include <cstring>
#include <memory>

namespace {

const uint32_t spareBytes = 4;

// One block of size + 4 bytes, or null. Only the spare bytes are zeroed: the read
// fills the rest, and zeroing it first would touch every page twice.
unsigned char *allocateForFile(uint32_t size) {
    void *block = txmemory::allocateBlock(static_cast<size_t>(size) + spareBytes);
    if (block != nullptr) memset(static_cast<unsigned char *>(block) + size, 0, spareBytes);
    return static_cast<unsigned char *>(block);
}

// A read that stopped early leaves the block as a zero-filled allocation would.
void zeroUnread(unsigned char *block, uint32_t size, uint32_t bytesRead) {
    if (bytesRead < size) memset(block + bytesRead, 0, size - bytesRead);
}

} // namespace

bool DataBuffer::loadFile(const char *utf8Path, LogBase *log) {
    XString path;
    path.setFromUtf8(utf8Path);
    if (path.canBeAnsi()) {
        ScopedLogContext context(log, "loadFileAnsi");
        return loadFileAnsiPath(path.getAnsi(), log);
    }
    ScopedLogContext context(log, "loadFileUnicode");
    return loadFileUnicodePath(path.getUtf16(), log);
}

bool DataBuffer::loadFileAnsiPath(const char *ansiPath, LogBase *log) {
    clearAndFree();
    XString path;
    path.setFromAnsi(ansiPath);
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> file(FileSys::openForReadWin32(path, reason, log));
    if (!file) return false;

    int64_t size = file->getSize64(log);
    if (size < 0) return false;
    if (size == 0) return true;
    if (size > 0xFFFFFFFBll) {
        if (log) {
            log->logError("Out of memory for data buffer");
            log->logDataInt64("fileSize", size);
        }
        return false;
    }
    uint32_t size32 = static_cast<uint32_t>(size);
    unsigned char *block = allocateForFile(size32);
    if (block == nullptr) {
        if (log) {
            log->logError("Out of memory");
            log->logDataLong("fileSize", static_cast<int>(size32));
        }
        return false;
    }
    takeBlock(block, size32 + spareBytes);
    setSize(size32);

    uint32_t bytesRead = 0;
    bool endOfFile = false;
    bool read = file->readBytes(block, size32, bytesRead, endOfFile, log);
    zeroUnread(block, size32, bytesRead);
    if (!read) {
        if (log) {
            log->logData("filename", path.getUtf8());
            XString currentDir;
            FileSys::getCurrentDirectory(currentDir);
            log->logData("current_dir", currentDir.getUtf8());
        }
        return false;
    }
    if (bytesRead != size32) {
        if (log) {
            log->logDataLong("fileSize", static_cast<int>(size32));
            log->logDataLong("numBytesRead", static_cast<int>(bytesRead));
            log->logError("Failed to read the entire file (2)");
        }
        return false;
    }
    return true;
}

bool DataBuffer::loadFileUnicodePath(const uint16_t *utf16Path, LogBase *log) {
    clearAndFree();
    XString path;
    path.setFromUtf16(utf16Path);
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> file(FileSys::openForReadWin32(path, reason, log));
    if (!file) return false;

    int32_t size = file->getSize32(log);
    if (size == -1) return false;
    if (size == 0) return true;
    uint32_t size32 = static_cast<uint32_t>(size);
    unsigned char *block = size32 > 0xFFFFFFFBu ? nullptr : allocateForFile(size32);
    if (block == nullptr) {
        if (log) {
            log->logError("Out of memory when loading Unicode file into data buffer.");
            log->logDataLong("fileSize", size);
        }
        return false;
    }
    takeBlock(block, size32 + spareBytes);
    setSize(size32);

    uint32_t bytesRead = 0;
    bool endOfFile = false;
    bool read = file->readBytes(block, size32, bytesRead, endOfFile, log);
    zeroUnread(block, size32, bytesRead);
    if (!read) {
        if (log) log->logLastWindowsError();
        return false;
    }
    return bytesRead == size32;
}

bool DataBuffer::saveToFile(const char *utf8Path, LogBase *log) const {
    XString path;
    path.setFromUtf8(utf8Path);
    return FileSys::writeEntireFile(path, *this, log);
}
