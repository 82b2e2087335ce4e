#pragma once

#include "core/DataBuffer.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Writes converter output straight into a DataBuffer's block: reserve room for a
// stretch, write through the cursor, and the size is committed on the next reserve and
// at the end. The block grows by half again each time it runs short, so reserving
// stretch by stretch stays linear.
class DirectOutput {
public:
    // expected: the output the caller foresees, reserved at once.
    DirectOutput(DataBuffer &out, uint64_t expected) : m_out(out) { reserve(expected); }
    ~DirectOutput() { commit(); }
    DirectOutput(const DirectOutput &) = delete;
    DirectOutput &operator=(const DirectOutput &) = delete;

    // Room for n more bytes at the cursor. False when the buffer could not grow (it may
    // have lost its content); nothing more may be written then.
    bool reserve(uint64_t n) {
        if (m_failed) return false;
        if (m_cursor && static_cast<uint64_t>(m_end - m_cursor) >= n) return true;
        return grow(n);
    }

    unsigned char *&cursor() { return m_cursor; }
    bool failed() const { return m_failed; }

    void commit() {
        if (m_cursor) m_out.setSize(static_cast<uint32_t>(m_cursor - m_out.getData()));
    }

private:
    bool grow(uint64_t n) {
        commit();
        uint64_t used = m_out.getSize();
        uint64_t needed = used + n;
        if (needed > UINT32_MAX) {
            m_failed = true;
            m_cursor = nullptr;
            return false;
        }
        uint64_t capacity = m_out.getCapacity();
        if (capacity < needed) {
            // Grow by a share of what is there, so that a buffer that many conversions
            // append to, or whose first estimate was short, is copied a few times only.
            uint64_t wanted = needed + (m_cursor ? needed / 2 : used / 8);
            if (wanted > UINT32_MAX) wanted = UINT32_MAX;
            if (!m_out.ensureCapacity(static_cast<uint32_t>(wanted))) {
                m_failed = true;
                m_cursor = nullptr;
                return false;
            }
        }
        m_cursor = m_out.getData() + used;
        m_end = m_out.getData() + m_out.getCapacity();
        return true;
    }

    DataBuffer &m_out;
    unsigned char *m_cursor = nullptr;
    unsigned char *m_end = nullptr;
    bool m_failed = false;
};

