#pragma once

#include <cstdint>

// Running CRC-32 register of zip, PNG and Ethernet (reflected, polynomial 0x04C11DB7).
// The reader of the register applies the final inversion: crc = getCrc() ^ 0xFFFFFFFF.
class ZipCRC {
public:
    // Builds the process-wide table on first use, once, whatever the number of threads.
    ZipCRC();

    void beginCrc() { m_register = 0xFFFFFFFF; }
    void updateCrc(const void *bytes, uint32_t length);
    uint32_t getCrc() const { return m_register; }

private:
    const uint32_t *m_table;
    uint32_t m_register;
};
