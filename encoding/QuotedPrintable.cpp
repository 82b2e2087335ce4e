#include "encoding/ContentCoding.h"

#include "encoding/HexPairs.h"
#include "encoding/TextGatherer.h"

namespace {

// Per byte, two texts: [0] the usual one (the byte itself for the literal bytes and the
// blanks, else "=XX") and [1] "=XX". Blanks take [1] at the end of a line or of the input,
// which is computed without a branch: in ordinary text they are too frequent and too
// irregular for branch prediction. CR and, at a line start, "." and "F" look at their
// neighbours on a slower path.
struct QpTable {
    char text[2][256][4];
    unsigned char width[2][256];
    bool isBlank[256];
    bool needsLook[256];
    unsigned char estimatedWidth[256];
};

constexpr QpTable makeQpTable() {
    QpTable table{};
    for (int b = 0; b < 256; ++b) {
        bool literal = b >= 0x21 && b <= 0x7E && b != '=';
        bool blank = b == ' ' || b == '\t';
        table.text[1][b][0] = '=';
        table.text[1][b][1] = kHexPairs.pairs[b][0];
        table.text[1][b][2] = kHexPairs.pairs[b][1];
        table.width[1][b] = 3;
        for (int k = 0; k < 4; ++k)
            table.text[0][b][k] = table.text[1][b][k];
        table.width[0][b] = 3;
        if (literal || blank) {
            table.text[0][b][0] = static_cast<char>(b);
            table.width[0][b] = 1;
        }
        table.isBlank[b] = blank;
        table.needsLook[b] = b == '\r' || b == '.' || b == 'F';
        table.estimatedWidth[b] = literal || blank || b == '\r' || b == '\n' ? 1 : 3;
    }
    return table;
}

constexpr QpTable kQp = makeQpTable();

inline bool isCrLfAt(const unsigned char *in, uint32_t length, uint32_t i) {
    return i + 1 < length && in[i] == '\r' && in[i + 1] == '\n';
}

inline bool beginsFromSpace(const unsigned char *in, uint32_t length, uint32_t i) {
    return length - i > 4 && std::memcmp(in + i, "From ", 5) == 0;
}

inline char *putSoftBreak(char *dst) {
    dst[0] = '=';
    dst[1] = '\r';
    dst[2] = '\n';
    return dst + 3;
}

// Every escape plus one soft break per shortest possible run: a little above the real
// size for ordinary text, so the output normally grows once.
uint64_t estimateSize(const unsigned char *in, uint32_t length, int64_t maxRun) {
    uint64_t size = 0;
    for (uint32_t i = 0; i < length; ++i)
        size += kQp.estimatedWidth[in[i]];
    int64_t shortestRun = maxRun - 2 > 1 ? maxRun - 2 : 1;
    return size + 3 * (size / static_cast<uint64_t>(shortestRun) + 1);
}

} // namespace

bool ContentCoding::encodeQuotedPrintable(const void *data, uint32_t length,
                                          StringBuffer &out) const {
    if (!data || length == 0) return true;
    const unsigned char *in = static_cast<const unsigned char *>(data);
    // Columns are 64-bit: a huge line length on a long input must not overflow them.
    const int64_t maxRun = static_cast<int64_t>(m_lineLength) - 1;

    if (!reserveOutput(out, estimateSize(in, length, maxRun)) && !reserveOutput(out, length))
        return false;

    TextGatherer<4096> text(out);
    // Most a byte can write: soft break, a four-byte copy of its text, soft break.
    const int mostPerByte = 10;
    int64_t column = 0;
    uint32_t i = 0;
    while (i < length) {
        char *start = text.cursor();
        char *dst = start;
        char *last = start + text.room() - mostPerByte;
        while (i < length && dst <= last) {
            unsigned char b = in[i++];
            bool atLineEnd = i + 1 < length ? (in[i] == '\r') & (in[i + 1] == '\n') : i == length;
            int variant = kQp.isBlank[b] & atLineEnd;
            const char *piece = kQp.text[variant][b];
            int width = kQp.width[variant][b];
            if (kQp.needsLook[b]) {
                if (b == '\r') {
                    if (i < length && in[i] == '\n') {
                        dst[0] = '\r';
                        dst[1] = '\n';
                        dst += 2;
                        ++i;
                        column = 0;
                        continue;
                    }
                } else if (column == 0 && (b == '.' || beginsFromSpace(in, length, i - 1))) {
                    // Mail transports treat a leading "." or "From " specially.
                    piece = kQp.text[1][b];
                    width = 3;
                }
            }
            // Only an escape can pass the end of the run; a literal never finds it reached.
            if (column + width > maxRun) {
                dst = putSoftBreak(dst);
                column = 0;
            }
            std::memcpy(dst, piece, 4);
            dst += width;
            column += width;
            if (column >= maxRun && !isCrLfAt(in, length, i)) {
                dst = putSoftBreak(dst);
                column = 0;
            }
        }
        text.commit(static_cast<int>(dst - start));
        if (!text.flush()) return false;
    }
    return true;
}
