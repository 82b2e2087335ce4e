// Holds the table-driven encoders against plain byte-by-byte versions written here,
// decodes every form back to the input, and decodes the input as base64 text.
// Input: a line length byte, an encoding name, then the data.

#include "core/StringBuffer.h"
#include "encoding/ContentCoding.h"
#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using fuzzing::require;

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHex[] = "0123456789ABCDEF";

std::string str(const StringBuffer &sb) {
    return std::string(sb.getString(), static_cast<size_t>(sb.getSize()));
}

const void *bytes(const std::string &s) {
    return s.empty() ? nullptr : s.data();
}

uint32_t len(const std::string &s) {
    return static_cast<uint32_t>(s.size());
}

void putEscape(std::string &out, char lead, unsigned char b) {
    out += lead;
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

std::string plainBase64(const std::string &in) {
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        size_t n = in.size() - i < 3 ? in.size() - i : 3;
        uint32_t v = static_cast<unsigned char>(in[i]) << 16;
        if (n > 1) v |= static_cast<unsigned char>(in[i + 1]) << 8;
        if (n > 2) v |= static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[v >> 12 & 63];
        out += n > 1 ? kAlphabet[v >> 6 & 63] : '=';
        out += n > 2 ? kAlphabet[v & 63] : '=';
    }
    return out;
}

std::string plainHex(const std::string &in) {
    std::string out;
    for (unsigned char b : in) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string plainUrl(const std::string &in, const char *extras) {
    std::string out;
    for (unsigned char b : in) {
        bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        if (alnum || (b != 0 && std::strchr(extras, b)))
            out += static_cast<char>(b);
        else
            putEscape(out, '%', b);
    }
    return out;
}

// Quoted-printable rule by rule, with M = lineLength - 1 the longest run.
std::string plainQp(const std::string &in, int lineLength) {
    const int64_t maxRun = static_cast<int64_t>(lineLength) - 1;
    const size_t n = in.size();
    auto crLfAt = [&](size_t k) { return k + 1 < n && in[k] == '\r' && in[k + 1] == '\n'; };
    std::string out;
    int64_t column = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = static_cast<unsigned char>(in[i]);
        if (crLfAt(i)) {
            out += "\r\n";
            ++i;
            column = 0;
            continue;
        }
        bool lineStartEscape = column == 0 && (b == '.' || in.compare(i, 5, "From ") == 0);
        bool literal = (b >= 0x21 && b <= 0x7E && b != '=') ||
                       ((b == ' ' || b == '\t') && i + 1 != n && !crLfAt(i + 1));
        if (lineStartEscape) {
            putEscape(out, '=', b);
            column = 3;
        } else if (literal) {
            out += static_cast<char>(b);
            ++column;
        } else {
            if (column >= maxRun - 2) {
                out += "=\r\n";
                column = 0;
            }
            putEscape(out, '=', b);
            column += 3;
        }
        if (column >= maxRun && !crLfAt(i + 1)) {
            out += "=\r\n";
            column = 0;
        }
    }
    return out;
}

int hexValue(char c) {
    const char *p = std::strchr(kHex, c);
    return c != 0 && p ? static_cast<int>(p - kHex) : -1;
}

// Undoes "=XX" or "%XX" escapes and, for quoted-printable, soft breaks.
std::string unescape(const std::string &text, char lead) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != lead) {
            out += text[i];
            continue;
        }
        if (lead == '=' && text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
            continue;
        }
        require(i + 2 < text.size(), "escape cut short");
        int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        require(high >= 0 && low >= 0, "escape with a bad digit");
        out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return out;
}

void checkQpLines(const std::string &text, int lineLength) {
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        size_t line = (end == std::string::npos ? text.size() : end) - start;
        require(line <= static_cast<size_t>(lineLength), "quoted-printable line too long");
        if (end == std::string::npos) return;
        start = end + 2;
    }
}

// The decoder's rule: blanks and characters outside "+".."z" skipped, "=" or NUL ends it;
// the characters between the digits in that range count as 0.
std::string plainDecodeBase64(const std::string &text) {
    std::string out;
    uint32_t bits = 0;
    int pending = 0;
    for (unsigned char c : text) {
        if (c == 0 || c == '=') break;
        if (c < '+' || c > 'z') continue;
        const char *p = std::strchr(kAlphabet, c);
        bits = bits << 6 | (p ? static_cast<uint32_t>(p - kAlphabet) : 0);
        pending += 6;
        if (pending >= 8) {
            pending -= 8;
            out += static_cast<char>(bits >> pending);
        }
    }
    return out;
}

