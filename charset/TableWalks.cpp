#include "charset/TableWalks.h"

#include "charset/CodePageTables.h"
#include "charset/DirectOutput.h"
#include "charset/EncodingConvert.h"
#include "charset/HashConvert.h"
#include "charset/UnicodeLookup.h"
#include "core/DataBuffer.h"

#include <atomic>
#include <cstring>

namespace {

constexpr uint32_t kStretch = 1u << 16;

constexpr int kMultiBytePages[] = {932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949};
constexpr int kMultiBytePageCount = sizeof(kMultiBytePages) / sizeof(kMultiBytePages[0]);

// Per multi-byte page: 0 not yet known, 1 no 2-byte code begins with a byte below 0x80,
// 2 some does. Racing first callers work out the same answer from the same table.
std::atomic<signed char> g_asciiLeadsFree[kMultiBytePageCount];

// Whether ASCII bytes can be taken one by one without trying them as lead bytes.
bool asciiRunsAllowed(const ToUnicodeTables &tables) {
    if (!tables.asciiCompatible || !tables.flat) return false;
    int index = 0;
    while (index < kMultiBytePageCount && kMultiBytePages[index] != tables.codePage)
        ++index;
    if (index == kMultiBytePageCount) return false;
    signed char known = g_asciiLeadsFree[index].load(std::memory_order_relaxed);
    if (known == 0) {
        known = 1;
        for (uint32_t key = 0; key < 0x8000; ++key) {
            if (tables.flat->hasPair[key]) {
                known = 2;
                break;
            }
        }
        g_asciiLeadsFree[index].store(known, std::memory_order_relaxed);
    }
    return known == 1;
}

// The bytes 1-0x7F of a single-byte table are ASCII.
bool isAsciiIdentity(const UnicodeLookup &table) {
    for (unsigned b = 1; b < 0x80; ++b) {
        if (table.valueOf(static_cast<unsigned char>(b)) != b) return false;
    }
    return true;
}

inline uint16_t arabicDigitToAscii(uint16_t unit) {
    if (unit >= 0x0660 && unit <= 0x0669) return static_cast<uint16_t>('0' + (unit - 0x0660));
    if (unit >= 0x06F0 && unit <= 0x06F9) return static_cast<uint16_t>('0' + (unit - 0x06F0));
    return unit;
}

// Writes the code of one UTF-16 unit; false when it has none and is dropped.
inline bool writeCode(const FromUnicodeTables &tables, uint16_t unit, unsigned char *&o) {
    if (tables.arabicDigits) unit = arabicDigitToAscii(unit);
    if (unit < 0x80 && tables.asciiCompatible) {
        *o++ = static_cast<unsigned char>(unit);
        return true;
    }
    const FlatFromUnicode &flat = *tables.flat;
    uint8_t length = flat.length[unit];
    uint16_t code = flat.code[unit];
    if (length == 1) {
        *o++ = static_cast<unsigned char>(code);
    } else if (length == 2) {
        o[0] = static_cast<unsigned char>(code >> 8);
        o[1] = static_cast<unsigned char>(code);
        o += 2;
    } else if (unit == 0) {
        *o++ = 0;
    } else {
        return false;
    }
    return true;
}

// One character of a multi-byte page: the 2-byte code first, then the single byte.
// Gives the bytes taken; found is false when the byte is dropped.
inline int readMultiByte(const ToUnicodeTables &tables, const unsigned char *p,
                         const unsigned char *end, uint16_t &unit, bool &found) {
    const FlatToUnicode &flat = *tables.flat;
    unsigned char b = p[0];
    if (end - p >= 2) {
        unsigned key = static_cast<unsigned>(b) << 8 | p[1];
        // The value alone settles most lookups; only a 0 needs the flag.
        unit = flat.pair[key];
        if (unit != 0 || flat.hasPair[key]) {
            found = true;
            return 2;
        }
    }
    found = true;
    if (b == 0 || (b < 0x80 && tables.asciiCompatible))
        unit = b;
    else if (flat.hasSingle[b])
        unit = flat.single[b];
    else
        found = false;
    return 1;
}

uint32_t stretchAt(const unsigned char *p, const unsigned char *end) {
    uint64_t left = static_cast<uint64_t>(end - p);
    return left > kStretch ? kStretch : static_cast<uint32_t>(left);
}

bool singleByteToUtf16(const UnicodeLookup &table, const unsigned char *data, uint32_t length,
                       DataBuffer &out) {
    const unsigned char *p = data;
    const unsigned char *end = data + length;
    DirectOutput output(out, 2ull * length);
    bool complete = true;
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        if (!output.reserve(2ull * stretch)) return false;
        unsigned char *o = output.cursor();
        for (const unsigned char *stop = p + stretch; p < stop; ++p) {
            unsigned char b = *p;
            uint16_t unit = table.valueOf(b);
            if (unit != 0 || b == 0)
                utf::writeUnit(o, unit);
            else
                complete = false;
        }
        output.cursor() = o;
    }
    output.commit();
    return complete;
}