// Shared pieces of the UTF-8 and UTF-16 walks.
namespace utf {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kWordFastPaths = true;
#else
constexpr bool kWordFastPaths = false;
#endif

inline uint16_t readUnit(const unsigned char *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline void writeUnit(unsigned char *&out, uint16_t unit) {
    out[0] = static_cast<unsigned char>(unit);
    out[1] = static_cast<unsigned char>(unit >> 8);
    out += 2;
}

// 1 to 3 bytes, surrogates included; a unit 0 is written as a 0 byte here.
inline void writeUtf8(unsigned char *&out, uint16_t unit) {
    if (unit < 0x80) {
        *out++ = static_cast<unsigned char>(unit);
    } else if (unit < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | unit >> 6);
        out[1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        out += 2;
    } else {
        out[0] = static_cast<unsigned char>(0xE0 | unit >> 12);
        out[1] = static_cast<unsigned char>(0x80 | (unit >> 6 & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        out += 3;
    }
}

inline bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes the 2- or 3-byte sequence at p (its lead at least 0x80), with end the end of
// the input. Gives the number of bytes it takes, or 0 when the lead byte is to be
// dropped.
inline int decodeMultiByte(const unsigned char *p, const unsigned char *end, uint16_t &unit) {
    unsigned char lead = p[0];
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (end - p >= 2 && isContinuation(p[1])) {
            unit = static_cast<uint16_t>((lead & 0x1F) << 6 | (p[1] & 0x3F));
            return 2;
        }
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        if (end - p >= 3 && isContinuation(p[1]) && isContinuation(p[2]) &&
            (lead != 0xE0 || p[1] >= 0xA0)) {
            unit = static_cast<uint16_t>((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            return 3;
        }
    }
    return 0;
}

inline uint64_t load64(const unsigned char *p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store64(unsigned char *p, uint64_t v) {
    std::memcpy(p, &v, sizeof v);
}

inline void store32(unsigned char *p, uint32_t v) {
    std::memcpy(p, &v, sizeof v);
}

inline int countTrailingZeros64(uint64_t v) {
    return __builtin_ctzll(v);
}

// The 3-byte form of a unit of 0x800 or more, first byte lowest.
inline uint32_t threeByteFormOf(uint16_t unit) {
    return 0x008080E0u | unit >> 12 | (unit >> 6 & 0x3Fu) << 8 | (unit & 0x3Fu) << 16;
}

// The 3-byte form of a unit of 0x800 or more; may write one byte beyond it.
inline void writeUtf8Three(unsigned char *&out, uint16_t unit) {
    if (kWordFastPaths) {
        store32(out, threeByteFormOf(unit));
        out += 3;
    } else {
        writeUtf8(out, unit);
    }
}

constexpr uint64_t kHighBits = 0x8080808080808080ull;
constexpr uint64_t kOnes = 0x0101010101010101ull;

// True when all 8 bytes are 0x01-0x7F.
inline bool isNonZeroAscii8(uint64_t w) {
    return ((w | ((w - kOnes) & ~w)) & kHighBits) == 0;
}

// The 4 low bytes of w as 4 UTF-16LE units (bytes below 0x80 assumed).
inline uint64_t widen4(uint64_t w) {
    uint64_t x = w & 0xFFFFFFFFull;
    x = (x | x << 16) & 0x0000FFFF0000FFFFull;
    x = (x | x << 8) & 0x00FF00FF00FF00FFull;
    return x;
}

// 4 UTF-16LE units, all below 0x80, as 4 bytes in the low half.
inline uint64_t narrow4(uint64_t x) {
    x = (x | x >> 8) & 0x0000FFFF0000FFFFull;
    x = (x | x >> 16) & 0x00000000FFFFFFFFull;
    return x;
}

// The bytes 0x01-0x7F at the start of the 8 bytes at p are copied to out, which takes 8
// bytes whatever the count; gives the count.
inline int copyNonZeroAscii8(const unsigned char *p, unsigned char *out) {
    uint64_t w = load64(p);
    uint64_t other = (w & kHighBits) | ((w - kOnes) & ~w & kHighBits);
    store64(out, w);
    return other == 0 ? 8 : countTrailingZeros64(other) / 8;
}

// The bytes below 0x80 at the start of the 8 bytes at p are copied to out, which takes 8
// bytes whatever the count; gives the count.
inline int copyAscii8(const unsigned char *p, unsigned char *out) {
    uint64_t w = load64(p);
    uint64_t other = w & kHighBits;
    store64(out, w);
    return other == 0 ? 8 : countTrailingZeros64(other) / 8;
}

// writeUtf8 that may write one byte beyond the character.
inline void writeUtf8Spare(unsigned char *&out, uint16_t unit) {
    if (unit >= 0x800)
        writeUtf8Three(out, unit);
    else
        writeUtf8(out, unit);
}

// decodeMultiByte for a sequence with at least 4 bytes readable.
inline int decodeMultiByte4(const unsigned char *p, uint16_t &unit) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if ((v & 0xC0C0F0u) == 0x8080E0u && ((v & 0xFFu) != 0xE0u || (v & 0x2000u) != 0)) {
        unit = static_cast<uint16_t>((v & 0x0Fu) << 12 | (v >> 2 & 0x0FC0u) | (v >> 16 & 0x3Fu));
        return 3;
    }
    if ((v & 0xC0E0u) == 0x80C0u && (v & 0x1Eu) != 0) {
        unit = static_cast<uint16_t>((v & 0x1Fu) << 6 | (v >> 8 & 0x3Fu));
        return 2;
    }
    return 0;
}

// Of the 8 UTF-16LE units at p, those 0x01-0x7F before the first other one are written
// as bytes at out, which takes 8 bytes whatever the count; gives the count.
inline int narrowAscii8(const unsigned char *p, unsigned char *out) {
#if defined(__SSE2__)
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    __m128i zero = _mm_setzero_si128();
    __m128i high = _mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80)));
    int ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) &
                ~_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(units, units));
    return ascii == 0xFFFF ? 8 : __builtin_ctz(~ascii) / 2;
#else
    int count = 0;
    for (int half = 0; half < 2; ++half) {
        uint64_t w = load64(p + 8 * half);
        uint64_t other = (w & 0xFF80FF80FF80FF80ull) |
                         ((w - 0x0001000100010001ull) & ~w & 0x8000800080008000ull);
        store32(out + 4 * half, static_cast<uint32_t>(narrow4(w)));
        if (other != 0) return count + countTrailingZeros64(other) / 16;
        count += 4;
    }
    return count;
#endif
}

// Of the 16 bytes at p, those below 0x80 before the first other one are written as
// UTF-16LE units at out, which takes 32 bytes whatever the count; gives the count.
inline int widenAscii16(const unsigned char *p, unsigned char *out) {
#if defined(__SSE2__)
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_unpackhi_epi8(bytes, zero));
    int other = _mm_movemask_epi8(bytes);
    return other == 0 ? 16 : __builtin_ctz(other);
#else
    int count = 0;
    for (int half = 0; half < 2; ++half) {
        uint64_t w = load64(p + 8 * half);
        store64(out + 16 * half, widen4(w));
        store64(out + 16 * half + 8, widen4(w >> 32));
        uint64_t other = w & kHighBits;
        if (other != 0) return count + countTrailingZeros64(other) / 8;
        count += 8;
    }
    return count;
#endif
}

} // namespace utf
