#include "charset/Japanese.h"

#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kEsc = "\x1B";
const std::string kToJis = "\x1B$B";
const std::string kToAscii = "\x1B(B";

std::string toShiftJis(const std::string &iso) {
    DataBuffer out;
    EXPECT_TRUE(
        Japanese().iso2022jpToShiftJis(dataOf(iso), static_cast<uint32_t>(iso.size()), out));
    return bytesOf(out);
}

std::string toIso(const std::string &sjis) {
    DataBuffer out;
    EXPECT_TRUE(
        Japanese().shiftJisToIso2022jp(dataOf(sjis), static_cast<uint32_t>(sjis.size()), out));
    return bytesOf(out);
}

std::string code(uint16_t c) {
    return std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
}

// ------------------------------------------------------------------------------------
// ISO-2022-JP to Shift_JIS

struct DecodeCase {
    const char *what;
    std::string iso;
    std::string sjis;
};

class Iso2022jpDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Iso2022jpDecode, GivesShiftJis) {
    const DecodeCase &c = GetParam();
    std::string got = toShiftJis(c.iso);
    EXPECT_EQ(c.sjis, got) << c.what << ": got " << hexOf(got) << ", expected " << hexOf(c.sjis);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Iso2022jpDecode,
    testing::Values(
        DecodeCase{"kanji between escapes", kToJis + "\x30\x21" + kToAscii, "\x88\x9F"},
        DecodeCase{"ESC $ @ is double-byte too", "\x1B$@\x30\x21", "\x88\x9F"},
        DecodeCase{"odd row, low column", kToJis + "\x21\x21", "\x81\x40"},
        DecodeCase{"odd row, column above 0x5F", kToJis + "\x21\x60", "\x81\x80"},
        DecodeCase{"even row", kToJis + "\x24\x22", "\x82\xA0"},
        DecodeCase{"row 0x5F and above", kToJis + "\x5F\x21\x7E\x7E", "\xE0\x40\xEF\xFC"},
        DecodeCase{"ESC ( J back to ASCII", kToJis + "\x24\x22\x1B(JAB",
                   "\x82\xA0"
                   "AB"},
        DecodeCase{"ESC ( I katakana", "\x1B(I\x31\x5F" + kToAscii + "1",
                   "\xB1\xDF"
                   "1"},
        DecodeCase{"SO and SI",
                   "A\x0E\x31\x0F"
                   "B",
                   "A\xB1"
                   "B"},
        DecodeCase{"SI without SO is a byte",
                   "A\x0F"
                   "B",
                   "A\x0F"
                   "B"},
        DecodeCase{"SO in double-byte mode is a data byte", kToJis + "\x0E\x21", "\x77\x9F"},
        DecodeCase{"LF ends double-byte mode", kToJis + "\x24\x22\nAB", "\x82\xA0\nAB"},
        DecodeCase{"CR ends double-byte mode", kToJis + "\x24\x22\rA", "\x82\xA0\rA"},
        DecodeCase{"LF keeps katakana mode", "\x1B(I\x31\n\x31", "\xB1\n\xB1"},
        DecodeCase{"unknown ESC $ designation dropped with 3 bytes", "A\x1B$(DB", "ADB"},
        DecodeCase{"unknown ESC ( designation dropped, mode stays",
                   kToJis + "\x24\x22\x1B(Z\x24\x22", "\x82\xA0\x82\xA0"},
        DecodeCase{"other escape drops 2 bytes", "A\x1BNBC", "ABC"},
        DecodeCase{"ESC at the end", "A\x1B", "A"}, DecodeCase{"ESC $ at the end", "A\x1B$", "A"},
        DecodeCase{"ESC ( at the end", "A\x1B(", "A"},
        DecodeCase{"escape cut off ends the text, even in double-byte", kToJis + "\x24\x22\x1B(",
                   "\x82\xA0"},
        DecodeCase{"lone byte at the end of double-byte", kToJis + "\x24\x22\x24", "\x82\xA0"},
        DecodeCase{"IBM row 0x79 first column", kToJis + "\x79\x21", "\xFA\x5C"},
        DecodeCase{"IBM row 0x7C small roman one", kToJis + "\x7C\x71", "\xFA\x40"},
        DecodeCase{"IBM row 0x7C last IBM code", kToJis + "\x7C\x6E", "\xFC\x4B"},
        DecodeCase{"IBM row 0x7C duplicates of 8145", kToJis + "\x7C\x6F\x7C\x70",
                   "\x81\x45\x81\x45"},
        DecodeCase{"IBM row 0x7C not sign", kToJis + "\x7C\x7B", "\x81\xCA"},
        DecodeCase{"IBM row 0x7C last column", kToJis + "\x7C\x7E", "\xFA\x57"},
        DecodeCase{"IBM pair outside the columns is dropped", kToJis + "\x79\x7F\x24\x22",
                   "\x82\xA0"},
        DecodeCase{"ASCII unchanged, 8-bit too", "Hello\x80\xFF", "Hello\x80\xFF"}));

