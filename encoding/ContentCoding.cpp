#include "encoding/ContentCoding.h"

#include "core/DataBuffer.h"
#include "encoding/TextGatherer.h"

#include <cstdlib>

namespace {

const int kMinLineLength = 10;

// The name with the blanks around it left out.
struct TrimmedName {
    const char *text;
    size_t length;
};

inline bool isNameBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

TrimmedName trimName(const char *name) {
    const char *end = name + std::strlen(name);
    while (name < end && isNameBlank(*name))
        ++name;
    while (end > name && isNameBlank(end[-1]))
        --end;
    return TrimmedName{name, static_cast<size_t>(end - name)};
}

inline char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// candidate is lower case.
bool nameBeginsWith(const TrimmedName &name, const char *candidate) {
    size_t n = std::strlen(candidate);
    if (name.length < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (foldCase(name.text[i]) != candidate[i]) return false;
    }
    return true;
}

bool nameIs(const TrimmedName &name, const char *candidate) {
    return name.length == std::strlen(candidate) && nameBeginsWith(name, candidate);
}

// The number a "qp-%d" scan would read: the prefix must be lower case, and the number may
// have blanks and a sign before it. 0 when there is none; out-of-range values saturate.
int lineLengthInName(const TrimmedName &name) {
    if (std::strncmp(name.text, "qp-", 3) != 0) return 0;
    long value = std::strtol(name.text + 3, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool appendUnchanged(const void *data, uint32_t length, StringBuffer &out) {
    if (!data || length == 0) return true;
    return reserveOutput(out, length) && out.appendN(data, static_cast<int>(length));
}

} // namespace

ContentCoding::ContentCoding() : m_lineLength(kDefaultLineLength) {}

ContentCoding::~ContentCoding() {}

void ContentCoding::setLineLength(int n) {
    m_lineLength = n > kMinLineLength ? n : kMinLineLength;
}

bool ContentCoding::encodeBytes(const char *encodingName, const void *data, uint32_t length,
                                StringBuffer &out) {
    if (!encodingName) {
        out.clear();
        return true;
    }
    TrimmedName name = trimName(encodingName);

    if (nameIs(name, "base64") || nameIs(name, "base-64")) return encodeBase64(data, length, out);
    if (nameBeginsWith(name, "qp-")) {
        int n = lineLengthInName(name);
        setLineLength(n != 0 ? n : kDefaultLineLength);
        return encodeQuotedPrintable(data, length, out);
    }
    if (nameIs(name, "qp") || nameIs(name, "quoted-printable")) {
        setLineLength(kDefaultLineLength);
        return encodeQuotedPrintable(data, length, out);
    }
    if (nameIs(name, "hex") || nameIs(name, "hexidecimal")) return encodeHex(data, length, out);
    if (nameIs(name, "asc") || nameIs(name, "ansi")) return appendUnchanged(data, length, out);
    if (nameIs(name, "url") || nameIs(name, "url_rfc3986") || nameIs(name, "url_oauth"))
        return encodeUrlRfc3986(data, length, out);
    if (nameIs(name, "url_rfc1738")) return encodeUrlRfc1738(data, length, out);
    if (nameIs(name, "url_rfc2396")) return encodeUrlRfc2396(data, length, out);

    out.clear();
    return true;
}

bool ContentCoding::encodeBytes(const char *encodingName, const DataBuffer &data,
                                StringBuffer &out) {
    return encodeBytes(encodingName, data.getData(), data.getSize(), out);
}
