#include "charset/CharsetNames.h"

#include "ConvertTestSupport.h"
#include "charset/TxCharset.h"
#include "core/StringBuffer.h"
#include "platform/Win32.h"

#include <cctype>

namespace {

// The names a script is most likely to pass, with their pages; the rest of the table is
// held to the lookup below rather than copied here.
// clang-format off
const std::pair<const char *, int> kCommonNames[] = {
    {"utf-8", 65001}, {"utf8", 65001}, {"utf-16", 1200}, {"unicode", 1200}, {"utf-16be", 1201},
    {"utf-32", 65005}, {"utf-32be", 65006}, {"utf-7", 65000}, {"windows-1252", 1252},
    {"iso-8859-1", 28591}, {"latin1", 28591}, {"iso-8859-15", 28605}, {"us-ascii", 20127},
    {"shift_jis", 932}, {"sjis", 932}, {"euc-jp", 51932}, {"iso-2022-jp", 50220}, {"gb2312", 936},
    {"gbk", 936}, {"gb18030", 936}, {"big5", 950}, {"ks_c_5601-1987", 949}, {"euc-kr", 51949},
    {"iso-2022-kr", 50225}, {"koi8-r", 20866}, {"ibm037", 37}, {"ebcdic", 37}, {"macintosh", 10000},
    {"iso-8859-8-i", 38598}, {"x-user-defined", 50000}};
// clang-format on

// Each name of the table, which is sorted for listing, looks up to its page in capitals,
// with underscores and with blanks around it; its near misses do not, unless they are
// names themselves ("koi8" is a prefix of "koi8-r").
TEST(CharsetNames, EveryNameLooksUpInAnySpelling) {
    int count = -1;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    ASSERT_TRUE(table && count > 0) << count;
    std::map<std::string, int> names;
    for (int i = 0; i < count; ++i)
        names.emplace(table[i].name, table[i].codePage);
    for (const auto &[name, codePage] : kCommonNames)
        EXPECT_EQ(codePage, charsetNameToCodePage(name)) << name;
    for (int i = 0; i < count; ++i) {
        std::string name = table[i].name, upper = name, both = name;
        EXPECT_TRUE(i == 0 || table[i - 1].name < name) << "unsorted at " << name;
        std::transform(name.begin(), name.end(), upper.begin(), toupper);
        std::replace(both.begin(), both.end(), '-', '_');
        for (const std::string &spelling : {name, upper, both, " \t\r\n" + both + "\n\r\t "}) {
            EXPECT_EQ(table[i].codePage, charsetNameToCodePage(spelling.c_str())) << spelling;
            EXPECT_TRUE(isKnownCharsetName(spelling.c_str())) << spelling;
        }
        for (const std::string &nearMiss : {name + "x", name.substr(0, name.size() - 1),
                                            name.substr(0, 1) + " " + name.substr(1), "-" + name})
            EXPECT_TRUE(names.count(nearMiss) || !charsetNameToCodePage(nearMiss.c_str()))
                << "\"" << nearMiss << "\"";
    }
}

// A canonical name selects its own page, but for four that name another page's table.
TEST(CharsetNames, CanonicalNamesSelectTheirPages) {
    const std::map<int, int> selectsOther = {
        {20932, 51932}, {50221, 50220}, {50222, 50220}, {54936, 936}};
    for (int codePage = -70000; codePage <= 70000; ++codePage) {
        StringBuffer out("leftover");
        bool got = codePageToCharsetName(codePage, out);
        std::string name(out.getString(), out.getSize());
        ASSERT_EQ(got, !name.empty()) << "code page " << codePage;
        auto other = selectsOther.find(codePage);
        EXPECT_TRUE(!got || charsetNameToCodePage(name.c_str()) ==
                                (other != selectsOther.end() ? other->second : codePage))
            << name;
    }
    // clang-format off
    const std::pair<int, const char *> named[] = {
        {932, "shift_jis"}, {949, "ks_c_5601-1987"}, {1200, "unicode"}, {1201, "unicodefffe"},
        {866, "cp866"}, {20127, "us-ascii"}, {50221, "csiso2022jp"}, {65001, "utf-8"},
        {0, ""}, {709, ""}, {21027, ""}, {50000, ""}, {50930, ""}, {12000, ""}};
    // clang-format on
    for (const auto &[codePage, name] : named) {
        StringBuffer out;
        codePageToCharsetName(codePage, out);
        EXPECT_STREQ(name, out.getString()) << codePage;
    }
}

TEST(CharsetNames, NormalisationTrimsFourBlanksLowerCasesAndTurnsUnderscores) {
    // clang-format off
    const std::pair<const char *, std::string> cases[] = {
        {" \t\n\rUTF_8\r\n\t ", "utf-8"}, {"  ISO_8859_8 Visual ", "iso-8859-8 visual"},
        {"\vutf-8", "\vutf-8"}, {" \t\r\n ", ""}, {nullptr, ""}, {"ABC_XYZ", "abc-xyz"},
        {"\xC0\xC9\xD7\xDF", "\xE0\xE9\xF7\xFF"}, {"\xBF\xE0\xFF\x80@[", "\xBF\xE0\xFF\x80@["}};
    // clang-format on
    for (const auto &c : cases) {
        StringBuffer out("leftover");
        EXPECT_TRUE(normalizeCharsetName(c.first, out));
        EXPECT_EQ(c.second, std::string(out.getString(), out.getSize()))
            << (c.first ? c.first : "(null)");
    }
}

TEST(CharsetNames, UnknownNamesAndAnsi) {
    const std::string huge(100000, 'a');
    // clang-format off
    const char *unknown[] = {
        nullptr, "", " ", " \t\r\n", "utf-8\xC9", "\xC1NSI", "latin\xB9", "oem", "Default", "l6",
        "iso-8859-8  visual", "iso-8859-8\tvisual", "iso-8859-8visual", "utf -8", "utf-32le",
        "ebcdic-latin9-euro", "utf32", "ansi-", "an si", "\vutf-8", huge.c_str()};
    // clang-format on
    for (const char *name : unknown) {
        EXPECT_TRUE(!charsetNameToCodePage(name) && !isKnownCharsetName(name))
            << "\"" << (name ? std::string(name).substr(0, 30) : "(null)") << "\"";
    }
    // Blanks do not count towards the length of the longest name.
    EXPECT_EQ(50931, charsetNameToCodePage("   x-ebcdic-japaneseanduscanada   "));
    int acp = static_cast<int>(GetACP());
    ASSERT_NE(0, acp);
    for (const char *spelling : {"ansi", "ANSI", " AnSi\t"}) {
        EXPECT_EQ(acp, charsetNameToCodePage(spelling)) << spelling;
        EXPECT_TRUE(isKnownCharsetName(spelling)) << spelling;
    }
}

// ------------------------------------------------------------------------------------
// _txCharset: a selection by name or code page, holding the canonical name

// The selection, and a name block shrunk after the change (at most 4 bytes of slack).
void expectSelected(const _txCharset &charset, int codePage, const std::string &name,
                    const std::string &context) {
    const StringBuffer &held = charset.getName();
    EXPECT_EQ(codePage, charset.getCodePage()) << context;
    EXPECT_EQ(name, std::string(held.getString(), held.getSize())) << context;
    EXPECT_LE(held.getCapacity(), held.getSize() + 4) << context << ": capacity not shrunk";
}

// Each starts from the longest canonical name, so that every change must shrink it.
TEST(TxCharset, SetByName) {
    // clang-format off
    const struct {
        const char *name;
        bool ok;
        int codePage;
        const char *canonical;
    } cases[] = {
        {" Latin_1 ", true, 28591, "iso-8859-1"}, {"Shift_JIS", true, 932, "shift_jis"},
        {"gb18030", true, 936, "gb2312"}, // the name's page, not the page of the name
        {"iso-2022-jp", true, 50220, "iso-2022-jp"}, {"koi", true, 20866, "koi8-r"},
        {"no-such-charset", false, 0, ""}, {" oem ", false, 0, ""}, {"Default", false, 0, ""},
        {" default", false, 0, ""},
        {"default", true, 0, ""}, {"x-user-defined", true, 0, ""}, // only these exact words
        // Other spellings of x-user-defined go to the table, like the names of pages
        // without a canonical name.
        {"X-User-Defined", true, 50000, ""}, {" x-user-defined", true, 50000, ""},
        {"asmo-449", true, 709, ""}, {"x-cp21027", true, 21027, ""}, {"cp930", true, 50930, ""},
        {"x-ebcdic-japaneseanduscanada", true, 50931, ""}, {"euc-tw", true, 51950, ""}};
    // clang-format on
    for (const auto &c : cases) {
        _txCharset charset;
        ASSERT_TRUE(charset.setByName("x-ebcdic-koreanextended"));
        expectSelected(charset, 20833, "x-ebcdic-koreanextended", "start");
        EXPECT_EQ(c.ok, charset.setByName(c.name)) << "\"" << c.name << "\"";
        expectSelected(charset, c.codePage, c.canonical, "\"" + std::string(c.name) + "\"");
    }
}

// Null changes nothing; "ansi" and "oem" in any case select the machine's pages; a code
// page is taken only with a canonical name.
TEST(TxCharset, NullAnsiOemClearAndByCodePage) {
    _txCharset charset;
    expectSelected(charset, 0, "", "new");
    ASSERT_TRUE(charset.setByName("utf8"));
    EXPECT_FALSE(charset.setByName(nullptr));
    expectSelected(charset, 65001, "utf-8", "after null");
    charset.clearCharset();
    expectSelected(charset, 0, "", "cleared");
    for (const char *spelling : {"ansi", "ANSI", "Ansi", "oem", "OEM", "Oem"}) {
        int machine = static_cast<int>(tolower(spelling[0]) == 'a' ? GetACP() : GetOEMCP());
        StringBuffer expected;
        bool named = codePageToCharsetName(machine, expected);
        EXPECT_TRUE(charset.setByName(spelling)) << spelling;
        expectSelected(charset, named ? machine : 0, expected.getString(),
                       spelling + (" with machine page " + std::to_string(machine)));
    }
    // clang-format off
    const std::pair<int, const char *> cases[] = {
        {54936, "gb18030"}, {65005, "utf-32"}, {0, ""}, {12000, ""}, {709, ""}, {50000, ""}};
    // clang-format on
    for (const auto &c : cases) {
        charset.setByCodePage(1252);
        charset.setByCodePage(c.first);
        expectSelected(charset, *c.second ? c.first : 0, c.second, std::to_string(c.first));
    }
}

} // namespace
