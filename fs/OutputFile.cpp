#include "fs/OutputFile.h"

#include "core/StringBuffer.h"
#include "fs/FileSys.h"

OutputFile::OutputFile() : m_size(0), m_position(0), m_bytesWritten(0) {}

OutputFile::~OutputFile() {}

uint32_t OutputFile::write(const void *data, uint32_t count, uint32_t elementSize, LogBase *log) {
    return write64(data, count, elementSize, log);
}

uint32_t OutputFile::write64(const void *data, uint64_t count, uint32_t elementSize, LogBase *log) {
    if (data == nullptr || count == 0 || elementSize == 0) return 0;
    uint64_t total = count * elementSize;
    if (!m_handle.writeBytes(data, static_cast<int64_t>(total), nullptr, log)) return 0;
    m_bytesWritten += total;
    m_position += total;
    if (m_position > m_size) m_size = m_position;
    return elementSize;
}

bool OutputFile::seekToEnd(LogBase *log) {
    m_position = m_size;
    return m_handle.seekToEnd(log);
}

bool OutputFile::setPosition(int64_t position, LogBase *log) {
    if (!m_handle.setPosition(position, log)) return false;
    m_position = static_cast<uint64_t>(position);
    return true;
}

int64_t OutputFile::getPosition() {
    return static_cast<int64_t>(m_position);
}

bool OutputFile::openFile(LogBase *log) {
    uint32_t reason = 0;
    return FileSys::openForReadWriteInto(m_path, true, m_handle, reason, log);
}

bool OutputFile::reset(LogBase *log) {
    m_bytesWritten = 0;
    if (m_position == 0) return true;
    m_handle.close();
    FileSys::deleteFile(m_path, nullptr);
    m_size = 0;
    m_position = 0;
    return openFile(log);
}

void OutputFile::describe(StringBuffer &out) {
    out.setString("file");
    if (m_path.isEmpty()) return;
    out.append(": ");
    out.append(m_path.getUtf8());
}
