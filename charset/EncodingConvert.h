#pragma once

#include <cstdint>

class DataBuffer;
class HashConvert;
class LogBase;
class UnicodeLookup;

// The component's only character converter: bytes in one code page to bytes in another,
// through UTF-16LE (code page 1200), by the component's own tables. Every entry appends
// to out, never clears it, and returns true when every character was converted;
// characters that cannot be converted are dropped and the conversion goes on. Code page
// 0 as the target means "the source's code page", as the source "leave the bytes as
// they are". Code pages 65005 and 65006 are UTF-32LE and UTF-32BE. The input must not
// lie inside out.
class EncodingConvert {
public:
    EncodingConvert();
    virtual ~EncodingConvert();

    bool convert(int fromCodePage, int toCodePage, const unsigned char *data,
                 unsigned int inDataLen, DataBuffer &out, LogBase &log);
    // Writes the byte order mark of the target first (UTF-8 and both UTF-16 orders only).
    bool convertWithPreamble(int fromCodePage, int toCodePage, const unsigned char *data,
                             unsigned int inDataLen, DataBuffer &out, LogBase &log);
    // False with nothing appended when the name is unknown.
    bool convertFromCharsetName(const char *charsetName, int toCodePage, const unsigned char *data,
                                unsigned int inDataLen, DataBuffer &out, LogBase &log);

    // The steps below are what convert is made of; they take and give the byte forms
    // named, with UTF-16 always little-endian.

    // Byte order marks, byte order and UTF-7/UTF-32 decoding of the source, then the
    // table route between UTF-16, UTF-8 and the table code pages.
    bool convertBasic(int fromCodePage, int toCodePage, const unsigned char *data,
                      uint32_t inDataLen, DataBuffer &out);
    // A table code page to UTF-16. False with nothing appended for a page without tables.
    bool ensureHashToUnicode(int fromCodePage, const unsigned char *data, uint32_t inDataLen,
                             DataBuffer &out);
    // UTF-16 to a table code page. The Arabic-Indic digits become ASCII digits for
    // ISO-8859-6 and windows-1256.
    bool ensureHashFromUnicode(int toCodePage, const unsigned char *data, uint32_t inDataLen,
                               DataBuffer &out);

    // The table walks themselves, as ensureHashToUnicode and ensureHashFromUnicode do them
    // when the flat views of the tables cannot be had (with the same output).
    static bool convertToUnicodeByLookup(const UnicodeLookup &table, const unsigned char *data,
                                         uint32_t inDataLen, DataBuffer &out);
    static bool multiByteToUnicodeByHash(const HashConvert &table, const unsigned char *data,
                                         uint32_t inDataLen, DataBuffer &out);
    static bool unicodeToMultiByteByHash(const HashConvert &table, const unsigned char *data,
                                         uint32_t inDataLen, DataBuffer &out);

    // Unit by unit: a surrogate half becomes 3 bytes of its own and a unit 0 nothing. An
    // odd last byte is dropped and makes the result false.
    static bool utf16ToUtf8(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);
    // 1- to 3-byte sequences only; every byte that does not start one (4-byte sequences,
    // overlong and cut-off ones included) is dropped. Always true unless out cannot grow.
    static bool utf8ToUtf16(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);

    // Values of 0x200000 and above become U+FFFD. False for fewer than 4 bytes.
    static bool utf32leToUtf8(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);
    // Stops at the first illegal or cut-off sequence, keeping what was written, and
    // returns false.
    static bool utf8ToUtf32(const unsigned char *data, uint32_t inDataLen, bool bigEndian,
                            DataBuffer &out);

    // RFC 2152 with only the mandatory direct characters written directly.
    static bool utf16ToUtf7(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);
    // Converts everything; false for bytes above 0x7F, empty shifted runs and non-zero
    // leftover bits.
    static bool utf7ToUtf16(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);

    // x-mac-arabic stores right-to-left runs in visual order and some neutral characters
    // in a second, right-to-left copy; this puts runs into logical order and those
    // characters back to their ASCII and no-break-space codes, in place.
    static void prepareMacArabic(unsigned char *bytes, uint32_t length);

private:
    bool convertByTarget(const unsigned char *data, uint32_t inDataLen, DataBuffer &out);

    int m_fromCodePage;
    int m_toCodePage;
};
