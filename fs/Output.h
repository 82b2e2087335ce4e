#pragma once

#include <cstdint>

class LogBase;
class StringBuffer;

// A sink for bytes. The base accepts everything and keeps nothing.
class Output {
public:
    Output() {}
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    // Writes count elements of elementSize bytes; the element size on success, else 0.
    virtual uint32_t write(const void *data, uint32_t count, uint32_t elementSize, LogBase *log);
    virtual uint32_t write64(const void *data, uint64_t count, uint32_t elementSize, LogBase *log);
    virtual ~Output();
    virtual bool seekToEnd(LogBase *log);
    virtual bool setPosition(int64_t position, LogBase *log);
    virtual int64_t getPosition();
    // Starts the output over, empty.
    virtual bool reset(LogBase *log);
    virtual void describe(StringBuffer &out);
    virtual void flushOutput();
    virtual uint64_t getNumBytesPending();
    virtual bool isInMemory();
    virtual bool finish(LogBase *log);
};
