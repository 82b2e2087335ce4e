#include "core/XString.h"
#include "charset/TxCharset.h"
#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "core/XStringCom.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

#define BOM "\xEF\xBB\xBF"
#define CJK "\xE6\x97\xA5" // U+65E5, outside windows-1252

std::vector<uint16_t> units(const std::u16string &text) {
    std::vector<uint16_t> result(text.begin(), text.end());
    result.push_back(0);
    return result;
}

void setWide(XString &x, const std::u16string &text) { x.setFromUtf16(units(text).data()); }

std::string hexOf(const void *data, size_t n) {
    StringBuffer hex;
    encodeHexUpper(data, static_cast<uint32_t>(n), hex);
    return hex.getString();
}

// The current forms and the ANSI status as text: "16 A 8 /0" has all three forms
// current and status 0; a form that is not current shows as dashes.
std::string stateOf(const XString &x) {
    std::string state = x.isUtf16Current() ? "16" : "--";
    state += x.isAnsiCurrent() ? " A" : " -";
    state += x.isUtf8Current() ? " 8" : " -";
    return state + " /" + std::to_string(x.getAnsiStatus());
}

// U+65E5 then getAnsi: ANSI (lossy) and UTF-8 current, status 2.
void prefill(XString &x) {
    x.setFromUtf8(CJK);
    x.getAnsi();
}

// ---------------------------------------------------------------------------------
// The current forms, the ANSI status and the text after each kind of operation

#define X(statements) [](XString &x) { statements; }

struct StateRow {
    const char *name;
    void (*run)(XString &x);
    const char *state; // see stateOf
    std::string utf8;  // the text afterwards
};

