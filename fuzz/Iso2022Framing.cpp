#include "fuzz/Iso2022Framing.h"

#include "charset/Japanese.h"
#include "charset/Korean.h"
#include "core/DataBuffer.h"
#include "fuzz/FuzzInput.h"

#include <string>

using fuzzing::require;

namespace {

typedef bool (Japanese::*JapaneseStep)(const unsigned char *, uint32_t, DataBuffer &);
typedef bool (Korean::*KoreanStep)(const unsigned char *, uint32_t, DataBuffer &);

std::string bytesOf(const DataBuffer &buffer) {
    if (buffer.getSize() == 0) return std::string();
    return std::string(reinterpret_cast<const char *>(buffer.getData()), buffer.getSize());
}

std::string japanese(JapaneseStep step, const std::string &in) {
    DataBuffer out;
    Japanese framing;
    require((framing.*step)(reinterpret_cast<const unsigned char *>(in.data()),
                            static_cast<uint32_t>(in.size()), out),
            "Japanese framing failed");
    return bytesOf(out);
}

std::string korean(KoreanStep step, const std::string &in) {
    DataBuffer out;
    Korean framing;
    require((framing.*step)(reinterpret_cast<const unsigned char *>(in.data()),
                            static_cast<uint32_t>(in.size()), out),
            "Korean framing failed");
    return bytesOf(out);
}

bool isFramingByte(unsigned char b) {
    return b == 0x1B || b == 0x0E || b == 0x0F;
}

bool sevenBit(const std::string &s) {
    for (unsigned char b : s)
        if (b >= 0x80) return false;
    return true;
}

// Shift_JIS the framing must write in 7 bits: no framing bytes of its own, no 0x80, and
// every lead byte with a trail byte.
bool plainShiftJis(const std::string &s) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (isFramingByte(b) || b == 0x80) return false;
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (!lead) continue;
        if (i + 1 >= s.size()) return false;
        unsigned char t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t > 0xFC) return false;
    }
    return true;
}

// EUC-KR that must come back unchanged: ASCII without framing bytes, and pairs of
// bytes from 0xA1 to 0xFE.
bool plainEucKr(const std::string &s) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (isFramingByte(b)) return false;
            continue;
        }
        if (b < 0xA1 || b == 0xFF || i + 1 >= s.size()) return false;
        unsigned char t = static_cast<unsigned char>(s[++i]);
        if (t < 0xA1 || t == 0xFF) return false;
    }
    return true;
}

} // namespace

void checkIso2022Framing(const uint8_t *p, size_t n) {
    const std::string in(reinterpret_cast<const char *>(p), n);

    std::string shiftJis = japanese(&Japanese::iso2022jpToShiftJis, in);
    // Katakana mode adds 0x80 to a byte, so only 7-bit input is sure to leave no escape.
    require(!sevenBit(in) || shiftJis.find('\x1B') == std::string::npos,
            "ISO-2022-JP left an escape");
    std::string jis = japanese(&Japanese::shiftJisToIso2022jp, in);
    if (plainShiftJis(in)) {
        require(sevenBit(jis), "ISO-2022-JP output is not 7-bit");
        // One trip settles the text: a second gives the same Shift_JIS.
        std::string settled = japanese(&Japanese::iso2022jpToShiftJis, jis);
        std::string again = japanese(&Japanese::shiftJisToIso2022jp, settled);
        fuzzing::requireSame(japanese(&Japanese::iso2022jpToShiftJis, again), settled,
                             "Shift_JIS changed on a second trip through ISO-2022-JP");
    }

    std::string eucKr = korean(&Korean::iso2022krToEucKr, in);
    for (unsigned char b : eucKr)
        require(!isFramingByte(b), "ISO-2022-KR left a framing byte");
    std::string kr = korean(&Korean::eucKrToIso2022kr, in);
    require(n == 0 || kr.compare(0, 4, "\x1B$)C") == 0, "ISO-2022-KR without its designator");
    if (plainEucKr(in)) {
        require(sevenBit(kr), "ISO-2022-KR output is not 7-bit");
        fuzzing::requireSame(korean(&Korean::iso2022krToEucKr, kr), in,
                             "EUC-KR did not come back from ISO-2022-KR");
    }
}
