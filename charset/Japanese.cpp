#include "charset/Japanese.h"

#include "charset/ByteGatherer.h"
#include "core/DataBuffer.h"
#include "encoding/ContentCoding.h"

#include <cstdlib>

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

typedef ByteGatherer<200> Output;

// Full-width Shift_JIS codes of the half-width katakana 0xA1-0xDF.
constexpr uint16_t kFullWidthKatakana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

// Shift_JIS codes of the JIS rows 0x79-0x7C, 94 columns each, as 2-byte big-endian
// values.
constexpr char kIbmExtensionBase64[] =
    "+lz6Xfpe+l/6YPph+mL6Y/pk+mX6Zvpn+mj6afpq+mv6bPpt+m76b/pw+nH6cvpz+nT6dfp2+nf6ePp5+nr6e/p8"
    "+n36fvqA+oH6gvqD+oT6hfqG+of6iPqJ+or6i/qM+o36jvqP+pD6kfqS+pP6lPqV+pb6l/qY+pn6mvqb+pz6nfqe"
    "+p/6oPqh+qL6o/qk+qX6pvqn+qj6qfqq+qv6rPqt+q76r/qw+rH6svqz+rT6tfq2+rf6uPq5+rr6u/q8+r36vvq/"
    "+sD6wfrC+sP6xPrF+sb6x/rI+sn6yvrL+sz6zfrO+s/60PrR+tL60/rU+tX61vrX+tj62fra+tv63Prd+t763/rg"
    "+uH64vrj+uT65frm+uf66Prp+ur66/rs+u367vrv+vD68fry+vP69Pr1+vb69/r4+vn6+vr7+vz7QPtB+0L7Q/tE"
    "+0X7RvtH+0j7SftK+0v7TPtN+077T/tQ+1H7UvtT+1T7VftW+1f7WPtZ+1r7W/tc+137Xvtf+2D7Yfti+2P7ZPtl"
    "+2b7Z/to+2n7avtr+2z7bftu+2/7cPtx+3L7c/t0+3X7dvt3+3j7eft6+3v7fPt9+377gPuB+4L7g/uE+4X7hvuH"
    "+4j7ifuK+4v7jPuN+477j/uQ+5H7kvuT+5T7lfuW+5f7mPuZ+5r7m/uc+537nvuf+6D7ofui+6P7pPul+6b7p/uo"
    "+6n7qvur+6z7rfuu+6/7sPux+7L7s/u0+7X7tvu3+7j7ufu6+7v7vPu9+777v/vA+8H7wvvD+8T7xfvG+8f7yPvJ"
    "+8r7y/vM+837zvvP+9D70fvS+9P71PvV+9b71/vY+9n72vvb+9z73fve+9/74Pvh++L74/vk++X75vvn++j76fvq"
    "++v77Pvt++777/vw+/H78vvz+/T79fv2+/f7+Pv5+/r7+/v8/ED8QfxC/EP8RPxF/Eb8R/xI/En8SvxLgUWBRfpA"
    "+kH6QvpD+kT6RfpG+kf6SPpJgcr6VfpW+lc=";

constexpr int kIbmColumns = 94;
constexpr int kIbmCodeCount = 4 * kIbmColumns;