// Each byte's UTF-8 form, in the order the bytes are written, and its length. Byte 0
// gives U+0000, which UTF-8 output leaves out, as it does unmapped bytes: length 0.
struct Utf8Forms {
    uint32_t form[256];
    uint8_t length[256];

    explicit Utf8Forms(const UnicodeLookup &table) {
        for (unsigned b = 0; b < 256; ++b) {
            unsigned char bytes[4] = {0, 0, 0, 0};
            unsigned char *end = bytes;
            uint16_t unit = table.valueOf(static_cast<unsigned char>(b));
            if (unit != 0) utf::writeUtf8(end, unit);
            std::memcpy(&form[b], bytes, 4);
            length[b] = static_cast<uint8_t>(end - bytes);
        }
    }

    // Writes 4 bytes whatever the length: the output needs a spare byte.
    void write(unsigned char b, unsigned char *&o) const {
        utf::store32(o, form[b]);
        o += length[b];
    }
};

bool walkSingleByteToUtf8(const UnicodeLookup &table, const unsigned char *data, uint32_t length,
                          DataBuffer &out) {
    const unsigned char *p = data;
    const unsigned char *end = data + length;
    DirectOutput output(out, static_cast<uint64_t>(length) + length / 8 + 4);
    const Utf8Forms forms(table);
    bool asciiIdentity = utf::kWordFastPaths && isAsciiIdentity(table);
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        if (!output.reserve(3ull * stretch + 8)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        // Eight bytes at a time: copied as they are when all are ASCII, else one by one
        // through the table, without looking for ASCII again until the next eight.
        if (asciiIdentity) {
            for (; stop - p >= 8; p += 8) {
                uint64_t w = utf::load64(p);
                if (utf::isNonZeroAscii8(w)) {
                    utf::store64(o, w);
                    o += 8;
                    continue;
                }
                for (int i = 0; i < 8; ++i)
                    forms.write(p[i], o);
            }
        }
        for (; p < stop; ++p)
            forms.write(*p, o);
        output.cursor() = o;
    }
    output.commit();
    return true;
}

// An empty output gets room for the worst case (3 bytes per byte) at once, and the rest
// back once the walk is done: growing a block of hundreds of megabytes later moves it,
// which costs far more than address space that is never touched. Where that much cannot
// be had, the walk's estimate and growth serve.
bool singleByteToUtf8(const UnicodeLookup &table, const unsigned char *data, uint32_t length,
                      DataBuffer &out) {
    uint64_t worstCase = 3ull * length + 8;
    bool roomForWorstCase = out.getSize() == 0 && worstCase <= UINT32_MAX &&
                            out.ensureCapacity(static_cast<uint32_t>(worstCase));
    bool converted = walkSingleByteToUtf8(table, data, length, out);
    if (roomForWorstCase) out.minimizeMemory();
    return converted;
}

bool multiByteToUtf16(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
                      DataBuffer &out) {
    const unsigned char *p = data;
    const unsigned char *end = data + length;
    bool asciiRuns = utf::kWordFastPaths && asciiRunsAllowed(tables);
    DirectOutput output(out, 2ull * length);
    bool complete = true;
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        if (!output.reserve(2ull * stretch)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        while (p < stop) {
            if (asciiRuns && stop - p >= 8) {
                uint64_t w = utf::load64(p);
                if ((w & utf::kHighBits) == 0) {
                    utf::store64(o, utf::widen4(w));
                    utf::store64(o + 8, utf::widen4(w >> 32));
                    o += 16;
                    p += 8;
                    continue;
                }
            }
            uint16_t unit;
            bool found;
            p += readMultiByte(tables, p, end, unit, found);
            if (found)
                utf::writeUnit(o, unit);
            else
                complete = false;
        }
        output.cursor() = o;
    }
    output.commit();
    return complete;
}

bool multiByteToUtf8(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
                     DataBuffer &out) {
    const unsigned char *p = data;
    const unsigned char *end = data + length;
    bool asciiRuns = utf::kWordFastPaths && asciiRunsAllowed(tables);
    DirectOutput output(out, static_cast<uint64_t>(length) + length / 2 + 4);
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        if (!output.reserve(3ull * stretch + 8)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        while (p < stop) {
            if (asciiRuns && *p < 0x80 && stop - p >= 8) {
                int ascii = utf::copyNonZeroAscii8(p, o);
                if (ascii != 0) {
                    o += ascii;
                    p += ascii;
                    continue;
                }
            }
            uint16_t unit;
            bool found;
            p += readMultiByte(tables, p, end, unit, found);
            if (found && unit != 0) utf::writeUtf8Spare(o, unit);
        }
        output.cursor() = o;
    }
    output.commit();
    return true;
}

} // namespace

bool ToUnicodeTables::resolve(int page) {
    *this = ToUnicodeTables();
    codePage = page;
    if (CodePageTables::isSingleByte(page)) {
        CodePageTables::ensureTableToUnicode(page);
        single = CodePageTables::singleByteToUnicode(page);
        return single != nullptr;
    }
    if (!CodePageTables::isMultiByte(page)) return false;
    CodePageTables::ensureTableToUnicode(page);
    hash = CodePageTables::multiByteToUnicode(page);
    if (!hash) return false;
    flat = CodePageTables::flatToUnicode(page);
    asciiCompatible = hash->isAsciiCompatible();
    return true;
}

