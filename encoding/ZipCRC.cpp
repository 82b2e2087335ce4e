#include "encoding/ZipCRC.h"

namespace {

const uint32_t kPolynomial = 0x04C11DB7;

uint32_t reflect(uint32_t value, int bits) {
    uint32_t reflected = 0;
    for (int i = 0; i < bits; ++i) {
        reflected = reflected << 1 | (value & 1);
        value >>= 1;
    }
    return reflected;
}

struct CrcTable {
    uint32_t entries[256];

    CrcTable() {
        for (uint32_t b = 0; b < 256; ++b) {
            uint32_t r = reflect(b, 8) << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000) ? (r << 1) ^ kPolynomial : r << 1;
            entries[b] = reflect(r, 32);
        }
    }
};

// Apartments may start their first CRC at the same moment; the language's once-only
// initialisation of a local static publishes the table only when it is complete. It is
// never destroyed.
const uint32_t *crcTable() {
    static const CrcTable table;
    return table.entries;
}

inline uint32_t crcStep(const uint32_t *table, uint32_t crc, unsigned char b) {
    return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

} // namespace

ZipCRC::ZipCRC() : m_table(crcTable()), m_register(0xFFFFFFFF) {}

void ZipCRC::updateCrc(const void *bytes, uint32_t length) {
    if (!bytes) return;
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    const uint32_t *table = m_table;
    uint32_t crc = m_register;
    while (length >= 16) {
        crc = crcStep(table, crc, p[0]);
        crc = crcStep(table, crc, p[1]);
        crc = crcStep(table, crc, p[2]);
        crc = crcStep(table, crc, p[3]);
        crc = crcStep(table, crc, p[4]);
        crc = crcStep(table, crc, p[5]);
        crc = crcStep(table, crc, p[6]);
        crc = crcStep(table, crc, p[7]);
        crc = crcStep(table, crc, p[8]);
        crc = crcStep(table, crc, p[9]);
        crc = crcStep(table, crc, p[10]);
        crc = crcStep(table, crc, p[11]);
        crc = crcStep(table, crc, p[12]);
        crc = crcStep(table, crc, p[13]);
        crc = crcStep(table, crc, p[14]);
        crc = crcStep(table, crc, p[15]);
        p += 16;
        length -= 16;
    }
    for (uint32_t i = 0; i < length; ++i)
        crc = crcStep(table, crc, p[i]);
    m_register = crc;
}
