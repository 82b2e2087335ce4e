// Every table checked against a converter that did not make it: Windows' own
// MultiByteToWideChar and WideCharToMultiByte in the Windows build (Wine's tables are
// Windows'), glibc's iconv(3) in the native build. Each difference is listed below with
// its reason; a best fit that the reference lacks is counted, not listed.
#include "charset/CodePageTables.h"

#include "charset/HashConvert.h"
#include "charset/UnicodeLookup.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <cerrno>
#include <iconv.h>
#endif

namespace {

// A code: 1 or 2 bytes, lead byte first; -1 for none. A Unicode value: -1 for none.
struct Reference {
    virtual ~Reference() {}
    virtual bool open(int codePage) = 0;
    virtual int decode(const unsigned char *bytes, int length) = 0;
    virtual int encode(uint16_t unit) = 0;
};

#ifdef _WIN32

class WindowsReference : public Reference {
public:
    bool open(int codePage) override {
        m_codePage = static_cast<UINT>(codePage);
        return IsValidCodePage(m_codePage) != 0;
    }
    int decode(const unsigned char *bytes, int length) override {
        wchar_t out[4];
        int n = MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS,
                                    reinterpret_cast<const char *>(bytes), length, out, 4);
        return n == 1 ? static_cast<uint16_t>(out[0]) : -1;
    }
    int encode(uint16_t unit) override {
        wchar_t in = static_cast<wchar_t>(unit);
        char out[8];
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(m_codePage, 0, &in, 1, out, sizeof(out), nullptr, &usedDefault);
        if (n < 1 || n > 2 || usedDefault) return -1;
        return n == 1
                   ? static_cast<unsigned char>(out[0])
                   : static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]);
    }

private:
    UINT m_codePage = 0;
};

#else

class IconvReference : public Reference {
public:
    explicit IconvReference(const char *name) : m_name(name) {}
    ~IconvReference() override {
        if (m_decoder != reinterpret_cast<iconv_t>(-1)) iconv_close(m_decoder);
        if (m_encoder != reinterpret_cast<iconv_t>(-1)) iconv_close(m_encoder);
    }
    bool open(int) override {
        m_decoder = iconv_open("UTF-16LE", m_name);
        m_encoder = iconv_open(m_name, "UTF-16LE");
        return m_decoder != reinterpret_cast<iconv_t>(-1) &&
               m_encoder != reinterpret_cast<iconv_t>(-1);
    }
    int decode(const unsigned char *bytes, int length) override {
        unsigned char out[16];
        size_t n = run(m_decoder, bytes, length, out, sizeof(out));
        return n == 2 ? out[0] | out[1] << 8 : -1;
    }
    int encode(uint16_t unit) override {
        unsigned char in[2] = {static_cast<unsigned char>(unit & 0xFF),
                               static_cast<unsigned char>(unit >> 8)};
        unsigned char out[16];
        size_t n = run(m_encoder, in, 2, out, sizeof(out));
        if (n == 1) return out[0];
        return n == 2 ? out[0] << 8 | out[1] : -1;
    }

private:
    // Output length, or 0 when the input is not converted whole.
    static size_t run(iconv_t cd, const unsigned char *bytes, int length, unsigned char *out,
                      size_t room) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
        size_t inLeft = static_cast<size_t>(length);
        char *outPtr = reinterpret_cast<char *>(out);
        size_t outLeft = room;
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft)
            return 0;
        if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return 0;
        return room - outLeft;
    }

    const char *m_name;
    iconv_t m_decoder = reinterpret_cast<iconv_t>(-1);
    iconv_t m_encoder = reinterpret_cast<iconv_t>(-1);
};

#endif

// ------------------------------------------------------------------ our side

int ourDecode(int codePage, const unsigned char *bytes, int length) {
    if (CodePageTables::isSingleByte(codePage)) {
        const UnicodeLookup *lookup = CodePageTables::singleByteToUnicode(codePage);
        if (length != 1 || !lookup) return -1;
        uint16_t u = lookup->valueOf(bytes[0]);
        return u ? u : -1;
    }
    const HashConvert *table = CodePageTables::multiByteToUnicode(codePage);
    unsigned char out[4];
    int outLength = 0;
    if (!table || !table->lookup(bytes, length, out, outLength) || outLength != 2) return -1;
    return out[0] | out[1] << 8;
}

int ourEncode(int codePage, uint16_t unit) {
    const HashConvert *table = CodePageTables::fromUnicode(codePage);
    unsigned char key[2] = {static_cast<unsigned char>(unit & 0xFF),
                            static_cast<unsigned char>(unit >> 8)};
    unsigned char out[4];
    int length = 0;
    if (!table || !table->lookup(key, 2, out, length)) return -1;
    if (length == 1) return out[0];
    return length == 2 ? out[0] << 8 | out[1] : -2;
}

int ourDecodeCode(int codePage, int code) {
    unsigned char bytes[2] = {static_cast<unsigned char>(code >> 8),
                              static_cast<unsigned char>(code & 0xFF)};
    return code > 0xFF ? ourDecode(codePage, bytes, 2) : ourDecode(codePage, bytes + 1, 1);
}

// ------------------------------------------------------------------ differences

std::string hex(int value, int digits) {
    static const char letters[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += letters[value >> shift & 15];
    return out;
}

std::string codeText(int code) {
    return code > 0xFF ? hex(code, 4) : hex(code, 2);
}

// A sorted list of values, runs of consecutive ones written as first-last.
std::string ranges(const std::vector<int> &values, std::string (*format)(int)) {
    std::string out;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j + 1 < values.size() && values[j + 1] == values[j] + 1)
            ++j;
        if (!out.empty()) out += ' ';
        out += format(values[i]);
        if (j > i) out += "-" + format(values[j]);
        i = j + 1;
    }
    return out;
}