class IbmExtensionTable {
public:
    IbmExtensionTable() : m_codes() {
        uint32_t length = 0;
        unsigned char *bytes =
            decodeBase64(kIbmExtensionBase64, sizeof(kIbmExtensionBase64) - 1, length);
        if (bytes && length == 2 * kIbmCodeCount) {
            for (int i = 0; i < kIbmCodeCount; ++i)
                m_codes[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        }
        std::free(bytes);
    }

    // 0 when the pair is outside the rows or the table could not be decoded.
    uint16_t shiftJisOf(unsigned char row, unsigned char column) const {
        if (row < 0x79 || row > 0x7C || column < 0x21 || column > 0x7E) return 0;
        return m_codes[(row - 0x79) * kIbmColumns + (column - 0x21)];
    }

private:
    uint16_t m_codes[kIbmCodeCount];
};

const IbmExtensionTable &ibmExtensionTable() {
    // Built by the first caller; a function-local static makes concurrent first callers
    // wait until it is complete.
    static const IbmExtensionTable table;
    return table;
}

uint16_t jisToShiftJis(unsigned char c1, unsigned char c2) {
    unsigned s1 = ((c1 + 1u) >> 1) + (c1 < 0x5F ? 0x70u : 0xB0u);
    unsigned s2;
    if ((c1 & 1) == 0)
        s2 = c2 + 0x7Eu;
    else
        s2 = c2 <= 0x5F ? c2 + 0x1Fu : c2 + 0x20u;
    return static_cast<uint16_t>((s1 & 0xFF) << 8 | (s2 & 0xFF));
}

// The JIS pair of a Shift_JIS code in the standard lead ranges, each byte modulo 256.
void shiftJisToJis(unsigned char lead, unsigned char trail, unsigned char &j1, unsigned char &j2) {
    unsigned row = 2u * (lead < 0xA0 ? lead - 0x70u : lead - 0xB0u);
    if (trail < 0x9F) row -= 1;
    unsigned column;
    if (trail <= 0x7F)
        column = trail - 0x1Fu;
    else if (trail < 0x9F)
        column = trail - 0x20u;
    else
        column = trail - 0x7Eu;
    j1 = static_cast<unsigned char>(row);
    j2 = static_cast<unsigned char>(column);
}

struct IbmRange {
    uint16_t first;
    uint16_t last;
    unsigned char row;
    int trailOffset;
};

constexpr IbmRange kIbmRanges[] = {
    {0xFA40, 0xFA49, 0x7C, 0x31},  {0xFA55, 0xFA57, 0x7C, 0x27},  {0xFA5C, 0xFA7E, 0x79, -0x3B},
    {0xFA80, 0xFABA, 0x79, -0x3C}, {0xFABB, 0xFAFC, 0x7A, -0x9A}, {0xFB40, 0xFB5B, 0x7A, 0x23},
    {0xFB5C, 0xFB7E, 0x7B, -0x3B}, {0xFB80, 0xFBBA, 0x7B, -0x3C}, {0xFBBB, 0xFBFC, 0x7C, -0x9A},
    {0xFC40, 0xFC4B, 0x7C, 0x23},
};

bool ibmExtensionToJis(uint16_t code, unsigned char &j1, unsigned char &j2) {
    for (const IbmRange &range : kIbmRanges) {
        if (code >= range.first && code <= range.last) {
            j1 = range.row;
            j2 = static_cast<unsigned char>((code & 0xFF) + range.trailOffset);
            return true;
        }
    }
    return false;
}

// IBM codes that duplicate NEC row 13 and symbols of row 2, by the code they duplicate.
uint16_t ibmDuplicateToStandard(uint16_t code) {
    if (code >= 0xFA4A && code <= 0xFA53)
        return static_cast<uint16_t>(0x8754 + (code - 0xFA4A)); // Roman numerals
    switch (code) {
    case 0xFA54:
        return 0x81CA; // not sign
    case 0xFA58:
        return 0x878D; // parenthesised kabushiki
    case 0xFA59:
        return 0x8782; // numero
    case 0xFA5A:
        return 0x8784; // telephone
    case 0xFA5B:
        return 0x81E6; // because
    default:
        return 0;
    }
}

bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC;
}

bool takesVoicedMark(unsigned char kana) {
    return kana == 0xB3 || (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
}

uint16_t voiced(uint16_t code) {
    if (code == 0x8345) return 0x8394; // U to VU is out of sequence in the table
    unsigned trail = code & 0xFF;
    if ((trail >= 0x4A && trail <= 0x67) || (trail >= 0x6E && trail <= 0x7A))
        return static_cast<uint16_t>(code + 1);
    return code;
}

class JisWriter {
public:
    explicit JisWriter(Output &out) : m_out(out) {}

    void pair(unsigned char j1, unsigned char j2) {
        if (!m_inJis) {
            m_out.put(kEsc);
            m_out.put2('$', 'B');
            m_inJis = true;
        }
        m_out.put2(j1, j2);
    }
    void shiftJis(uint16_t code) {
        unsigned char j1, j2;
        shiftJisToJis(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code), j1,
                      j2);
        pair(j1, j2);
    }
    void single(unsigned char b) {
        leaveJis();
        m_out.put(b);
    }
    void leaveJis() {
        if (m_inJis) {
            m_out.put(kEsc);
            m_out.put2('(', 'B');
            m_inJis = false;
        }
    }

private:
    Output &m_out;
    bool m_inJis = false;
};

} // namespace

