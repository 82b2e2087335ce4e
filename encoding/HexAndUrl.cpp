#include "encoding/ContentCoding.h"

#include "encoding/HexPairs.h"
#include "encoding/TextGatherer.h"

namespace {

// Per byte, the text a URL form writes: the byte itself when it is an ASCII letter or
// digit (what the C library's letter-or-digit test accepts in the default locale) or one
// of the set's extras, else "%XX". Always copying four bytes and advancing by the width
// keeps the loop free of branches that random data would mispredict.
struct UrlTable {
    char text[256][4];
    unsigned char width[256];
};

constexpr bool isAsciiLetterOrDigit(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr UrlTable makeUrlTable(const char *extras) {
    UrlTable table{};
    for (int b = 0; b < 256; ++b) {
        bool kept = isAsciiLetterOrDigit(b);
        for (const char *p = extras; *p; ++p)
            kept = kept || static_cast<unsigned char>(*p) == b;
        if (kept) {
            table.text[b][0] = static_cast<char>(b);
            table.width[b] = 1;
        } else {
            table.text[b][0] = '%';
            table.text[b][1] = kHexPairs.pairs[b][0];
            table.text[b][2] = kHexPairs.pairs[b][1];
            table.width[b] = 3;
        }
    }
    return table;
}

constexpr UrlTable kRfc3986 = makeUrlTable("-._~");
constexpr UrlTable kRfc1738 = makeUrlTable("$-_.+!*'(),");
constexpr UrlTable kRfc2396 = makeUrlTable("-_.!~*'()");

bool encodeUrl(const UrlTable &set, const void *data, uint32_t length, StringBuffer &out) {
    if (!data || length == 0) return true;
    const unsigned char *in = static_cast<const unsigned char *>(data);

    // Measuring first lets the output grow exactly once.
    uint64_t size = 0;
    for (uint32_t i = 0; i < length; ++i)
        size += set.width[in[i]];
    if (!reserveOutput(out, size)) return false;

    TextGatherer<4096> text(out);
    uint32_t i = 0;
    while (i < length) {
        char *start = text.cursor();
        char *dst = start;
        char *last = start + text.room() - 4;
        for (; i < length && dst <= last; ++i) {
            unsigned char b = in[i];
            std::memcpy(dst, set.text[b], 4);
            dst += set.width[b];
        }
        text.commit(static_cast<int>(dst - start));
        if (!text.flush()) return false;
    }
    return true;
}

} // namespace

bool encodeHex(const void *data, uint32_t length, StringBuffer &out) {
    if (!data || length == 0) return true;
    if (!reserveOutput(out, static_cast<uint64_t>(length) * 2)) return false;

    TextGatherer<8192> text(out);
    const unsigned char *in = static_cast<const unsigned char *>(data);
    while (length > 0) {
        uint32_t count = static_cast<uint32_t>(text.room() / 2);
        if (count > length) count = length;
        char *dst = text.cursor();
        uint32_t i = 0;
        for (; i + 8 <= count; i += 8) {
            std::memcpy(dst + 2 * i, kHexPairs.pairs[in[i]], 2);
            std::memcpy(dst + 2 * i + 2, kHexPairs.pairs[in[i + 1]], 2);
            std::memcpy(dst + 2 * i + 4, kHexPairs.pairs[in[i + 2]], 2);
            std::memcpy(dst + 2 * i + 6, kHexPairs.pairs[in[i + 3]], 2);
            std::memcpy(dst + 2 * i + 8, kHexPairs.pairs[in[i + 4]], 2);
            std::memcpy(dst + 2 * i + 10, kHexPairs.pairs[in[i + 5]], 2);
            std::memcpy(dst + 2 * i + 12, kHexPairs.pairs[in[i + 6]], 2);
            std::memcpy(dst + 2 * i + 14, kHexPairs.pairs[in[i + 7]], 2);
        }
        for (; i < count; ++i)
            std::memcpy(dst + 2 * i, kHexPairs.pairs[in[i]], 2);
        text.commit(static_cast<int>(count * 2));
        if (!text.flush()) return false;
        in += count;
        length -= count;
    }
    return true;
}

bool encodeUrlRfc3986(const void *data, uint32_t length, StringBuffer &out) {
    return encodeUrl(kRfc3986, data, length, out);
}

bool encodeUrlRfc1738(const void *data, uint32_t length, StringBuffer &out) {
    return encodeUrl(kRfc1738, data, length, out);
}

bool encodeUrlRfc2396(const void *data, uint32_t length, StringBuffer &out) {
    return encodeUrl(kRfc2396, data, length, out);
}
