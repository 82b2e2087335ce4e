#include "core/XString.h"
#include "charset/TxCharset.h"
#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "core/XStringCom.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

// U+1F600 as a surrogate pair, and the forms the engine gives it: each half becomes
// its own 3-byte sequence, and a 4-byte UTF-8 sequence is dropped on the way to UTF-16.
const uint16_t emojiHigh = 0xD83D;
const uint16_t emojiLow = 0xDE00;
const char emojiHalvesUtf8[] = "\xED\xA0\xBD\xED\xB8\x80";
const char emojiFourBytes[] = "\xF0\x9F\x98\x80";

std::vector<uint16_t> units(const std::u16string &text) {
    std::vector<uint16_t> result(text.begin(), text.end());
    result.push_back(0);
    return result;
}

std::u16string utf16Of(XString &x) {
    std::u16string result;
    for (const uint16_t *p = x.getUtf16(); *p != 0; ++p)
        result.push_back(static_cast<char16_t>(*p));
    return result;
}

std::string hexOf(const void *data, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < n; ++i) {
        if (i != 0) text += ' ';
        text += digits[p[i] >> 4];
        text += digits[p[i] & 15];
    }
    return text;
}

std::string hexOf(const std::string &bytes) {
    return hexOf(bytes.data(), bytes.size());
}
std::string hexOf(const DataBuffer &buffer) {
    return hexOf(buffer.getData(), buffer.getSize());
}

std::string u16Hex(const std::u16string &text) {
    std::string result;
    char unit[8];
    for (char16_t c : text) {
        snprintf(unit, sizeof unit, "%s%04X", result.empty() ? "" : " ", static_cast<unsigned>(c));
        result += unit;
    }
    return result;
}

// The current forms and the ANSI status as text: "16 A 8 /0" has all three forms
// current and status 0; a form that is not current shows as dashes.
std::string stateOf(const XString &x) {
    std::string state;
    state += x.isUtf16Current() ? "16" : "--";
    state += x.isAnsiCurrent() ? " A" : " -";
    state += x.isUtf8Current() ? " 8" : " -";
    state += " /" + std::to_string(x.getAnsiStatus());
    return state;
}

void setUtf16(XString &x, const std::u16string &text) {
    x.setFromUtf16(units(text).data());
}

// ---------------------------------------------------------------------------------
// The current forms and the ANSI status after each kind of operation

struct Step;
using Run = void (*)(XString &, const Step &);

struct Step {
    Run run;
    const char *text = nullptr;     // null stands for a null argument
    int n = 0;                      // byte count of SetUtf8N, count of ShortenChars
    const char16_t *wide = nullptr; // for SetUtf16 and AppendUtf16
};

// U+65E5 then getAnsi: ANSI (lossy) and UTF-8 current, status 2.
const Run Prefill = [](XString &x, const Step &) {
    x.setFromUtf8("\xE6\x97\xA5");
    x.getAnsi();
};
const Run Clear = [](XString &x, const Step &) { x.clear(); };
const Run SetAnsi = [](XString &x, const Step &s) { x.setFromAnsi(s.text); };
const Run SetUtf8 = [](XString &x, const Step &s) { x.setFromUtf8(s.text); };
const Run SetUtf8N = [](XString &x, const Step &s) { x.setFromUtf8N(s.text, s.n); };
const Run SetUtf16 = [](XString &x, const Step &s) {
    x.setFromUtf16(s.wide ? units(s.wide).data() : nullptr);
};
const Run TakeUtf8Sb = [](XString &x, const Step &s) {
    StringBuffer sb(s.text);
    x.takeUtf8Sb(sb);
};
const Run CopyPrefilled = [](XString &x, const Step &s) {
    XString other;
    Prefill(other, s);
    x.copyFrom(other);
};
const Run GetUtf8 = [](XString &x, const Step &) { x.getUtf8(); };
const Run GetUtf16 = [](XString &x, const Step &) { x.getUtf16(); };
const Run GetAnsi = [](XString &x, const Step &) { x.getAnsi(); };
const Run CanBeAnsi = [](XString &x, const Step &) { x.canBeAnsi(); };
const Run LastCharAnsi = [](XString &x, const Step &) { x.lastCharAnsi(); };
const Run EqualsAnsi = [](XString &x, const Step &s) { x.equalsAnsi(s.text); };
const Run AppendAnsi = [](XString &x, const Step &s) { x.appendAnsi(s.text); };
const Run AppendUtf8 = [](XString &x, const Step &s) { x.appendUtf8(s.text); };
const Run AppendUtf16 = [](XString &x, const Step &s) { x.appendUtf16(units(s.wide).data()); };
const Run Trim2 = [](XString &x, const Step &) { x.trim2(); };
const Run ReplaceAllUtf8 = [](XString &x, const Step &s) {
    x.replaceAllOccurrencesUtf8("b", s.text);
};
const Run ReplaceFirstUtf8 = [](XString &x, const Step &s) {
    x.replaceFirstOccurrenceUtf8("b", s.text);
};
const Run ReplaceChar = [](XString &x, const Step &) { x.replaceChar('/', '\\'); };
const Run RemoveChar = [](XString &x, const Step &) { x.removeChar('/'); };
const Run ShortenChars = [](XString &x, const Step &s) { x.shortenChars(s.n); };
const Run Minimize = [](XString &x, const Step &) { x.minimizeMemory(); };