TEST(Japanese, NullOrEmptyInputAppendsNothing) {
    DataBuffer out;
    ASSERT_TRUE(out.append("x", 1));
    Japanese japanese;
    EXPECT_TRUE(japanese.iso2022jpToShiftJis(nullptr, 5, out));
    EXPECT_TRUE(japanese.iso2022jpToShiftJis(dataOf("A"), 0, out));
    EXPECT_TRUE(japanese.shiftJisToIso2022jp(nullptr, 5, out));
    EXPECT_TRUE(japanese.shiftJisToIso2022jp(dataOf("A"), 0, out));
    EXPECT_EQ("x", bytesOf(out)) << "got " << hexOf(bytesOf(out));
}

TEST(Japanese, AppendsAfterExistingContent) {
    DataBuffer out;
    ASSERT_TRUE(out.append("ab", 2));
    std::string iso = kToJis + "\x24\x22" + kToAscii;
    EXPECT_TRUE(
        Japanese().iso2022jpToShiftJis(dataOf(iso), static_cast<uint32_t>(iso.size()), out));
    EXPECT_EQ(std::string("ab\x82\xA0"), bytesOf(out)) << "got " << hexOf(bytesOf(out));
}

// Output longer than the gathering buffer arrives complete and in order.
TEST(Japanese, LongTextIsComplete) {
    std::string sjis, expected;
    for (int i = 0; i < 1000; ++i) {
        sjis += "\x82\xA0"
                "a";
        expected += kToJis + "\x24\x22" + kToAscii + "a";
    }
    std::string got = toIso(sjis);
    EXPECT_EQ(expected.size(), got.size());
    EXPECT_TRUE(expected == got);
    EXPECT_EQ(sjis, toShiftJis(got));
}

// ------------------------------------------------------------------------------------
// Shift_JIS to ISO-2022-JP

struct EncodeCase {
    const char *what;
    std::string sjis;
    std::string iso;
};

class ShiftJisEncode : public testing::TestWithParam<EncodeCase> {};

