#pragma once

#include "core/XString.h"
#include "fs/Output.h"
#include "fs/TarnixHandle.h"

// An output that writes a file. It is open from creation (FileSys::createOutputFile)
// to destruction, which closes the file and leaves it on disk.
class OutputFile : public Output {
public:
    OutputFile();
    ~OutputFile() override;

    uint32_t write(const void *data, uint32_t count, uint32_t elementSize, LogBase *log) override;
    uint32_t write64(const void *data, uint64_t count, uint32_t elementSize, LogBase *log) override;
    bool seekToEnd(LogBase *log) override;
    bool setPosition(int64_t position, LogBase *log) override;
    int64_t getPosition() override;
    // Creates the file anew unless nothing has been written at the current position.
    bool reset(LogBase *log) override;
    void describe(StringBuffer &out) override;

    void setPath(const char *utf8Path) { m_path.setFromUtf8(utf8Path); }
    // Opens the path exclusively for reading and writing, creating the file.
    bool openFile(LogBase *log);
    bool isOpen() const { return m_handle.isOpen(); }
    uint64_t getSize() const { return m_size; }
    uint64_t getBytesWritten() const { return m_bytesWritten; }

private:
    uint64_t m_size;
    uint64_t m_position;
    TarnixHandle m_handle;
    XString m_path;
    uint64_t m_bytesWritten;
};
