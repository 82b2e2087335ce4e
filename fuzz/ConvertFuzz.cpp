// Converts the input between two code pages picked by its first two bytes and back, and
// holds the word-at-a-time and flat-table walks against the plain rules they must give:
// the UTF-8 and UTF-16 steps against byte-by-byte versions written here, the flat views
// against the hash tables, and the direct UTF-8 routes against their two steps; and runs
// the ISO-2022 framings on the raw input.

#include "charset/EncodingConvert.h"
#include "charset/TableWalks.h"
#include "core/DataBuffer.h"
#include "fuzz/Iso2022Framing.h"
#include "log/LogBase.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int kPages[] = {
    // Unicode forms, the ISO-2022 framings, none and one without tables.
    1200, 1201, 65000, 65001, 65005, 65006, 50220, 50221, 50222, 50225, 0, 52936,
    // Multi-byte tables.
    932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949,
    // Single-byte tables.
    37, 437, 500, 708, 720, 737, 775, 850, 852, 855, 857, 858, 860, 861, 862, 863, 864, 865, 866,
    869, 870, 874, 875, 1026, 1047, 1140, 1141, 1142, 1143, 1144, 1145, 1146, 1147, 1148, 1149,
    1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000, 10004, 10005, 10006, 10007, 10010,
    10017, 10021, 10029, 10079, 10081, 10082, 20105, 20106, 20107, 20108, 20127, 20261, 20269,
    20273, 20277, 20278, 20280, 20284, 20285, 20290, 20297, 20420, 20423, 20424, 20838, 20866,
    20871, 20880, 20905, 20924, 21025, 21866, 28591, 28592, 28593, 28594, 28595, 28596, 28597,
    28598, 28599, 28603, 28605, 38598};
const size_t kPageCount = sizeof(kPages) / sizeof(kPages[0]);

std::string bytesOf(const DataBuffer &buffer) {
    if (buffer.getSize() == 0) return std::string();
    return std::string(reinterpret_cast<const char *>(buffer.getData()), buffer.getSize());
}

[[noreturn]] void mismatch(const char *what, int page) {
    std::fprintf(stderr, "mismatch: %s (code page %d)\n", what, page);
    std::abort();
}