std::string decodeWithLibrary(const std::string &text) {
    uint32_t n = 0;
    unsigned char *block = decodeBase64(text.data(), len(text), n);
    require(block != nullptr, "decodeBase64 gave no block");
    require(block[n] == 0, "decodeBase64 left no terminator");
    std::string out(reinterpret_cast<char *>(block), n);
    std::free(block);
    return out;
}

void checkEncoders(const std::string &data, int lineLength) {
    StringBuffer out;
    require(encodeBase64(bytes(data), len(data), out), "encodeBase64 failed");
    require(str(out) == plainBase64(data), "base64 differs from the plain rule");
    require(decodeWithLibrary(str(out)) == data, "base64 does not decode back");

    out.clear();
    require(encodeHex(bytes(data), len(data), out), "encodeHex failed");
    require(str(out) == plainHex(data), "hex differs from the plain rule");

    struct UrlForm {
        bool (*encode)(const void *, uint32_t, StringBuffer &);
        const char *extras;
    } forms[] = {{encodeUrlRfc3986, "-._~"},
                 {encodeUrlRfc1738, "$-_.+!*'(),"},
                 {encodeUrlRfc2396, "-_.!~*'()"}};
    for (const UrlForm &form : forms) {
        out.clear();
        require(form.encode(bytes(data), len(data), out), "URL encoder failed");
        require(str(out) == plainUrl(data, form.extras), "URL form differs from the plain rule");
        require(unescape(str(out), '%') == data, "URL form does not decode back");
    }

    ContentCoding coding;
    coding.setLineLength(lineLength);
    int effective = coding.getLineLength();
    out.clear();
    require(coding.encodeQuotedPrintable(bytes(data), len(data), out), "quoted-printable failed");
    require(str(out) == plainQp(data, effective), "quoted-printable differs from the plain rule");
    require(unescape(str(out), '=') == data, "quoted-printable does not decode back");
    checkQpLines(str(out), effective);
}

enum class Pick { Known, Unknown, Unjudged };

// What the dispatch must write for a name, by the plain rules.
Pick plainDispatch(const std::string &rawName, const std::string &data, std::string &expected) {
    size_t begin = rawName.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return Pick::Unknown;
    std::string name = rawName.substr(begin, rawName.find_last_not_of(" \t\r\n") + 1 - begin);
    std::string lower = name;
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);

    if (lower == "base64" || lower == "base-64") {
        expected = plainBase64(data);
    } else if (lower.compare(0, 3, "qp-") == 0) {
        // scanf's %d is only defined for numbers that fit; longer ones are not judged.
        size_t digits = std::min(name.find_first_not_of(" \t\r\n\v\f", 3), name.size());
        if (digits < name.size() && (name[digits] == '+' || name[digits] == '-')) ++digits;
        size_t end = std::min(name.find_first_not_of("0123456789", digits), name.size());
        if (end - digits > 9) return Pick::Unjudged;
        int n = 0;
        if (std::sscanf(name.c_str(), "qp-%d", &n) != 1) n = 0;
        expected = plainQp(data, n == 0 ? 76 : (n > 10 ? n : 10));
    } else if (lower == "qp" || lower == "quoted-printable") {
        expected = plainQp(data, 76);
    } else if (lower == "hex" || lower == "hexidecimal") {
        expected = plainHex(data);
    } else if (lower == "asc" || lower == "ansi") {
        // Appending to a StringBuffer never keeps trailing NUL bytes.
        expected = data.substr(0, data.find_last_not_of('\0') + 1);
    } else if (lower == "url" || lower == "url_rfc3986" || lower == "url_oauth") {
        expected = plainUrl(data, "-._~");
    } else if (lower == "url_rfc1738") {
        expected = plainUrl(data, "$-_.+!*'(),");
    } else if (lower == "url_rfc2396") {
        expected = plainUrl(data, "-_.!~*'()");
    } else {
        return Pick::Unknown;
    }
    return Pick::Known;
}

void checkDispatch(const std::string &name, const std::string &data) {
    ContentCoding coding;
    StringBuffer out("kept");
    require(coding.encodeBytes(name.c_str(), bytes(data), len(data), out), "encodeBytes failed");
    std::string expected;
    Pick pick = plainDispatch(name, data, expected);
    if (pick == Pick::Known)
        require(str(out) == "kept" + expected, "encodeBytes picked the wrong encoding");
    if (pick == Pick::Unknown) require(out.getSize() == 0, "an unknown name kept the output");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::FuzzInput input(data, size);
    int lineLength = static_cast<int8_t>(input.byte()) * 3;
    std::string name = input.text(24);
    std::string payload = input.rest();

    checkEncoders(payload, lineLength);
    require(decodeWithLibrary(payload) == plainDecodeBase64(payload),
            "decodeBase64 differs from the plain rule");
    // The name must stop at its first NUL to be a C string.
    checkDispatch(name.substr(0, name.find('\0')), payload);
    return 0;
}
