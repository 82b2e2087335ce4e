// Every code of every table checked against Windows' own tables, which are Wine's: read
// from Wine's code page files in the native build, asked of MultiByteToWideChar and
// WideCharToMultiByte in the Windows build. Both read the same tables, so one list of
// differences, each with its reason, serves both. Pages Wine has no table for are
// skipped; tools/test_gen_codepage_tables.py checks them against ICU.
#include "charset/CodePageTables.h"

#include "ConvertTestSupport.h"
#include "platform/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

struct KnownDifferences {
    int codePage;
    int reference; // the Windows page compared with
    const char *summary;
    const char *reason;
};

const char kFillIns[] = "Windows fills unassigned codes with C1 controls, the ASCII character "
                        "of the low 7 bits or private use; the tables leave them unassigned";

// Pages not listed are their own reference and agree with it in full.
const KnownDifferences kKnownDifferences[] = {
    {708, 708, "decode ref only: 9A-9F; encode ref only: 009A-009F", kFillIns},
    {857, 857, "decode ref only: D5 E7 F2; encode ref only: F8BB-F8BD", kFillIns},
    {864, 864, "decode ref only: 9B-9C 9F A6-A7 FF; encode ref only: 009B-009C 009F F8BE-F8C0",
     kFillIns},
    {869, 869, "decode ref only: 80-85 87 93-94; encode ref only: 0080-0085 0087 0093-0094",
     kFillIns},
    {874, 874,
     "decode ref only: 81-84 86-90 98-9F DB-DE FC-FF; encode ref only: 0081-0084 0086-0090 "
     "0098-009F 2584 F8C1-F8C8",
     "Windows fills unassigned codes with C1 controls or private use, the tables leave them "
     "unassigned; U+2584 is written by best fit as one of them"},
    {1250, 1250, "decode ref only: 81 83 88 90 98; encode ref only: 0081 0083 0088 0090 0098",
     kFillIns},
    {1251, 1251, "decode ref only: 98; encode ref only: 0098", kFillIns},
    {1252, 1252, "decode ref only: 81 8D 8F-90 9D; encode ref only: 0081 008D 008F-0090 009D",
     kFillIns},
    {1253, 1253,
     "decode ref only: 81 88 8A 8C-90 98 9A 9C-9F AA D2 FF; encode ref only: 0081 0088 008A "
     "008C-0090 0098 009A 009C-009F F8F9-F8FB",
     kFillIns},
    {1254, 1254, "decode ref only: 81 8D-90 9D-9E; encode ref only: 0081 008D-0090 009D-009E",
     kFillIns},
    {1255, 1255,
     "decode ref only: 81 8A 8C-90 9A 9C-9F D9-DF FB-FC FF; encode ref only: 0081 008A "
     "008C-0090 009A 009C-009F F88D-F896",
     kFillIns},
    {1257, 1257,
     "decode ref only: 81 83 88 8A 8C 90 98 9A 9C 9F A1 A5; encode ref only: 0081 0083 0088 "
     "008A 008C 0090 0098 009A 009C 009F F8FC-F8FD",
     kFillIns},
    {1258, 1258,
     "decode ref only: 81 8A 8D-90 9A 9D-9E; encode ref only: 0081 008A 008D-0090 009A 009D-009E",
     kFillIns},
    {20127, 20127, "decode ref only: 81-BE C0-FF", kFillIns},
    {28593, 28593, "decode ref only: A5 AE BE C3 D0 E3 F0; encode ref only: F7F5-F7FB", kFillIns},
    {28596, 28596,
     "decode ref only: A1-A3 A5-AB AE-BA BC-BE C0 DB-DF F3-FF; encode ref only: F7C8-F7F4",
     kFillIns},
    {28597, 28597, "decode ref only: AE D2 FF; encode ref only: F7C5-F7C7", kFillIns},
    {28598, 28598, "decode ref only: A1 BF-DE FB-FC FF; encode ref only: F79C-F7BE F7C1", kFillIns},
    {38598, 28598, "decode ref only: A1 BF-DE FB-FC FF; encode ref only: F79C-F7BE F7C1",
     "the table of 28598, as ISO-8859-8-I differs in text direction only; Windows fills "
     "unassigned codes with private use"},
    {936, 936, "decode ref only: FF; encode ref only: F8F5", kFillIns},
    {949, 949, "decode ref only: 80 FF; encode ref only: 0080 F8F7", kFillIns},
    {950, 950, "decode ref only: 80 FF; encode ref only: 0080 F8F8", kFillIns},
    {1361, 1361, "decode ref only: 80-83 D4-D7 DF FA-FF; encode ref only: 0080-0083 F8EC-F8F6",
     kFillIns},
    {10001, 10001,
     "decode ref only: 80 FF 86D3-86D6 8740-874A 874C 874E-874F 8751-875D 875F-8775 877E "
     "8782-878F 8791-8792 8798-879E EEEF-EEF8 FA40-FA53 FA58-FA5B; encode ref only: 0080 "
     "00A2-00A3 00A5 00AB-00AC 00AF 00B5 00B7-00B8 00BB 00FE-00FF",
     "x-mac-japanese decodes by the inverse of its table from Unicode, where a diffs record "
     "gives a character one code: codes that Windows decodes but writes as others are lost "
     "unless the Shift_JIS table has them, and so are best fits that would decode their code "
     "as themselves; 0x80 is a C1 fill-in"},
    {51932, 20932,
     "decode ref only: 7606 in 80..FEFE #47E27497; decode ours only: ADA1-ADBE ADC0-ADD6 "
     "ADDF-ADFC; decode differ: 380 in A1C1..FCFE #9B57C758; encode ref only: 7600 in "
     "00A4..E757 #0B38DEDC; encode ours only: 184 in 00A5..FFE4 #76635603; encode differ: 349 "
     "in 00A1..9E19 #3EF370E7",
     "Windows' 20932 is plain EUC-JP: C1 controls, JIS X 0212 as a lead byte and a 7-bit "
     "trail, JIS's 0xA1C1 and the like, private use where 51932, which is 932 moved, has the "
     "NEC-selected IBM rows 0xF9-0xFC, and no NEC row 13 (0xAD)"},
    {51936, 936, "decode ref only: FF; encode ref only: F8F5", kFillIns},
    {51949, 20949,
     "decode ref only: 80-A0 AD-AF FE-FF; decode ours only: C9A1-C9FE FEA1-FEFE; encode ref "
     "only: 0080-009F F8E6-F8EB; encode ours only: 323 in 1100..E0BB #558FB130",
     "51949 is 949 within KS X 1001: its user-defined rows 0xC9 and 0xFE decode to private "
     "use and it keeps 949's best fits; Windows' 20949 fills unassigned single bytes with C1 "
     "controls and private use"},
};