bool Japanese::iso2022jpToShiftJis(const unsigned char *data, uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    enum class Mode { Ascii, DoubleByte, Katakana };
    Output output(out);
    Mode mode = Mode::Ascii;
    bool shiftedOut = false;
    uint32_t i = 0;
    while (i < length) {
        unsigned char c = data[i];
        if (c == kEsc) {
            if (i + 1 >= length) break;
            unsigned char designator = data[i + 1];
            if (designator != '$' && designator != '(') {
                i += 2;
                continue;
            }
            if (i + 2 >= length) break;
            unsigned char final = data[i + 2];
            if (designator == '$') {
                if (final == '@' || final == 'B') mode = Mode::DoubleByte;
            } else if (final == 'B' || final == 'J') {
                mode = Mode::Ascii;
            } else if (final == 'I') {
                mode = Mode::Katakana;
            }
            i += 3;
            continue;
        }
        if (c == kShiftOut && mode == Mode::Ascii) {
            mode = Mode::Katakana;
            shiftedOut = true;
            ++i;
            continue;
        }
        if (c == kShiftIn && shiftedOut) {
            mode = Mode::Ascii;
            shiftedOut = false;
            ++i;
            continue;
        }
        if (c == kCr || c == kLf) {
            if (mode == Mode::DoubleByte) mode = Mode::Ascii;
            output.put(c);
            ++i;
            continue;
        }
        if (mode == Mode::DoubleByte) {
            if (i + 1 >= length) break;
            unsigned char c2 = data[i + 1];
            i += 2;
            uint16_t code;
            if (c >= 0x79 && c <= 0x7C)
                code = ibmExtensionTable().shiftJisOf(c, c2);
            else
                code = jisToShiftJis(c, c2);
            if (code != 0)
                output.put2(static_cast<unsigned char>(code >> 8),
                            static_cast<unsigned char>(code));
            continue;
        }
        output.put(mode == Mode::Katakana ? static_cast<unsigned char>(c + 0x80) : c);
        ++i;
    }
    return output.flush();
}

bool Japanese::shiftJisToIso2022jp(const unsigned char *data, uint32_t length, DataBuffer &out) {
    if (!data || length == 0) return true;
    Output output(out);
    JisWriter writer(output);
    uint32_t i = 0;
    while (i < length) {
        unsigned char c = data[i];
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF)) {
            if (i + 1 >= length) break;
            unsigned char t = data[i + 1];
            i += 2;
            if (isTrailByte(t)) {
                unsigned char j1, j2;
                shiftJisToJis(c, t, j1, j2);
                writer.pair(j1, j2);
            } else {
                output.put2(c, t);
            }
            continue;
        }
        if (c >= 0xA1 && c <= 0xDF) {
            uint16_t code = kFullWidthKatakana[c - 0xA1];
            ++i;
            if (i < length && data[i] == 0xDE && takesVoicedMark(c)) {
                code = voiced(code);
                ++i;
            } else if (i < length && data[i] == 0xDF && c >= 0xCA && c <= 0xCE) {
                code = static_cast<uint16_t>(code + 2);
                ++i;
            }
            writer.shiftJis(code);
            continue;
        }
        if (c < 0x81) {
            writer.single(c); // CR and LF included: they end a JIS run like any ASCII
            ++i;
            continue;
        }
        if (c >= 0xF0 && c <= 0xFC) {
            if (i + 1 >= length) break;
            unsigned char t = data[i + 1];
            uint16_t code = static_cast<uint16_t>(c << 8 | t);
            unsigned char j1, j2;
            uint16_t standard;
            if (ibmExtensionToJis(code, j1, j2)) {
                writer.pair(j1, j2);
                i += 2;
            } else if ((standard = ibmDuplicateToStandard(code)) != 0) {
                writer.shiftJis(standard);
                i += 2;
            } else {
                i += isTrailByte(t) ? 2 : 1;
            }
            continue;
        }
        ++i; // 0xA0 and 0xFD-0xFF
    }
    writer.leaveJis();
    return output.flush();
}
