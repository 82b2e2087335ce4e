#include "charset/ByteGatherer.h"
#include "charset/EncodingConvert.h"
#include "charset/HashConvert.h"
#include "charset/TableWalks.h"
#include "charset/UnicodeLookup.h"
#include "core/DataBuffer.h"

namespace {

// Appends the value of key; false when the table has none.
bool appendValue(const HashConvert &table, const unsigned char *key, int keyLength,
                 ByteGatherer<512> &output) {
    unsigned char value[8];
    int valueLength = 0;
    table.lookup(key, keyLength, value, valueLength);
    if (valueLength <= 0 || valueLength > 4) return false;
    output.putN(value, valueLength);
    return true;
}

} // namespace

bool EncodingConvert::ensureHashToUnicode(int fromCodePage, const unsigned char *data,
                                          uint32_t inDataLen, DataBuffer &out) {
    ToUnicodeTables tables;
    if (!tables.resolve(fromCodePage)) return false;
    return TableWalks::toUtf16(tables, data, inDataLen, out);
}

bool EncodingConvert::ensureHashFromUnicode(int toCodePage, const unsigned char *data,
                                            uint32_t inDataLen, DataBuffer &out) {
    FromUnicodeTables tables;
    if (!tables.resolve(toCodePage)) return false;
    return TableWalks::fromUtf16(tables, data, inDataLen, out);
}

bool EncodingConvert::convertToUnicodeByLookup(const UnicodeLookup &table,
                                               const unsigned char *data, uint32_t inDataLen,
                                               DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    ByteGatherer<512> output(out);
    bool complete = true;
    for (uint32_t i = 0; i < inDataLen; ++i) {
        uint16_t unit = table.valueOf(data[i]);
        if (unit == 0 && data[i] != 0) {
            complete = false;
            continue;
        }
        output.put2(static_cast<unsigned char>(unit), static_cast<unsigned char>(unit >> 8));
    }
    return output.flush() && complete;
}

bool EncodingConvert::multiByteToUnicodeByHash(const HashConvert &table, const unsigned char *data,
                                               uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    ByteGatherer<512> output(out);
    bool complete = true;
    uint32_t p = 0;
    while (p < inDataLen) {
        uint32_t left = inDataLen - p;
        // Longer keys are tried only when the shorter ones find nothing.
        bool found = false;
        for (int keyLength = 2; keyLength <= 4 && keyLength <= static_cast<int>(left);
             ++keyLength) {
            if (appendValue(table, data + p, keyLength, output)) {
                p += static_cast<uint32_t>(keyLength);
                found = true;
                break;
            }
        }
        if (found) continue;
        unsigned char b = data[p++];
        if (b == 0 || (b < 0x80 && table.isAsciiCompatible()))
            output.put2(b, 0);
        else if (!appendValue(table, &b, 1, output))
            complete = false;
    }
    return output.flush() && complete;
}

bool EncodingConvert::unicodeToMultiByteByHash(const HashConvert &table, const unsigned char *data,
                                               uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    if (inDataLen == 1) return false;
    ByteGatherer<512> output(out);
    bool complete = true;
    for (uint32_t i = 0; i + 1 < inDataLen; i += 2) {
        uint16_t unit = static_cast<uint16_t>(data[i] | data[i + 1] << 8);
        if (unit < 0x80 && table.isAsciiCompatible()) {
            output.put(static_cast<unsigned char>(unit));
            continue;
        }
        if (appendValue(table, data + i, 2, output)) continue;
        if (unit == 0)
            output.put(0);
        else
            complete = false;
    }
    return output.flush() && complete;
}
