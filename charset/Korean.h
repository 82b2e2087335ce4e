#pragma once

#include <cstdint>

class DataBuffer;

// The 7-bit framing of ISO-2022-KR around EUC-KR: SO and SI switch between ASCII and
// the Korean set, whose bytes lose their high bit. Each operation appends to out; null
// data or length 0 append nothing. The result is false only when out could not grow.
class Korean {
public:
    Korean() {}
    virtual ~Korean() {}

    bool iso2022krToEucKr(const unsigned char *data, uint32_t length, DataBuffer &out);
    // Starts with the designator ESC $ ) C and never ends with SI of its own.
    bool eucKrToIso2022kr(const unsigned char *data, uint32_t length, DataBuffer &out);
};
