#pragma once

#include "charset/EncodingConvert.h"
#include "core/DataBuffer.h"
#include "log/LogBase.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Bytes as "41 E2 82 AC" for failure messages.
inline std::string hexOf(const std::string &bytes) {
    std::string text;
    char digits[4];
    for (unsigned char b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", b);
        text += digits;
    }
    if (!text.empty()) text.pop_back();
    return text.empty() ? "(empty)" : text;
}

inline std::string bytesOf(const DataBuffer &buffer) {
    if (buffer.getSize() == 0) return std::string();
    return std::string(reinterpret_cast<const char *>(buffer.getData()), buffer.getSize());
}

inline const unsigned char *dataOf(const std::string &bytes) {
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

// UTF-16LE bytes of a string of units.
inline std::string utf16le(const std::u16string &text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

inline std::string utf16be(const std::u16string &text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

struct Converted {
    bool ok;
    std::string bytes;
};

inline Converted convertBytes(int from, int to, const std::string &input) {
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    bool ok =
        converter.convert(from, to, dataOf(input), static_cast<unsigned>(input.size()), out, log);
    return {ok, bytesOf(out)};
}

// Runs one of the static steps of EncodingConvert on input.
template <typename Step> Converted runStep(Step step, const std::string &input) {
    DataBuffer out;
    bool ok = step(dataOf(input), static_cast<uint32_t>(input.size()), out);
    return {ok, bytesOf(out)};
}
