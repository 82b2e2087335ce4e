#include "charset/EncodingConvert.h"

#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

// Conversions that need no code page table: routing, byte order marks, UTF-7, UTF-8,
// UTF-16, UTF-32, the ISO-2022 framing and the Mac Arabic preparation. The table-driven
// routes are in TableWalksTest.cpp.

namespace {

void expectConverted(int from, int to, const std::string &input, bool ok,
                     const std::string &expected) {
    Converted got = convertBytes(from, to, input);
    EXPECT_EQ(ok, got.ok) << from << " -> " << to << " of " << hexOf(input);
    EXPECT_EQ(expected, got.bytes) << from << " -> " << to << " of " << hexOf(input) << ": got "
                                   << hexOf(got.bytes) << ", expected " << hexOf(expected);
}

// ------------------------------------------------------------------------------------
// Routing and byte order marks

TEST(EncodingConvert, TargetZeroOrSourceZeroCopies) {
    std::string bytes("\x81\x00\xFFz", 4);
    expectConverted(1252, 0, bytes, true, bytes);
    expectConverted(0, 65001, bytes, true, bytes);
    expectConverted(0, 1200, bytes, true, bytes);
    expectConverted(52936, 52936, bytes, true, bytes); // same page, even an unconvertible one
}

TEST(EncodingConvert, OutputIsAppendedNeverCleared) {
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    ASSERT_TRUE(out.append("xy", 2));
    EXPECT_TRUE(converter.convert(65001, 1200, dataOf("A"), 1, out, log));
    EXPECT_TRUE(converter.convert(1252, 0, dataOf("B"), 1, out, log));
    EXPECT_EQ(std::string("xyA\0B", 5), bytesOf(out)) << "got " << hexOf(bytesOf(out));
}

TEST(EncodingConvert, ManyConversionsAppendToOneBuffer) {
    std::string utf8;
    for (int i = 0; i < 300; ++i)
        utf8 += "line \xE6\x97\xA5\xE6\x9C\xAC " + std::to_string(i) + "\n";
    Converted one = convertBytes(65001, 1200, utf8);
    ASSERT_TRUE(one.ok);
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    std::string expected;
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(converter.convert(65001, 1200, dataOf(utf8), static_cast<unsigned>(utf8.size()),
                                      out, log));
        ASSERT_TRUE(converter.convert(1200, 65001, dataOf(one.bytes),
                                      static_cast<unsigned>(one.bytes.size()), out, log));
        expected += one.bytes + utf8;
    }
    EXPECT_TRUE(expected == bytesOf(out))
        << "sizes " << expected.size() << " and " << out.getSize();
}

TEST(EncodingConvert, NullOrEmptyInputGivesNothingAndTrue) {
    EncodingConvert converter;
    LogNull log;
    const int routes[][2] = {{65001, 1200}, {1200, 65001},  {1201, 1200},   {65000, 1200},
                             {1200, 65000}, {65005, 65001}, {65001, 65006}, {50220, 65001},
                             {50225, 1200}, {10004, 1200},  {1200, 1201}};
    for (const auto &route : routes) {
        DataBuffer out;
        EXPECT_TRUE(converter.convert(route[0], route[1], nullptr, 10, out, log))
            << route[0] << " -> " << route[1];
        EXPECT_TRUE(converter.convert(route[0], route[1], dataOf("AB"), 0, out, log))
            << route[0] << " -> " << route[1];
        EXPECT_EQ(0u, out.getSize()) << route[0] << " -> " << route[1];
    }
}

TEST(EncodingConvert, Utf8MarkAloneGivesNothing) {
    expectConverted(65001, 1200, "\xEF\xBB\xBF", true, "");
    expectConverted(65001, 1200,
                    "\xEF\xBB\xBF"
                    "A",
                    true, std::string("A\0", 2));
    // A mark anywhere else is a character.
    expectConverted(65001, 1200, "A\xEF\xBB\xBF", true, std::string("A\0\xFF\xFE", 4));
}

