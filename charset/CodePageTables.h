#pragma once

#include <cstdint>

class HashConvert;
class UnicodeLookup;
class LogBase;

// Fills target from one embedded table ("c" + base64 of magic, length and a bzip2
// stream, or "x" + base64 of the raw table). keyIsUnicode builds the table from
// Unicode; false builds it towards Unicode. A diffs table changes a table keyed by
// Unicode and leaves one keyed by code bytes alone. False when the data is damaged
// (bad magic, bzip2 error, cut short) or memory ran out; a bad magic or a bzip2 error
// inserts nothing.
bool loadTable(const char *embedded, HashConvert &target, bool keyIsUnicode, LogBase &log);

// A flat view of a loaded table, built once from it, that answers every lookup the
// way the table does (first-loaded entry wins for duplicate keys). The multi-byte
// tables hold only 1- and 2-byte codes, so these arrays cover every key they have.
struct FlatFromUnicode {
    uint16_t code[65536];  // code bytes, lead byte in the high half for 2-byte codes
    uint8_t length[65536]; // 0: no mapping; 1 or 2 bytes
};
struct FlatToUnicode {
    uint16_t single[256]; // 1-byte keys
    uint16_t pair[65536]; // 2-byte keys, lead byte in the high half
    uint8_t hasSingle[256];
    uint8_t hasPair[65536];
};

// The per-code-page registry. Tables are loaded on first use, published only when
// complete, and kept for the life of the process; safe to call from any thread.
namespace CodePageTables {

bool isSingleByte(int codePage);
bool isMultiByte(int codePage);

// Load the table of one direction if it is not there yet; unknown pages do nothing.
void ensureTableToUnicode(int codePage);
void ensureTableFromUnicode(int codePage);

// The tables (loading them first), or null when the page has none or there was no
// memory for it. A table whose embedded data is damaged is kept, empty.
const UnicodeLookup *singleByteToUnicode(int codePage);
const HashConvert *multiByteToUnicode(int codePage);
const HashConvert *fromUnicode(int codePage);

// Flat forms of the tables (loading them first), or null. flatToUnicode serves the
// multi-byte pages only: a single-byte page's UnicodeLookup is flat already.
const FlatFromUnicode *flatFromUnicode(int codePage);
const FlatToUnicode *flatToUnicode(int codePage);

} // namespace CodePageTables