struct StateRow {
    const char *name;
    std::vector<Step> steps;
    const char *expected; // see stateOf
};

const char cjk[] = "\xE6\x97\xA5"; // U+65E5, outside windows-1252

const StateRow stateRows[] = {
    {"Construction", {}, "16 A 8 /0"},
    {"Clear", {{Prefill}, {Clear}}, "16 A 8 /0"},
    {"SetFromAnsiEmpty", {{Prefill}, {SetAnsi, ""}}, "16 A 8 /0"},
    {"SetFromAnsiNull", {{Prefill}, {SetAnsi, nullptr}}, "16 A 8 /0"},
    {"SetFromUtf8Null", {{Prefill}, {SetUtf8, nullptr}}, "16 A 8 /0"},
    {"SetFromUtf8OnlyBom", {{Prefill}, {SetUtf8, "\xEF\xBB\xBF"}}, "16 A 8 /0"},
    {"SetFromUtf8NEmptyFirstByte", {{Prefill}, {SetUtf8N, "\0abc", 4}}, "16 A 8 /0"},
    {"SetFromUtf16FirstUnitZero", {{Prefill}, {SetUtf16, nullptr, 0, u""}}, "16 A 8 /0"},
    {"SetFromUtf16Null", {{Prefill}, {SetUtf16}}, "16 A 8 /0"},
    {"SetFromAnsi", {{SetAnsi, "caf\xE9"}}, "-- A - /1"},
    {"SetFromUtf8", {{SetUtf8, "caf\xC3\xA9"}}, "-- - 8 /0"},
    {"SetFromUtf8AfterAnsi", {{SetAnsi, "abc"}, {SetUtf8, "abc"}}, "-- - 8 /0"},
    {"SetFromUtf8N", {{SetUtf8N, "abcdef", 3}}, "-- - 8 /0"},
    {"SetFromUtf16", {{SetUtf16, nullptr, 0, u"abc"}}, "16 - - /0"},
    {"TakeUtf8SbIsUnknown", {{SetAnsi, "abc"}, {TakeUtf8Sb, cjk}}, "-- - 8 /0"},
    {"TakeUtf8SbEmpty", {{SetAnsi, "abc"}, {TakeUtf8Sb, ""}}, "16 A 8 /0"},
    {"CopyFromCopiesFlagsAndStatus", {{CopyPrefilled}}, "-- A 8 /2"},
    {"GetUtf8AfterSetFromAnsi", {{SetAnsi, "caf\xE9"}, {GetUtf8}}, "-- A 8 /1"},
    {"AppendUtf8NarrowsToUtf8", {{SetAnsi, "caf\xE9"}, {GetUtf8}, {AppendUtf8, "!"}}, "-- - 8 /0"},
    {"AppendUtf8OfEmptyText", {{SetAnsi, "abc"}, {GetUtf16}, {AppendUtf8, ""}}, "-- - 8 /0"},
    {"AppendUtf8Null", {{SetAnsi, "abc"}, {GetUtf16}, {AppendUtf8, nullptr}}, "16 A - /1"},
    {"AppendAnsi", {{SetUtf8, "abc"}, {AppendAnsi, "d"}}, "-- A - /0"},
    {"AppendUtf16", {{SetAnsi, "abc"}, {AppendUtf16, nullptr, 0, u"d"}}, "16 - - /0"},
    {"GetUtf16Widens", {{SetUtf8, "abc"}, {GetUtf16}}, "16 - 8 /0"},
    {"GetAnsiThatFits", {{SetUtf8, "caf\xC3\xA9"}, {GetAnsi}}, "-- A 8 /1"},
    {"GetAnsiThatLoses", {{Prefill}}, "-- A 8 /2"},
    {"GetAnsiFromUtf16ThatLoses", {{SetUtf16, nullptr, 0, u"a\u65E5"}, {GetAnsi}}, "16 A - /2"},
    {"CanBeAnsiThatFits", {{SetUtf8, "abc"}, {CanBeAnsi}}, "-- A 8 /1"},
    {"CanBeAnsiThatLoses", {{SetUtf8, cjk}, {CanBeAnsi}}, "-- - 8 /2"},
    {"CanBeAnsiOnlyAnsiCurrent", {{SetUtf8, "abc"}, {AppendAnsi, "d"}, {CanBeAnsi}}, "-- A - /0"},
    {"LastCharAnsiDropsLossyForm", {{SetUtf8, cjk}, {LastCharAnsi}}, "-- - 8 /2"},
    {"EqualsAnsiKeepsFittingForm", {{SetUtf8, "abc"}, {EqualsAnsi, "abc"}}, "-- A 8 /1"},
    {"Trim2ThatChanged", {{SetAnsi, " abc "}, {Trim2}}, "-- - 8 /0"},
    {"Trim2ThatChangedNothing", {{SetAnsi, "abc"}, {Trim2}}, "-- A 8 /1"},
    {"ReplaceAllThatMatched", {{SetAnsi, "abc"}, {ReplaceAllUtf8, cjk}}, "-- - 8 /0"},
    {"ReplaceFirstNullReplacement", {{SetAnsi, "abc"}, {ReplaceFirstUtf8, nullptr}}, "-- A 8 /1"},
    {"ReplaceCharThatMatched", {{SetAnsi, "a/b"}, {ReplaceChar}}, "16 - - /0"},
    {"ReplaceCharWithoutMatch", {{SetAnsi, "ab"}, {ReplaceChar}}, "16 A - /1"},
    {"RemoveChar", {{SetUtf8, "a/b"}, {RemoveChar}}, "16 - - /0"},
    {"ShortenChars", {{SetAnsi, "abc"}, {ShortenChars, nullptr, 1}}, "16 - - /0"},
    {"MinimizeMemoryKeepsUtf8", {{SetAnsi, "abc"}, {GetUtf16}, {GetUtf8}, {Minimize}}, "-- - 8 /1"},
    {"MinimizeMemoryKeepsAnsi", {{SetAnsi, "abc"}, {GetUtf16}, {Minimize}}, "-- A - /1"},
    {"MinimizeMemoryKeepsUtf16", {{SetUtf16, nullptr, 0, u"abc"}, {Minimize}}, "16 - - /0"},
};

