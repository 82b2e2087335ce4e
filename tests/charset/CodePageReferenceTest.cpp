// Every table checked against a converter that did not make it: Windows' own
// MultiByteToWideChar and WideCharToMultiByte in the Windows build (Wine's tables are
// Windows'), glibc's iconv(3) in the native build. Each difference is listed in the .inc
// files with its reason; a best fit that the reference lacks is counted, not listed.
#include "charset/CodePageTables.h"

#include "ConvertTestSupport.h"
#include "platform/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

struct KnownDifferences {
    int codePage;
    const char *reference; // iconv name natively; unused in the Windows build
    int bestFits;          // best fits of ours that the reference does not make
    const char *summary;   // "" when the tables agree
    const char *reason;
};

// -1 stands for no code, as it does for no Unicode value.
int codeOf(const std::string &bytes) {
    const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data());
    return bytes.size() == 1 ? b[0] : bytes.size() == 2 ? b[0] << 8 | b[1] : -1;
}

#ifdef _WIN32

class Reference {
public:
    explicit Reference(const KnownDifferences &page)
        : m_codePage(static_cast<UINT>(page.codePage)) {}
    bool open() { return IsValidCodePage(m_codePage) != 0; }
    int decode(int code) {
        std::string bytes = codeBytes(code);
        wchar_t out[4];
        int n = MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), out, 4);
        return n == 1 ? static_cast<uint16_t>(out[0]) : -1;
    }
    int encode(int unit) {
        wchar_t in = static_cast<wchar_t>(unit);
        char out[8];
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(m_codePage, 0, &in, 1, out, sizeof(out), nullptr, &usedDefault);
        return n < 1 || usedDefault ? -1 : codeOf(std::string(out, static_cast<size_t>(n)));
    }

private:
    UINT m_codePage;
};

#else

class Reference {
public:
    explicit Reference(const KnownDifferences &page) : m_name(page.reference) {}
    ~Reference() {
        if (m_decoder != kClosed) iconv_close(m_decoder);
        if (m_encoder != kClosed) iconv_close(m_encoder);
    }
    bool open() {
        m_decoder = iconv_open("UTF-16LE", m_name);
        m_encoder = iconv_open(m_name, "UTF-16LE");
        return m_decoder != kClosed && m_encoder != kClosed;
    }
    int decode(int code) {
        std::string out = run(m_decoder, codeBytes(code));
        return out.size() == 2 ? codeOf(std::string{out[1], out[0]}) : -1;
    }
    int encode(int unit) {
        return codeOf(run(m_encoder, {static_cast<char>(unit), static_cast<char>(unit >> 8)}));
    }

private:
    const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);

    // The output, or nothing when the input is not converted whole.
    static std::string run(iconv_t cd, std::string input) {
        char out[16];
        char *in = &input[0], *outPtr = out;
        size_t inLeft = input.size(), outLeft = sizeof(out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft ||
            iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
            return "";
        return std::string(out, sizeof(out) - outLeft);
    }

    const char *m_name;
    iconv_t m_decoder = kClosed;
    iconv_t m_encoder = kClosed;
};

#endif

// Ours through the flat views, which answer as the tables do.
int ourDecode(int codePage, int code) {
    const UnicodeLookup *single = CodePageTables::singleByteToUnicode(codePage);
    const FlatToUnicode *flat = CodePageTables::flatToUnicode(codePage);
    int u = single        ? (code <= 0xFF ? single->valueOf(static_cast<unsigned char>(code)) : 0)
            : code > 0xFF ? flat->hasPair[code] * flat->pair[code]
                          : flat->hasSingle[code] * flat->single[code];
    return u ? u : -1;
}

int ourEncode(int codePage, int unit) {
    const FlatFromUnicode *flat = CodePageTables::flatFromUnicode(codePage);
    return flat->length[unit] ? flat->code[unit] : -1;
}

// ------------------------------------------------------------------ differences

std::string hex(int value, int digits) {
    char text[9];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string codeText(int code) {
    return hex(code, code > 0xFF ? 4 : 2);
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

// Sorted values, runs of consecutive ones written as first-last.
std::string codesText(const std::vector<int> &values, std::string (*format)(int)) {
    if (values.empty()) return "";
    std::string out;
    for (size_t i = 0; i < values.size();) {
        size_t j = i;
        while (j + 1 < values.size() && values[j + 1] == values[j] + 1)
            ++j;
        out += (out.empty() ? "" : " ") + format(values[i]);
        if (j > i) out += "-" + format(values[j]);
        i = j + 1;
    }
    return condensed(out, values.size(), format(values.front()), format(values.back()));
}

std::string pairsText(const std::vector<std::string> &pairs) {
    if (pairs.empty()) return "";
    std::string text;
    for (const std::string &s : pairs)
        text += (text.empty() ? "" : " ") + s;
    return condensed(text, pairs.size(), pairs.front().substr(0, pairs.front().find('=')),
                     pairs.back().substr(0, pairs.back().find('=')));
}

// Index 0 holds the decoding differences (by code), 1 the encoding ones (by unit); a
// unit only we encode is listed when its code reads back as the unit, else counted as
// a best fit.
struct Differences {
    std::vector<int> onlyReference[2], onlyOurs[2];
    std::vector<std::string> differ[2]; // "value=ours/reference"
    int bestFitsOnlyOurs = 0;

    std::string summary() const {
        std::string out;
        auto add = [&out](const std::string &label, const std::string &text) {
            if (!text.empty()) out += (out.empty() ? "" : "; ") + label + text;
        };
        for (int way = 0; way < 2; ++way) {
            std::string name = way ? "encode" : "decode";
            add(name + " ref only: ", codesText(onlyReference[way], way ? unitText : codeText));
            add(name + " ours only: ", codesText(onlyOurs[way], way ? unitText : codeText));
            add(name + " differ: ", pairsText(differ[way]));
        }
        return out;
    }
};

Differences compare(int codePage, Reference &reference) {
    Differences d;
    for (int way = 0; way < 2; ++way) {
        auto key = way ? unitText : codeText, value = way ? codeText : unitText;
        for (int v = 1; v < 0x10000; ++v) {
            // Every byte and, on the multi-byte pages, every code with a lead byte;
            // every unit but the surrogates.
            if (way == 0 ? v > 0xFF && (v < 0x8000 || !CodePageTables::isMultiByte(codePage))
                         : v >= 0xD800 && v <= 0xDFFF)
                continue;
            int ours = way ? ourEncode(codePage, v) : ourDecode(codePage, v);
            int theirs = way ? reference.encode(v) : reference.decode(v);
            if (ours == theirs) continue;
            if (ours < 0)
                d.onlyReference[way].push_back(v);
            else if (theirs >= 0)
                d.differ[way].push_back(key(v) + "=" + value(ours) + "/" + value(theirs));
            else if (way == 1 && ourDecode(codePage, ours) != v)
                ++d.bestFitsOnlyOurs;
            else
                d.onlyOurs[way].push_back(v);
        }
    }
    return d;
}

#ifdef _WIN32
#include "CodePageReferenceWindows.inc"
#else
#include "CodePageReferenceIconv.inc"
#endif

class CodePageReference : public testing::TestWithParam<KnownDifferences> {};

TEST_P(CodePageReference, DiffersOnlyAsListed) {
    const KnownDifferences &page = GetParam();
    Reference reference(page);
    if (!reference.open()) GTEST_SKIP() << "the reference has no code page " << page.codePage;
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
