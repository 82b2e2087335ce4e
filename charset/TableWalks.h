#pragma once

#include <cstdint>

class DataBuffer;
class HashConvert;
class UnicodeLookup;
struct FlatFromUnicode;
struct FlatToUnicode;

// The conversion tables of one code page in one direction, looked up once per
// conversion, and the walks that convert with them. The flat views are used when they
// can be had, the hash tables otherwise; both give the same bytes and results.
struct ToUnicodeTables {
    int codePage = 0;
    const UnicodeLookup *single = nullptr; // single-byte pages
    const FlatToUnicode *flat = nullptr;   // multi-byte pages
    const HashConvert *hash = nullptr;     // multi-byte pages
    bool asciiCompatible = false;

    // Loads the tables first; false when the page has none.
    bool resolve(int page);
    // Whether the walk to UTF-8 can go without UTF-16 in between.
    bool walksToUtf8() const { return single || flat; }
};

struct FromUnicodeTables {
    int codePage = 0;
    const FlatFromUnicode *flat = nullptr;
    const HashConvert *hash = nullptr;
    bool asciiCompatible = false;
    bool arabicDigits = false; // Arabic-Indic digits are written as ASCII digits

    bool resolve(int page);
    bool walksFromUtf8() const { return flat != nullptr; }
};

namespace TableWalks {

// Code page bytes to UTF-16; false when a byte was dropped.
bool toUtf16(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
             DataBuffer &out);
// Code page bytes straight to UTF-8, as toUtf16 and then utf16ToUtf8 would give them;
// false only when out could not grow.
bool toUtf8(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
            DataBuffer &out);
// UTF-16 to code page bytes; false when a character was dropped (and for a 1-byte input).
bool fromUtf16(const FromUnicodeTables &tables, const unsigned char *data, uint32_t length,
               DataBuffer &out);
// UTF-8 straight to code page bytes, as utf8ToUtf16 and then fromUtf16 would give them.
bool fromUtf8(const FromUnicodeTables &tables, const unsigned char *data, uint32_t length,
              DataBuffer &out);

} // namespace TableWalks
