#pragma once

// What the tests of charset/ share: helpers, and the headers they all use.

#include "charset/CodePageTables.h"
#include "charset/EncodingConvert.h"
#include "charset/HashConvert.h"
#include "charset/UnicodeLookup.h"
#include "charset/tables/EmbeddedTables.h"
#include "core/DataBuffer.h"
#include "log/LogBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace std::string_literals;

typedef std::vector<unsigned char> Bytes;

// The pages with tables: every single-byte table the generator embedded (its sources are
// pinned by the regeneration test) and the multi-byte families.
const int kMultiBytePages[] = {932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949};

inline std::vector<int> allTablePages() {
    std::vector<int> pages;
    for (int cp = 1; cp < 65536; ++cp)
        if (embeddedSingleByteTable(cp)) pages.push_back(cp);
    pages.insert(pages.end(), std::begin(kMultiBytePages), std::end(kMultiBytePages));
    return pages;
}

// Bytes as "41 E2 82 AC".
inline std::string hexOf(const unsigned char *bytes, size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

inline std::string hexOf(const std::string &bytes) {
    if (bytes.empty()) return "(empty)";
    return hexOf(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}

// A code of one or two bytes, lead byte first.
inline std::string codeBytes(int code) {
    std::string bytes{static_cast<char>(code >> 8), static_cast<char>(code)};
    return code > 0xFF ? bytes : bytes.substr(1);
}

// The value a lookup finds, as hex; "-" for none.
inline std::string lookupHex(const HashConvert &table, const Bytes &key) {
    unsigned char out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    int length = -1;
    bool found = table.lookup(key.data(), static_cast<int>(key.size()), out, length);
    return found ? hexOf(out, static_cast<size_t>(length)) : "-";
}

inline std::string bytesOf(const DataBuffer &buffer) {
    if (buffer.getSize() == 0) return std::string();
    return std::string(reinterpret_cast<const char *>(buffer.getData()), buffer.getSize());
}

inline const unsigned char *dataOf(const std::string &bytes) {
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

inline uint32_t sizeOf(const std::string &bytes) {
    return static_cast<uint32_t>(bytes.size());
}

inline std::string utf16le(const std::u16string &text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

struct Converted {
    bool ok;
    std::string bytes;
};

// A result and its output, for comparing: "41 42", or "41 42 and false".
inline std::string shown(bool ok, const std::string &bytes) {
    return hexOf(bytes) + (ok ? "" : " and false");
}

inline std::string shown(const Converted &converted) {
    return shown(converted.ok, converted.bytes);
}

inline Converted convertBytes(int from, int to, const std::string &input) {
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    bool ok = converter.convert(from, to, dataOf(input), sizeOf(input), out, log);
    return {ok, bytesOf(out)};
}

// Runs one of the static steps of EncodingConvert on input.
template <typename Step> Converted runStep(Step step, const std::string &input) {
    DataBuffer out;
    bool ok = step(dataOf(input), sizeOf(input), out);
    return {ok, bytesOf(out)};
}

// One conversion through the engine: its result and its output bytes.
struct ConvertCase {
    int from, to;
    std::string input;
    bool ok;
    std::string expected;
};

inline void expectConverted(const ConvertCase &c) {
    EXPECT_EQ(shown(c.ok, c.expected), shown(convertBytes(c.from, c.to, c.input)))
        << c.from << " -> " << c.to << " of " << hexOf(c.input);
}

template <size_t N> void expectConvertedAll(const ConvertCase (&cases)[N]) {
    for (const ConvertCase &c : cases)
        expectConverted(c);
}