const StateRow stateRows[] = {
    {"Construction", X(), "16 A 8 /0", ""},
    {"Clear", X(prefill(x); x.clear()), "16 A 8 /0", ""},
    {"SetAnsiEmpty", X(prefill(x); x.setFromAnsi("")), "16 A 8 /0", ""},
    {"SetAnsiNull", X(prefill(x); x.setFromAnsi(nullptr)), "16 A 8 /0", ""},
    {"SetUtf8Null", X(prefill(x); x.setFromUtf8(nullptr)), "16 A 8 /0", ""},
    {"SetUtf8OnlyBom", X(prefill(x); x.setFromUtf8(BOM)), "16 A 8 /0", ""},
    {"SetUtf8NOnlyBom", X(prefill(x); x.setFromUtf8N(BOM, 3)), "16 A 8 /0", ""},
    {"SetUtf8NZeroFirst", X(prefill(x); x.setFromUtf8N("\0abc", 4)), "16 A 8 /0", ""},
    {"SetUtf16ZeroFirst", X(prefill(x); setWide(x, u"")), "16 A 8 /0", ""},
    {"SetUtf16Null", X(prefill(x); x.setFromUtf16(nullptr)), "16 A 8 /0", ""},
    {"SetAnsi", X(x.setFromAnsi("caf\xE9")), "-- A - /1", "caf\xC3\xA9"},
    {"SetUtf8SkipsBom", X(x.setFromUtf8(BOM "ab\xC3\xA9")), "-- - 8 /0", "ab\xC3\xA9"},
    {"SetUtf8NSkipsBom", X(x.setFromUtf8N(BOM "abc", 5)), "-- - 8 /0", "ab"},
    // Two bytes of the mark are no mark: they stay, broken as they are.
    {"SetUtf8NHalfBom", X(x.setFromUtf8N(BOM, 2)), "-- - 8 /0", "\xEF\xBB"},
    {"SetUtf16", X(setWide(x, u"\u00E9t")), "16 - - /0", "\xC3\xA9t"},
    {"TakeUtf8Sb", X(x.setFromAnsi("a"); StringBuffer sb(CJK); x.takeUtf8Sb(sb)), "-- - 8 /0", CJK},
    {"TakeEmptySb", X(x.setFromAnsi("a"); StringBuffer sb; x.takeUtf8Sb(sb)), "16 A 8 /0", ""},
    {"CopyFrom", X(XString o; prefill(o); x.copyFrom(o)), "-- A 8 /2", CJK},
    {"CopyFromUtf16",
     X(XString o; setWide(o, u"x\u65E5"); o.getUtf8(); x.setFromAnsi("-"); x.copyFrom(o);
       x.copyFrom(x)), "16 - 8 /0", "x" CJK},
    {"Utf8FromAnsi", X(x.setFromAnsi("caf\xE9"); x.getUtf8()), "-- A 8 /1", "caf\xC3\xA9"},
    {"WideOfAnsi", X(x.setFromAnsi("\x80\xE9"); x.getUtf16()), "16 A - /1", "\xE2\x82\xAC\xC3\xA9"},
    {"WideOfUtf8", X(x.setFromUtf8("\xCE\xA9" CJK); x.getUtf16()), "16 - 8 /0", "\xCE\xA9" CJK},
    {"AnsiFromUtf8", X(x.setFromUtf8("caf\xC3\xA9"); x.getAnsi()), "-- A 8 /1", "caf\xC3\xA9"},
    {"AnsiFromUtf16", X(setWide(x, u"\u00E9t"); x.getAnsi()), "16 A - /1", "\xC3\xA9t"},
    // The whole UTF-16 form, not the lossy ANSI one, gives the UTF-8 text.
    {"Utf8NotOfLossyAnsi", X(setWide(x, u"a\u65E5"); x.getAnsi(); x.getUtf8()), "16 A 8 /2",
     "a" CJK},
    {"AnsiThatLoses", X(prefill(x)), "-- A 8 /2", CJK},
    {"WideNotOfLossyAnsi", X(prefill(x); x.getUtf16()), "16 A 8 /2", CJK},
    {"CanBeAnsiFits", X(x.setFromUtf8("abc"); x.canBeAnsi()), "-- A 8 /1", "abc"},
    {"CanBeAnsiLoses", X(x.setFromUtf8(CJK); x.canBeAnsi()), "-- - 8 /2", CJK},
    {"OnlyAnsiFits", X(x.setFromUtf8("a"); x.appendAnsi("b"); x.canBeAnsi()), "-- A - /0", "ab"},
    // After an append the status is unknown again, so canBeAnsi converts again.
    {"CanBeAnsiAgain", X(x.setFromAnsi("a"); x.canBeAnsi(); x.appendUtf8(CJK); x.canBeAnsi()),
     "-- - 8 /2", "a" CJK},
    // A lossy ANSI form is not kept once a comparison has used it.
    {"LastCharAnsiLossy", X(x.setFromUtf8(CJK); x.lastCharAnsi()), "-- - 8 /2", CJK},
    {"EqualsAnsiLossy", X(x.setFromUtf8(CJK); x.equalsAnsi("?")), "-- - 8 /2", CJK},
    {"ContainsNoCaseLossy", X(x.setFromUtf8(CJK); x.containsNoCase("a")), "-- - 8 /2", CJK},
    {"EqualsAnsiFits", X(x.setFromUtf8("abc"); x.equalsAnsi("abc")), "-- A 8 /1", "abc"},
    // Appends work on their own form (converting it first) and leave the others stale.
    {"AppendUtf8", X(x.setFromAnsi("\xE9"); x.getUtf8(); x.appendUtf8("!")), "-- - 8 /0",
     "\xC3\xA9!"},
    {"AppendUtf8Empty", X(x.setFromAnsi("a"); x.getUtf16(); x.appendUtf8("")), "-- - 8 /0", "a"},
    {"AppendNull", X(x.setFromAnsi("a"); x.getUtf16(); x.appendUtf8(nullptr)), "16 A - /1", "a"},
    {"AppendUtf8SkipsBom",
     X(x.setFromUtf8("a"); x.appendUtf8(BOM "b"); x.appendUtf8N(BOM "cd", 5);
       x.appendUtf8N(BOM, 3); x.appendUtf8N("efg", 2); x.appendUtf8N("x", 0)),
     "-- - 8 /0", "abcdef"},
    {"AppendAnsi", X(x.setFromUtf8("a"); x.appendAnsi("\xE9")), "-- A - /0", "a\xC3\xA9"},
    // The ANSI form had lost U+65E5 before the append.
    {"AppendAnsiToLossy", X(x.setFromUtf8("a" CJK); x.appendAnsi("b")), "-- A - /0", "ab"},
    {"AppendUtf16", X(x.setFromAnsi("a"); x.appendUtf16(units(u"\u00DF").data())), "16 - - /0",
     "a\xC3\x9F"},
    // appendX takes the other's UTF-8 form, else its ANSI form, else its UTF-16 form.
    {"AppendXAnsi", X(x.setFromAnsi("<"); XString o; o.setFromAnsi("\xE9"); x.appendX(o)),
     "-- A - /0", "<\xC3\xA9"},
    {"AppendXUtf8", X(x.setFromAnsi("<"); XString o; prefill(o); x.appendX(o)), "-- - 8 /0",
     "<" CJK},
    {"AppendXUtf16",
     X(x.setFromAnsi("<"); XString o; setWide(o, u"\u03A9"); o.getAnsi(); x.appendX(o)),
     "16 - - /0", "<\xCE\xA9"},
    {"AppendXItself", X(setWide(x, u"\u03A9"); x.appendX(x)), "16 - - /0", "\xCE\xA9\xCE\xA9"},
    // Edits of the UTF-8 form.
    {"Trim2", X(x.setFromAnsi(" \t\xE9 \r\n"); x.trim2()), "-- - 8 /0", "\xC3\xA9"},
    {"Trim2ToEmpty", X(x.setFromAnsi(" "); x.trim2()), "-- - 8 /0", ""},
    {"Trim2Unchanged", X(x.setFromAnsi("abc"); x.trim2()), "-- A 8 /1", "abc"},
    {"ReplaceAll", X(x.setFromAnsi("a-b-"); EXPECT_EQ(2, x.replaceAllOccurrencesUtf8("-", CJK))),
     "-- - 8 /0", "a" CJK "b" CJK},
    {"ReplaceAllNone", X(x.setFromAnsi("a"); EXPECT_EQ(0, x.replaceAllOccurrencesUtf8("-", "+"))),
     "-- A 8 /1", "a"},
    {"ReplaceFirst", X(x.setFromAnsi("XbX"); EXPECT_TRUE(x.replaceFirstOccurrenceUtf8("X", "<>"))),
     "-- - 8 /0", "<>bX"},
    {"ReplaceLast", X(x.setFromAnsi("XbX"); EXPECT_TRUE(x.replaceLastOccurrenceUtf8("X", "[]"))),
     "-- - 8 /0", "Xb[]"},
    {"ReplaceNone", X(x.setFromAnsi("a"); EXPECT_FALSE(x.replaceFirstOccurrenceUtf8("X", "y"));
                      EXPECT_FALSE(x.replaceLastOccurrenceUtf8("", "y"))), "-- A 8 /1", "a"},
    {"ReplaceWithNull",
     X(x.setFromAnsi("a"); EXPECT_TRUE(x.replaceFirstOccurrenceUtf8("a", nullptr));
       EXPECT_TRUE(x.replaceLastOccurrenceUtf8("a", nullptr))), "-- A 8 /1", "a"},
    // Edits of the UTF-16 form, with characters of the ANSI code page (0x80 is U+20AC).
    {"ReplaceChar", X(x.setFromUtf8("C:/\xC3\xA9/" CJK); x.replaceChar('/', '\\')), "16 - - /0",
     "C:\\\xC3\xA9\\" CJK},
    {"ReplaceCharAnsi", X(x.setFromUtf8("\xC3\xA9j" CJK); x.replaceChar('\xE9', '\x80')),
     "16 - - /0", "\xE2\x82\xACj" CJK},
    {"ReplaceCharZero", X(x.setFromUtf8("a/"); x.replaceChar('/', 0); x.replaceChar(0, '/')),
     "-- - 8 /0", "a/"},
    {"ReplaceCharNone", X(x.setFromAnsi("ab"); x.replaceChar('/', '\\')), "16 A - /1", "ab"},
    {"RemoveChar", X(x.setFromUtf8("\xC3\xA9t\xC3\xA9"); x.removeChar('\xE9')), "16 - - /0", "t"},
    {"RemoveCharNone", X(x.setFromUtf8("abc"); x.removeChar('/')), "16 - 8 /0", "abc"},
    {"RemoveCharZero", X(x.setFromUtf8("abc"); x.removeChar(0)), "-- - 8 /0", "abc"},
    {"ShortenChars", X(x.setFromAnsi("abc"); x.shortenChars(1)), "16 - - /0", "ab"},
    {"ShortenUnits", X(x.setFromUtf8("a" CJK "z"); x.shortenChars(2)), "16 - - /0", "a"},
    {"ShortenNone", X(x.setFromUtf8("a"); x.shortenChars(0); x.shortenChars(-1)), "16 - 8 /0", "a"},
    {"ShortenAll", X(x.setFromUtf8("abc"); x.shortenChars(3)), "16 A 8 /0", ""},
    // minimizeMemory keeps one form: UTF-8 before ANSI before UTF-16.
    {"MinimizeUtf8", X(x.setFromAnsi("a"); x.getUtf16(); x.getUtf8(); x.minimizeMemory()),
     "-- - 8 /1", "a"},
    {"MinimizeAnsi", X(x.setFromAnsi("a"); x.getUtf16(); x.minimizeMemory()), "-- A - /1", "a"},
    {"MinimizeUtf16", X(setWide(x, u"\u03A9"); x.minimizeMemory()), "16 - - /0", "\xCE\xA9"},
};

