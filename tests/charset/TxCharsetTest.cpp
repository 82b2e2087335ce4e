#include "charset/TxCharset.h"

#include "charset/CharsetNames.h"
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string nameOf(const _txCharset &charset) {
    return charset.getName().getString();
}

// The name block must be shrunk after every change: at most 4 bytes of slack.
void expectFitted(const _txCharset &charset) {
    const StringBuffer &name = charset.getName();
    EXPECT_LE(name.getCapacity(), name.getSize() + 4)
        << "capacity " << name.getCapacity() << " for \"" << name.getString() << "\"";
}

TEST(TxCharset, StartsCleared) {
    _txCharset charset;
    EXPECT_EQ(0, charset.getCodePage());
    EXPECT_EQ("", nameOf(charset));
    expectFitted(charset);
}

TEST(TxCharset, StoresTheCanonicalNameNotTheGivenOne) {
    _txCharset charset;
    EXPECT_TRUE(charset.setByName(" Latin_1 "));
    EXPECT_EQ(28591, charset.getCodePage());
    EXPECT_EQ("iso-8859-1", nameOf(charset));
    expectFitted(charset);

    EXPECT_TRUE(charset.setByName("Shift_JIS"));
    EXPECT_EQ(932, charset.getCodePage());
    EXPECT_EQ("shift_jis", nameOf(charset));
    expectFitted(charset);

    EXPECT_TRUE(charset.setByName("gb18030"));
    EXPECT_EQ(936, charset.getCodePage());
    EXPECT_EQ("gb2312", nameOf(charset));

    EXPECT_TRUE(charset.setByName("iso-2022-jp"));
    EXPECT_EQ(50220, charset.getCodePage());
    EXPECT_EQ("iso-2022-jp", nameOf(charset));

    EXPECT_TRUE(charset.setByName("x-ebcdic-koreanextended"));
    EXPECT_EQ(20833, charset.getCodePage());
    EXPECT_EQ("x-ebcdic-koreanextended", nameOf(charset));
    expectFitted(charset);
}

TEST(TxCharset, NullNameChangesNothing) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("utf-8"));
    EXPECT_FALSE(charset.setByName(nullptr));
    EXPECT_EQ(65001, charset.getCodePage());
    EXPECT_EQ("utf-8", nameOf(charset));
}

TEST(TxCharset, UnknownNamesClear) {
    const char *unknown[] = {"",        "   ",      "no-such-charset", "Default",
                             "DEFAULT", " default", "utf-32le",        "iso-8859-8  visual"};
    for (const char *name : unknown) {
        _txCharset charset;
        ASSERT_TRUE(charset.setByName("koi8-r"));
        EXPECT_FALSE(charset.setByName(name)) << "\"" << name << "\"";
        EXPECT_EQ(0, charset.getCodePage()) << "\"" << name << "\"";
        EXPECT_EQ("", nameOf(charset)) << "\"" << name << "\"";
        expectFitted(charset);
    }
}

TEST(TxCharset, DefaultAndUserDefinedClearAndSucceed) {
    const char *words[] = {"default", "x-user-defined"};
    for (const char *word : words) {
        _txCharset charset;
        ASSERT_TRUE(charset.setByName("windows-1250"));
        EXPECT_TRUE(charset.setByName(word)) << word;
        EXPECT_EQ(0, charset.getCodePage()) << word;
        EXPECT_EQ("", nameOf(charset)) << word;
        expectFitted(charset);
    }
}

TEST(TxCharset, UserDefinedOnlyInExactCaseIsSpecial) {
    // Any other spelling goes to the table, where it names code page 50000.
    _txCharset charset;
    EXPECT_TRUE(charset.setByName("X-User-Defined"));
    EXPECT_EQ(50000, charset.getCodePage());
    EXPECT_EQ("", nameOf(charset));
    EXPECT_TRUE(charset.setByName(" x-user-defined"));
    EXPECT_EQ(50000, charset.getCodePage());
}

TEST(TxCharset, AnsiAndOemFollowTheMachine) {
    StringBuffer expectedAnsi;
    StringBuffer expectedOem;
    int acp = static_cast<int>(GetACP());
    int oemcp = static_cast<int>(GetOEMCP());
    bool ansiNamed = codePageToCharsetName(acp, expectedAnsi);
    bool oemNamed = codePageToCharsetName(oemcp, expectedOem);

    const char *ansiSpellings[] = {"ansi", "ANSI", "Ansi"};
    for (const char *spelling : ansiSpellings) {
        _txCharset charset;
        EXPECT_TRUE(charset.setByName(spelling)) << spelling;
        EXPECT_EQ(ansiNamed ? acp : 0, charset.getCodePage()) << spelling << " with ACP " << acp;
        EXPECT_EQ(expectedAnsi.getString(), nameOf(charset)) << spelling;
        expectFitted(charset);
    }
    const char *oemSpellings[] = {"oem", "OEM", "Oem"};
    for (const char *spelling : oemSpellings) {
        _txCharset charset;
        EXPECT_TRUE(charset.setByName(spelling)) << spelling;
        EXPECT_EQ(oemNamed ? oemcp : 0, charset.getCodePage())
            << spelling << " with OEMCP " << oemcp;
        EXPECT_EQ(expectedOem.getString(), nameOf(charset)) << spelling;
    }
}