TEST(EncodingConvert, Utf16MarkWinsOverTheDeclaredOrder) {
    expectConverted(1200, 65001, std::string("\xFE\xFF\x00\x41\x20\xAC", 6), true, "A\xE2\x82\xAC");
    expectConverted(1200, 65001, std::string("\xFF\xFE\x41\x00", 4), true, "A");
    expectConverted(1201, 65001, std::string("\xFF\xFE\x41\x00", 4), true, "A");
    expectConverted(1201, 65001, std::string("\x00\x41", 2), true, "A");
    expectConverted(1200, 65001, std::string("\x41\x00", 2), true, "A");
    expectConverted(1201, 1200, std::string("\xFF\xFE\x41\x00", 4), true, std::string("A\0", 2));
    expectConverted(1200, 65001, "\xFE\xFF", true, "");
    expectConverted(1201, 65001, "\xFF\xFE", true, "");
}

TEST(EncodingConvert, Utf16ByteOrderSwaps) {
    expectConverted(1201, 1200, std::string("\x00\x41\x30\x42", 4), true,
                    std::string("\x41\x00\x42\x30", 4));
    expectConverted(1200, 1201, std::string("\x41\x00\x42\x30", 4), true,
                    std::string("\x00\x41\x30\x42", 4));
    // An odd last byte is dropped both ways.
    expectConverted(1201, 1200, std::string("\x00\x41\x30", 3), true, std::string("\x41\x00", 2));
    expectConverted(1200, 1201, std::string("\x41\x00\x42", 3), true, std::string("\x00\x41", 2));
    expectConverted(1201, 1200, "\x30", true, "");
    expectConverted(1200, 1201, "\x30", true, "");
}

TEST(EncodingConvert, PreambleGoesBeforeTheText) {
    EncodingConvert converter;
    LogNull log;
    struct Case {
        int from, to;
        std::string input, expected;
    } cases[] = {
        {65001, 65001, "\xEF\xBB\xBF", "\xEF\xBB\xBF\xEF\xBB\xBF"},
        {65001, 0, "A",
         "\xEF\xBB\xBF"
         "A"},
        {65001, 1200, "A", std::string("\xFF\xFE\x41\x00", 4)},
        {65001, 1201, "A", std::string("\xFE\xFF\x00\x41", 4)},
        {65001, 65005, "A", std::string("A\0\0\0", 4)},
        {65001, 65006, "A", std::string("\0\0\0A", 4)},
        {1200, 65001, std::string("A\0", 2),
         "\xEF\xBB\xBF"
         "A"},
        {1252, 0, "A", "A"},
        {65001, 65001, "", "\xEF\xBB\xBF"},
    };
    for (const Case &c : cases) {
        DataBuffer out;
        EXPECT_TRUE(converter.convertWithPreamble(c.from, c.to, dataOf(c.input),
                                                  static_cast<unsigned>(c.input.size()), out, log));
        EXPECT_EQ(c.expected, bytesOf(out))
            << c.from << " -> " << c.to << ": got " << hexOf(bytesOf(out));
    }
}

TEST(EncodingConvert, CharsetNameSelectsTheSource) {
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    EXPECT_TRUE(converter.convertFromCharsetName(" UTF_8 ", 1200, dataOf("A"), 1, out, log));
    EXPECT_EQ(std::string("A\0", 2), bytesOf(out)) << "got " << hexOf(bytesOf(out));

    DataBuffer none;
    EXPECT_FALSE(
        converter.convertFromCharsetName("no-such-charset", 1200, dataOf("A"), 1, none, log));
    EXPECT_FALSE(converter.convertFromCharsetName(nullptr, 1200, dataOf("A"), 1, none, log));
    EXPECT_FALSE(converter.convertFromCharsetName("", 1200, dataOf("A"), 1, none, log));
    EXPECT_EQ(0u, none.getSize()) << "got " << hexOf(bytesOf(none));

    DataBuffer copy;
    EXPECT_TRUE(converter.convertFromCharsetName("utf-16", 0, dataOf("AB"), 2, copy, log));
    EXPECT_EQ("AB", bytesOf(copy));
}

TEST(EncodingConvert, PagesWithoutTablesFail) {
    // hz-gb-2312, x-user-defined, ISCII Devanagari and an unknown number.
    for (int page : {52936, 50000, 57002, 12345}) {
        expectConverted(page, 1200, "AB", false, "");
        expectConverted(1200, page, std::string("A\0", 2), false, "");
        expectConverted(65001, page, "AB", false, "");
        expectConverted(page, 65001, "AB", false, "");
        expectConverted(page, 65000, "AB", false, "");
        expectConverted(page, 65005, "AB", false, "");
    }
}