std::string unitText(int u) {
    return hex(u, 4);
}

// A long list is pinned by its count, its ends and a hash of its text.
std::string condensed(const std::string &list, size_t items, const std::string &first,
                      const std::string &last) {
    if (list.size() <= 160) return list;
    uint32_t hash = 2166136261u;
    for (unsigned char c : list)
        hash = (hash ^ c) * 16777619u;
    return std::to_string(items) + " in " + first + ".." + last + " #" +
           hex(static_cast<int>(hash >> 16), 4) + hex(static_cast<int>(hash & 0xFFFF), 4);
}

std::string condensedCodes(const std::vector<int> &codes, std::string (*format)(int)) {
    if (codes.empty()) return "";
    return condensed(ranges(codes, format), codes.size(), format(codes.front()),
                     format(codes.back()));
}

std::string condensedPairs(const std::vector<std::string> &pairs) {
    std::string text;
    for (const std::string &s : pairs)
        text += (text.empty() ? "" : " ") + s;
    if (pairs.empty()) return text;
    return condensed(text, pairs.size(), pairs.front().substr(0, pairs.front().find('=')),
                     pairs.back().substr(0, pairs.back().find('=')));
}

struct Differences {
    std::vector<int> decodedOnlyByReference; // codes
    std::vector<int> decodedOnlyByUs;
    std::vector<std::string> decodedOtherwise; // code=ours/reference
    std::vector<int> encodedOnlyByReference;   // units
    std::vector<int> encodedOnlyByUs;          // round trips the reference lacks
    std::vector<std::string> encodedOtherwise;
    int bestFitsOnlyOurs = 0; // best fits the reference does not make

    std::string summary() const {
        std::string out;
        auto add = [&out](const char *label, const std::string &text) {
            if (text.empty()) return;
            if (!out.empty()) out += "; ";
            out += label;
            out += text;
        };
        add("decode ref only: ", condensedCodes(decodedOnlyByReference, codeText));
        add("decode ours only: ", condensedCodes(decodedOnlyByUs, codeText));
        add("decode differ: ", condensedPairs(decodedOtherwise));
        add("encode ref only: ", condensedCodes(encodedOnlyByReference, unitText));
        add("encode ours only: ", condensedCodes(encodedOnlyByUs, unitText));
        add("encode differ: ", condensedPairs(encodedOtherwise));
        return out;
    }
};

void compareCode(int codePage, Reference &reference, int code, Differences &d) {
    unsigned char bytes[2] = {static_cast<unsigned char>(code >> 8),
                              static_cast<unsigned char>(code & 0xFF)};
    int length = code > 0xFF ? 2 : 1;
    const unsigned char *start = length == 2 ? bytes : bytes + 1;
    int ours = ourDecode(codePage, start, length);
    int theirs = reference.decode(start, length);
    if (ours == theirs) return;
    if (ours < 0)
        d.decodedOnlyByReference.push_back(code);
    else if (theirs < 0)
        d.decodedOnlyByUs.push_back(code);
    else
        d.decodedOtherwise.push_back(codeText(code) + "=" + unitText(ours) + "/" +
                                     unitText(theirs));
}

Differences compare(int codePage, Reference &reference) {
    Differences d;
    for (int b = 1; b < 256; ++b)
        compareCode(codePage, reference, b, d);
    if (CodePageTables::isMultiByte(codePage))
        for (int code = 0x8000; code < 0x10000; ++code)
            compareCode(codePage, reference, code, d);
    for (int u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        int ours = ourEncode(codePage, static_cast<uint16_t>(u));
        int theirs = reference.encode(static_cast<uint16_t>(u));
        if (ours == theirs) continue;
        if (ours < 0)
            d.encodedOnlyByReference.push_back(u);
        else if (theirs >= 0)
            d.encodedOtherwise.push_back(unitText(u) + "=" + codeText(ours) + "/" +
                                         codeText(theirs));
        else if (ourDecodeCode(codePage, ours) != u)
            ++d.bestFitsOnlyOurs;
        else
            d.encodedOnlyByUs.push_back(u);
    }
    return d;
}

// ------------------------------------------------------------------ the pages

struct KnownDifferences {
    int codePage;
    const char *reference; // iconv name natively; unused in the Windows build
    int bestFits;          // best fits of ours that the reference does not make
    const char *summary;   // "" when the tables agree
    const char *reason;
};

#ifdef _WIN32
#include "CodePageReferenceWindows.inc"
#else
#include "CodePageReferenceIconv.inc"
#endif

class CodePageReference : public testing::TestWithParam<KnownDifferences> {};

TEST_P(CodePageReference, DiffersOnlyAsListed) {
    const KnownDifferences &page = GetParam();
#ifdef _WIN32
    WindowsReference reference;
#else
    IconvReference reference(page.reference);
#endif
    if (!reference.open(page.codePage))
        GTEST_SKIP() << "the reference has no code page " << page.codePage;
    Differences d = compare(page.codePage, reference);
    if (std::getenv("TX_PRINT_TABLE_DIFFERENCES"))
        std::cout << "{" << page.codePage << ", " << d.bestFitsOnlyOurs << ", \"" << d.summary()
                  << "\"}\n";
    EXPECT_EQ(std::string(page.summary), d.summary()) << page.codePage << ": " << page.reason;
    EXPECT_EQ(page.bestFits, d.bestFitsOnlyOurs) << page.codePage;
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageReference, testing::ValuesIn(kKnownDifferences),
                         [](const testing::TestParamInfo<KnownDifferences> &info) {
                             return "cp" + std::to_string(info.param.codePage);
                         });

} // namespace