TEST_P(ShiftJisEncode, GivesIso2022jp) {
    const EncodeCase &c = GetParam();
    std::string got = toIso(c.sjis);
    EXPECT_EQ(c.iso, got) << c.what << ": got " << hexOf(got) << ", expected " << hexOf(c.iso);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftJisEncode,
    testing::Values(
        EncodeCase{"hiragana a", "\x82\xA0", kToJis + "\x24\x22" + kToAscii},
        EncodeCase{"one run for several kanji", "\x82\xA0\x88\x9F",
                   kToJis + "\x24\x22\x30\x21" + kToAscii},
        EncodeCase{"trail below 0x7F", "\x81\x40", kToJis + "\x21\x21" + kToAscii},
        EncodeCase{"trail 0x80-0x9E", "\x81\x80", kToJis + "\x21\x60" + kToAscii},
        EncodeCase{"lead 0xE0-0xEF", "\xE0\x40\xEF\xFC", kToJis + "\x5F\x21\x7E\x7E" + kToAscii},
        EncodeCase{"ASCII closes the run",
                   "\x82\xA0"
                   "A",
                   kToJis + "\x24\x22" + kToAscii + "A"},
        EncodeCase{"CR LF close the run", "\x82\xA0\r\n", kToJis + "\x24\x22" + kToAscii + "\r\n"},
        EncodeCase{"0x80 is written like ASCII", "\x80", "\x80"},
        EncodeCase{"lead with a non-trail byte is written as it is", "\x81\x20", "\x81\x20"},
        EncodeCase{"lead at the very end ends the text", "A\x82", "A"},
        EncodeCase{"half-width KA", "\xB6", kToJis + "\x25\x2B" + kToAscii},
        EncodeCase{"half-width KA with voiced mark", "\xB6\xDE", kToJis + "\x25\x2C" + kToAscii},
        EncodeCase{"half-width U with voiced mark becomes VU", "\xB3\xDE",
                   kToJis + "\x25\x74" + kToAscii},
        EncodeCase{"half-width HA with voiced mark", "\xCA\xDE", kToJis + "\x25\x50" + kToAscii},
        EncodeCase{"half-width HA with semi-voiced mark", "\xCA\xDF",
                   kToJis + "\x25\x51" + kToAscii},
        EncodeCase{"half-width HO with semi-voiced mark", "\xCE\xDF",
                   kToJis + "\x25\x5D" + kToAscii},
        EncodeCase{"semi-voiced mark after KA stays a mark", "\xB6\xDF",
                   kToJis + "\x25\x2B\x21\x2C" + kToAscii},
        EncodeCase{"voiced mark after NA stays a mark", "\xC5\xDE",
                   kToJis + "\x25\x4A\x21\x2B" + kToAscii},
        EncodeCase{"voiced mark alone", "\xDE", kToJis + "\x21\x2B" + kToAscii},
        EncodeCase{"IBM FA40", "\xFA\x40", kToJis + "\x7C\x71" + kToAscii},
        EncodeCase{"IBM FC4B", "\xFC\x4B", kToJis + "\x7C\x6E" + kToAscii},
        EncodeCase{"IBM FA55", "\xFA\x55", kToJis + "\x7C\x7C" + kToAscii},
        EncodeCase{"IBM FA5C", "\xFA\x5C", kToJis + "\x79\x21" + kToAscii},
        EncodeCase{"IBM FA80", "\xFA\x80", kToJis + "\x79\x44" + kToAscii},
        EncodeCase{"IBM FABB", "\xFA\xBB", kToJis + "\x7A\x21" + kToAscii},
        EncodeCase{"IBM FB40", "\xFB\x40", kToJis + "\x7A\x63" + kToAscii},
        EncodeCase{"IBM FBFC", "\xFB\xFC", kToJis + "\x7C\x62" + kToAscii},
        // Input without an ISO-2022-JP form (see Japanese.h).
        EncodeCase{"IBM roman numeral one as NEC 8754", "\xFA\x4A", kToJis + "\x2D\x35" + kToAscii},
        EncodeCase{"IBM not sign as 81CA", "\xFA\x54", kToJis + "\x22\x4C" + kToAscii},
        EncodeCase{"IBM because as 81E6", "\xFA\x5B", kToJis + "\x22\x68" + kToAscii},
        EncodeCase{"user-defined area dropped",
                   "A\xF0\x40"
                   "B",
                   "AB"},
        EncodeCase{"unmapped IBM code dropped",
                   "A\xFC\x4C"
                   "B",
                   "AB"},
        EncodeCase{"IBM lead before a non-trail byte dropped alone",
                   "A\xFA\x20"
                   "B",
                   "A B"},
        EncodeCase{"IBM lead at the end dropped", "A\xFA", "A"},
        EncodeCase{"0xA0 and 0xFD-0xFF dropped",
                   "A\xA0\xFD\xFE\xFF"
                   "B",
                   "AB"}));

