#include "charset/Korean.h"

#include "charset/ByteGatherer.h"
#include "core/DataBuffer.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;
constexpr unsigned char kDesignator[4] = {kEsc, '$', ')', 'C'};

typedef ByteGatherer<200> Output;

bool designatorAt(const unsigned char *data, uint32_t length, uint32_t i) {
    if (length - i < sizeof(kDesignator)) return false;
    for (uint32_t k = 0; k < sizeof(kDesignator); ++k) {
        if (data[i + k] != kDesignator[k]) return false;
    }
    return true;
}

} // namespace

bool Korean::iso2022krToEucKr(const unsigned char *data, uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    Output output(out);
    bool korean = false;
    uint32_t i = 0;
    while (i < length) {
        unsigned char c = data[i];
        if (c == kEsc) {
            if (designatorAt(data, length, i)) {
                korean = false;
                i += sizeof(kDesignator);
            } else {
                ++i;
            }
            continue;
        }
        if (c == kShiftOut || c == kShiftIn) {
            korean = c == kShiftOut;
            ++i;
            continue;
        }
        if (!korean) {
            output.put(c);
            ++i;
            continue;
        }
        if (i + 1 >= length) break;
        output.put2(static_cast<unsigned char>(c | 0x80),
                    static_cast<unsigned char>(data[i + 1] | 0x80));
        i += 2;
    }
    return output.flush();
}

bool Korean::eucKrToIso2022kr(const unsigned char *data, uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    Output output(out);
    output.putN(kDesignator, sizeof(kDesignator));
    bool korean = false;
    uint32_t i = 0;
    while (i < length) {
        unsigned char c = data[i];
        if (c < 0x80) {
            if (korean) {
                output.put(kShiftIn);
                korean = false;
            }
            output.put(c);
            ++i;
            continue;
        }
        if (i + 1 >= length) break;
        if (!korean) {
            output.put(kShiftOut);
            korean = true;
        }
        output.put2(static_cast<unsigned char>(c & 0x7F),
                    static_cast<unsigned char>(data[i + 1] & 0x7F));
        i += 2;
    }
    return output.flush();
}
