#include "charset/EncodingConvert.h"

#include "charset/CharsetNames.h"
#include "charset/Japanese.h"
#include "charset/Korean.h"
#include "charset/TableWalks.h"
#include "core/DataBuffer.h"
#include "log/LogBase.h"

namespace {

constexpr int kUtf16Le = 1200;
constexpr int kUtf16Be = 1201;
constexpr int kUtf7 = 65000;
constexpr int kUtf8 = 65001;
constexpr int kUtf32Le = 65005;
constexpr int kUtf32Be = 65006;
constexpr int kShiftJis = 932;
constexpr int kEucKr = 949;
constexpr int kMacArabic = 10004;

bool isIso2022jp(int codePage) {
    return codePage >= 50220 && codePage <= 50222;
}
constexpr int kIso2022kr = 50225;

// Swaps the bytes of every 16-bit unit; an odd last byte is left out.
bool appendSwapped16(const unsigned char *data, uint32_t length, DataBuffer &out) {
    uint32_t even = length & ~1u;
    if (even == 0) return true;
    uint32_t start = out.getSize();
    if (!out.ensureCapacity(start + even)) return false;
    unsigned char *o = out.getData() + start;
    for (uint32_t i = 0; i < even; i += 2) {
        o[i] = data[i + 1];
        o[i + 1] = data[i];
    }
    out.setSize(start + even);
    return true;
}

// Reverses the bytes of every 32-bit unit; trailing bytes short of a unit are left out.
bool appendSwapped32(const unsigned char *data, uint32_t length, DataBuffer &out) {
    uint32_t whole = length & ~3u;
    for (uint32_t i = 0; i < whole; i += 4) {
        unsigned char unit[4] = {data[i + 3], data[i + 2], data[i + 1], data[i]};
        if (!out.append(unit, 4)) return false;
    }
    return true;
}

bool startsWith(const unsigned char *data, uint32_t length, unsigned char a, unsigned char b) {
    return length >= 2 && data[0] == a && data[1] == b;
}

// Mac Arabic bytes that belong to a right-to-left run, one bit per byte.
constexpr uint32_t rangeBits(int word, int first, int last) {
    uint32_t bits = 0;
    for (int b = first; b <= last; ++b) {
        if (b / 32 == word) bits |= 1u << (b % 32);
    }
    return bits;
}
constexpr uint32_t rightToLeftWord(int word) {
    return rangeBits(word, 0x81, 0x81) | rangeBits(word, 0x8C, 0x8C) | rangeBits(word, 0x93, 0x93) |
           rangeBits(word, 0x98, 0x98) | rangeBits(word, 0x9B, 0x9B) | rangeBits(word, 0xA0, 0xA4) |
           rangeBits(word, 0xA6, 0xAB) | rangeBits(word, 0xAD, 0xBA) | rangeBits(word, 0xBC, 0xBE) |
           rangeBits(word, 0xC0, 0xC0) | rangeBits(word, 0xDB, 0xDF) | rangeBits(word, 0xFB, 0xFD);
}
constexpr uint32_t kRightToLeft[8] = {rightToLeftWord(0), rightToLeftWord(1), rightToLeftWord(2),
                                      rightToLeftWord(3), rightToLeftWord(4), rightToLeftWord(5),
                                      rightToLeftWord(6), rightToLeftWord(7)};

bool isRightToLeft(unsigned char b) {
    return (kRightToLeft[b / 32] >> (b % 32) & 1) != 0;
}

// The right-to-left copies of digits, punctuation and the space, and the no-break space.
unsigned char macArabicLogical(unsigned char b) {
    if (b == 0x81) return 0xA0;
    bool copy = (b >= 0xA0 && b <= 0xBA && b != 0xA5 && b != 0xAC) || (b >= 0xBC && b <= 0xBE) ||
                (b >= 0xDB && b <= 0xDF) || (b >= 0xFB && b <= 0xFD);
    return copy ? static_cast<unsigned char>(b & 0x7F) : b;
}

void reverse(unsigned char *first, unsigned char *last) {
    while (first < last) {
        unsigned char b = *first;
        *first++ = *last;
        *last-- = b;
    }
}

} // namespace

EncodingConvert::EncodingConvert() : m_fromCodePage(0), m_toCodePage(0) {}

EncodingConvert::~EncodingConvert() {}

