#include "charset/CharsetNames.h"

#include "ConvertTestSupport.h"
#include "charset/TxCharset.h"
#include "core/StringBuffer.h"
#include "platform/Win32.h"

#include <cctype>

namespace {

// Every accepted name, written out independently of the library and grouped by the code
// page it selects. A leading '*' marks the page's canonical name as it is written out;
// its normalised form is one of the names.
// clang-format off
const std::pair<int, const char *> kNamesByCodePage[] = {
    {37, "*ibm037|cp037|csibm037|ebcdic|ebcdic-cp-ca|ebcdic-cp-nl|ebcdic-cp-us|ebcdic-cp-wt"},
    {437, "*ibm437|cp437|cspc8codepage437"},
    {500, "*ibm500|cp500|csibm500|ebcdic-cp-be|ebcdic-cp-ch"}, {708, "*asmo-708"},
    {709, "asmo-449|asmo-449+"}, {720, "*dos-720"}, {737, "*ibm737"}, {775, "*ibm775"},
    {850, "*ibm850|cp850"}, {852, "*ibm852|cp852"}, {855, "*ibm855|cp855"}, {857, "*ibm857|cp857"},
    {858, "*ibm00858|ccsid00858|cp00858|cp858"}, {860, "*ibm860|cp860"}, {861, "*ibm861|cp861"},
    {862, "*dos-862|cp862|ibm862"}, {863, "*ibm863|cp863"}, {864, "*ibm864|cp864"},
    {865, "*ibm865|cp865"}, {866, "*cp866|ibm866"}, {869, "*ibm869|cp869"},
    {870, "*ibm870|cp870|csibm870|ebcdic-cp-roece|ebcdic-cp-yu"},
    {874, "*windows-874|dos-874|iso-8859-11|tis-620"}, {875, "*cp875"},
    {932, "*shift_jis|csshiftjis|cswindows31j|ms-kanji|sjis|x-ms-cp932|x-sjis"},
    {936, "*gb2312|chinese|cn-gb|csgb2312|csgb231280|csiso58gb231280|gb-2312-80|gb18030|"
     "gb18030-2000|gb2312-80|gbk|iso-ir-58"},
    {949, "*ks_c_5601-1987|csksc56011987|iso-ir-149|korean|ks-c-5601|ks-c-5601-1989|ks-c5601|"
     "ksc-5601|ksc5601"},
    {950, "*big5|big5-hkscs|cn-big5|csbig5|x-x-big5"}, {1026, "*ibm1026|cp1026|csibm1026"},
    {1047, "*ibm01047"}, {1140, "*ibm01140|ccsid01140|cp01140|ebcdic-us-37+euro"},
    {1141, "*ibm01141|ccsid01141|cp01141|ebcdic-de-273+euro"},
    {1142, "*ibm01142|ccsid01142|cp01142|ebcdic-dk-277+euro|ebcdic-no-277+euro"},
    {1143, "*ibm01143|ccsid01143|cp01143|ebcdic-fi-278+euro|ebcdic-se-278+euro"},
    {1144, "*ibm01144|ccsid01144|cp01144|ebcdic-it-280+euro"},
    {1145, "*ibm01145|ccsid01145|cp01145|ebcdic-es-284+euro"},
    {1146, "*ibm01146|ccsid01146|cp01146|ebcdic-gb-285+euro"},
    {1147, "*ibm01147|ccsid01147|cp01147|ebcdic-fr-297+euro"},
    {1148, "*ibm01148|ccsid01148|cp01148"},
    {1149, "*ibm01149|ccsid01149|cp01149|ebcdic-is-871+euro"},
    {1200, "*unicode|iso-10646-ucs-2|ucs-2|ucs2|utf-16|utf-16le|utf16|utf16le"},
    {1201, "*unicodefffe|utf-16be|utf16be"}, {1250, "*windows-1250|x-cp1250"},
    {1251, "*windows-1251|x-cp1251"}, {1252, "*windows-1252|x-ansi"}, {1253, "*windows-1253"},
    {1254, "*windows-1254"}, {1255, "*windows-1255"}, {1256, "*windows-1256|cp1256"},
    {1257, "*windows-1257"}, {1258, "*windows-1258"}, {1361, "*johab"},
    {10000, "*macintosh|macroman"}, {10001, "*x-mac-japanese|macjapanese"},
    {10002, "*x-mac-chinesetrad|macchinesetrad"}, {10003, "*x-mac-korean|mackorean"},
    {10004, "*x-mac-arabic|macarabic"}, {10005, "*x-mac-hebrew|machebrew"},
    {10006, "*x-mac-greek|macgreek"}, {10007, "*x-mac-cyrillic|maccyrillic"},
    {10008, "*x-mac-chinesesimp|macchinesesimp"}, {10010, "*x-mac-romanian"},
    {10017, "*x-mac-ukrainian"}, {10021, "*x-mac-thai"}, {10029, "*x-mac-ce|maccentraleurope"},
    {10079, "*x-mac-icelandic|macicelandic"}, {10081, "*x-mac-turkish|macturkish"},
    {10082, "*x-mac-croatian"}, {20000, "*x-chinese-cns"}, {20001, "*x-cp20001"},
    {20002, "*x-chinese-eten"}, {20003, "*x-cp20003"}, {20004, "*x-cp20004"}, {20005, "*x-cp20005"},
    {20105, "*x-ia5|irv"}, {20106, "*x-ia5-german|din-66003|german"},
    {20107, "*x-ia5-swedish|sen-850200-b|swedish"}, {20108, "*x-ia5-norwegian|norwegian|ns-4551-1"},
    {20127, "*us-ascii|ansi-x3.4-1968|ansi-x3.4-1986|ascii|cp367|csascii|ibm367|iso-646.irv:1991|"
     "iso-ir-6|iso646-us|us"},
    {20261, "*x-cp20261"}, {20269, "*x-cp20269"}, {20273, "*ibm273|cp273|csibm273"},
    {20277, "*ibm277|csibm277|ebcdic-cp-dk|ebcdic-cp-no"},
    {20278, "*ibm278|cp278|csibm278|ebcdic-cp-fi|ebcdic-cp-se"},
    {20280, "*ibm280|cp280|csibm280|ebcdic-cp-it"}, {20284, "*ibm284|cp284|csibm284|ebcdic-cp-es"},
    {20285, "*ibm285|cp285|csibm285|ebcdic-cp-gb"},
    {20290, "*ibm290|cp290|csibm290|ebcdic-jp-kana"},
    {20297, "*ibm297|cp297|csibm297|ebcdic-cp-fr"}, {20420, "*ibm420|cp420|csibm420|ebcdic-cp-ar1"},
    {20423, "*ibm423|cp423|csibm423|ebcdic-cp-gr"}, {20424, "*ibm424|cp424|csibm424|ebcdic-cp-he"},
    {20833, "*x-ebcdic-koreanextended"}, {20838, "*ibm-thai|csibmthai"},
    {20866, "*koi8-r|cskoi8r|koi|koi8|koi8r"}, {20871, "*ibm871|cp871|csibm871|ebcdic-cp-is"},
    {20880, "*ibm880|cp880|csibm880|ebcdic-cyrillic"},
    {20905, "*ibm905|cp905|csibm905|ebcdic-cp-tr"},
    {20924, "*ibm00924|ccsid00924|cp00924|ebcdic-latin9--euro"}, {20936, "*x-cp20936"},
    {20949, "*x-cp20949"}, {21025, "*cp1025"}, {21027, "x-cp21027"}, {21866, "*koi8-u|koi8-ru"},
    {28591, "*iso-8859-1|cp819|csisolatin1|ibm819|iso-8859-1:1987|iso-ir-100|l1|latin-1|latin1"},
    {28592, "*iso-8859-2|csisolatin2|iso-8859-2:1987|iso-ir-101|l2|latin-2|latin2"},
    {28593, "*iso-8859-3|csisolatin3|iso-8859-3:1988|iso-ir-109|l3|latin-3|latin3"},
    {28594, "*iso-8859-4|csisolatin4|iso-8859-4:1988|iso-ir-110|l4|latin-4|latin4"},
    {28595, "*iso-8859-5|csisolatincyrillic|cyrillic|iso-8859-5:1988|iso-ir-144"},
    {28596, "*iso-8859-6|arabic|csisolatinarabic|ecma-114|iso-8859-6:1987|iso-ir-127"},
    {28597, "*iso-8859-7|csisolatingreek|ecma-118|elot-928|greek|greek8|iso-8859-7:1987|"
     "iso-ir-126"},
    {28598, "*iso-8859-8|csisolatinhebrew|hebrew|iso-8859-8 visual|iso-8859-8:1988|iso-ir-138|"
     "logical|visual"},
    {28599, "*iso-8859-9|csisolatin5|iso-8859-9:1989|iso-ir-148|l5|latin-5|latin5"},
    {28603, "*iso-8859-13"}, {28605, "*iso-8859-15|csisolatin9|l9|latin-9|latin9"},
    {29001, "*x-europa"}, {38598, "*iso-8859-8-i"}, {50000, "x-user-defined"},
    {50220, "*iso-2022-jp|csiso2022jp"}, {50221, "iso-2022-jp-1"}, {50222, "iso-2022-jp-2"},
    {50225, "*iso-2022-kr|csiso2022kr|iso-2022-kr-7|iso-2022-kr-7bit"},
    {50227, "*x-cp50227|cp50227"}, {50930, "cp930"}, {50931, "x-ebcdic-japaneseanduscanada"},
    {50933, "cp933"}, {50935, "cp935"}, {50937, "cp937"}, {50939, "cp939"},
    {51932, "*euc-jp|cseucpkdfmtjapanese|iso-2022-jpeuc|x-euc|x-euc-jp"},
    {51936, "*euc-cn|x-euc-cn"}, {51949, "*euc-kr|cseuckr|iso-2022-kr-8|iso-2022-kr-8bit"},
    {51950, "euc-tw"}, {52936, "*hz-gb-2312"}, {57002, "*x-iscii-de"}, {57003, "*x-iscii-be"},
    {57004, "*x-iscii-ta"}, {57005, "*x-iscii-te"}, {57006, "*x-iscii-as"}, {57007, "*x-iscii-or"},
    {57008, "*x-iscii-ka"}, {57009, "*x-iscii-ma"}, {57010, "*x-iscii-gu"}, {57011, "*x-iscii-pa"},
    {65000, "*utf-7|csunicode11utf7|unicode-1-1-utf-7|unicode-2-0-utf-7|x-unicode-1-1-utf-7|"
     "x-unicode-2-0-utf-7"},
    {65001, "*utf-8|unicode-1-1-utf-8|unicode-2-0-utf-8|utf8|x-unicode-1-1-utf-8|"
     "x-unicode-2-0-utf-8"},
    {65005, "*utf-32"}, {65006, "*utf-32be"},
};
// clang-format on

// Canonical names that, as names, select another code page.
const std::pair<int, const char *> kCanonicalOfOtherPages[] = {
    {20932, "euc-jp"}, {50221, "csiso2022jp"}, {50222, "iso-2022-jp"}, {54936, "gb18030"}};

std::string dashed(std::string name) {
    std::replace(name.begin(), name.end(), '_', '-');
    return name;
}

struct Expected {
    std::map<std::string, int> names;
    std::map<int, std::string> canonical;
    Expected() {
        for (const auto &group : kNamesByCodePage) {
            std::string list = std::string(group.second) + "|";
            for (size_t start = 0, end; (end = list.find('|', start)) != std::string::npos;
                 start = end + 1) {
                std::string name = list.substr(start, end - start);
                if (name[0] == '*') canonical[group.first] = name = name.substr(1);
                EXPECT_TRUE(names.emplace(dashed(name), group.first).second) << name;
            }
        }
        canonical.insert(std::begin(kCanonicalOfOtherPages), std::end(kCanonicalOfOtherPages));
    }
};

// The table, in byte order, holds exactly the expected names; each looks up in capitals,
// with underscores and with blanks around it, and its near misses do not.
TEST(CharsetNames, TableHoldsExactlyTheExpectedNamesInAnySpelling) {
    Expected expected;
    int count = -1;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    ASSERT_EQ(422u, expected.names.size());
    ASSERT_TRUE(table && count == 422) << count;
    for (int i = 0; i < count; ++i) {
        std::string name = table[i].name, upper = name, both = name;
        ASSERT_EQ(1u, expected.names.count(name)) << "unexpected name \"" << name << "\"";
        EXPECT_EQ(expected.names[name], table[i].codePage) << name;
        EXPECT_TRUE(i == 0 || table[i - 1].name < name) << "unsorted at " << name;
        std::transform(name.begin(), name.end(), upper.begin(), toupper);
        std::replace(both.begin(), both.end(), '-', '_');
        for (const std::string &spelling : {name, upper, both, " \t\r\n" + both + "\n\r\t "}) {
            EXPECT_EQ(table[i].codePage, charsetNameToCodePage(spelling.c_str())) << spelling;
            EXPECT_TRUE(isKnownCharsetName(spelling.c_str())) << spelling;
        }
        // Some names are prefixes of others ("koi8" of "koi8-r").
        for (const std::string &nearMiss : {name + "x", name.substr(0, name.size() - 1),
                                            name.substr(0, 1) + " " + name.substr(1), "-" + name})
            EXPECT_TRUE(expected.names.count(nearMiss) || !charsetNameToCodePage(nearMiss.c_str()))
                << "\"" << nearMiss << "\"";
    }
}

TEST(CharsetNames, OnlyTheListedCodePagesHaveACanonicalName) {
    Expected expected;
    ASSERT_EQ(140u, expected.canonical.size());
    for (int codePage = -70000; codePage <= 70000; ++codePage) {
        StringBuffer out("leftover");
        bool got = codePageToCharsetName(codePage, out);
        auto listed = expected.canonical.find(codePage);
        ASSERT_EQ(listed != expected.canonical.end(), got) << "code page " << codePage;
        std::string name = got ? listed->second : "";
        ASSERT_EQ(name, std::string(out.getString(), out.getSize())) << "code page " << codePage;
        // Accepted as a name, though not always of its own page.
        EXPECT_TRUE(!got || expected.names[dashed(name)] == charsetNameToCodePage(name.c_str()))
            << name;
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
