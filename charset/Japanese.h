#pragma once

#include <cstdint>

class DataBuffer;

// The 7-bit framing of ISO-2022-JP around Shift_JIS. The kanji themselves are
// converted by the code page tables; this only moves between the escape-sequence form
// and the 8-bit form. Each operation appends to out; null data or length 0 append
// nothing. The result is false only when out could not grow.
class Japanese {
public:
    Japanese() {}
    virtual ~Japanese() {}

    // A pair in rows 0x79-0x7C whose second byte is outside 0x21-0x7E has no IBM
    // extension code and is dropped.
    bool iso2022jpToShiftJis(const unsigned char *data, uint32_t length, DataBuffer &out);

    // Shift_JIS input outside the standard and IBM extension ranges:
    // - FA4A-FA54 and FA58-FA5B, the IBM duplicates of NEC row 13 and of the not sign,
    //   are written as the codes they duplicate (8754-875D, 81CA, 878D, 8782, 8784,
    //   81E6), which read back as the same characters;
    // - the user-defined area (leads 0xF0-0xF9) and other codes with the leads
    //   0xFA-0xFC have no ISO-2022-JP form and are dropped with their trail byte; such a
    //   lead followed by a byte outside 0x40-0xFC is dropped alone;
    // - the single bytes 0xA0 and 0xFD-0xFF are dropped.
    bool shiftJisToIso2022jp(const unsigned char *data, uint32_t length, DataBuffer &out);
};
