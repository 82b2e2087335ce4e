#include "platform/posix/PosixText.h"

#include <cstdlib>
#include <cstring>

namespace txposix {

ByteText::~ByteText() {
    free(m_data);
}

bool ByteText::append(const char *bytes, size_t count) {
    if (m_failed) return false;
    if (m_length + count + 1 > m_capacity) {
        size_t capacity = m_capacity < 64 ? 64 : m_capacity;
        while (capacity < m_length + count + 1)
            capacity *= 2;
        char *grown = static_cast<char *>(realloc(m_data, capacity));
        if (grown == nullptr) {
            m_failed = true;
            return false;
        }
        m_data = grown;
        m_capacity = capacity;
    }
    if (count > 0) memcpy(m_data + m_length, bytes, count);
    m_length += count;
    m_data[m_length] = '\0';
    return true;
}

bool ByteText::append(const char *text) {
    return append(text, strlen(text));
}

void ByteText::truncate(size_t length) {
    if (length >= m_length) return;
    m_length = length;
    m_data[m_length] = '\0';
}

namespace {

// windows-1252 0x80-0x9F; the undefined bytes keep their own value.
const uint16_t cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t ansiToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return cp1252High[byte - 0x80];
    return byte;
}

int codePointToAnsi(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return int(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (cp1252High[i] == codePoint) return 0x80 + i;
    }
    return -1;
}

bool appendUtf8(uint32_t codePoint, ByteText *out) {
    char bytes[4];
    size_t count;
    if (codePoint < 0x80) {
        bytes[0] = char(codePoint);
        count = 1;
    } else if (codePoint < 0x800) {
        bytes[0] = char(0xC0 | (codePoint >> 6));
        bytes[1] = char(0x80 | (codePoint & 0x3F));
        count = 2;
    } else if (codePoint < 0x10000) {
        bytes[0] = char(0xE0 | (codePoint >> 12));
        bytes[1] = char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[2] = char(0x80 | (codePoint & 0x3F));
        count = 3;
    } else {
        bytes[0] = char(0xF0 | (codePoint >> 18));
        bytes[1] = char(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[2] = char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[3] = char(0x80 | (codePoint & 0x3F));
        count = 4;
    }
    return out->append(bytes, count);
}

} // namespace

bool ansiToUtf8(const char *ansi, ByteText *out) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(ansi); *p; ++p) {
        if (!appendUtf8(ansiToCodePoint(*p), out)) return false;
    }
    return out->valid();
}

bool wideToUtf8(const WCHAR *wide, ByteText *out) {
    for (const WCHAR *p = wide; *p; ++p) {
        uint32_t unit = *p;
        uint32_t codePoint = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            codePoint = 0x10000 + ((unit - 0xD800) << 10) + (uint32_t(p[1]) - 0xDC00);
            ++p;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            codePoint = 0xFFFD;
        }
        if (!appendUtf8(codePoint, out)) return false;
    }
    return out->valid();
}

uint32_t nextCodePoint(const char *utf8, size_t length, size_t *position) {
    const unsigned char *s = reinterpret_cast<const unsigned char *>(utf8);
    size_t at = *position;
    unsigned char lead = s[at];
    *position = at + 1;
    if (lead < 0x80) return lead;
    size_t extra;
    uint32_t codePoint, minimum;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, codePoint = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, codePoint = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0xFFFD;
    }
    if (at + extra >= length) return 0xFFFD;
    for (size_t i = 1; i <= extra; ++i) {
        if ((s[at + i] & 0xC0) != 0x80) return 0xFFFD;
        codePoint = (codePoint << 6) | (s[at + i] & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0xFFFD;
    *position = at + 1 + extra;
    return codePoint;
}

size_t utf8ToWide(const char *utf8, size_t length, WCHAR *out, size_t capacity) {
    size_t units = 0;
    size_t position = 0;
    auto put = [&](uint32_t unit) {
        if (units < capacity) out[units] = WCHAR(unit);
        ++units;
    };
    while (position < length) {
        uint32_t codePoint = nextCodePoint(utf8, length, &position);
        if (codePoint >= 0x10000) {
            put(0xD800 + ((codePoint - 0x10000) >> 10));
            put(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        } else {
            put(codePoint);
        }
    }
    return units;
}

size_t utf8ToAnsi(const char *utf8, size_t length, char *out, size_t capacity) {
    size_t bytes = 0;
    size_t position = 0;
    auto put = [&](int byte) {
        if (bytes < capacity) out[bytes] = char(byte);
        ++bytes;
    };
    while (position < length) {
        uint32_t codePoint = nextCodePoint(utf8, length, &position);
        int byte = codePointToAnsi(codePoint);
        if (byte >= 0) {
            put(byte);
        } else {
            put('?');
            if (codePoint >= 0x10000) put('?');
        }
    }
    return bytes;
}

uint32_t foldCase(uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0xC0) return c;
    if (c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capitals and small letters, with the odd run
        // 0x139-0x148 and 0x179-0x17E shifted by one.
        bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddCapitals) return (c & 1) ? c + 1 : c;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

} // namespace txposix