TEST(XStringTest, CurrentFormsAnsiStatusAndText) {
    for (const StateRow &row : stateRows) {
        SCOPED_TRACE(row.name);
        XString x, form;
        row.run(x);
        EXPECT_EQ(row.state, stateOf(x));
        EXPECT_EQ(row.utf8.empty(), x.isEmpty());
        // Every current form holds the text (a lossy ANSI form excepted).
        if (x.isUtf16Current()) {
            form.setFromUtf16(x.getUtf16());
            EXPECT_EQ(row.utf8, form.getUtf8()) << "UTF-16 form";
        }
        if (x.isAnsiCurrent() && x.getAnsiStatus() != XString::AnsiDoesNotFit) {
            form.setFromAnsi(x.getAnsi());
            EXPECT_EQ(row.utf8, form.getUtf8()) << "ANSI form";
        }
        EXPECT_EQ(row.utf8, x.getUtf8()) << hexOf(x.getUtf8(), strlen(x.getUtf8()));
    }
}

// ---------------------------------------------------------------------------------
// Setters and getters

TEST(XStringTest, SettersAcceptTheirOwnForms) {
    StringBuffer sb("hello");
    const char *block = sb.getString();
    XString x;
    x.takeUtf8Sb(sb);
    EXPECT_EQ(block, x.getUtf8()) << "taken without a copy";
    x.setFromUtf8(x.getUtf8() + 1);
    EXPECT_STREQ("ello", x.getUtf8());
    x.setFromUtf8N(x.getUtf8() + 1, 2);
    EXPECT_STREQ("ll", x.getUtf8());
    x.setFromAnsi(x.getUtf8() + 1);
    EXPECT_STREQ("l", x.getAnsi());
    setWide(x, u"uvw");
    x.setFromUtf16(x.getUtf16() + 1);
    EXPECT_STREQ("vw", x.getUtf8());
}

