#pragma once

#include <cstdint>

// A single-byte code page towards Unicode: one UTF-16 value per byte, 0 where the
// byte has no mapping (entry 0 stays 0; the converter maps byte 0 itself).
class UnicodeLookup {
public:
    UnicodeLookup() : m_values() {}
    virtual ~UnicodeLookup() {}

    uint16_t valueOf(unsigned char byte) const { return m_values[byte]; }
    void setValue(unsigned char byte, uint16_t value) { m_values[byte] = value; }

private:
    uint16_t m_values[256];
};
