#pragma once

#include "core/StringBuffer.h"
#include "fs/DataSource.h"

class TarnixHandle;

// A data source over an open file. Once the end of the file is reached the handle
// is released and the source stays exhausted.
class FileDataSource : public DataSource {
public:
    FileDataSource();
    ~FileDataSource() override;

    bool getNextChunk(char *buffer, uint32_t bufferSize, uint32_t &numBytes, LogBase *log) override;
    bool getNextChunkStrict(char *buffer, uint32_t bufferSize, uint32_t &numBytes,
                            LogBase *log) override;
    bool endOfStream() override;
    bool setPosition(int64_t position, LogBase *log) override;
    // A backward move on an owned handle reopens the file at the new position.
    bool seekRelative(int64_t offset, LogBase *log) override;
    int64_t getPosition() override;
    void rewind() override;
    bool findUint32(uint32_t value, int64_t &position, LogBase *log) override;
    bool skipBytes(int64_t count, LogBase *log) override;

    // The source owns handle from now on and deletes it when done.
    void takeHandle(TarnixHandle *handle);
    // The source reads handle but leaves it to its owner.
    void borrowHandle(TarnixHandle *handle);
    // The path (UTF-8) the file can be opened again by.
    void setPath(const char *utf8Path);
    const char *getPath() const { return m_path.getString(); }

private:
    void releaseHandle();
    bool readInto(char *buffer, uint32_t bufferSize, uint32_t &numBytes, bool &endOfFile,
                  LogBase *log);
    bool reopenAt(int64_t position, LogBase *log);

    TarnixHandle *m_handle;
    bool m_ownsHandle;
    StringBuffer m_path;
};