// ------------------------------------------------------------------------------------
// UTF-16 to UTF-8

// The rule written out the slow way, to hold the word-at-a-time walk against.
std::string utf8OfUnits(const std::u16string &units) {
    std::string bytes;
    for (char16_t u : units) {
        if (u == 0) continue;
        if (u < 0x80) {
            bytes += static_cast<char>(u);
        } else if (u < 0x800) {
            bytes += static_cast<char>(0xC0 | u >> 6);
            bytes += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | u >> 12);
            bytes += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return bytes;
}

TEST(EncodingConvert, Utf16ToUtf8UnitByUnit) {
    auto step = EncodingConvert::utf16ToUtf8;
    Converted got = runStep(step, utf16le(u"A\u00E9\u20AC"));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ("A\xC3\xA9\xE2\x82\xAC", got.bytes) << hexOf(got.bytes);

    got = runStep(step, utf16le(std::u16string(u"A\0B", 3)));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ("AB", got.bytes) << "a unit 0 gives nothing: " << hexOf(got.bytes);

    got = runStep(step, utf16le(u"\U0001F600"));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ("\xED\xA0\xBD\xED\xB8\x80", got.bytes)
        << "surrogates are not paired: " << hexOf(got.bytes);

    got = runStep(step, utf16le(u"\xDC00") + utf16le(u"\xD800"));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ("\xED\xB0\x80\xED\xA0\x80", got.bytes) << "lone halves: " << hexOf(got.bytes);
}

TEST(EncodingConvert, Utf16ToUtf8OddLengthIsFalse) {
    auto step = EncodingConvert::utf16ToUtf8;
    Converted got = runStep(step, std::string("A\0B", 3));
    EXPECT_FALSE(got.ok);
    EXPECT_EQ("A", got.bytes) << hexOf(got.bytes);

    got = runStep(step, "A");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ("", got.bytes) << hexOf(got.bytes);

    expectConverted(1200, 65001, std::string("A\0B", 3), false, "A");
}

TEST(EncodingConvert, Utf16ToUtf8MatchesTheRuleOnMixedText) {
    std::mt19937 random(11);
    const char16_t pool[] = {u'a',  u'Z',  u' ',   u'\n',  0,      0x7F,   0x80,  0xE9,
                             0x7FF, 0x800, 0x3042, 0xD800, 0xDFFF, 0xFFFF, 0xFEFF};
    std::uniform_int_distribution<int> pick(0, sizeof(pool) / sizeof(pool[0]) - 1);
    std::uniform_int_distribution<int> asciiRun(0, 40);
    for (int round = 0; round < 200; ++round) {
        std::u16string units;
        while (units.size() < 600) {
            for (int n = asciiRun(random); n > 0; --n)
                units += static_cast<char16_t>(u'a' + n % 26);
            units += pool[pick(random)];
        }
        Converted got = runStep(EncodingConvert::utf16ToUtf8, utf16le(units));
        ASSERT_TRUE(got.ok);
        ASSERT_EQ(utf8OfUnits(units), got.bytes) << "round " << round;
    }
}

// ------------------------------------------------------------------------------------
// UTF-8 to UTF-16

struct Utf8Case {
    const char *what;
    std::string utf8;
    std::u16string utf16;
};

class Utf8ToUtf16 : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToUtf16, DropsWhatIsNotA1To3ByteSequence) {
    const Utf8Case &c = GetParam();
    Converted got = runStep(EncodingConvert::utf8ToUtf16, c.utf8);
    EXPECT_TRUE(got.ok) << c.what;
    EXPECT_EQ(utf16le(c.utf16), got.bytes)
        << c.what << ": got " << hexOf(got.bytes) << ", expected " << hexOf(utf16le(c.utf16));
    // The same inside longer text, where the walk goes several bytes at a time.
    const std::string pad = "0123456789abcdef";
    Converted padded = runStep(EncodingConvert::utf8ToUtf16, pad + c.utf8 + pad);
    std::u16string padUnits = u"0123456789abcdef";
    EXPECT_EQ(utf16le(padUnits + c.utf16 + padUnits), padded.bytes)
        << c.what << " in longer text: got " << hexOf(padded.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToUtf16,
    testing::Values(Utf8Case{"ASCII and byte 0", std::string("A\0z", 3),
                             std::u16string(u"A\0z", 3)},
                    Utf8Case{"2 and 3 bytes", "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF",
                             u"\u0080\u07FF\u0800\uFFFF"},
                    Utf8Case{"surrogate code points decode", "\xED\xA0\x80", u"\xD800"},
                    Utf8Case{"4-byte sequence dropped",
                             "A\xF0\x9F\x98\x80"
                             "B",
                             u"AB"},
                    Utf8Case{"overlong 2-byte dropped",
                             "A\xC0\xAF\xC1\xBF"
                             "B",
                             u"AB"},
                    Utf8Case{"overlong 3-byte dropped",
                             "A\xE0\x80\xAF"
                             "B",
                             u"AB"},
                    Utf8Case{"E0 needs A0 or more", "\xE0\x9F\xBF", u""},
                    Utf8Case{"cut-off 3-byte before ASCII",
                             "\xE3\x81"
                             "A",
                             u"A"},
                    Utf8Case{"cut-off 2-byte at the end", "A\xC3", u"A"},
                    Utf8Case{"cut-off 3-byte at the end", "A\xE3\x81", u"A"},
                    Utf8Case{"lone continuation bytes",
                             "\x80\xBF"
                             "A",
                             u"A"},
                    Utf8Case{"F5-FF dropped", "\xF5\xF8\xFC\xFE\xFF", u""},
                    Utf8Case{"lead restarts after a bad continuation", "\xC3\xC3\xA9", u"\u00E9"}));

std::u16string unitsOfUtf8Rule(const std::string &bytes) {
    std::u16string units;
    size_t i = 0;
    auto cont = [&bytes](size_t k) {
        return k < bytes.size() && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80;
    };
    while (i < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            units += b;
            i += 1;
        } else if (b >= 0xC2 && b <= 0xDF && cont(i + 1)) {
            units += static_cast<char16_t>((b & 0x1F) << 6 | (bytes[i + 1] & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && cont(i + 1) && cont(i + 2) &&
                   (b != 0xE0 || static_cast<unsigned char>(bytes[i + 1]) >= 0xA0)) {
            units += static_cast<char16_t>((b & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 |
                                           (bytes[i + 2] & 0x3F));
            i += 3;
        } else {
            i += 1;
        }
    }
    return units;
}

TEST(EncodingConvert, Utf8ToUtf16MatchesTheRuleOnRandomText) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> asciiRun(0, 30);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        while (bytes.size() < 700) {
            for (int n = asciiRun(random); n > 0; --n)
                bytes += static_cast<char>('a' + n % 26);
            for (int n = 1 + asciiRun(random) % 4; n > 0; --n)
                bytes += static_cast<char>(anyByte(random));
            if (round % 2) bytes += "\xE3\x81\x82\xC3\xA9";
        }
        Converted got = runStep(EncodingConvert::utf8ToUtf16, bytes);
        ASSERT_TRUE(got.ok);
        ASSERT_EQ(utf16le(unitsOfUtf8Rule(bytes)), got.bytes) << "round " << round;
    }
}

TEST(EncodingConvert, Utf8ToUtf16AndBackKeepsTheText) {
    std::string text = "Gr\xC3\xBC\xC3\x9F"
                       "e \xE6\x97\xA5\xE6\x9C\xAC, \xD0\x9C\xD0\xB8\xD1\x80!\n";
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += text;
    Converted utf16 = convertBytes(65001, 1200, many);
    ASSERT_TRUE(utf16.ok);
    Converted back = convertBytes(1200, 65001, utf16.bytes);
    ASSERT_TRUE(back.ok);
    EXPECT_TRUE(many == back.bytes) << "sizes " << many.size() << " and " << back.bytes.size();
}

// ------------------------------------------------------------------------------------
// UTF-32

std::string le32(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

std::string be32(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
}

struct Utf32Case {
    uint32_t value;
    std::string utf8;
};

class Utf32ToUtf8 : public testing::TestWithParam<Utf32Case> {};

TEST_P(Utf32ToUtf8, EncodesByValue) {
    const Utf32Case &c = GetParam();
    Converted got = runStep(EncodingConvert::utf32leToUtf8, le32(c.value));
    EXPECT_TRUE(got.ok);
    EXPECT_EQ(c.utf8, got.bytes) << std::hex << c.value << ": got " << hexOf(got.bytes);
    expectConverted(65006, 65001, be32(c.value), true, c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Utf32ToUtf8,
    testing::Values(Utf32Case{0x41, "A"}, Utf32Case{0, std::string(1, '\0')},
                    Utf32Case{0x7FF, "\xDF\xBF"}, Utf32Case{0xFFFF, "\xEF\xBF\xBF"},
                    Utf32Case{0xD800, "\xED\xA0\x80"}, Utf32Case{0x10000, "\xF0\x90\x80\x80"},
                    Utf32Case{0x10FFFF, "\xF4\x8F\xBF\xBF"},
                    Utf32Case{0x110000, "\xF4\x90\x80\x80"},
                    Utf32Case{0x1FFFFF, "\xF7\xBF\xBF\xBF"}, Utf32Case{0x200000, "\xEF\xBF\xBD"},
                    Utf32Case{0xFFFFFFFF, "\xEF\xBF\xBD"}));

TEST(EncodingConvert, Utf32ShortInput) {
    Converted got = runStep(EncodingConvert::utf32leToUtf8, "ABC");
    EXPECT_FALSE(got.ok);
    EXPECT_EQ("", got.bytes);
    // The engine takes fewer than 4 bytes as nothing to convert.
    expectConverted(65005, 65001, "ABC", true, "");
    expectConverted(65006, 1200, "ABC", true, "");
    // Bytes short of a whole unit at the end are left out.
    expectConverted(65005, 65001, le32(0x41) + "BC", true, "A");
    expectConverted(65006, 65001, be32(0x41) + "B", true, "A");
}

TEST(EncodingConvert, Utf32NoMarkIsLookedAt) {
    expectConverted(65005, 65001, le32(0xFEFF) + le32(0x41), true,
                    "\xEF\xBB\xBF"
                    "A");
}

TEST(EncodingConvert, Utf8ToUtf32BothOrders) {
    std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    expectConverted(65001, 65005, text, true,
                    le32(0x41) + le32(0xE9) + le32(0x20AC) + le32(0x1F600));
    expectConverted(65001, 65006, text, true,
                    be32(0x41) + be32(0xE9) + be32(0x20AC) + be32(0x1F600));
    // The UTF-8 mark is skipped on the way.
    expectConverted(65001, 65005,
                    "\xEF\xBB\xBF"
                    "A",
                    true, le32(0x41));
}

TEST(EncodingConvert, Utf16SurrogatePairsBecomeTwoUtf32Units) {
    expectConverted(1200, 65005, utf16le(u"\U0001F600"), true, le32(0xD83D) + le32(0xDE00));
}

struct IllegalUtf8 {
    const char *what;
    std::string utf8;
    std::string kept; // as UTF-32LE
};

class Utf8ToUtf32Illegal : public testing::TestWithParam<IllegalUtf8> {};

TEST_P(Utf8ToUtf32Illegal, StopsAndKeepsWhatWasWritten) {
    const IllegalUtf8 &c = GetParam();
    DataBuffer out;
    bool ok = EncodingConvert::utf8ToUtf32(dataOf(c.utf8), static_cast<uint32_t>(c.utf8.size()),
                                           false, out);
    EXPECT_FALSE(ok) << c.what;
    EXPECT_EQ(c.kept, bytesOf(out)) << c.what << ": got " << hexOf(bytesOf(out));
    Converted viaConvert = convertBytes(65001, 65005, c.utf8);
    EXPECT_FALSE(viaConvert.ok) << c.what;
    EXPECT_EQ(c.kept, viaConvert.bytes) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToUtf32Illegal,
    testing::Values(IllegalUtf8{"lone continuation",
                                "A\x80"
                                "B",
                                le32(0x41)},
                    IllegalUtf8{"overlong C0", "A\xC0\x80", le32(0x41)},
                    IllegalUtf8{"overlong C1", "\xC1\xBF", ""},
                    IllegalUtf8{"overlong E0", "A\xE0\x9F\xBF", le32(0x41)},
                    IllegalUtf8{"overlong F0", "\xF0\x8F\xBF\xBF", ""},
                    IllegalUtf8{"above 0x10FFFF", "A\xF4\x90\x80\x80", le32(0x41)},
                    IllegalUtf8{"lead above F4", "\xF5\x80\x80\x80", ""},
                    IllegalUtf8{"5-byte lead",
                                "A\xF8\x88\x80\x80\x80"
                                "B",
                                le32(0x41)},
                    IllegalUtf8{"bad continuation", "\xC3\xA9\xE2\x28\xA1", le32(0xE9)},
                    IllegalUtf8{"cut off at the end", "AB\xE2\x82", le32(0x41) + le32(0x42)},
                    IllegalUtf8{"4-byte cut off", "\xF0\x9F\x98", ""}));

TEST(EncodingConvert, Utf8ToUtf32HasNoSurrogateTest) {
    expectConverted(65001, 65005, "\xED\xA0\x80", true, le32(0xD800));
}

// ------------------------------------------------------------------------------------
// UTF-7

struct Utf7Case {
    const char *what;
    std::u16string text;
    std::string utf7;
};

class Utf7Encode : public testing::TestWithParam<Utf7Case> {};

TEST_P(Utf7Encode, WritesOnlyTheDirectCharactersDirectly) {
    const Utf7Case &c = GetParam();
    expectConverted(1200, 65000, utf16le(c.text), true, c.utf7);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf7Encode,
    testing::Values(Utf7Case{"plus sign", u"A+B", "A+-B"}, Utf7Case{"e acute", u"\u00E9", "+AOk-"},
                    Utf7Case{"RFC 2152 A not identical to Alpha", u"A\u2262\u0391.", "A+ImIDkQ-."},
                    Utf7Case{"RFC 2152 Hi Mom", u"Hi Mom -\u263A-!", "Hi Mom -+Jjo--+ACE-"},
                    Utf7Case{"RFC 2152 nihongo", u"\u65E5\u672C\u8A9E", "+ZeVnLIqe-"},
                    Utf7Case{"direct characters", u"az AZ 09 '(),-./:?\t\r\n",
                             "az AZ 09 '(),-./:?\t\r\n"},
                    Utf7Case{"optional direct characters are encoded", u"!\"#$%&*;<=>@[]^_`{|}",
                             "+ACEAIgAjACQAJQAmACoAOwA8AD0APgBAAFsAXQBeAF8AYAB7AHwAfQ-"},
                    Utf7Case{"backslash and tilde are encoded", u"\\~", "+AFwAfg-"},
                    Utf7Case{"plus sign closes a run first", u"\u00E9+", "+AOk-+-"},
                    Utf7Case{"leading mark left out", u"\uFEFFA", "A"},
                    Utf7Case{"a later mark is a character", u"A\uFEFF", "A+/v8-"},
                    Utf7Case{"unit 0", std::u16string(1, u'\0'), "+AAA-"},
                    Utf7Case{"run of three units", u"\u00E9\u00E9\u00E9", "+AOkA6QDp-"}));

TEST(EncodingConvert, Utf7EncodeLeavesOutALeadingMark) {
    // As UTF-16 input the mark is taken off before the encoder; from UTF-32 it is not.
    Converted got = runStep(EncodingConvert::utf16ToUtf7, utf16le(u"\uFEFFA\uFEFF"));
    EXPECT_EQ("A+/v8-", got.bytes) << hexOf(got.bytes);
    expectConverted(65005, 65000, std::string("\xFF\xFE\0\0\x41\0\0\0", 8), true, "A");
}

TEST(EncodingConvert, Utf7EncodeDropsAnOddLastByte) {
    expectConverted(1200, 65000, std::string("A\0B", 3), true, "A");
}

struct Utf7DecodeCase {
    const char *what;
    std::string utf7;
    bool valid;
    std::u16string text;
};

class Utf7Decode : public testing::TestWithParam<Utf7DecodeCase> {};

TEST_P(Utf7Decode, ConvertsAndJudges) {
    const Utf7DecodeCase &c = GetParam();
    Converted got = runStep(EncodingConvert::utf7ToUtf16, c.utf7);
    EXPECT_EQ(c.valid, got.ok) << c.what;
    EXPECT_EQ(utf16le(c.text), got.bytes) << c.what << ": got " << hexOf(got.bytes);
    // The engine converts whatever the judgement.
    Converted viaConvert = convertBytes(65000, 1200, c.utf7);
    EXPECT_EQ(utf16le(c.text), viaConvert.bytes) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf7Decode,
    testing::Values(
        Utf7DecodeCase{"plus hyphen", "A+-B", true, u"A+B"},
        Utf7DecodeCase{"closed run", "+AOk-", true, u"\u00E9"},
        Utf7DecodeCase{"run closed by the end", "+AOk", true, u"\u00E9"},
        Utf7DecodeCase{"run closed by a direct character", "A+ImIDkQ.", true, u"A\u2262\u0391."},
        Utf7DecodeCase{"RFC Hi Mom", "Hi Mom -+Jjo--!", true, u"Hi Mom -\u263A-!"},
        Utf7DecodeCase{"RFC nihongo", "+ZeVnLIqe-", true, u"\u65E5\u672C\u8A9E"},
        Utf7DecodeCase{"RFC Item 3", "Item 3 is +AKM-1.", true, u"Item 3 is \u00A31."},
        Utf7DecodeCase{"second hyphen is a character", "+AOk--", true, u"\u00E9-"},
        Utf7DecodeCase{"byte above 0x7F",
                       "A\xE9"
                       "B",
                       false, u"A\u00E9B"},
        Utf7DecodeCase{"byte above 0x7F ends a run", "+AOk\xE9", false, u"\u00E9\u00E9"},
        Utf7DecodeCase{"empty run", "+!", false, u"!"},
        Utf7DecodeCase{"empty run at the end", "A+", false, u"A"},
        Utf7DecodeCase{"run too short for a character", "+AA-", false, u""},
        Utf7DecodeCase{"non-zero leftover bits", "+AOl-", false, u"\u00E9"},
        Utf7DecodeCase{"zero leftover bits beyond 6", "+AOkAAA-", true,
                       std::u16string(u"\u00E9\0", 2)}));

TEST(EncodingConvert, Utf7RoundTripsRandomText) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> anyUnit(1, 0xFFFF);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    std::uniform_int_distribution<int> coin(0, 2);
    for (int round = 0; round < 200; ++round) {
        std::u16string text;
        for (int i = 0; i < 100; ++i)
            text += static_cast<char16_t>(coin(random) ? ascii(random) : anyUnit(random));
        if (text[0] == 0xFEFF) text[0] = u'x';
        Converted utf7 = convertBytes(1200, 65000, utf16le(text));
        ASSERT_TRUE(utf7.ok);
        for (unsigned char b : utf7.bytes)
            ASSERT_LT(b, 0x80) << "round " << round;
        Converted back = runStep(EncodingConvert::utf7ToUtf16, utf7.bytes);
        EXPECT_TRUE(back.ok) << "round " << round << ": " << utf7.bytes;
        ASSERT_EQ(utf16le(text), back.bytes) << "round " << round << ": " << utf7.bytes;
    }
}

TEST(EncodingConvert, Utf7ToOtherForms) {
    expectConverted(65000, 65001, "A+AOk-", true, "A\xC3\xA9");
    expectConverted(65000, 1201, "A+AOk-", true, std::string("\x00\x41\x00\xE9", 4));
    expectConverted(65001, 65000, "\xC3\xA9", true, "+AOk-");
    expectConverted(65000, 65005, "+AOk-", true, le32(0xE9));
}

// ------------------------------------------------------------------------------------
// ISO-2022 sources and targets that need no table on the way

TEST(EncodingConvert, Iso2022jpToShiftJisAndBack) {
    std::string iso = "\x1B$B\x30\x21\x1B(B";
    expectConverted(50220, 932, iso, true, "\x88\x9F");
    expectConverted(50221, 932, iso, true, "\x88\x9F");
    expectConverted(50222, 932, iso, true, "\x88\x9F");
    expectConverted(932, 50220, "\x88\x9F", true, iso);
    expectConverted(932, 50222, "\x82\xA0", true, "\x1B$B\x24\x22\x1B(B");
    // Between two ISO-2022-JP pages the text is decoded and encoded again.
    expectConverted(50220, 50221, "\x1B$@\x30\x21", true, iso);
}

TEST(EncodingConvert, Iso2022CutOffAtTheEnd) {
    expectConverted(50220, 932, "AB\x1B$", true, "AB");
    expectConverted(50220, 932, "\x1B", true, "");
    expectConverted(50220, 932, "\x1B$B\x30", true, "");
    expectConverted(50225, 949, "\x0E\x30", true, "");
}

TEST(EncodingConvert, Iso2022krToEucKrAndBack) {
    std::string iso = "\x1B$)C\x0E\x30\x21\x0F\n";
    expectConverted(50225, 949, iso, true, "\xB0\xA1\n");
    expectConverted(949, 50225, "\xB0\xA1\n", true, iso);
}

// ------------------------------------------------------------------------------------
// Mac Arabic preparation

struct MacArabicCase {
    const char *what;
    std::string input;
    std::string prepared;
};

class MacArabicPreparation : public testing::TestWithParam<MacArabicCase> {};

TEST_P(MacArabicPreparation, ReversesRunsAndRemaps) {
    const MacArabicCase &c = GetParam();
    std::string bytes = c.input;
    EncodingConvert::prepareMacArabic(reinterpret_cast<unsigned char *>(&bytes[0]),
                                      static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(c.prepared, bytes) << c.what << ": got " << hexOf(bytes) << ", expected "
                                 << hexOf(c.prepared);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacArabicPreparation,
    testing::Values(MacArabicCase{"digits in visual order", "\xB1\xB2\xB3", "321"},
                    MacArabicCase{"single digit",
                                  "A\xB5"
                                  "B",
                                  "A5B"},
                    MacArabicCase{"control byte ends a run", "\xB1\xB2\r\xB3\xB4", "21\r43"},
                    MacArabicCase{"unflagged byte ends a run", "\xB1\xC7\xB2\xB3",
                                  "1\xC7"
                                  "32"},
                    MacArabicCase{"A5 and AC stay and end runs", "\xB1\xA5\xB2\xAC\xB3",
                                  "1\xA5"
                                  "2\xAC"
                                  "3"},
                    MacArabicCase{"81 reversed and remapped", "\x81\xB1", "1\xA0"},
                    MacArabicCase{"C0 takes part but keeps its code", "\xC0\xB1\xB2", "21\xC0"},
                    MacArabicCase{"flagged bytes without a remap", "\x8C\x93\x98\x9B",
                                  "\x9B\x98\x93\x8C"},
                    MacArabicCase{"right-to-left punctuation", "\xA8\xA9\xBA", ":)("},
                    MacArabicCase{"ranges DB-DF and FB-FD", "\xDB\xFD", "}["},
                    MacArabicCase{"plain ASCII untouched", "Hello 12", "Hello 12"},
                    MacArabicCase{"empty", "", ""}));

} // namespace

namespace {

// The lookup tables built on first use must come out whole when several threads get
// there at once.
TEST(EncodingConvert, ConcurrentConversionsAgree) {
    const std::string utf16 = utf16le(u"caf\u00E9 +\u65E5\u672C\u8A9E\uAC00 ok");
    const std::string iso = "\x1B$B\x7C\x71\x79\x21\x30\x21\x1B(B";
    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            std::string all;
            for (int round = 0; round < 20; ++round) {
                all += convertBytes(1200, 65000, utf16).bytes;
                all += convertBytes(65000, 65001, "+ZeVnLIqe-").bytes;
                all += convertBytes(50220, 932, iso).bytes;
                all += convertBytes(1200, 50225, utf16).bytes;
            }
            results[t] = all;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (size_t t = 1; t < results.size(); ++t)
        EXPECT_EQ(results[0], results[t]) << "thread " << t;
    EXPECT_NE(std::string::npos, results[0].find("\xFA\x40\xFA\x5C\x88\x9F"))
        << hexOf(results[0].substr(0, 80));
}

} // namespace