#ifdef _WIN32

// -1 stands for no code, as it does for no Unicode value.
int codeOf(const std::string &bytes) {
    const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data());
    return bytes.size() == 1 ? b[0] : bytes.size() == 2 ? b[0] << 8 | b[1] : -1;
}

class Reference {
public:
    explicit Reference(int codePage) : m_codePage(static_cast<UINT>(codePage)) {}
    bool open() {
        CPINFOEXW info;
        if (!GetCPInfoExW(m_codePage, 0, &info)) return false;
        m_unmapped = info.UnicodeDefaultChar;
        m_unmappedCode = encode(m_unmapped);
        return true;
    }
    // Without MB_ERR_INVALID_CHARS, which also refuses private use: an unassigned code
    // gives the default character, unless that is its own character.
    int decode(int code) {
        std::string bytes = codeBytes(code);
        wchar_t out[4];
        int n = MultiByteToWideChar(m_codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    out, 4);
        int u = n == 1 ? static_cast<uint16_t>(out[0]) : 0;
        return u == 0 || (u == m_unmapped && code != m_unmappedCode) ? -1 : u;
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
    int m_unmapped = 0, m_unmappedCode = -1;
};

#else

// A file of 16-bit words: a header (its length in words, the code page, the longest code,
// the default code and character), the word offset of the table from Unicode, 256 words
// of single-byte characters, an optional 256-word glyph table, then the lead-byte tables:
// a flag and 256 offsets, each non-zero one to the 256 characters of a lead byte. The
// table from Unicode has a byte per character on single-byte pages, a word on others.
class Reference {
public:
    explicit Reference(int codePage) : m_codePage(codePage) {}
    bool open() {
        char path[64];
        std::snprintf(path, sizeof path, "/usr/share/wine/nls/c_%03d.nls", m_codePage);
        std::ifstream file(path, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (size_t i = 0; i + 1 < data.size(); i += 2)
            m_words.push_back(static_cast<uint16_t>(static_cast<unsigned char>(data[i]) |
                                                    static_cast<unsigned char>(data[i + 1]) << 8));
        if (m_words.size() < 16) return false;
        size_t pos = m_words[0];
        m_wide = pos + m_words[pos] + 1;
        m_single = pos + 1;
        pos = m_single + 256;
        pos += m_words[pos] ? 257 : 1;
        m_leads = m_words[pos] ? pos + 1 : 0;
        if (m_wide + (m_words[2] == 1 ? 0x8000 : 0x10000) > m_words.size()) return false;
        m_unmappedCode = encodeRaw(m_words[4]);
        return true;
    }
    int decode(int code) {
        int lead = code > 0xFF ? code >> 8 : code;
        size_t offset = m_leads ? m_words[m_leads + lead] : 0;
        if ((code > 0xFF) != (offset != 0)) return -1;
        int u = offset ? m_words[m_leads + offset + (code & 0xFF)] : m_words[m_single + code];
        return u == 0 || (u == m_words[4] && code != m_unmappedCode) ? -1 : u;
    }
    int encode(int unit) {
        int code = encodeRaw(unit);
        return code == 0 || (code == m_words[3] && unit != decode(code)) ? -1 : code;
    }

private:
    int encodeRaw(int unit) const {
        if (m_words[2] != 1) return m_words[m_wide + unit];
        uint16_t pair = m_words[m_wide + unit / 2];
        return unit % 2 ? pair >> 8 : pair & 0xFF;
    }

    int m_codePage;
    std::vector<uint16_t> m_words;
    size_t m_wide = 0, m_single = 0, m_leads = 0;
    int m_unmappedCode = -1;
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

// Every byte and, on the multi-byte pages, every code with a lead byte decoded; every
// unit but the surrogates encoded. Index 0 holds the decoding differences (by code), 1
// the encoding ones (by unit).
std::string differences(int codePage, Reference &reference) {
    std::vector<int> onlyReference[2], onlyOurs[2];
    std::vector<std::string> differ[2]; // "value=ours/reference"
    for (int way = 0; way < 2; ++way) {
        auto key = way ? unitText : codeText, value = way ? codeText : unitText;
        for (int v = 1; v < 0x10000; ++v) {
            if (way == 0 ? v > 0xFF && (v < 0x8000 || !CodePageTables::isMultiByte(codePage))
                         : v >= 0xD800 && v <= 0xDFFF)
                continue;
            int ours = way ? ourEncode(codePage, v) : ourDecode(codePage, v);
            int theirs = way ? reference.encode(v) : reference.decode(v);
            if (ours == theirs) continue;
            if (ours < 0)
                onlyReference[way].push_back(v);
            else if (theirs < 0)
                onlyOurs[way].push_back(v);
            else
                differ[way].push_back(key(v) + "=" + value(ours) + "/" + value(theirs));
        }
    }
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

class CodePageReference : public testing::TestWithParam<int> {};

TEST_P(CodePageReference, DiffersOnlyAsListed) {
    KnownDifferences page = {GetParam(), GetParam(), "", ""};
    for (const KnownDifferences &known : kKnownDifferences)
        if (known.codePage == page.codePage) page = known;
    Reference reference(page.reference);
    if (!reference.open()) GTEST_SKIP() << "Wine has no code page " << page.reference;
    std::string found = differences(page.codePage, reference);
    if (std::getenv("TX_PRINT_TABLE_DIFFERENCES"))
        std::cout << "{" << page.codePage << ", " << page.reference << ", \"" << found << "\"}\n";
    EXPECT_EQ(page.summary, found) << page.codePage << ": " << page.reason;
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageReference, testing::ValuesIn(allTablePages()),
                         [](const testing::TestParamInfo<int> &info) {
                             return "cp" + std::to_string(info.param);
                         });

} // namespace
