#include "fs/Output.h"

#include "core/StringBuffer.h"

uint32_t Output::write(const void *, uint32_t, uint32_t elementSize, LogBase *) {
    return elementSize;
}

uint32_t Output::write64(const void *, uint64_t, uint32_t elementSize, LogBase *) {
    return elementSize;
}

Output::~Output() {}

bool Output::seekToEnd(LogBase *) {
    return true;
}

bool Output::setPosition(int64_t, LogBase *) {
    return true;
}

int64_t Output::getPosition() {
    return 0;
}

bool Output::reset(LogBase *) {
    return true;
}

void Output::describe(StringBuffer &out) {
    out.setString("unknown");
}

void Output::flushOutput() {}

uint64_t Output::getNumBytesPending() {
    return 0;
}

bool Output::isInMemory() {
    return false;
}

bool Output::finish(LogBase *) {
    return true;
}
