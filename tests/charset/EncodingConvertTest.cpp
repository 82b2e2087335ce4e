#include "charset/EncodingConvert.h"

#include "ConvertTestSupport.h"

// Conversions that need no code page table: routing, byte order marks, UTF-7, UTF-8,
// UTF-16, UTF-32, the ISO-2022 framing and the Mac Arabic preparation. The table-driven
// routes are in TableWalksTest.cpp.

namespace {

std::string le32(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

TEST(EncodingConvert, Routes) {
    const std::string raw = "\x81\x00\xFFz"s, iso2022jp = "\x1B$B\x30\x21\x1B(B";
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    // clang-format off
    const ConvertCase cases[] = {
        // No target, no source or the same page, even an unconvertible one: a copy.
        {1252, 0, raw, true, raw}, {0, 65001, raw, true, raw}, {52936, 52936, raw, true, raw},
        // A mark is dropped only at the start; a UTF-16 mark wins over the declared order.
        {65001, 1200, "\xEF\xBB\xBF", true, ""}, {65001, 1200, "\xEF\xBB\xBF\x41", true, "A\0"s},
        {65001, 1200, "A\xEF\xBB\xBF", true, "A\0\xFF\xFE"s},
        {1200, 65001, "\xFE\xFF\x00\x41\x20\xAC"s, true, "A\xE2\x82\xAC"},
        {1200, 65001, "\xFF\xFE\x41\0"s, true, "A"}, {1201, 65001, "\xFF\xFE\x41\0"s, true, "A"},
        {1201, 65001, "\x00\x41"s, true, "A"}, {1201, 1200, "\xFF\xFE\x41\x00"s, true, "A\0"s},
        {1200, 65001, "\xFE\xFF", true, ""}, {1201, 65001, "\xFF\xFE", true, ""},
        // UTF-16 byte order swaps; an odd last byte is dropped, and fails only to UTF-8.
        {1201, 1200, "\x00\x41\x30\x42"s, true, "\x41\x00\x42\x30"s},
        {1200, 1201, "\x41\x00\x42\x30"s, true, "\x00\x41\x30\x42"s},
        {1201, 1200, "\x00\x41\x30"s, true, "\x41\x00"s}, {1200, 1201, "\x30", true, ""},
        {1200, 65001, "A\0B"s, false, "A"}, {1200, 65000, "A\0B"s, true, "A"},
        // UTF-32: fewer than 4 bytes are nothing, a short tail is left out, no mark is
        // looked at, and neither surrogates nor pairs are judged.
        {65005, 65001, "ABC", true, ""}, {65006, 1200, "ABC", true, ""},
        {65005, 65001, le32(0x41) + "BC", true, "A"}, {65006, 65001, "\0\0\0AB"s, true, "A"},
        {65005, 65001, le32(0xFEFF) + le32(0x41), true, "\xEF\xBB\xBF\x41"},
        {65001, 65005, text, true, le32(0x41) + le32(0xE9) + le32(0x20AC) + le32(0x1F600)},
        {65001, 65006, text, true, "\0\0\0A\0\0\0\xE9\0\0\x20\xAC\0\x01\xF6\0"s},
        {65001, 65005, "\xEF\xBB\xBF\x41", true, le32(0x41)},
        {65001, 65005, "\xED\xA0\x80", true, le32(0xD800)},
        {1200, 65005, utf16le(u"\U0001F600"), true, le32(0xD83D) + le32(0xDE00)},
        // UTF-32 to UTF-8 by value, up to 0x1FFFFF; U+FFFD beyond.
        {65005, 65001, le32(0x7FF) + le32(0xFFFF) + le32(0), true, "\xDF\xBF\xEF\xBF\xBF\0"s},
        {65005, 65001, le32(0xD800) + le32(0x10000), true, "\xED\xA0\x80\xF0\x90\x80\x80"},
        {65005, 65001, le32(0x10FFFF) + le32(0x110000), true, "\xF4\x8F\xBF\xBF\xF4\x90\x80\x80"},
        {65006, 65001, "\0\x1F\xFF\xFF\0\x20\0\0"s, true, "\xF7\xBF\xBF\xBF\xEF\xBF\xBD"},
        {65005, 65001, le32(0xFFFFFFFF), true, "\xEF\xBF\xBD"},
        // UTF-8 to UTF-32 stops at an illegal sequence and keeps what it wrote.
        {65001, 65005, "A\x80Z", false, le32('A')}, {65001, 65005, "A\xC0\x80", false, le32('A')},
        {65001, 65005, "\xC1\xBF", false, ""}, {65001, 65005, "A\xE0\x9F\xBF", false, le32(0x41)},
        {65001, 65005, "\xF0\x8F\xBF\xBF", false, ""}, {65001, 65005, "\xF5\x80\x80", false, ""},
        {65001, 65005, "A\xF4\x90\x80\x80", false, le32(0x41)}, // above U+10FFFF
        {65001, 65005, "A\xF8\x88\x80\x80\x80\x42", false, le32(0x41)},
        {65001, 65005, "\xC3\xA9\xE2\x28\xA1", false, le32(0xE9)},
        {65001, 65005, "AB\xE2\x82", false, le32(0x41) + le32(0x42)},
        {65001, 65005, "\xF0\x9F\x98", false, ""},
        // UTF-7 beyond the pairs of Utf7BothWays: a mark as text, and other routes.
        {1200, 65000, utf16le(u"\uFEFFA\uFEFF"), true, "A+/v8-"},
        {65005, 65000, "\xFF\xFE\0\0\x41\0\0\0"s, true, "A"},
        {65000, 65001, "A+AOk-", true, "A\xC3\xA9"}, {65000, 1201, "A+AOk-", true, "\0A\0\xE9"s},
        {65001, 65000, "\xC3\xA9", true, "+AOk-"}, {65000, 65005, "+AOk-", true, le32(0xE9)},
        // ISO-2022 framing without a table on the way; between two ISO-2022-JP pages
        // the text is decoded and encoded again.
        {50221, 932, iso2022jp, true, "\x88\x9F"}, {932, 50222, "\x88\x9F", true, iso2022jp},
        {50220, 50221, "\x1B$@\x30\x21", true, iso2022jp}, {50220, 932, "AB\x1B$", true, "AB"},
        {50225, 949, "\x1B$)C\x0E\x30\x21\x0F\n", true, "\xB0\xA1\n"},
        {949, 50225, "\xB0\xA1\n", true, "\x1B$)C\x0E\x30\x21\x0F\n"},
    };
    // clang-format on
    expectConvertedAll(cases);
    // hz-gb-2312, x-user-defined, ISCII Devanagari and an unknown number have no tables.
    for (int page : {52936, 50000, 57002, 12345}) {
        for (int other : {1200, 65001, 65000, 65005})
            expectConverted({page, other, "AB", false, ""});
        expectConverted({1200, page, "A\0"s, false, ""});
        expectConverted({65001, page, "AB", false, ""});
    }
}

// Output is appended; no input gives nothing; a preamble goes before the text; a
// charset name selects the source.
TEST(EncodingConvert, EntryPoints) {
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    ASSERT_TRUE(out.append("xy", 2));
    EXPECT_TRUE(converter.convert(65001, 1200, dataOf("A"), 1, out, log) &&
                converter.convert(1252, 0, dataOf("B"), 1, out, log));
    for (int from : {65001, 1200, 1201, 65000, 65005, 50220, 50225, 10004})
        for (int to : {1200, 1201, 65000, 65001, 65006})
            EXPECT_TRUE(converter.convert(from, to, nullptr, 10, out, log) &&
                        converter.convert(from, to, dataOf("AB"), 0, out, log));
    EXPECT_TRUE(converter.convertFromCharsetName(" UTF_8 ", 1200, dataOf("C"), 1, out, log) &&
                converter.convertFromCharsetName("utf-16", 0, dataOf("DE"), 2, out, log));
    for (const char *unknown : {"no-such-charset", "", static_cast<const char *>(nullptr)})
        EXPECT_FALSE(converter.convertFromCharsetName(unknown, 1200, dataOf("A"), 1, out, log));
    EXPECT_EQ("xyA\0BC\0DE"s, bytesOf(out)) << hexOf(bytesOf(out));
    // clang-format off
    // The marks of UTF-8, UTF-16 and UTF-16BE, from either form, show in XString's tests.
    const ConvertCase preambles[] = {
        {65001, 65001, "\xEF\xBB\xBF", true, "\xEF\xBB\xBF\xEF\xBB\xBF"},
        {65001, 0, "A", true, "\xEF\xBB\xBF\x41"}, {1252, 0, "A", true, "A"},
        {65001, 65005, "A", true, "A\0\0\0"s}, {65001, 65006, "A", true, "\0\0\0A"s}};
    // clang-format on
    for (const ConvertCase &c : preambles) {
        DataBuffer with;
        EXPECT_TRUE(converter.convertWithPreamble(c.from, c.to, dataOf(c.input), sizeOf(c.input),
                                                  with, log));
        EXPECT_EQ(hexOf(c.expected), hexOf(bytesOf(with))) << c.from << " -> " << c.to;
    }
}

// Text and its UTF-7 form, each converting to the other (RFC 2152 examples among them):
// only the direct characters are written directly.
TEST(EncodingConvert, Utf7BothWays) {
    // clang-format off
    const std::pair<std::u16string, std::string> cases[] = {
        {u"A+B", "A+-B"}, {u"A\u2262\u0391.", "A+ImIDkQ-."}, {u"\u00E9+", "+AOk-+-"},
        {u"Hi Mom -\u263A-!", "Hi Mom -+Jjo--+ACE-"}, {u"\u65E5\u672C\u8A9E", "+ZeVnLIqe-"},
        {u"az AZ 09 '(),-./:?\t\r\n", "az AZ 09 '(),-./:?\t\r\n"}, {u"\0"s, "+AAA-"},
        {u"\u00E9\u00E9\u00E9", "+AOkA6QDp-"},
        {u"!\"#$%&*;<=>@[]^_`{|}\\~",
         "+ACEAIgAjACQAJQAmACoAOwA8AD0APgBAAFsAXQBeAF8AYAB7AHwAfQBcAH4-"}};
    // clang-format on
    for (const auto &c : cases) {
        expectConverted({1200, 65000, utf16le(c.first), true, c.second});
        expectConverted({65000, 1200, c.second, true, utf16le(c.first)});
        EXPECT_TRUE(runStep(EncodingConvert::utf7ToUtf16, c.second).ok) << c.second;
    }
}

// Edge cases of the single steps, where the engine would hide the step's result.
TEST(EncodingConvert, StepsOnEdgeCases) {
    const auto u16to8 = EncodingConvert::utf16ToUtf8, u8to16 = EncodingConvert::utf8ToUtf16,
               u7to16 = EncodingConvert::utf7ToUtf16;
    // clang-format off
    const struct {
        bool (*step)(const unsigned char *, uint32_t, DataBuffer &);
        std::string input;
        bool ok;
        std::string expected;
    } cases[] = {
        // UTF-16 to UTF-8: surrogates are not paired, lone halves written like any unit.
        {u16to8, utf16le(u"A\u00E9\u20AC\0B"s), true, "A\xC3\xA9\xE2\x82\xAC\x42"},
        {u16to8, utf16le(u"\U0001F600\xDC00\xD800"), true,
         "\xED\xA0\xBD\xED\xB8\x80\xED\xB0\x80\xED\xA0\x80"},
        {u16to8, "A\0B"s, false, "A"}, {u16to8, "A", false, ""},
        {EncodingConvert::utf32leToUtf8, "ABC", false, ""},
        // UTF-8 to UTF-16 drops what is not a 1- to 3-byte sequence.
        {u8to16, "A\0z"s, true, utf16le(u"A\0z"s)},
        {u8to16, "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", true,
         utf16le(u"\u0080\u07FF\u0800\uFFFF")},
        {u8to16, "\xED\xA0\x80", true, utf16le(u"\xD800")},    // surrogate code points decode
        {u8to16, "A\xF0\x9F\x98\x80\x42", true, "A\0B\0"s},    // 4 bytes
        {u8to16, "A\xC0\xAF\xC1\xBF\x42", true, "A\0B\0"s},    // overlong
        {u8to16, "A\xE0\x80\xAF\x42", true, "A\0B\0"s}, {u8to16, "\xE0\x9F\xBF", true, ""},
        {u8to16, "\xE3\x81\x41", true, "A\0"s}, {u8to16, "A\xC3", true, "A\0"s}, // cut off
        {u8to16, "A\xE3\x81", true, "A\0"s}, {u8to16, "\x80\xBF\x41", true, "A\0"s},
        {u8to16, "\xF5\xF8\xFC\xFE\xFF", true, ""},
        {u8to16, "\xC3\xC3\xA9", true, utf16le(u"\u00E9")},     // a lead restarts the sequence
        // UTF-7 decoding converts and judges; optional direct characters are read too.
        {u7to16, "+AOk", true, utf16le(u"\u00E9")},             // run closed by the end
        {u7to16, "A+ImIDkQ.", true, utf16le(u"A\u2262\u0391.")}, // ... by a direct character
        {u7to16, "Hi Mom -+Jjo--!", true, utf16le(u"Hi Mom -\u263A-!")},
        {u7to16, "+AOk--", true, utf16le(u"\u00E9-")},          // the second hyphen is text
        {u7to16, "A\xE9\x42", false, utf16le(u"A\u00E9B")},     // a byte above 0x7F ...
        {u7to16, "+AOk\xE9", false, utf16le(u"\u00E9\u00E9")},  // ... ends a run
        {u7to16, "+!", false, "!\0"s}, {u7to16, "A+", false, "A\0"s}, // empty runs
        {u7to16, "+AA-", false, ""},                            // too short for a character
        {u7to16, "+AOl-", false, utf16le(u"\u00E9")},           // non-zero leftover bits
        {u7to16, "+AOkAAA-", true, utf16le(u"\u00E9\0"s)},      // zero leftover bits beyond 6
    };
    // clang-format on
    const std::string pad = "0123456789abcdef", padUnits = utf16le(u"0123456789abcdef");
    for (const auto &c : cases) {
        EXPECT_EQ(shown(c.ok, c.expected), shown(runStep(c.step, c.input))) << hexOf(c.input);
        // The engine converts UTF-7 whatever the judgement; inside longer text the UTF-8
        // walk goes several bytes at a time.
        if (c.step == u7to16) {
            EXPECT_EQ(c.expected, convertBytes(65000, 1200, c.input).bytes) << c.input;
        } else if (c.step == u8to16) {
            EXPECT_EQ(padUnits + c.expected + padUnits, runStep(u8to16, pad + c.input + pad).bytes)
                << hexOf(c.input);
        }
    }
}

// The word-at-a-time walks against themselves on pieces too short for them: single
// UTF-16 units, and UTF-8 cut before each ASCII byte, where no sequence goes on.
TEST(EncodingConvert, UtfWalksGiveWhatTheyGiveOnShortPieces) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> anyByte(0, 255), asciiRun(0, 30);
    const char16_t pool[] = {0, 0x7F, 0x80, 0x7FF, 0x800, 0x3042, 0xD800, 0xDFFF, 0xFFFF, 0xFEFF};
    for (int round = 0; round < 200; ++round) {
        std::string utf8, utf16, pieces8, pieces16;
        while (utf8.size() < 700) {
            utf8 += std::string(static_cast<size_t>(asciiRun(random)), 'a');
            for (int n = 1 + asciiRun(random) % 4; n > 0; --n)
                utf8 += static_cast<char>(anyByte(random));
            if (round % 2) utf8 += "\xE3\x81\x82\xC3\xA9";
            utf16 += utf16le(std::u16string(asciiRun(random), u'a') + pool[anyByte(random) % 10]);
        }
        for (size_t start = 0, end = 1; start < utf8.size(); start = end++) {
            while (end < utf8.size() && utf8[end] & 0x80)
                ++end;
            pieces8 += runStep(EncodingConvert::utf8ToUtf16, utf8.substr(start, end - start)).bytes;
        }
        for (size_t i = 0; i < utf16.size(); i += 2)
            pieces16 += runStep(EncodingConvert::utf16ToUtf8, utf16.substr(i, 2)).bytes;
        ASSERT_EQ(pieces8, runStep(EncodingConvert::utf8ToUtf16, utf8).bytes) << round;
        ASSERT_EQ(pieces16, runStep(EncodingConvert::utf16ToUtf8, utf16).bytes) << round;
    }
    // Text far longer than any block the walks may use comes back whole.
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "Gr\xC3\xBC\xC3\x9F\x65 \xE6\x97\xA5\xE6\x9C\xAC, \xD0\x9C\xD0\xB8\xD1\x80!\n";
    Converted back = convertBytes(1200, 65001, convertBytes(65001, 1200, many).bytes);
    EXPECT_TRUE(back.ok && many == back.bytes)
        << "sizes " << many.size() << ", " << back.bytes.size();
}

// ------------------------------------------------------------------------------------
// Mac Arabic preparation: runs of right-to-left bytes reversed, some bytes remapped

TEST(EncodingConvert, MacArabicPreparationReversesRunsAndRemaps) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"\xB1\xB2\xB3", "321"}, {"A\xB5\x42", "A5B"}, {"Hello 12", "Hello 12"}, {"", ""},
        {"\xB1\xB2\r\xB3\xB4", "21\r43"}, {"\xB1\xC7\xB2\xB3", "1\xC7\x33\x32"}, // run ends
        {"\xB1\xA5\xB2\xAC\xB3", "1\xA5\x32\xAC\x33"}, {"\x81\xB1", "1\xA0"},    // 81 is A0
        {"\xC0\xB1\xB2", "21\xC0"},                            // C0 takes part, keeps its code
        {"\x8C\x93\x98\x9B", "\x9B\x98\x93\x8C"}, {"\xA8\xA9\xBA", ":)("}, {"\xDB\xFD", "}["}};
    // clang-format on
    for (const auto &c : cases) {
        std::string bytes = c.first;
        EncodingConvert::prepareMacArabic(reinterpret_cast<unsigned char *>(&bytes[0]),
                                          sizeOf(bytes));
        EXPECT_EQ(c.second, bytes) << hexOf(c.first) << ": got " << hexOf(bytes);
    }
}

} // namespace