TEST(TxCharset, OemIsNotTrimmed) {
    // Only the exact word is special; with blanks it is an ordinary, unknown name.
    _txCharset charset;
    EXPECT_FALSE(charset.setByName(" oem "));
    EXPECT_EQ(0, charset.getCodePage());
}

#ifndef _WIN32
TEST(TxCharset, AnsiAndOemOnThePosixLayer) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("ansi"));
    EXPECT_EQ(1252, charset.getCodePage());
    EXPECT_EQ("windows-1252", nameOf(charset));
    ASSERT_TRUE(charset.setByName("oem"));
    EXPECT_EQ(437, charset.getCodePage());
    EXPECT_EQ("ibm437", nameOf(charset));
}
#endif

class TxCharsetWithoutCanonical : public testing::TestWithParam<std::pair<const char *, int>> {};

TEST_P(TxCharsetWithoutCanonical, ByNameKeepsTheCodePageWithAnEmptyName) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("utf-16"));
    EXPECT_TRUE(charset.setByName(GetParam().first)) << GetParam().first;
    EXPECT_EQ(GetParam().second, charset.getCodePage()) << GetParam().first;
    EXPECT_EQ("", nameOf(charset)) << GetParam().first;
    expectFitted(charset);
}

TEST_P(TxCharsetWithoutCanonical, ByCodePageClears) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("utf-16"));
    charset.setByCodePage(GetParam().second);
    EXPECT_EQ(0, charset.getCodePage()) << GetParam().second;
    EXPECT_EQ("", nameOf(charset)) << GetParam().second;
}

INSTANTIATE_TEST_SUITE_P(
    NamedOnly, TxCharsetWithoutCanonical,
    testing::Values(std::make_pair("asmo-449", 709), std::make_pair("x-cp21027", 21027),
                    std::make_pair("X-User-Defined", 50000), std::make_pair("cp930", 50930),
                    std::make_pair("x-ebcdic-japaneseanduscanada", 50931),
                    std::make_pair("cp933", 50933), std::make_pair("cp935", 50935),
                    std::make_pair("cp937", 50937), std::make_pair("cp939", 50939),
                    std::make_pair("euc-tw", 51950)));

TEST(TxCharset, ByCodePage) {
    _txCharset charset;
    charset.setByCodePage(54936);
    EXPECT_EQ(54936, charset.getCodePage());
    EXPECT_EQ("gb18030", nameOf(charset));
    expectFitted(charset);

    charset.setByCodePage(20932);
    EXPECT_EQ(20932, charset.getCodePage());
    EXPECT_EQ("euc-jp", nameOf(charset));

    charset.setByCodePage(50221);
    EXPECT_EQ(50221, charset.getCodePage());
    EXPECT_EQ("csiso2022jp", nameOf(charset));

    charset.setByCodePage(65005);
    EXPECT_EQ(65005, charset.getCodePage());
    EXPECT_EQ("utf-32", nameOf(charset));
    expectFitted(charset);
}

TEST(TxCharset, ByUnknownCodePageClears) {
    const int unknown[] = {0, -1, 12000, 12001, 65002, 99999};
    for (int codePage : unknown) {
        _txCharset charset;
        charset.setByCodePage(1252);
        ASSERT_EQ(1252, charset.getCodePage());
        charset.setByCodePage(codePage);
        EXPECT_EQ(0, charset.getCodePage()) << codePage;
        EXPECT_EQ("", nameOf(charset)) << codePage;
        expectFitted(charset);
    }
}

TEST(TxCharset, ClearCharset) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("x-mac-chinesetrad"));
    charset.clearCharset();
    EXPECT_EQ(0, charset.getCodePage());
    EXPECT_EQ("", nameOf(charset));
    expectFitted(charset);
    ASSERT_TRUE(charset.setByName("utf8"));
    EXPECT_EQ(65001, charset.getCodePage());
    EXPECT_EQ("utf-8", nameOf(charset));
}

TEST(TxCharset, ShrinksAfterALongNameMakesWayForAShortOne) {
    _txCharset charset;
    ASSERT_TRUE(charset.setByName("x-ebcdic-koreanextended"));
    ASSERT_TRUE(charset.setByName("l1"));
    EXPECT_EQ("iso-8859-1", nameOf(charset));
    expectFitted(charset);
    ASSERT_TRUE(charset.setByName("koi"));
    EXPECT_EQ("koi8-r", nameOf(charset));
    expectFitted(charset);
}

} // namespace