void EncodingConvert::prepareMacArabic(unsigned char *bytes, uint32_t length) {
    uint32_t runStart = 0;
    bool inRun = false;
    for (uint32_t i = 0; i <= length; ++i) {
        bool rightToLeft = i < length && bytes[i] >= 0x20 && isRightToLeft(bytes[i]);
        if (rightToLeft && !inRun) {
            runStart = i;
            inRun = true;
        } else if (!rightToLeft && inRun) {
            if (i - runStart >= 2) reverse(bytes + runStart, bytes + i - 1);
            inRun = false;
        }
        if (i < length) bytes[i] = macArabicLogical(bytes[i]);
    }
}

bool EncodingConvert::convertWithPreamble(int fromCodePage, int toCodePage,
                                          const unsigned char *data, unsigned int inDataLen,
                                          DataBuffer &out, LogBase &log) {
    int target = toCodePage != 0 ? toCodePage : fromCodePage;
    static const unsigned char utf8Mark[] = {0xEF, 0xBB, 0xBF};
    static const unsigned char utf16LeMark[] = {0xFF, 0xFE};
    static const unsigned char utf16BeMark[] = {0xFE, 0xFF};
    bool marked = true;
    if (target == kUtf8)
        marked = out.append(utf8Mark, sizeof utf8Mark);
    else if (target == kUtf16Le)
        marked = out.append(utf16LeMark, sizeof utf16LeMark);
    else if (target == kUtf16Be)
        marked = out.append(utf16BeMark, sizeof utf16BeMark);
    if (!marked) return false;
    return convert(fromCodePage, target, data, inDataLen, out, log);
}

bool EncodingConvert::convertFromCharsetName(const char *charsetName, int toCodePage,
                                             const unsigned char *data, unsigned int inDataLen,
                                             DataBuffer &out, LogBase &log) {
    int codePage = charsetNameToCodePage(charsetName);
    if (codePage == 0) return false;
    return convert(codePage, toCodePage, data, inDataLen, out, log);
}

bool EncodingConvert::convert(int fromCodePage, int toCodePage, const unsigned char *data,
                              unsigned int inDataLen, DataBuffer &out, LogBase &log) {
    if (toCodePage == 0) toCodePage = fromCodePage;
    m_fromCodePage = fromCodePage;
    m_toCodePage = toCodePage;
    if (fromCodePage == 0 || fromCodePage == toCodePage) return out.append(data, inDataLen);

    if (isIso2022jp(fromCodePage) || fromCodePage == kIso2022kr) {
        DataBuffer eightBit;
        bool decoded;
        if (fromCodePage == kIso2022kr)
            decoded = Korean().iso2022krToEucKr(data, inDataLen, eightBit);
        else
            decoded = Japanese().iso2022jpToShiftJis(data, inDataLen, eightBit);
        if (!decoded) return false;
        if (eightBit.getSize() == 0) return true;
        int eightBitPage = fromCodePage == kIso2022kr ? kEucKr : kShiftJis;
        return convert(eightBitPage, toCodePage, eightBit.getData(), eightBit.getSize(), out, log);
    }

    if (fromCodePage == kMacArabic && data && inDataLen != 0) {
        DataBuffer logical;
        if (!logical.append(data, inDataLen)) return false;
        prepareMacArabic(logical.getData(), logical.getSize());
        return convertByTarget(logical.getData(), logical.getSize(), out);
    }
    return convertByTarget(data, inDataLen, out);
}

bool EncodingConvert::convertByTarget(const unsigned char *data, uint32_t inDataLen,
                                      DataBuffer &out) {
    int from = m_fromCodePage;
    int to = m_toCodePage;
    if (to == kUtf7) {
        DataBuffer utf16;
        if (!convertBasic(from, kUtf16Le, data, inDataLen, utf16)) return false;
        return utf16ToUtf7(utf16.getData(), utf16.getSize(), out);
    }
    if (to == kUtf32Le || to == kUtf32Be) {
        DataBuffer utf8;
        if (!convertBasic(from, kUtf8, data, inDataLen, utf8)) return false;
        return utf8ToUtf32(utf8.getData(), utf8.getSize(), to == kUtf32Be, out);
    }
    if (to == kUtf16Be) {
        DataBuffer utf16;
        convertBasic(from, kUtf16Le, data, inDataLen, utf16); // dropped characters don't count
        return appendSwapped16(utf16.getData(), utf16.getSize(), out);
    }
    if (isIso2022jp(to) || to == kIso2022kr) {
        bool korean = to == kIso2022kr;
        DataBuffer eightBit;
        bool converted = convertBasic(from, korean ? kEucKr : kShiftJis, data, inDataLen, eightBit);
        if (eightBit.getSize() != 0) {
            bool framed =
                korean
                    ? Korean().eucKrToIso2022kr(eightBit.getData(), eightBit.getSize(), out)
                    : Japanese().shiftJisToIso2022jp(eightBit.getData(), eightBit.getSize(), out);
            if (!framed) return false;
        }
        return converted;
    }
    return convertBasic(from, to, data, inDataLen, out);
}