TEST(XStringTest, NumCharsAndTextOutsideTheAnsiCodePage) {
    XString x;
    x.setFromUtf8("\xCE\xA9=" CJK); // U+03A9 OMEGA, '=', U+65E5
    std::string ansi = x.getAnsi();
    EXPECT_EQ(2, x.getAnsiStatus()) << "ANSI form " << hexOf(ansi.data(), ansi.size());
    EXPECT_EQ(std::string::npos, ansi.find('\xE6')) << hexOf(ansi.data(), ansi.size());
    EXPECT_NE(std::string::npos, ansi.find('=')) << "what fits is kept";
    EXPECT_FALSE(x.canBeAnsi());
    // U+1F600 as a surrogate pair: two UTF-16 units, no ANSI character.
    setWide(x, u"a\xD83D\xDE00");
    EXPECT_EQ(3, x.getNumChars());
    EXPECT_STREQ("a", x.getAnsi());
    EXPECT_EQ("16 A - /2", stateOf(x));
    // 0x81 has no character in windows-1252: a byte of the ANSI form, no unit.
    x.setFromAnsi("a\x81z");
    EXPECT_EQ(3, x.getNumChars());
    x.appendUtf8("");
    EXPECT_EQ(2, x.getNumChars()) << "UTF-8 current: UTF-16 units";
    // canBeAnsi converts the UTF-16 form with its terminator, which must not be kept.
    setWide(x, u"d\u00E9j\u00E0");
    x.getUtf8();
    EXPECT_TRUE(x.canBeAnsi());
    EXPECT_EQ(4, x.getNumChars());
    EXPECT_STREQ("d\xE9j\xE0", x.getAnsi());
}

