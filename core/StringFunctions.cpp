// Free functions on plain NUL-terminated text: decimal conversion, case-insensitive
// search and wildcard matching.
#include "core/AsciiCase.h"
#include "core/StringBuffer.h"

#include <cstring>

namespace {

const char digitTable[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// Digits from the least significant end, the sign, then one reversal.
int unsignedToDecimal(uint64_t magnitude, bool negative, char *out) {
    int n = 0;
    do {
        out[n++] = digitTable[magnitude % 10];
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) out[n++] = '-';
    out[n] = 0;
    reverseBytes(out, n);
    return n;
}

// Folds a-z onto A-Z only; every other byte compares as itself.
inline unsigned char foldUpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

bool bytesEqual(const char *a, const char *b, size_t n, bool caseSensitive) {
    return caseSensitive ? strncmp(a, b, n) == 0 : txcore::compareNoCaseN(a, b, n) == 0;
}

} // namespace

int intToDecimal(int value, char *out) {
    if (out == nullptr) return 0;
    // The magnitude is taken in unsigned arithmetic so that INT_MIN needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return unsignedToDecimal(magnitude, value < 0, out);
}

void int64ToDecimal(int64_t value, char *out) {
    if (out == nullptr) return;
    uint64_t magnitude = value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    unsignedToDecimal(magnitude, value < 0, out);
}

void reverseBytes(char *bytes, int n) {
    if (bytes == nullptr || n < 2) return;
    for (int i = 0, j = n - 1; i < j; ++i, --j) {
        char c = bytes[i];
        bytes[i] = bytes[j];
        bytes[j] = c;
    }
}

const char *findNoCase(const char *haystack, const char *needle) {
    if (haystack == nullptr || needle == nullptr || *haystack == 0 || *needle == 0) return nullptr;
    const unsigned char *h = reinterpret_cast<const unsigned char *>(haystack);
    const unsigned char *n = reinterpret_cast<const unsigned char *>(needle);
    unsigned char first = foldUpperAscii(n[0]);
    for (; *h != 0; ++h) {
        if (foldUpperAscii(*h) != first) continue;
        size_t i = 1;
        while (n[i] != 0 && foldUpperAscii(h[i]) == foldUpperAscii(n[i])) ++i;
        // A mismatch at h[i] == 0 ends the search: no later start can fit either.
        if (n[i] == 0) return reinterpret_cast<const char *>(h);
        if (h[i] == 0) return nullptr;
    }
    return nullptr;
}

bool matchesWildcard(const char *text, const char *pattern, bool caseSensitive) {
    if (text == nullptr || *text == 0) {
        if (pattern == nullptr) return true;
        while (*pattern == '*') ++pattern;
        return *pattern == 0;
    }
    if (pattern == nullptr || *pattern == 0) return false;

    const char *star = strchr(pattern, '*');
    if (star == nullptr) {
        return caseSensitive ? strcmp(text, pattern) == 0 : txcore::compareNoCase(text, pattern) == 0;
    }

    size_t textLength = strlen(text);
    size_t prefixLength = static_cast<size_t>(star - pattern);
    if (prefixLength > textLength || !bytesEqual(text, pattern, prefixLength, caseSensitive)) {
        return false;
    }
    const char *rest = text + prefixLength;
    size_t restLength = textLength - prefixLength;
    const char *p = star;

    for (;;) {
        while (*p == '*') ++p;
        if (*p == 0) return true;
        const char *nextStar = strchr(p, '*');
        if (nextStar == nullptr) {
            // The final segment must end the text.
            size_t segmentLength = strlen(p);
            if (restLength < segmentLength) return false;
            return bytesEqual(rest + (restLength - segmentLength), p, segmentLength, caseSensitive);
        }
        size_t segmentLength = static_cast<size_t>(nextStar - p);
        // Leftmost occurrence of the segment in what is left of the text.
        size_t position = 0;
        for (;; ++position) {
            if (restLength - position < segmentLength) return false;
            if (bytesEqual(rest + position, p, segmentLength, caseSensitive)) break;
        }
        rest += position + segmentLength;
        restLength -= position + segmentLength;
        p = nextStar;
    }
}
