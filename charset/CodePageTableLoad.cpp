#include "charset/CodePageTables.h"

#include "charset/HashConvert.h"
#include "encoding/ContentCoding.h"
#include "log/LogBase.h"

#include <bzlib.h>
#include <cstdlib>
#include <cstring>

namespace {

const uint32_t kMagic = 0xB394A7E1;
// Far beyond the largest table; a corrupt length must not ask for gigabytes.
const uint32_t kMaxTableLength = 16 * 1024 * 1024;

uint16_t readLe16(const unsigned char *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t readLe32(const unsigned char *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct FreeOnExit {
    explicit FreeOnExit(void *p) : block(p) {}
    ~FreeOnExit() { std::free(block); }
    FreeOnExit(const FreeOnExit &) = delete;
    FreeOnExit &operator=(const FreeOnExit &) = delete;
    void *block;
};

// One mapping of a code to a Unicode value, inserted in the direction asked for.
bool insertMapping(HashConvert &target, bool keyIsUnicode, const unsigned char *code,
                   int codeLength, uint16_t unit) {
    unsigned char unicode[2] = {static_cast<unsigned char>(unit & 0xFF),
                                static_cast<unsigned char>(unit >> 8)};
    if (keyIsUnicode) return target.insertEntry(unicode, 2, code, codeLength);
    return target.insertEntry(code, codeLength, unicode, 2);
}

bool applyComplete(const unsigned char *table, size_t length, HashConvert &target,
                   bool keyIsUnicode) {
    size_t pos = 2;
    unsigned char code = 0;
    uint16_t unit = 0;
    for (;;) {
        if (pos >= length) return false;
        if (table[pos] == 0) break;
        if (pos + 3 > length) return false;
        code = static_cast<unsigned char>(code + table[pos]);
        unit = static_cast<uint16_t>(unit + readLe16(table + pos + 1));
        pos += 3;
        if (!insertMapping(target, keyIsUnicode, &code, 1, unit)) return false;
    }
    ++pos;
    uint16_t pair = 0;
    unit = 0;
    for (;;) {
        if (pos + 2 > length) return false;
        uint16_t delta = readLe16(table + pos);
        if (delta == 0) return true;
        if (pos + 4 > length) return false;
        pair = static_cast<uint16_t>(pair + delta);
        unit = static_cast<uint16_t>(unit + readLe16(table + pos + 2));
        pos += 4;
        unsigned char bytes[2] = {static_cast<unsigned char>(pair >> 8),
                                  static_cast<unsigned char>(pair & 0xFF)};
        if (!insertMapping(target, keyIsUnicode, bytes, 2, unit)) return false;
    }
}

bool applyDiffs(const unsigned char *table, size_t length, HashConvert &target) {
    size_t pos = 2;
    for (;;) {
        if (pos + 2 > length) return false;
        if (readLe16(table + pos) == 0) break;
        target.removeKey(table + pos, 2);
        pos += 2;
    }
    pos += 2;
    for (;;) {
        if (pos >= length) return false;
        if (table[pos] == 0) break;
        if (pos + 3 > length) return false;
        target.removeKey(table + pos + 1, 2);
        if (!target.insertEntry(table + pos + 1, 2, table + pos, 1)) return false;
        pos += 3;
    }
    ++pos;
    for (;;) {
        if (pos + 2 > length) return false;
        if (readLe16(table + pos) == 0) return true;
        if (pos + 4 > length) return false;
        target.removeKey(table + pos + 2, 2);
        if (!target.insertEntry(table + pos + 2, 2, table + pos, 2)) return false;
        pos += 4;
    }
}

bool applyTable(const unsigned char *table, size_t length, HashConvert &target, bool keyIsUnicode) {
    if (length < 2) return false;
    bool ascii = table[0] == 'a';
    if (table[1] == 'd') {
        // Diffs only change a table keyed by Unicode.
        if (!keyIsUnicode) return true;
        target.setAsciiCompatible(ascii);
        return applyDiffs(table, length, target);
    }
    target.setAsciiCompatible(ascii);
    return applyComplete(table, length, target, keyIsUnicode);
}

} // namespace

bool loadTable(const char *embedded, HashConvert &target, bool keyIsUnicode, LogBase &log) {
    if (!embedded || embedded[0] == 0) return false;
    bool compressed = embedded[0] != 'x';
    const char *text = embedded + 1;
    uint32_t decodedLength = 0;
    unsigned char *decoded =
        decodeBase64(text, static_cast<uint32_t>(std::strlen(text)), decodedLength);
    if (!decoded) {
        log.logMemoryAllocFailed(1, static_cast<int>(std::strlen(text) / 4 * 3));
        return false;
    }
    FreeOnExit decodedOwner(decoded);
    if (!compressed) return applyTable(decoded, decodedLength, target, keyIsUnicode);

    if (decodedLength < 8 || readLe32(decoded) != kMagic) return false;
    uint32_t tableLength = readLe32(decoded + 4);
    if (tableLength > kMaxTableLength) return false;
    unsigned int room = tableLength + 20;
    unsigned char *table = static_cast<unsigned char *>(std::malloc(room));
    if (!table) {
        log.logMemoryAllocFailed(2, static_cast<int>(room));
        return false;
    }
    FreeOnExit tableOwner(table);
    int rc =
        BZ2_bzBuffToBuffDecompress(reinterpret_cast<char *>(table), &room,
                                   reinterpret_cast<char *>(decoded + 8), decodedLength - 8, 0, 0);
    if (rc != BZ_OK) return false;
    return applyTable(table, room, target, keyIsUnicode);
}
