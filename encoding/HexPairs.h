#pragma once

// Two upper-case hexadecimal digits for every byte value, so that an encoder writes a
// byte's digits with one lookup and one two-byte copy.
struct HexPairTable {
    char pairs[256][2];
};

constexpr HexPairTable makeHexPairTable() {
    const char digits[] = "0123456789ABCDEF";
    HexPairTable table{};
    for (int b = 0; b < 256; ++b) {
        table.pairs[b][0] = digits[b >> 4];
        table.pairs[b][1] = digits[b & 15];
    }
    return table;
}

inline constexpr HexPairTable kHexPairs = makeHexPairTable();
