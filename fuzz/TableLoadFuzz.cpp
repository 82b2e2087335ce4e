// Feeds the embedded-table loader damaged table text: arbitrary text, arbitrary
// uncompressed or freshly compressed tables, and real tables with bytes changed or cut.
// Whatever the loader inserts must be exactly what a plain reading of the table format
// gives up to where the data breaks off; bad base64, a wrong magic or a bzip2 failure
// must leave the table empty.
// Input: a byte of mode and direction, a bucket count byte, then mode-specific bytes.

#include "charset/CodePageTables.h"
#include "charset/HashConvert.h"
#include "charset/tables/EmbeddedTables.h"
#include "core/StringBuffer.h"
#include "encoding/ContentCoding.h"
#include "fuzz/FuzzInput.h"
#include "log/LogBase.h"

#include <algorithm>
#include <bzlib.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

using fuzzing::require;

namespace {

// A key or value of one or two bytes (all the loader makes): its length above its bytes,
// the first byte lowest. An entry is a key above a value.
typedef uint32_t Bytes;
typedef uint64_t Entry;

Bytes bytesAt(const unsigned char *p, int n) {
    Bytes b = static_cast<Bytes>(n) << 16;
    for (int i = 0; i < n; ++i)
        b |= static_cast<Bytes>(p[i]) << (8 * i);
    return b;
}

Bytes bytesAt(const std::string &t, size_t pos, int n) {
    return bytesAt(reinterpret_cast<const unsigned char *>(t.data()) + pos, n);
}

Entry entry(Bytes key, Bytes value) {
    return static_cast<Entry>(key) << 32 | value;
}

// The table format read plainly, as inserts and removals on a list in insertion order.
class PlainTable {
public:
    std::vector<Entry> entries;
    bool ascii = false;
    bool asciiSet = false;

    // Returns what the loader must return for these table bytes.
    bool apply(const std::string &t, bool keyIsUnicode) {
        if (t.size() < 2) return false;
        if (t[1] == 'd' && !keyIsUnicode) return true;
        ascii = t[0] == 'a';
        asciiSet = true;
        return t[1] == 'd' ? diffs(t) : complete(t, keyIsUnicode);
    }

private:
    static unsigned le16(const std::string &t, size_t pos) {
        return static_cast<unsigned char>(t[pos]) | static_cast<unsigned char>(t[pos + 1]) << 8;
    }

    void remove(Bytes key) {
        entries.erase(
            std::remove_if(entries.begin(), entries.end(), [&](Entry e) { return e >> 32 == key; }),
            entries.end());
    }

    void map(bool keyIsUnicode, Bytes code, unsigned unit) {
        Bytes unicode = 2u << 16 | unit;
        entries.push_back(keyIsUnicode ? entry(unicode, code) : entry(code, unicode));
    }

    bool complete(const std::string &t, bool keyIsUnicode) {
        size_t pos = 2;
        unsigned code = 0, unit = 0;
        for (;;) {
            if (pos >= t.size()) return false;
            if (t[pos] == 0) break;
            if (pos + 3 > t.size()) return false;
            code = (code + static_cast<unsigned char>(t[pos])) & 0xFF;
            unit = (unit + le16(t, pos + 1)) & 0xFFFF;
            pos += 3;
            map(keyIsUnicode, 1u << 16 | code, unit);
        }
        ++pos;
        unsigned pair = 0;
        unit = 0;
        for (;;) {
            if (pos + 2 > t.size()) return false;
            unsigned delta = le16(t, pos);
            if (delta == 0) return true;
            if (pos + 4 > t.size()) return false;
            pair = (pair + delta) & 0xFFFF;
            unit = (unit + le16(t, pos + 2)) & 0xFFFF;
            pos += 4;
            // Lead byte first.
            map(keyIsUnicode, 2u << 16 | (pair & 0xFF) << 8 | pair >> 8, unit);
        }
    }