bool EncodingConvert::convertBasic(int fromCodePage, int toCodePage, const unsigned char *data,
                                   uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;

    bool bigEndian = false;
    if (fromCodePage == kUtf8) {
        if (inDataLen >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
            data += 3;
            inDataLen -= 3;
        }
    } else if (fromCodePage == kUtf16Le || fromCodePage == kUtf16Be) {
        bigEndian = fromCodePage == kUtf16Be;
        // The mark wins over the declared order.
        if (startsWith(data, inDataLen, 0xFE, 0xFF)) {
            bigEndian = true;
            data += 2;
            inDataLen -= 2;
        } else if (startsWith(data, inDataLen, 0xFF, 0xFE)) {
            bigEndian = false;
            data += 2;
            inDataLen -= 2;
        }
    } else if (fromCodePage == kUtf32Be) {
        bigEndian = true;
    }
    if (inDataLen == 0) return true;
    if (fromCodePage == toCodePage) return out.append(data, inDataLen);

    // Bring the source into UTF-16LE or UTF-8, keeping the prepared bytes here.
    DataBuffer prepared;
    int source = fromCodePage;
    if (fromCodePage == kUtf16Le || fromCodePage == kUtf16Be) {
        if (bigEndian) {
            if (inDataLen < 2) return true;
            if (toCodePage == kUtf16Le) return appendSwapped16(data, inDataLen, out);
            if (!appendSwapped16(data, inDataLen, prepared)) return false;
            data = prepared.getData();
            inDataLen = prepared.getSize();
        } else if (toCodePage == kUtf16Le) {
            return out.append(data, inDataLen); // 1201 that began with FF FE
        }
        source = kUtf16Le;
    } else if (fromCodePage == kUtf32Le || fromCodePage == kUtf32Be) {
        if (inDataLen < 4) return true;
        DataBuffer littleEndian;
        if (bigEndian) {
            if (!appendSwapped32(data, inDataLen, littleEndian)) return false;
            data = littleEndian.getData();
            inDataLen = littleEndian.getSize();
        }
        utf32leToUtf8(data, inDataLen, prepared);
        data = prepared.getData();
        inDataLen = prepared.getSize();
        source = kUtf8;
    } else if (fromCodePage == kUtf7) {
        if (toCodePage == kUtf16Le) {
            utf7ToUtf16(data, inDataLen, out);
            return true;
        }
        utf7ToUtf16(data, inDataLen, prepared);
        data = prepared.getData();
        inDataLen = prepared.getSize();
        source = kUtf16Le;
    }

    if (source == kUtf16Le) {
        if (toCodePage == kUtf8) return utf16ToUtf8(data, inDataLen, out);
        return ensureHashFromUnicode(toCodePage, data, inDataLen, out);
    }
    if (source == kUtf8) {
        if (toCodePage == kUtf16Le) return utf8ToUtf16(data, inDataLen, out);
        if (toCodePage == kUtf8) return out.append(data, inDataLen);
        FromUnicodeTables target;
        if (!target.resolve(toCodePage)) return false;
        return TableWalks::fromUtf8(target, data, inDataLen, out);
    }

    ToUnicodeTables sourceTables;
    if (!sourceTables.resolve(source)) return false;
    if (toCodePage == kUtf16Le) return TableWalks::toUtf16(sourceTables, data, inDataLen, out);
    if (toCodePage == kUtf8) return TableWalks::toUtf8(sourceTables, data, inDataLen, out);
    FromUnicodeTables target;
    if (!target.resolve(toCodePage)) return false;
    DataBuffer utf16;
    TableWalks::toUtf16(sourceTables, data, inDataLen, utf16); // the second step decides
    return TableWalks::fromUtf16(target, utf16.getData(), utf16.getSize(), out);
}
