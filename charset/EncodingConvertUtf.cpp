#include "charset/ByteGatherer.h"
#include "charset/DirectOutput.h"
#include "charset/EncodingConvert.h"
#include "core/DataBuffer.h"

namespace {

// Input is walked in stretches so that the room reserved for one stretch's worst case
// stays small however long the input is.
constexpr uint32_t kStretch = 1u << 16;

} // namespace

bool EncodingConvert::utf16ToUtf8(const unsigned char *data, uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    bool oddByte = (inDataLen & 1) != 0;
    uint32_t units = inDataLen / 2;
    const unsigned char *p = data;
    const unsigned char *end = data + 2 * static_cast<uint64_t>(units);
    DirectOutput output(out, static_cast<uint64_t>(units) + 4);
    while (p < end) {
        uint32_t stretch = static_cast<uint32_t>(end - p) / 2;
        if (stretch > kStretch) stretch = kStretch;
        // 3 bytes a unit at most, and room for the wider stores.
        if (!output.reserve(3ull * stretch + 8)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + 2 * stretch;
        while (p < stop) {
            uint16_t unit = utf::readUnit(p);
            if (unit >= 0x800) {
                utf::writeUtf8Three(o, unit);
                p += 2;
                continue;
            }
            if (unit >= 0x80) {
                o[0] = static_cast<unsigned char>(0xC0 | unit >> 6);
                o[1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
                o += 2;
                p += 2;
                continue;
            }
            // A run of two or more units 0x01-0x7F goes several at a time; a lone one,
            // such as a space between words of another script, does not.
            if (utf::kWordFastPaths && unit != 0 && stop - p >= 16 &&
                utf::readUnit(p + 2) - 1u < 0x7Fu) {
                int ascii = utf::narrowAscii8(p, o);
                o += ascii;
                p += 2 * ascii;
                continue;
            }
            if (unit != 0) *o++ = static_cast<unsigned char>(unit);
            p += 2;
        }
        output.cursor() = o;
    }
    output.commit();
    return !oddByte;
}

bool EncodingConvert::utf8ToUtf16(const unsigned char *data, uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    const unsigned char *p = data;
    const unsigned char *end = data + inDataLen;
    DirectOutput output(out, 2ull * inDataLen);
    while (p < end) {
        uint32_t stretch = static_cast<uint32_t>(end - p);
        if (stretch > kStretch) stretch = kStretch;
        // One unit per sequence begun in the stretch, and room for the wider stores.
        if (!output.reserve(2ull * stretch + 32)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        while (p < stop) {
            if (utf::kWordFastPaths && stop - p >= 16) {
                if (*p < 0x80) {
                    int ascii = utf::widenAscii16(p, o);
                    o += 2 * ascii;
                    p += ascii;
                    continue;
                }
                uint16_t unit;
                int taken = utf::decodeMultiByte4(p, unit);
                if (taken != 0) {
                    utf::writeUnit(o, unit);
                    p += taken;
                    continue;
                }
                ++p; // not the start of a 2- or 3-byte sequence
                continue;
            }
            unsigned char b = *p;
            if (b < 0x80) {
                utf::writeUnit(o, b);
                ++p;
                continue;
            }
            uint16_t unit;
            int taken = utf::decodeMultiByte(p, end, unit);
            if (taken == 0) {
                ++p;
                continue;
            }
            utf::writeUnit(o, unit);
            p += taken;
        }
        output.cursor() = o;
    }
    output.commit();
    return true;
}

bool EncodingConvert::utf32leToUtf8(const unsigned char *data, uint32_t inDataLen,
                                    DataBuffer &out) {
    if (!data || inDataLen < 4) return false;
    ByteGatherer<512> output(out);
    for (uint32_t i = 0; i + 4 <= inDataLen; i += 4) {
        uint32_t value = static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8 |
                         static_cast<uint32_t>(data[i + 2]) << 16 |
                         static_cast<uint32_t>(data[i + 3]) << 24;
        unsigned char bytes[4];
        if (value < 0x80) {
            output.put(static_cast<unsigned char>(value));
        } else if (value < 0x800) {
            output.put2(static_cast<unsigned char>(0xC0 | value >> 6),
                        static_cast<unsigned char>(0x80 | (value & 0x3F)));
        } else if (value < 0x10000 || value >= 0x200000) {
            if (value >= 0x200000) value = 0xFFFD;
            bytes[0] = static_cast<unsigned char>(0xE0 | value >> 12);
            bytes[1] = static_cast<unsigned char>(0x80 | (value >> 6 & 0x3F));
            bytes[2] = static_cast<unsigned char>(0x80 | (value & 0x3F));
            output.putN(bytes, 3);
        } else {
            bytes[0] = static_cast<unsigned char>(0xF0 | value >> 18);
            bytes[1] = static_cast<unsigned char>(0x80 | (value >> 12 & 0x3F));
            bytes[2] = static_cast<unsigned char>(0x80 | (value >> 6 & 0x3F));
            bytes[3] = static_cast<unsigned char>(0x80 | (value & 0x3F));
            output.putN(bytes, 4);
        }
    }
    return output.flush();
}

namespace {

// Bytes that follow each lead byte; leads that announce 5 or 6 bytes are never legal.
int trailingBytesOf(unsigned char lead) {
    if (lead < 0xC0) return 0;
    if (lead < 0xE0) return 1;
    if (lead < 0xF0) return 2;
    if (lead < 0xF8) return 3;
    if (lead < 0xFC) return 4;
    return 5;
}

// What the encoding's own arithmetic adds for the marker bits of each length.
constexpr uint32_t kMarkerSum[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                    0x03C82080u, 0xFA082080u, 0x82082080u};

bool isLegalSequence(const unsigned char *p, int length) {
    if (length > 4) return false;
    unsigned char lead = p[0];
    if ((lead >= 0x80 && lead <= 0xC1) || lead > 0xF4) return false;
    for (int k = 1; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF) return false;
    }
    if (length >= 2) {
        unsigned char second = p[1];
        if (lead == 0xE0 && second < 0xA0) return false;
        if (lead == 0xF0 && second < 0x90) return false;
        if (lead == 0xF4 && second > 0x8F) return false;
    }
    return true;
}

} // namespace

bool EncodingConvert::utf8ToUtf32(const unsigned char *data, uint32_t inDataLen, bool bigEndian,
                                  DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    ByteGatherer<512> output(out);
    uint32_t i = 0;
    bool complete = true;
    while (i < inDataLen) {
        int trailing = trailingBytesOf(data[i]);
        if (static_cast<uint64_t>(i) + trailing >= inDataLen ||
            !isLegalSequence(data + i, trailing + 1)) {
            complete = false;
            break;
        }
        uint32_t sum = 0;
        for (int k = 0; k <= trailing; ++k)
            sum = (sum << 6) + data[i + k];
        int64_t value = static_cast<int64_t>(sum) - kMarkerSum[trailing];
        if (value < 0) value = 0xFFFD;
        i += trailing + 1;
        uint32_t v = static_cast<uint32_t>(value);
        unsigned char bytes[4];
        for (int k = 0; k < 4; ++k)
            bytes[bigEndian ? 3 - k : k] = static_cast<unsigned char>(v >> (8 * k));
        output.putN(bytes, 4);
    }
    return output.flush() && complete;
}