// ---------------------------------------------------------------------------------
// Charsets

TEST(XStringTest, AppendInCharset) {
    // {charset name, text, converts, UTF-8 afterwards, state}: the name is trimmed;
    // empty means UTF-8, "ansi" the ANSI code page.
    const std::tuple<const char *, const char *, bool, const char *, const char *> rows[] = {
        {nullptr, "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
        {" \t\r\n", "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
        {"  UTF-8 ", "\xC3\xA9", true, "[\xC3\xA9", "-- - 8 /0"},
        {"\tAnsi ", "\xE9", true, "[\xC3\xA9", "-- A - /0"},
        {" iso-8859-1 ", "caf\xE9", true, "[caf\xC3\xA9", "-- - 8 /0"},
        {"iso-8859-1", nullptr, true, "[", "-- A - /1"},
        {"utf-16", "A\0B", false, "[", "-- - 8 /0"}, // up to the first 0 byte
        {"no-such-charset", "abc", false, "[", "-- - 8 /0"}};
    for (const auto &[charset, text, converts, utf8, state] : rows) {
        SCOPED_TRACE(charset ? charset : "(null)");
        XString x;
        x.setFromAnsi("[");
        EXPECT_EQ(converts, x.appendInCharset(text, charset));
        EXPECT_EQ(state, stateOf(x));
        EXPECT_STREQ(utf8, x.getUtf8());
    }
}

TEST(XStringTest, GetConverted) {
    // {charset, UTF-8 text, converts, bytes, bytes with the mark}; "\xC3\xA9" is U+00E9.
    const std::tuple<const char *, const char *, bool, const char *, const char *> rows[] = {
        {"utf-8", "\xC3\xA9" CJK, true, "C3A9E697A5", "EFBBBFC3A9E697A5"},
        {"utf-16", "\xC3\xA9" CJK, true, "E900E565", "FFFEE900E565"},
        {"utf-16be", "\xC3\xA9" CJK, true, "00E965E5", "FEFF00E965E5"},
        {"iso-8859-1", "caf\xC3\xA9", true, "636166E9", "636166E9"},
        {"iso-8859-1", "\xC3\xA9" CJK, false, "E9", "E9"},
        {"utf-8", "", true, "", "EFBBBF"}}; // an empty text still gets its mark
    for (const auto &[name, text, converts, bytes, withBom] : rows) {
        for (bool fromUtf16 : {false, true}) {
            SCOPED_TRACE(std::string(name) + " " + text + (fromUtf16 ? " from UTF-16" : ""));
            XString x, wide; // appending to an empty string leaves only that form current
            x.appendUtf8(text);
            if (fromUtf16) wide.appendUtf16(x.getUtf16());
            if (fromUtf16) x.copyFrom(wide);
            _txCharset charset;
            ASSERT_TRUE(charset.setByName(name));
            DataBuffer out;
            out.append("\x01", 1);
            EXPECT_EQ(converts, x.getConverted(charset, out));
            EXPECT_EQ("01" + std::string(bytes), hexOf(out.getData(), out.getSize()))
                << "appended to what out held";
            EXPECT_EQ(converts, x.getConvertedWithBom(charset, out));
            EXPECT_EQ(withBom, hexOf(out.getData(), out.getSize())) << "out emptied first";
        }
    }
}

// ---------------------------------------------------------------------------------
// Comparisons and searches

TEST(XStringTest, Comparisons) {
    // Each argument against equalsUtf8, beginsWithUtf8, endsWithUtf8, containsUtf8 and
    // containsNoCase (ASCII letters only fold) of "Caf\xC3\xA9 au lait". Only endsWithUtf8
    // does not skip a leading mark.
    const std::pair<const char *, const char *> rows[] = {
        {"Caf\xC3\xA9 au lait", "11111"}, {BOM "Caf\xC3\xA9 au lait", "11011"},
        {nullptr, "00100"},                {"", "01110"}, {"Caf\xC3\xA9", "01011"},
        {"lait", "00111"},                 {BOM "lait", "00011"}, {"LAIT", "00001"},
        {"CAF\xC3\xA9", "00001"},           {"\xC3\x89", "00000"}}; // U+00C9 is no U+00E9
    XString x;
    EXPECT_TRUE(x.equalsUtf8(nullptr)) << "empty";
    EXPECT_EQ(0, x.lastCharAnsi());
    x.setFromUtf8("Caf\xC3\xA9 au lait");
    for (const auto &[argument, expected] : rows) {
        std::string answers;
        for (bool answer : {x.equalsUtf8(argument), x.beginsWithUtf8(argument),
                            x.endsWithUtf8(argument), x.containsUtf8(argument),
                            x.containsNoCase(argument)})
            answers += answer ? '1' : '0';
        EXPECT_EQ(expected, answers) << (argument ? argument : "(null)");
    }
    EXPECT_TRUE(x.equalsAnsi("Caf\xE9 au lait"));
    EXPECT_FALSE(x.equalsAnsi("Caf\xC3\xA9 au lait"));
    EXPECT_EQ('t', x.lastCharAnsi());
    // A lossy form still answers, for what it holds.
    x.setFromUtf8("a" CJK);
    EXPECT_EQ('a', x.lastCharAnsi());
    EXPECT_TRUE(x.equalsAnsi("a"));
}

TEST(XStringTest, IndexOfUtf8CountsUtf16Units) {
    XString x;
    x.setFromUtf8("abc");
    EXPECT_EQ(-1, x.indexOfUtf8("x"));
    EXPECT_EQ(-1, x.indexOfUtf8(nullptr));
    EXPECT_EQ(0, x.indexOfUtf8(""));
    EXPECT_EQ(2, x.indexOfUtf8(BOM "c"));
    x.setFromUtf8("\xC3\xA9" CJK "=");
    EXPECT_EQ(2, x.indexOfUtf8("=")) << "two BMP characters of 2 and 3 bytes";
    setWide(x, u"\xD83D\xDE00=");
    EXPECT_EQ(2, x.indexOfUtf8("=")) << "a surrogate pair counts 2";
}

// ---------------------------------------------------------------------------------
// XStringCom

TEST(XStringComTest, CountedUnitsKeepEmbeddedZeros) {
    const uint16_t text[] = {'a', 0, 'b'};
    XStringCom x;
    x.setFromUtf16N(text, 3);
    uint32_t count = 99;
    const uint16_t *back = x.getUtf16N(count);
    ASSERT_EQ(3u, count);
    EXPECT_EQ(0, memcmp(text, back, sizeof text));
    EXPECT_EQ(0, back[3]) << "terminated";
    XString copy;
    copy.appendX(x);
    EXPECT_EQ(3, copy.getNumChars()) << "appendX counts units, not up to a 0";
    // One unit 0 is text: only the terminator alone is empty.
    x.setFromUtf16N(text + 1, 1);
    EXPECT_FALSE(x.isEmpty());
    x.shortenChars(1);
    EXPECT_TRUE(x.isEmpty());
    // Null units or a count of 0 give the empty string, with units that are never null.
    for (const uint16_t *none : {static_cast<const uint16_t *>(nullptr), text}) {
        x.setFromUtf16N(text, 3);
        x.setFromUtf16N(none, none ? 0 : 5);
        EXPECT_EQ(0, x.getUtf16N(count)[0]);
        EXPECT_EQ(0u, count);
    }
}

} // namespace