class XStringStateTest : public testing::TestWithParam<StateRow> {};

TEST_P(XStringStateTest, CurrentFormsAndAnsiStatus) {
    const StateRow &row = GetParam();
    XString x;
    for (const Step &step : row.steps)
        step.run(x, step);
    EXPECT_EQ(row.expected, stateOf(x)) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Transitions, XStringStateTest, testing::ValuesIn(stateRows),
                         [](const testing::TestParamInfo<StateRow> &info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------
// Construction and setters

TEST(XStringTest, NewStringIsEmptyInEveryForm) {
    XString x;
    EXPECT_TRUE(x.isEmpty());
    EXPECT_EQ(0, x.getNumChars());
    ASSERT_NE(nullptr, x.getUtf16());
    EXPECT_EQ(0, x.getUtf16()[0]);
    EXPECT_STREQ("", x.getUtf8());
    EXPECT_STREQ("", x.getAnsi());
    EXPECT_EQ("16 A 8 /0", stateOf(x)) << "getters of an empty string convert nothing";
}

TEST(XStringTest, SetFromUtf8SkipsByteOrderMark) {
    XString x;
    x.setFromUtf8("\xEF\xBB\xBF"
                  "ab\xC3\xA9");
    EXPECT_STREQ("ab\xC3\xA9", x.getUtf8());
    EXPECT_EQ(3, x.getNumChars()) << "the mark is not a character";
    EXPECT_TRUE(x.equalsUtf8("ab\xC3\xA9"));
}

TEST(XStringTest, SetFromUtf8NByteOrderMarkAndLength) {
    XString x;
    x.setFromUtf8N("\xEF\xBB\xBF"
                   "abc",
                   5);
    EXPECT_STREQ("ab", x.getUtf8());
    x.setFromUtf8N("\xEF\xBB\xBF", 3);
    EXPECT_TRUE(x.isEmpty());
    EXPECT_EQ("16 A 8 /0", stateOf(x));
    // Two bytes of the mark are no mark: they stay, broken as they are.
    x.setFromUtf8N("\xEF\xBB", 2);
    EXPECT_EQ("EF BB", hexOf(x.getUtf8(), strlen(x.getUtf8())));
}

TEST(XStringTest, SetFromUtf16CopiesUpToTerminator) {
    XString x;
    setUtf16(x, u"\u00E9t\u00E9");
    EXPECT_EQ(3, x.getNumChars());
    EXPECT_STREQ("\xC3\xA9t\xC3\xA9", x.getUtf8());
    EXPECT_STREQ("\xE9t\xE9", x.getAnsi());
}

TEST(XStringTest, TakeUtf8SbMovesTheBlock) {
    StringBuffer sb("hello");
    const char *block = sb.getString();
    XString x;
    x.takeUtf8Sb(sb);
    EXPECT_EQ(block, x.getUtf8()) << "taken without a copy";
    EXPECT_EQ(0, sb.getSize());
    EXPECT_STREQ("hello", x.getUtf8());
}

TEST(XStringTest, CopyFromCopiesEveryCurrentForm) {
    XString source;
    setUtf16(source, u"x\u65E5");
    source.getUtf8();
    XString copy;
    copy.setFromAnsi("old");
    copy.copyFrom(source);
    EXPECT_EQ(stateOf(source), stateOf(copy));
    EXPECT_STREQ("x\xE6\x97\xA5", copy.getUtf8());
    EXPECT_EQ(u"x\u65E5", utf16Of(copy));
    copy.copyFrom(copy);
    EXPECT_STREQ("x\xE6\x97\xA5", copy.getUtf8()) << "copy from itself changes nothing";
}

TEST(XStringTest, SettersAcceptTheirOwnForms) {
    XString x;
    x.setFromUtf8("abc");
    x.setFromUtf8(x.getUtf8() + 1);
    EXPECT_STREQ("bc", x.getUtf8());
    x.setFromUtf8N(x.getUtf8() + 1, 1);
    EXPECT_STREQ("c", x.getUtf8());
    x.setFromAnsi(x.getUtf8());
    EXPECT_STREQ("c", x.getAnsi());
    setUtf16(x, u"uvw");
    x.setFromUtf16(x.getUtf16() + 1);
    EXPECT_EQ(u"vw", utf16Of(x));
}

// ---------------------------------------------------------------------------------
// Conversions of text outside windows-1252

TEST(XStringTest, GreekAndCjkThroughEachGetter) {
    XString x;
    x.setFromUtf8("\xCE\xA9=\xE6\x97\xA5"); // U+03A9 OMEGA, '=', U+65E5
    EXPECT_EQ(u"\u03A9=\u65E5", utf16Of(x));
    EXPECT_EQ(3, x.getNumChars());
    EXPECT_STREQ("\xCE\xA9=\xE6\x97\xA5", x.getUtf8());
    std::string ansi = x.getAnsi();
    EXPECT_EQ(2, x.getAnsiStatus()) << "ANSI form " << hexOf(ansi);
    EXPECT_EQ(std::string::npos, ansi.find('\xE6')) << hexOf(ansi);
    EXPECT_NE(std::string::npos, ansi.find('=')) << "what fits is kept: " << hexOf(ansi);
    EXPECT_FALSE(x.canBeAnsi());
}

TEST(XStringTest, AnsiBytesTakeTheirWindows1252Characters) {
    XString x;
    x.setFromAnsi("\x80 caf\xE9");
    EXPECT_EQ(u"\u20AC caf\u00E9", utf16Of(x));
    EXPECT_EQ("E2 82 AC 20 63 61 66 C3 A9", hexOf(x.getUtf8(), strlen(x.getUtf8())));
}

TEST(XStringTest, SurrogatePairFromUtf16) {
    std::u16string text = u"a";
    text += static_cast<char16_t>(emojiHigh);
    text += static_cast<char16_t>(emojiLow);
    XString x;
    setUtf16(x, text);
    EXPECT_EQ(3, x.getNumChars()) << "counted in UTF-16 units";
    std::string utf8 = x.getUtf8();
    EXPECT_EQ(std::string("a") + emojiHalvesUtf8, utf8) << hexOf(utf8);
    EXPECT_STREQ("a", x.getAnsi());
    EXPECT_EQ(2, x.getAnsiStatus());

    // Back from those halves the pair is whole again.
    XString y;
    y.setFromUtf8(utf8.c_str());
    EXPECT_EQ(u16Hex(text), u16Hex(utf16Of(y)));
}

TEST(XStringTest, FourByteUtf8IsDroppedOnTheWayToUtf16) {
    XString x;
    x.setFromUtf8((std::string("a") + emojiFourBytes + "b").c_str());
    EXPECT_EQ(u"ab", utf16Of(x));
    EXPECT_EQ(2, x.getNumChars());
    EXPECT_STREQ((std::string("a") + emojiFourBytes + "b").c_str(), x.getUtf8())
        << "the UTF-8 form keeps it";
}

TEST(XStringTest, NumCharsCountsAnsiBytesWhileAnsiIsCurrent) {
    XString x;
    // 0x81 has no character in windows-1252: a byte of the ANSI form, no unit.
    x.setFromAnsi("a\x81z");
    EXPECT_EQ(3, x.getNumChars());
    x.appendUtf8("");
    EXPECT_EQ(2, x.getNumChars()) << "UTF-8 current: UTF-16 units";
}

// ---------------------------------------------------------------------------------
// canBeAnsi

TEST(XStringTest, CanBeAnsiRemembersTheAnswer) {
    XString x;
    x.setFromUtf8("x\xE6\x97\xA5");
    EXPECT_FALSE(x.canBeAnsi());
    EXPECT_EQ("-- - 8 /2", stateOf(x));
    EXPECT_FALSE(x.canBeAnsi());
    EXPECT_EQ("-- - 8 /2", stateOf(x)) << "asked again, nothing was converted";

    x.setFromUtf8("caf\xC3\xA9");
    EXPECT_TRUE(x.canBeAnsi());
    EXPECT_STREQ("caf\xE9", x.getAnsi());
}

TEST(XStringTest, CanBeAnsiStoresTheAnsiFormWithoutTerminator) {
    XString x;
    setUtf16(x, u"d\u00E9j\u00E0");
    x.getUtf8();
    EXPECT_TRUE(x.canBeAnsi());
    EXPECT_STREQ("d\xE9j\xE0", x.getAnsi());
    EXPECT_EQ(4, static_cast<int>(strlen(x.getAnsi())));
    EXPECT_EQ(4, x.getNumChars());
}

TEST(XStringTest, AppendAfterFittingTextAsksAgain) {
    XString x;
    x.setFromAnsi("abc");
    EXPECT_TRUE(x.canBeAnsi());
    x.appendUtf8("\xE6\x97\xA5");
    EXPECT_FALSE(x.canBeAnsi()) << "appended text outside the ANSI code page";
}

// ---------------------------------------------------------------------------------
// Appends

TEST(XStringTest, AppendsOnEachForm) {
    XString x;
    x.setFromAnsi("caf\xE9");
    x.appendUtf8(" \xC3\xBC");
    EXPECT_STREQ("caf\xC3\xA9 \xC3\xBC", x.getUtf8());
    x.appendUtf16(units(u"\u00DF").data());
    EXPECT_EQ(u"caf\u00E9 \u00FC\u00DF", utf16Of(x));
    x.appendAnsi("\xA7");
    EXPECT_STREQ("caf\xE9 \xFC\xDF\xA7", x.getAnsi());
    EXPECT_STREQ("caf\xC3\xA9 \xC3\xBC\xC3\x9F\xC2\xA7", x.getUtf8());
}

TEST(XStringTest, AppendAnsiWorksOnTheLossyForm) {
    XString x;
    x.setFromUtf8("a\xE6\x97\xA5");
    x.appendAnsi("b");
    EXPECT_STREQ("ab", x.getUtf8()) << "the ANSI form lost U+65E5 before the append";
}

TEST(XStringTest, AppendUtf8SkipsByteOrderMark) {
    XString x;
    x.setFromUtf8("a");
    x.appendUtf8("\xEF\xBB\xBF"
                 "b");
    x.appendUtf8N("\xEF\xBB\xBF"
                  "cd",
                  5);
    x.appendUtf8N("\xEF\xBB\xBF", 3);
    x.appendUtf8N("efg", 2);
    x.appendUtf8N("x", 0);
    EXPECT_STREQ("abcdef", x.getUtf8());
}

TEST(XStringTest, AppendUtf16ReplacesTheTerminator) {
    XString x;
    setUtf16(x, u"ab");
    x.appendUtf16(units(u"cd").data());
    x.appendUtf16(units(u"").data());
    const uint16_t *text = x.getUtf16();
    EXPECT_EQ(u"abcd", utf16Of(x));
    EXPECT_EQ(0, text[4]);
    x.appendUtf16(x.getUtf16() + 2);
    EXPECT_EQ(u"abcdcd", utf16Of(x)) << "appending its own units";
}

TEST(XStringTest, AppendXTakesTheOthersBestForm) {
    XString utf8;
    utf8.setFromUtf8("\xE6\x97\xA5");
    XString ansi;
    ansi.setFromAnsi("\xE9");
    XString utf16;
    setUtf16(utf16, u"\u03A9");
    utf16.getAnsi(); // ANSI current too, but the UTF-16 form comes first

    // The ANSI one first: appending an ANSI form makes this string's ANSI form current.
    XString x;
    x.setFromAnsi("<");
    x.appendX(ansi);
    EXPECT_EQ("-- A - /0", stateOf(x));
    x.appendX(utf8);
    EXPECT_EQ("-- - 8 /0", stateOf(x));
    x.appendX(utf16);
    EXPECT_EQ("16 - - /0", stateOf(x));
    EXPECT_EQ(u"<\u00E9\u65E5\u03A9", utf16Of(x));
    x.appendX(x);
    EXPECT_EQ(u"<\u00E9\u65E5\u03A9<\u00E9\u65E5\u03A9", utf16Of(x));
}

struct CharsetAppendRow {
    const char *name;
    const char *charset;
    const char *text;
    bool converts;
    const char *expectedUtf8;
    const char *expectedState;
};

const CharsetAppendRow charsetAppendRows[] = {
    {"NullNameIsUtf8", nullptr, "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
    {"EmptyNameIsUtf8", "", "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
    {"BlankNameIsUtf8", " \t\r\n", "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
    {"Utf8AnyCaseWithBlanks", "  UTF-8 ", "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
    {"AnsiAnyCase", "ANSI", "\xE9", true, "[\xC3\xA9", "-- A - /0"},
    {"AnsiWithBlanks", "\tansi ", "\xE9", true, "[\xC3\xA9", "-- A - /0"},
    {"Latin1WithBlanks", " iso-8859-1 ", "caf\xE9", true, "[caf\xC3\xA9", "-- - 8 /0"},
    {"ShiftJis", "shift_jis", "\x93\xFA", true, "[\xE6\x97\xA5", "-- - 8 /0"},
    {"Greek", "windows-1253", "\xE1", true, "[\xCE\xB1", "-- - 8 /0"},
    {"Utf16UpToFirstZeroByte", "utf-16", "A\0B", false, "[", "-- - 8 /0"},
    {"UnknownName", "no-such-charset", "abc", false, "[", "-- - 8 /0"},
};

class XStringAppendInCharsetTest : public testing::TestWithParam<CharsetAppendRow> {};

TEST_P(XStringAppendInCharsetTest, AppendsAsUtf8) {
    const CharsetAppendRow &row = GetParam();
    XString x;
    x.setFromAnsi("[");
    bool converts = x.appendInCharset(row.text, row.charset);
    EXPECT_EQ(row.converts, converts) << row.name;
    EXPECT_EQ(row.expectedState, stateOf(x)) << row.name;
    std::string utf8 = x.getUtf8();
    EXPECT_EQ(row.expectedUtf8, utf8) << row.name << ": " << hexOf(utf8);
}

INSTANTIATE_TEST_SUITE_P(Names, XStringAppendInCharsetTest, testing::ValuesIn(charsetAppendRows),
                         [](const testing::TestParamInfo<CharsetAppendRow> &info) {
                             return std::string(info.param.name);
                         });

TEST(XStringTest, AppendInCharsetNullTextAppendsNothing) {
    XString x;
    x.setFromAnsi("abc");
    EXPECT_TRUE(x.appendInCharset(nullptr, "iso-8859-1"));
    EXPECT_STREQ("abc", x.getUtf8());
}

// ---------------------------------------------------------------------------------
// getConverted and getConvertedWithBom

struct ConvertRow {
    const char *charset;
    const char *utf8Text;
    bool converts;
    const char *bytes;   // hex, without a mark
    const char *withBom; // hex
};

// "\xC3\xA9\xE6\x97\xA5" is U+00E9 U+65E5.
const ConvertRow convertRows[] = {
    {"utf-8", "\xC3\xA9\xE6\x97\xA5", true, "C3 A9 E6 97 A5", "EF BB BF C3 A9 E6 97 A5"},
    {"utf-16", "\xC3\xA9\xE6\x97\xA5", true, "E9 00 E5 65", "FF FE E9 00 E5 65"},
    {"utf-16be", "\xC3\xA9\xE6\x97\xA5", true, "00 E9 65 E5", "FE FF 00 E9 65 E5"},
    {"shift_jis", "A\xE6\x97\xA5\xE6\x9C\xAC", true, "41 93 FA 96 7B", "41 93 FA 96 7B"},
    {"iso-8859-1", "caf\xC3\xA9", true, "63 61 66 E9", "63 61 66 E9"},
    {"iso-8859-1", "\xC3\xA9\xE6\x97\xA5", false, "E9", "E9"},
};

// Each row from a string whose only current form is UTF-8, then UTF-16.
class XStringConvertTest : public testing::TestWithParam<std::tuple<ConvertRow, bool>> {
protected:
    void makeString(XString &x) {
        x.setFromUtf8(std::get<0>(GetParam()).utf8Text);
        if (std::get<1>(GetParam())) {
            std::u16string text = utf16Of(x);
            setUtf16(x, text);
        }
    }
};

TEST_P(XStringConvertTest, GetConverted) {
    const ConvertRow &row = std::get<0>(GetParam());
    XString x;
    makeString(x);
    _txCharset charset;
    ASSERT_TRUE(charset.setByName(row.charset));
    DataBuffer out;
    out.append("\x01", 1);
    EXPECT_EQ(row.converts, x.getConverted(charset, out)) << row.charset;
    EXPECT_EQ(std::string("01") + (*row.bytes ? " " : "") + row.bytes, hexOf(out))
        << row.charset << ": appended to what out held";
}

TEST_P(XStringConvertTest, GetConvertedWithBom) {
    const ConvertRow &row = std::get<0>(GetParam());
    XString x;
    makeString(x);
    _txCharset charset;
    ASSERT_TRUE(charset.setByName(row.charset));
    DataBuffer out;
    out.append("\x01", 1);
    EXPECT_EQ(row.converts, x.getConvertedWithBom(charset, out)) << row.charset;
    EXPECT_EQ(row.withBom, hexOf(out)) << row.charset << ": out emptied first";
}

INSTANTIATE_TEST_SUITE_P(Charsets, XStringConvertTest,
                         testing::Combine(testing::ValuesIn(convertRows), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<ConvertRow, bool>> &info) {
                             std::string name = std::get<0>(info.param).charset;
                             for (char &c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name + "_" + std::to_string(info.index) +
                                    (std::get<1>(info.param) ? "_FromUtf16" : "_FromUtf8");
                         });

TEST(XStringTest, EmptyStringConvertsToNothingOrJustTheMark) {
    _txCharset utf8;
    ASSERT_TRUE(utf8.setByName("utf-8"));
    XString x;
    DataBuffer out;
    EXPECT_TRUE(x.getConverted(utf8, out));
    EXPECT_EQ(0u, out.getSize());
    EXPECT_TRUE(x.getConvertedWithBom(utf8, out));
    EXPECT_EQ("EF BB BF", hexOf(out));
    x.appendUtf8(""); // only the UTF-8 form current now
    ASSERT_EQ("-- - 8 /0", stateOf(x));
    EXPECT_TRUE(x.getConvertedWithBom(utf8, out));
    EXPECT_EQ("EF BB BF", hexOf(out)) << "the same mark from the UTF-8 form";
}

TEST(XStringTest, ClearedCharsetGivesTheCurrentFormsBytes) {
    _txCharset none;
    XString x;
    x.setFromUtf8("\xC3\xA9");
    DataBuffer out;
    EXPECT_TRUE(x.getConverted(none, out));
    EXPECT_EQ("C3 A9", hexOf(out));
}

// ---------------------------------------------------------------------------------
// Comparisons and searches

TEST(XStringTest, Utf8Comparisons) {
    XString x;
    EXPECT_TRUE(x.equalsUtf8(nullptr)) << "empty";
    x.setFromUtf8("caf\xC3\xA9 au lait");
    EXPECT_FALSE(x.equalsUtf8(nullptr));
    EXPECT_TRUE(x.equalsUtf8("\xEF\xBB\xBF"
                             "caf\xC3\xA9 au lait"));
    EXPECT_FALSE(x.equalsUtf8("caf\xC3\xA9"));
    EXPECT_TRUE(x.beginsWithUtf8("\xEF\xBB\xBF"
                                 "caf\xC3\xA9"));
    EXPECT_FALSE(x.beginsWithUtf8(nullptr));
    EXPECT_TRUE(x.endsWithUtf8(nullptr));
    EXPECT_TRUE(x.endsWithUtf8("lait"));
    EXPECT_FALSE(x.endsWithUtf8("\xEF\xBB\xBF"
                                "lait"))
        << "the mark is skipped only for the other comparisons";
    EXPECT_TRUE(x.containsUtf8("\xEF\xBB\xBF"
                               "\xC3\xA9 au"));
    EXPECT_FALSE(x.containsUtf8(nullptr));
    EXPECT_FALSE(x.containsUtf8("LAIT"));
}

TEST(XStringTest, AnsiComparisons) {
    XString x;
    x.setFromUtf8("Caf\xC3\xA9");
    EXPECT_TRUE(x.equalsAnsi("Caf\xE9"));
    EXPECT_FALSE(x.equalsAnsi("Caf\xC3\xA9"));
    EXPECT_EQ('\xE9', x.lastCharAnsi());
    EXPECT_TRUE(x.containsNoCase("CAF\xC3\xA9")) << "ASCII letters fold";
    EXPECT_FALSE(x.containsNoCase("\xC3\x89")) << "U+00C9 does not fold onto U+00E9";
    EXPECT_FALSE(x.containsNoCase(nullptr));
    EXPECT_FALSE(x.containsNoCase(""));
    x.clear();
    EXPECT_EQ(0, x.lastCharAnsi());
}

TEST(XStringTest, LossyAnsiFormIsNotReused) {
    XString x;
    x.setFromUtf8("a\xE6\x97\xA5");
    EXPECT_EQ('a', x.lastCharAnsi());
    EXPECT_FALSE(x.isAnsiCurrent());
    EXPECT_TRUE(x.equalsAnsi("a"));
    EXPECT_FALSE(x.isAnsiCurrent());
    EXPECT_STREQ("a\xE6\x97\xA5", x.getUtf8());
}

TEST(XStringTest, IndexOfUtf8CountsUtf16Units) {
    XString x;
    x.setFromUtf8("abc");
    EXPECT_EQ(-1, x.indexOfUtf8("x"));
    EXPECT_EQ(-1, x.indexOfUtf8(nullptr));
    EXPECT_EQ(0, x.indexOfUtf8("ab"));
    EXPECT_EQ(0, x.indexOfUtf8(""));
    EXPECT_EQ(2, x.indexOfUtf8("\xEF\xBB\xBF"
                               "c"));

    x.setFromUtf8("\xC3\xA9\xE6\x97\xA5=");
    EXPECT_EQ(2, x.indexOfUtf8("=")) << "two BMP characters of 2 and 3 bytes";

    std::u16string text;
    text += static_cast<char16_t>(emojiHigh);
    text += static_cast<char16_t>(emojiLow);
    text += u"=";
    setUtf16(x, text);
    EXPECT_EQ(2, x.indexOfUtf8("=")) << "a surrogate pair counts 2";
}

// ---------------------------------------------------------------------------------
// Edits

TEST(XStringTest, Trim2) {
    XString x;
    x.setFromAnsi(" \t\xE9 \r\n");
    x.trim2();
    EXPECT_STREQ("\xC3\xA9", x.getUtf8());
    x.setFromAnsi(" \t\r\n");
    x.trim2();
    EXPECT_TRUE(x.isEmpty());
}

TEST(XStringTest, ReplaceOccurrencesUtf8) {
    XString x;
    x.setFromUtf8("a-b-c");
    EXPECT_EQ(2, x.replaceAllOccurrencesUtf8("-", "\xE6\x97\xA5"));
    EXPECT_EQ(u"a\u65E5b\u65E5c", utf16Of(x));
    EXPECT_EQ(0, x.replaceAllOccurrencesUtf8("-", "+"));

    x.setFromUtf8("aXbXc");
    EXPECT_TRUE(x.replaceFirstOccurrenceUtf8("X", "<>"));
    EXPECT_STREQ("a<>bXc", x.getUtf8());
    EXPECT_TRUE(x.replaceLastOccurrenceUtf8("X", "[]"));
    EXPECT_STREQ("a<>b[]c", x.getUtf8());
    EXPECT_FALSE(x.replaceFirstOccurrenceUtf8("X", "y"));
    EXPECT_FALSE(x.replaceLastOccurrenceUtf8("", "y"));
    EXPECT_TRUE(x.replaceLastOccurrenceUtf8("b", nullptr));
    EXPECT_STREQ("a<>b[]c", x.getUtf8());
}

TEST(XStringTest, ReplaceCharTakesAnsiCharacters) {
    XString x;
    x.setFromUtf8("C:/d\xC3\xA9j\xC3\xA0/\xE6\x97\xA5");
    x.replaceChar('/', '\\');
    EXPECT_STREQ("C:\\d\xC3\xA9j\xC3\xA0\\\xE6\x97\xA5", x.getUtf8());
    x.replaceChar('\xE9', 'e');
    EXPECT_EQ(u"C:\\dej\u00E0\\\u65E5", utf16Of(x));
    x.replaceChar('e', '\x80');
    EXPECT_EQ(u"C:\\d\u20ACj\u00E0\\\u65E5", utf16Of(x)) << "0x80 is U+20AC";
    x.replaceChar('j', 0);
    x.replaceChar(0, 'j');
    EXPECT_EQ(u"C:\\d\u20ACj\u00E0\\\u65E5", utf16Of(x));
}

TEST(XStringTest, RemoveChar) {
    XString x;
    x.setFromUtf8("\xC3\xA9t\xC3\xA9 \xE6\x97\xA5");
    x.removeChar('\xE9');
    EXPECT_EQ(u"t \u65E5", utf16Of(x));
    x.removeChar(0);
    EXPECT_EQ(u"t \u65E5", utf16Of(x));
}

TEST(XStringTest, ShortenChars) {
    XString x;
    x.setFromUtf8("ab");
    x.shortenChars(2);
    EXPECT_TRUE(x.isEmpty());
    EXPECT_EQ("16 A 8 /0", stateOf(x)) << "cleared";

    x.setFromUtf8("a\xE6\x97\xA5z");
    x.shortenChars(2);
    EXPECT_EQ(u"a", utf16Of(x));
    EXPECT_STREQ("a", x.getUtf8());

    x.setFromUtf8("abc");
    x.shortenChars(5);
    EXPECT_TRUE(x.isEmpty());
}

TEST(XStringTest, MinimizeMemoryKeepsTheText) {
    XString x;
    setUtf16(x, u"\u03A9\u65E5");
    x.minimizeMemory();
    EXPECT_STREQ("\xCE\xA9\xE6\x97\xA5", x.getUtf8());
    x.minimizeMemory();
    EXPECT_EQ("-- - 8 /0", stateOf(x));
    EXPECT_EQ(u"\u03A9\u65E5", utf16Of(x));
}

TEST(XStringTest, IsEmptyReadsTheFirstCurrentForm) {
    XString x;
    x.setFromAnsi(" ");
    EXPECT_FALSE(x.isEmpty());
    x.trim2();
    ASSERT_EQ("-- - 8 /0", stateOf(x));
    EXPECT_TRUE(x.isEmpty());

    // One unit 0 is text: only the terminator alone is empty.
    const uint16_t zero[] = {0};
    XStringCom com;
    com.setFromUtf16N(zero, 1);
    EXPECT_FALSE(com.isEmpty());
    com.shortenChars(1);
    EXPECT_TRUE(com.isEmpty());
}

// ---------------------------------------------------------------------------------
// XStringCom

TEST(XStringComTest, CountedUnitsKeepEmbeddedZeros) {
    const uint16_t text[] = {'a', 0, 'b'};
    XStringCom x;
    x.setFromUtf16N(text, 3);
    EXPECT_EQ("16 - - /0", stateOf(x));
    EXPECT_EQ(3, x.getNumChars());
    uint32_t count = 99;
    const uint16_t *back = x.getUtf16N(count);
    ASSERT_EQ(3u, count);
    EXPECT_EQ(0, memcmp(text, back, sizeof text));
    EXPECT_EQ(0, back[3]) << "terminated";

    XString copy;
    copy.appendX(x);
    EXPECT_EQ(3, copy.getNumChars()) << "appendX counts units, not up to a 0";
}

TEST(XStringComTest, EmptyTextGivesUnitsNeverNull) {
    XStringCom x;
    x.setFromUtf16N(nullptr, 5);
    uint32_t count = 99;
    const uint16_t *units = x.getUtf16N(count);
    ASSERT_NE(nullptr, units);
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0, units[0]);

    x.setFromUtf8("caf\xC3\xA9");
    units = x.getUtf16N(count);
    EXPECT_EQ(4u, count);
    EXPECT_EQ(0xE9, units[3]);
    x.setFromUtf16N(units, 0);
    EXPECT_TRUE(x.isEmpty());
}

} // namespace