    bool diffs(const std::string &t) {
        size_t pos = 2;
        for (;; pos += 2) {
            if (pos + 2 > t.size()) return false;
            if (le16(t, pos) == 0) break;
            remove(bytesAt(t, pos, 2));
        }
        for (pos += 2;; pos += 3) {
            if (pos >= t.size()) return false;
            if (t[pos] == 0) break;
            if (pos + 3 > t.size()) return false;
            remove(bytesAt(t, pos + 1, 2));
            entries.push_back(entry(bytesAt(t, pos + 1, 2), bytesAt(t, pos, 1)));
        }
        for (++pos;; pos += 4) {
            if (pos + 2 > t.size()) return false;
            if (le16(t, pos) == 0) return true;
            if (pos + 4 > t.size()) return false;
            remove(bytesAt(t, pos + 2, 2));
            entries.push_back(entry(bytesAt(t, pos + 2, 2), bytesAt(t, pos, 2)));
        }
    }
};

bool collect(const unsigned char *key, int keyLength, const unsigned char *value, int valueLength,
             void *context) {
    require(keyLength <= 2 && valueLength <= 2, "an entry longer than two bytes");
    static_cast<std::vector<Entry> *>(context)->push_back(
        entry(bytesAt(key, keyLength), bytesAt(value, valueLength)));
    return true;
}

std::string decoded(const std::string &base64) {
    uint32_t n = 0;
    unsigned char *block = decodeBase64(base64.c_str(), static_cast<uint32_t>(base64.size()), n);
    std::string out(reinterpret_cast<char *>(block), n);
    std::free(block);
    return out;
}

std::string encoded(const std::string &bytes) {
    StringBuffer out;
    require(encodeBase64(bytes.data(), static_cast<uint32_t>(bytes.size()), out), "encodeBase64");
    return out.getString();
}

std::string le32(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

// The table bytes the loader must find in embedded text, by the container rules; false
// when the container itself is damaged.
bool plainContainer(const std::string &embedded, std::string &table) {
    std::string text = embedded.substr(0, embedded.find('\0'));
    if (text.empty()) return false;
    std::string data = decoded(text.substr(1));
    if (text[0] == 'x') {
        table = data;
        return true;
    }
    if (data.size() < 8 || data.compare(0, 4, le32(0xB394A7E1)) != 0) return false;
    uint32_t length = static_cast<unsigned char>(data[4]) |
                      static_cast<uint32_t>(static_cast<unsigned char>(data[5])) << 8 |
                      static_cast<uint32_t>(static_cast<unsigned char>(data[6])) << 16 |
                      static_cast<uint32_t>(static_cast<unsigned char>(data[7])) << 24;
    if (length > 16 * 1024 * 1024) return false;
    std::vector<char> out(length + 20);
    unsigned int room = length + 20;
    std::vector<char> in(data.begin() + 8, data.end());
    in.push_back(0);
    if (BZ2_bzBuffToBuffDecompress(out.data(), &room, in.data(),
                                   static_cast<unsigned int>(data.size() - 8), 0, 0) != BZ_OK)
        return false;
    table.assign(out.data(), room);
    return true;
}

void checkLoad(const std::string &embedded, uint32_t buckets, bool keyIsUnicode) {
    HashConvert target;
    require(target.initBuckets(buckets), "initBuckets");
    LogNull log;
    bool loaded = loadTable(embedded.c_str(), target, keyIsUnicode, log);

    std::vector<Entry> found;
    target.visitEntries(collect, &found);
    std::string table;
    if (!plainContainer(embedded, table)) {
        require(!loaded && found.empty(), "a damaged container left entries");
        return;
    }
    PlainTable plain;
    bool expected = plain.apply(table, keyIsUnicode);
    require(loaded == expected, "loader result differs from the plain reading");
    if (plain.asciiSet) require(target.isAsciiCompatible() == plain.ascii, "ASCII flag differs");

    std::vector<Entry> wanted = plain.entries;
    std::sort(found.begin(), found.end());
    std::sort(wanted.begin(), wanted.end());
    require(found == wanted, "entries differ from the plain reading");
    // A lookup finds the earliest entry with its key.
    std::unordered_map<Bytes, Bytes> first;
    for (Entry e : plain.entries)
        first.emplace(static_cast<Bytes>(e >> 32), static_cast<Bytes>(e));
    for (const auto &e : first) {
        unsigned char key[2] = {static_cast<unsigned char>(e.first),
                                static_cast<unsigned char>(e.first >> 8)};
        unsigned char value[8];
        int length = 0;
        target.lookup(key, static_cast<int>(e.first >> 16), value, length);
        require(bytesAt(value, length) == e.second, "lookup does not find the first entry");
    }
}

const char *realTable(unsigned choice) {
    static const int pages[] = {1252, 37, 437, 864, 874, 10000, 20127, 28591};
    const unsigned pageCount = sizeof(pages) / sizeof(pages[0]);
    if (choice < pageCount) return embeddedSingleByteTable(pages[choice]);
    const char *families[] = {kMacJapaneseDiffs, kShiftJisTable, kEucKrTable, kJohabTable};
    return families[(choice - pageCount) % 4];
}

// A real table's container bytes with some of them changed and perhaps cut short.
std::string damagedReal(fuzzing::FuzzInput &input) {
    std::string text = realTable(input.pick(12));
    std::string data = decoded(text.substr(1));
    unsigned edits = input.pick(4);
    for (unsigned i = 0; i < edits && !data.empty(); ++i) {
        size_t at = (input.byte() | input.byte() << 8) % data.size();
        data[at] = static_cast<char>(input.byte());
    }
    if (input.byte() & 1) data.resize((input.byte() | input.byte() << 8) % (data.size() + 1));
    return "c" + encoded(data);
}

// Table bytes from the input, compressed properly, with a stated length near the truth.
std::string compressedTable(fuzzing::FuzzInput &input) {
    int8_t lengthError = static_cast<int8_t>(input.byte());
    std::string table = input.rest();
    std::vector<char> out(table.size() + table.size() / 100 + 700);
    unsigned int room = static_cast<unsigned int>(out.size());
    std::vector<char> in(table.begin(), table.end());
    in.push_back(0);
    require(BZ2_bzBuffToBuffCompress(out.data(), &room, in.data(),
                                     static_cast<unsigned int>(table.size()), 1, 0, 0) == BZ_OK,
            "bzip2 compression");
    uint32_t stated = static_cast<uint32_t>(static_cast<int64_t>(table.size()) + lengthError);
    return "c" + encoded(le32(0xB394A7E1) + le32(stated) + std::string(out.data(), room));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::FuzzInput input(data, size);
    unsigned mode = input.pick(8);
    bool keyIsUnicode = mode & 4;
    mode &= 3;
    uint32_t buckets = 1 + input.byte();
    std::string embedded;
    if (mode == 0) embedded = input.rest();
    if (mode == 1) embedded = "x" + encoded(input.rest());
    if (mode == 2) embedded = compressedTable(input);
    if (mode == 3) {
        embedded = damagedReal(input);
        // Real tables are large; few buckets would only make every run slow.
        buckets += 4918;
    }

    checkLoad(embedded, buckets, keyIsUnicode);
    return 0;
}
