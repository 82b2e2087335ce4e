#pragma once

#include "platform/Win32.h"

#include <cstdint>

class LogBase;

// Owns one open operating-system file handle. Ownership moves with takeOwnership
// and is never shared. Every log argument may be null. Operations on a closed
// handle fail without calling the system.
class TarnixHandle {
public:
    TarnixHandle();
    // Takes ownership of an open handle.
    explicit TarnixHandle(HANDLE handle);
    virtual ~TarnixHandle();
    TarnixHandle(const TarnixHandle &) = delete;
    TarnixHandle &operator=(const TarnixHandle &) = delete;

    void close();
    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    // Closes this handle, then takes the other's, which is left closed.
    void takeOwnership(TarnixHandle &other);
    HANDLE getOsHandle() const { return m_handle; }

    // Reads up to count bytes in chunks of at most 65536 bytes. True when the count
    // was read or the end of the file was reached (endOfFile tells which).
    bool readBytes(void *buffer, uint32_t count, uint32_t &bytesRead, bool &endOfFile,
                   LogBase *log);
    // One ReadFile call.
    bool readChunk(void *buffer, uint32_t count, uint32_t &bytesRead, bool &endOfFile,
                   LogBase *log);
    // Writes in chunks of at most 10,000,000 bytes; bytesWritten (may be null) counts
    // the complete chunks.
    bool writeBytes(const void *buffer, int64_t count, int64_t *bytesWritten, LogBase *log);

    bool seekToEnd(LogBase *log);
    bool setPosition(int64_t position, LogBase *log);
    bool seekRelative(int64_t offset, LogBase *log);
    // -1 on failure.
    int64_t getPosition(LogBase *log);
    // The low 32 bits of the size, as a signed value; -1 on failure.
    int32_t getSize32(LogBase *log);
    // -1 on failure.
    int64_t getSize64(LogBase *log);

    static const uint32_t readChunkSize = 65536;
    static const uint32_t writeChunkSize = 10000000;

private:
    // SetFilePointer with a 64-bit distance; false only when the system reports failure.
    bool movePointer(int64_t distance, DWORD method, int64_t &newPosition, DWORD &error);

    HANDLE m_handle;
};
