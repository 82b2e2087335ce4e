#include "encoding/ContentCoding.h"

#include "encoding/TextGatherer.h"

#include <cstdlib>

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value, so that a 3-byte group costs two lookups.
struct Base64PairTable {
    char pairs[4096][2];
};

constexpr Base64PairTable makeBase64PairTable() {
    Base64PairTable table{};
    for (int v = 0; v < 4096; ++v) {
        table.pairs[v][0] = kBase64Alphabet[v >> 6];
        table.pairs[v][1] = kBase64Alphabet[v & 63];
    }
    return table;
}

constexpr Base64PairTable kBase64Pairs = makeBase64PairTable();

inline void encodeGroup(const unsigned char *in, char *out) {
    uint32_t bits = static_cast<uint32_t>(in[0]) << 16 | static_cast<uint32_t>(in[1]) << 8 | in[2];
    std::memcpy(out, kBase64Pairs.pairs[bits >> 12], 2);
    std::memcpy(out + 2, kBase64Pairs.pairs[bits & 0xFFF], 2);
}

// Encodes count whole groups; four per round keeps the loop overhead out of the way.
void encodeGroups(const unsigned char *in, uint32_t count, char *out) {
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        encodeGroup(in, out);
        encodeGroup(in + 3, out + 4);
        encodeGroup(in + 6, out + 8);
        encodeGroup(in + 9, out + 12);
        in += 12;
        out += 16;
    }
    for (; i < count; ++i) {
        encodeGroup(in, out);
        in += 3;
        out += 4;
    }
}

// The decoder's values for "+" to "z"; the characters between the digits decode as 0.
struct Base64DecodeTable {
    unsigned char values['z' - '+' + 1];
};

constexpr Base64DecodeTable makeBase64DecodeTable() {
    Base64DecodeTable table{};
    for (int v = 0; v < 64; ++v)
        table.values[kBase64Alphabet[v] - '+'] = static_cast<unsigned char>(v);
    return table;
}

constexpr Base64DecodeTable kBase64Values = makeBase64DecodeTable();

} // namespace

bool encodeBase64(const void *data, uint32_t length, StringBuffer &out) {
    if (!data || length == 0) return true;
    uint64_t groups = (static_cast<uint64_t>(length) + 2) / 3;
    if (!reserveOutput(out, groups * 4)) return false;

    TextGatherer<8192> text(out);
    const unsigned char *in = static_cast<const unsigned char *>(data);
    uint32_t wholeGroups = length / 3;
    while (wholeGroups > 0) {
        uint32_t count = static_cast<uint32_t>(text.room() / 4);
        if (count > wholeGroups) count = wholeGroups;
        encodeGroups(in, count, text.cursor());
        text.commit(static_cast<int>(count * 4));
        if (!text.flush()) return false;
        in += count * 3;
        wholeGroups -= count;
    }

    uint32_t rest = length % 3;
    if (rest != 0) {
        unsigned first = in[0];
        unsigned second = rest == 2 ? in[1] : 0;
        text.put(kBase64Alphabet[first >> 2]);
        text.put(kBase64Alphabet[(first & 3) << 4 | second >> 4]);
        text.put(rest == 2 ? kBase64Alphabet[(second & 15) << 2] : '=');
        text.put('=');
    }
    return text.flush();
}

unsigned char *decodeBase64(const char *text, uint32_t length, uint32_t &outLength) {
    outLength = 0;
    if (!text) return nullptr;
    uint64_t blockSize = static_cast<uint64_t>(length) * 3 / 4 + 8;
    if (blockSize > SIZE_MAX) return nullptr;
    unsigned char *block =
        static_cast<unsigned char *>(std::malloc(static_cast<size_t>(blockSize)));
    if (!block) return nullptr;

    uint32_t bits = 0;
    int pendingBits = 0;
    uint32_t count = 0;
    for (uint32_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0 || c == '=') break;
        if (c < '+' || c > 'z') continue; // blanks and line breaks are below "+"
        bits = bits << 6 | kBase64Values.values[c - '+'];
        pendingBits += 6;
        if (pendingBits >= 8) {
            pendingBits -= 8;
            block[count++] = static_cast<unsigned char>(bits >> pendingBits);
        }
    }
    block[count] = 0;
    outLength = count;
    return block;
}
