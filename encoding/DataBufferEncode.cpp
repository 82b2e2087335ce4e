#include "core/DataBuffer.h"

#include "encoding/ContentCoding.h"

bool DataBuffer::encodeAs(const char *encodingName, StringBuffer &out) const {
    ContentCoding coding;
    return coding.encodeBytes(encodingName, *this, out);
}
