// Internal to core/: case-insensitive byte comparison as the C library does it in
// the "C" locale (only A-Z and a-z fold), without naming a platform's function.
#pragma once

#include <cstddef>

namespace txcore {

inline unsigned char foldAsciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// strncasecmp: compares at most n bytes, stopping after a terminator.
inline int compareNoCaseN(const char *a, const char *b, size_t n) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
    for (size_t i = 0; i < n; ++i) {
        int difference = foldAsciiLower(x[i]) - foldAsciiLower(y[i]);
        if (difference != 0 || x[i] == 0) return difference;
    }
    return 0;
}

// strcasecmp.
inline int compareNoCase(const char *a, const char *b) {
    return compareNoCaseN(a, b, static_cast<size_t>(-1));
}

} // namespace txcore