const uint16_t kFullWidthOf[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

TEST(Japanese, EveryHalfWidthKatakanaBecomesItsFullWidthCode) {
    for (int b = 0xA1; b <= 0xDF; ++b) {
        std::string half(1, static_cast<char>(b));
        std::string back = toShiftJis(toIso(half));
        EXPECT_EQ(code(kFullWidthOf[b - 0xA1]), back)
            << "half-width " << std::hex << b << ": got " << hexOf(back);
    }
}

TEST(Japanese, VoicedMarkJoinsEveryVoiceableKatakana) {
    for (int b = 0xA1; b <= 0xDD; ++b) {
        bool voiceable = b == 0xB3 || (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
        std::string back = toShiftJis(toIso(std::string{static_cast<char>(b), '\xDE'}));
        uint16_t plain = kFullWidthOf[b - 0xA1];
        std::string expected;
        if (!voiceable)
            expected = code(plain) + code(0x814A);
        else
            expected = code(b == 0xB3 ? 0x8394 : plain + 1);
        EXPECT_EQ(expected, back) << "katakana " << std::hex << b << ": got " << hexOf(back);
    }
}

TEST(Japanese, StandardCodesSurviveTheRoundTrip) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        // Leads 0xED and 0xEE hold the NEC-selected IBM extensions, rows 0x79-0x7C.
        if (lead == 0xED || lead == 0xEE) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            std::string sjis = code(static_cast<uint16_t>(lead << 8 | trail));
            std::string iso = toIso(sjis);
            ASSERT_EQ(8u, iso.size()) << hexOf(sjis) << " gave " << hexOf(iso);
            std::string back = toShiftJis(iso);
            ASSERT_EQ(sjis, back) << hexOf(sjis) << " via " << hexOf(iso) << " came back as "
                                  << hexOf(back);
            ++checked;
        }
    }
    EXPECT_EQ(45 * 188, checked);
}

// The IBM extension codes in the order of their JIS rows 0x79-0x7C.
std::vector<uint16_t> ibmCodesInJisOrder() {
    std::vector<uint16_t> codes;
    auto range = [&codes](uint16_t first, uint16_t last) {
        for (uint32_t c = first; c <= last; ++c)
            codes.push_back(static_cast<uint16_t>(c));
    };
    range(0xFA5C, 0xFA7E);
    range(0xFA80, 0xFABA);
    range(0xFABB, 0xFAFC);
    range(0xFB40, 0xFB5B);
    range(0xFB5C, 0xFB7E);
    range(0xFB80, 0xFBBA);
    range(0xFBBB, 0xFBFC);
    range(0xFC40, 0xFC4B);
    codes.push_back(0x8145);
    codes.push_back(0x8145);
    range(0xFA40, 0xFA49);
    codes.push_back(0x81CA);
    range(0xFA55, 0xFA57);
    return codes;
}

TEST(Japanese, IbmExtensionRowsMatchTheirShiftJisCodes) {
    std::vector<uint16_t> codes = ibmCodesInJisOrder();
    ASSERT_EQ(376u, codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        std::string pair{static_cast<char>(0x79 + i / 94), static_cast<char>(0x21 + i % 94)};
        std::string got = toShiftJis(kToJis + pair);
        EXPECT_EQ(code(codes[i]), got) << "JIS " << hexOf(pair) << ": got " << hexOf(got);
        // Every IBM code but the two row-2 duplicates goes back to the same pair.
        if (codes[i] >= 0xFA00) {
            std::string iso = toIso(code(codes[i]));
            EXPECT_EQ(kToJis + pair + kToAscii, iso)
                << hexOf(code(codes[i])) << ": got " << hexOf(iso);
        }
    }
}

TEST(Japanese, NecSelectedIbmCodesComeBackAsIbmCodes) {
    // ED40 and FA5C are the same character; so are EEEF and FA40.
    EXPECT_EQ(std::string("\xFA\x5C"), toShiftJis(toIso("\xED\x40")));
    EXPECT_EQ(std::string("\xFA\x40"), toShiftJis(toIso("\xEE\xEF")));
    EXPECT_EQ(std::string("\x81\xCA"), toShiftJis(toIso("\xEE\xF9")));
}

} // namespace