// The UTF-8 to UTF-16 rule, byte by byte.
std::string plainUtf8ToUtf16(const uint8_t *p, size_t n) {
    std::string out;
    auto cont = [&](size_t k) { return k < n && (p[k] & 0xC0) == 0x80; };
    size_t i = 0;
    while (i < n) {
        unsigned unit;
        if (p[i] < 0x80) {
            unit = p[i];
            i += 1;
        } else if (p[i] >= 0xC2 && p[i] <= 0xDF && cont(i + 1)) {
            unit = (p[i] & 0x1Fu) << 6 | (p[i + 1] & 0x3Fu);
            i += 2;
        } else if (p[i] >= 0xE0 && p[i] <= 0xEF && cont(i + 1) && cont(i + 2) &&
                   (p[i] != 0xE0 || p[i + 1] >= 0xA0)) {
            unit = (p[i] & 0x0Fu) << 12 | (p[i + 1] & 0x3Fu) << 6 | (p[i + 2] & 0x3Fu);
            i += 3;
        } else {
            i += 1;
            continue;
        }
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

// The UTF-16 to UTF-8 rule, unit by unit.
std::string plainUtf16ToUtf8(const uint8_t *p, size_t n) {
    std::string out;
    for (size_t i = 0; i + 1 < n; i += 2) {
        unsigned unit = p[i] | p[i + 1] << 8;
        if (unit == 0) continue;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | unit >> 6);
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | unit >> 12);
            out += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

void checkUtfWalks(const uint8_t *p, size_t n) {
    DataBuffer utf16, utf8;
    EncodingConvert::utf8ToUtf16(p, static_cast<uint32_t>(n), utf16);
    if (bytesOf(utf16) != plainUtf8ToUtf16(p, n)) mismatch("utf8ToUtf16", 65001);
    bool even = EncodingConvert::utf16ToUtf8(p, static_cast<uint32_t>(n), utf8);
    if (bytesOf(utf8) != plainUtf16ToUtf8(p, n) || even != (n % 2 == 0))
        mismatch("utf16ToUtf8", 1200);
}

void checkTableWalks(int page, const uint8_t *p, size_t n) {
    ToUnicodeTables to;
    FromUnicodeTables from;
    if (!to.resolve(page) || !from.resolve(page)) return;
    EncodingConvert converter;
    uint32_t length = static_cast<uint32_t>(n);

    // Towards Unicode: flat view against hash table.
    DataBuffer engine, hash;
    bool engineOk = converter.ensureHashToUnicode(page, p, length, engine);
    bool hashOk = to.single ? EncodingConvert::convertToUnicodeByLookup(*to.single, p, length, hash)
                            : EncodingConvert::multiByteToUnicodeByHash(*to.hash, p, length, hash);
    if (engineOk != hashOk || bytesOf(engine) != bytesOf(hash))
        mismatch("to Unicode, flat against hash", page);

    // From Unicode, the input taken as UTF-16 (digits mapped first where the page does).
    std::string units(reinterpret_cast<const char *>(p), n);
    DataBuffer fromEngine, fromHash;
    bool fromEngineOk = converter.ensureHashFromUnicode(page, p, length, fromEngine);
    if (from.arabicDigits) {
        for (size_t i = 0; i + 1 < units.size(); i += 2) {
            unsigned unit = static_cast<uint8_t>(units[i]) | static_cast<uint8_t>(units[i + 1])
                                                                 << 8;
            if ((unit >= 0x0660 && unit <= 0x0669) || (unit >= 0x06F0 && unit <= 0x06F9)) {
                units[i] = static_cast<char>('0' + (unit & 0x0F));
                units[i + 1] = 0;
            }
        }
    }
    bool fromHashOk = EncodingConvert::unicodeToMultiByteByHash(
        *from.hash, reinterpret_cast<const unsigned char *>(units.data()), length, fromHash);
    if (fromEngineOk != fromHashOk || bytesOf(fromEngine) != bytesOf(fromHash))
        mismatch("from Unicode, flat against hash", page);

    // The direct UTF-8 routes against their two steps.
    LogNull log;
    if (page != 10004) { // its preparation comes before the table step
        DataBuffer direct, twoSteps;
        bool directOk = converter.convert(page, 65001, p, length, direct, log);
        bool twoStepsOk =
            EncodingConvert::utf16ToUtf8(engine.getData(), engine.getSize(), twoSteps);
        if (directOk != twoStepsOk || bytesOf(direct) != bytesOf(twoSteps))
            mismatch("to UTF-8 against two steps", page);
    }
    DataBuffer direct, utf16, twoSteps;
    bool directOk = converter.convert(65001, page, p, length, direct, log);
    size_t skip = n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    EncodingConvert::utf8ToUtf16(p + skip, length - static_cast<uint32_t>(skip), utf16);
    bool twoStepsOk =
        converter.ensureHashFromUnicode(page, utf16.getData(), utf16.getSize(), twoSteps);
    if (n - skip == 0) twoStepsOk = true;
    if (directOk != twoStepsOk || bytesOf(direct) != bytesOf(twoSteps))
        mismatch("from UTF-8 against two steps", page);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    int from = kPages[data[0] % kPageCount];
    int to = kPages[data[1] % kPageCount];
    const uint8_t *text = data + 2;
    size_t length = size - 2;
    uint32_t length32 = static_cast<uint32_t>(length);

    EncodingConvert converter;
    LogNull log;
    DataBuffer there, back, marked;
    converter.convert(from, to, text, length32, there, log);
    converter.convert(to, from, there.getData(), there.getSize(), back, log);
    converter.convertWithPreamble(from, to, text, length32, marked, log);
    // The output only ever grows by what a conversion appends.
    DataBuffer twice;
    twice.append("x", 1);
    converter.convert(from, to, text, length32, twice, log);
    if (twice.getSize() != there.getSize() + 1 ||
        (there.getSize() != 0 &&
         std::memcmp(twice.getData() + 1, there.getData(), there.getSize()) != 0))
        mismatch("appending after content", to);

    checkUtfWalks(text, length);
    checkTableWalks(from, text, length);
    checkIso2022Framing(text, length);
    return 0;
}
