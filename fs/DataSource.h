#pragma once

#include "encoding/ZipCRC.h"

#include <cstdint>

class LogBase;
class Output;

// Hands out a stream of bytes chunk by chunk. Every delivered chunk is counted and,
// while the CRC flag is set, folded into the CRC register.
class DataSource {
public:
    DataSource();
    virtual ~DataSource();
    DataSource(const DataSource &) = delete;
    DataSource &operator=(const DataSource &) = delete;

    // Up to bufferSize bytes; true with 0 bytes once the data has ended.
    virtual bool getNextChunk(char *buffer, uint32_t bufferSize, uint32_t &numBytes, LogBase *log);
    // As getNextChunk, but a chunk without bytes is a failure.
    virtual bool getNextChunkStrict(char *buffer, uint32_t bufferSize, uint32_t &numBytes,
                                    LogBase *log);
    virtual bool endOfStream();
    virtual bool setPosition(int64_t position, LogBase *log);
    virtual bool seekRelative(int64_t offset, LogBase *log);
    virtual int64_t getPosition();
    virtual void rewind();
    // Moves forward to the first four bytes that hold value (little-endian).
    virtual bool findUint32(uint32_t value, int64_t &position, LogBase *log);
    // Reads and discards count bytes; true when they were consumed or the data ended.
    virtual bool skipBytes(int64_t count, LogBase *log);

    // Copies everything that is left to output; false only when a write failed.
    bool copyToOutput(Output &output, LogBase *log);

    uint64_t getTotalDelivered() const { return m_totalDelivered; }
    void setComputeCrc(bool compute) { m_computeCrc = compute; }
    bool getComputeCrc() const { return m_computeCrc; }
    uint32_t getCrcRegister() const { return m_crc.getCrc(); }

    static const uint32_t copyChunkSize = 20000;

protected:
    // Counts a delivered chunk and folds it into the CRC while the flag is set.
    void deliver(const char *bytes, uint32_t numBytes);

private:
    uint64_t m_totalDelivered;
    ZipCRC m_crc;
    bool m_computeCrc;
};
