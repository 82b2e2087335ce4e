#include "fs/DataSource.h"

#include "fs/HeapBlock.h"
#include "fs/Output.h"
#include "log/LogBase.h"

namespace {

// Room beyond the chunk for readers that terminate what they read.
const size_t copyBufferSlack = 8;

} // namespace

DataSource::DataSource() : m_totalDelivered(0), m_computeCrc(true) {
    m_crc.beginCrc();
}

DataSource::~DataSource() {}

bool DataSource::getNextChunk(char *, uint32_t, uint32_t &numBytes, LogBase *) {
    numBytes = 0;
    return false;
}

bool DataSource::getNextChunkStrict(char *, uint32_t, uint32_t &numBytes, LogBase *) {
    numBytes = 0;
    return false;
}

bool DataSource::endOfStream() {
    return true;
}

bool DataSource::setPosition(int64_t, LogBase *) {
    return false;
}

bool DataSource::seekRelative(int64_t, LogBase *) {
    return false;
}

int64_t DataSource::getPosition() {
    return 0;
}

void DataSource::rewind() {}

bool DataSource::findUint32(uint32_t, int64_t &position, LogBase *) {
    position = 0;
    return false;
}

bool DataSource::skipBytes(int64_t count, LogBase *log) {
    HeapBlock buffer(copyChunkSize);
    if (buffer.get() == nullptr) return false;
    while (count > 0) {
        uint32_t request = count < static_cast<int64_t>(copyChunkSize)
                               ? static_cast<uint32_t>(count)
                               : copyChunkSize;
        uint32_t got = 0;
        if (!getNextChunk(buffer.chars(), request, got, log)) return false;
        count -= got;
        if (endOfStream()) return true;
        if (got < request && count > 0) return false;
    }
    return true;
}

bool DataSource::copyToOutput(Output &output, LogBase *log) {
    HeapBlock buffer(copyChunkSize + copyBufferSlack);
    if (buffer.get() == nullptr) return false;
    LogNull discard;
    if (log == nullptr) log = &discard;
    while (!endOfStream()) {
        uint32_t got = 0;
        // A failed read ends the copy; what was copied stays and counts as success.
        if (!getNextChunk(buffer.chars(), copyChunkSize, got, log)) break;
        if (got > 0 && output.write(buffer.chars(), 1, got, log) != got) {
            log->logError("Failed to write data to output.");
            return false;
        }
    }
    return true;
}

void DataSource::deliver(const char *bytes, uint32_t numBytes) {
    if (m_computeCrc && numBytes > 0) m_crc.updateCrc(bytes, numBytes);
    m_totalDelivered += numBytes;
}