bool FromUnicodeTables::resolve(int page) {
    *this = FromUnicodeTables();
    codePage = page;
    if (!CodePageTables::isSingleByte(page) && !CodePageTables::isMultiByte(page)) return false;
    CodePageTables::ensureTableFromUnicode(page);
    hash = CodePageTables::fromUnicode(page);
    if (!hash) return false;
    flat = CodePageTables::flatFromUnicode(page);
    asciiCompatible = hash->isAsciiCompatible();
    arabicDigits = page == 28596 || page == 1256;
    return true;
}

bool TableWalks::toUtf16(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
                         DataBuffer &out) {
    if (!data || length == 0) return true;
    if (tables.single) return singleByteToUtf16(*tables.single, data, length, out);
    if (tables.flat) return multiByteToUtf16(tables, data, length, out);
    if (tables.hash)
        return EncodingConvert::multiByteToUnicodeByHash(*tables.hash, data, length, out);
    return false;
}

bool TableWalks::toUtf8(const ToUnicodeTables &tables, const unsigned char *data, uint32_t length,
                        DataBuffer &out) {
    if (!data || length == 0) return true;
    if (tables.single) return singleByteToUtf8(*tables.single, data, length, out);
    if (tables.flat) return multiByteToUtf8(tables, data, length, out);
    DataBuffer utf16;
    toUtf16(tables, data, length, utf16); // dropped bytes do not count on the way to UTF-8
    return EncodingConvert::utf16ToUtf8(utf16.getData(), utf16.getSize(), out);
}

bool TableWalks::fromUtf16(const FromUnicodeTables &tables, const unsigned char *data,
                           uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    if (length == 1) return false;
    if (!tables.flat) {
        if (!tables.hash) return false;
        if (!tables.arabicDigits)
            return EncodingConvert::unicodeToMultiByteByHash(*tables.hash, data, length, out);
        DataBuffer digits;
        if (!digits.append(data, length & ~1u)) return false;
        unsigned char *u = digits.getData();
        for (uint32_t i = 0; i + 1 < digits.getSize(); i += 2) {
            unsigned char *q = u + i;
            utf::writeUnit(q, arabicDigitToAscii(utf::readUnit(u + i)));
        }
        return EncodingConvert::unicodeToMultiByteByHash(*tables.hash, digits.getData(),
                                                         digits.getSize(), out);
    }
    const unsigned char *p = data;
    const unsigned char *end = data + (length & ~1u);
    bool asciiRuns = utf::kWordFastPaths && tables.asciiCompatible;
    DirectOutput output(out, length / 2 + 4);
    bool complete = true;
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        if (!output.reserve(stretch)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        while (p < stop) {
            if (asciiRuns && stop - p >= 8) {
                uint64_t w = utf::load64(p);
                if ((w & 0xFF80FF80FF80FF80ull) == 0) {
                    uint32_t four = static_cast<uint32_t>(utf::narrow4(w));
                    std::memcpy(o, &four, 4);
                    o += 4;
                    p += 8;
                    continue;
                }
            }
            if (!writeCode(tables, utf::readUnit(p), o)) complete = false;
            p += 2;
        }
        output.cursor() = o;
    }
    output.commit();
    return complete;
}

bool TableWalks::fromUtf8(const FromUnicodeTables &tables, const unsigned char *data,
                          uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    if (!tables.flat) {
        DataBuffer utf16;
        if (!EncodingConvert::utf8ToUtf16(data, length, utf16)) return false;
        return fromUtf16(tables, utf16.getData(), utf16.getSize(), out);
    }
    const unsigned char *p = data;
    const unsigned char *end = data + length;
    bool asciiRuns = utf::kWordFastPaths && tables.asciiCompatible;
    DirectOutput output(out, static_cast<uint64_t>(length) + 4);
    bool complete = true;
    while (p < end) {
        uint32_t stretch = stretchAt(p, end);
        // Every unit takes at least one input byte and gives at most 2 bytes.
        if (!output.reserve(2ull * stretch + 4)) return false;
        unsigned char *o = output.cursor();
        const unsigned char *stop = p + stretch;
        while (p < stop) {
            uint16_t unit = *p;
            if (unit < 0x80) {
                if (asciiRuns && stop - p >= 8) {
                    int ascii = utf::copyAscii8(p, o);
                    o += ascii;
                    p += ascii;
                    continue;
                }
                ++p;
            } else {
                int taken = utf::kWordFastPaths && end - p >= 4
                                ? utf::decodeMultiByte4(p, unit)
                                : utf::decodeMultiByte(p, end, unit);
                if (taken == 0) {
                    ++p;
                    continue;
                }
                p += taken;
            }
            if (!writeCode(tables, unit, o)) complete = false;
        }
        output.cursor() = o;
    }
    output.commit();
    return complete;
}
