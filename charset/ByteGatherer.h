#pragma once

#include "core/DataBuffer.h"

#include <cstdint>
#include <cstring>

// Collects converter output on the stack and appends it to a DataBuffer in pieces, so
// that a byte-at-a-time converter does not pay for an append per byte. Once an append
// has failed (the buffer has then lost its content) nothing more is appended.
template <int Capacity> class ByteGatherer {
public:
    explicit ByteGatherer(DataBuffer &out) : m_out(out) {}
    ~ByteGatherer() { flush(); }
    ByteGatherer(const ByteGatherer &) = delete;
    ByteGatherer &operator=(const ByteGatherer &) = delete;

    void put(unsigned char b) {
        if (m_used == Capacity) flush();
        m_bytes[m_used++] = b;
    }
    void put2(unsigned char first, unsigned char second) {
        if (m_used + 2 > Capacity) flush();
        m_bytes[m_used] = first;
        m_bytes[m_used + 1] = second;
        m_used += 2;
    }
    void putN(const unsigned char *bytes, int n) {
        if (m_used + n > Capacity) flush();
        std::memcpy(m_bytes + m_used, bytes, static_cast<size_t>(n));
        m_used += n;
    }

    // False once an append has failed.
    bool flush() {
        if (m_used != 0 && !m_failed && !m_out.append(m_bytes, static_cast<uint32_t>(m_used)))
            m_failed = true;
        m_used = 0;
        return !m_failed;
    }

private:
    DataBuffer &m_out;
    int m_used = 0;
    bool m_failed = false;
    unsigned char m_bytes[Capacity];
};
