#include "charset/Japanese.h"

#include "ConvertTestSupport.h"
#include "charset/Korean.h"

// ISO-2022-JP to and from Shift_JIS, ISO-2022-KR to and from EUC-KR.

namespace {

const std::string kToJis = "\x1B$B";
const std::string kToAscii = "\x1B(B";

// One pass of a converter; none of them fails on any input.
template <typename Codec, bool (Codec::*step)(const unsigned char *, uint32_t, DataBuffer &)>
std::string pass(const std::string &input) {
    DataBuffer out;
    EXPECT_TRUE((Codec().*step)(dataOf(input), sizeOf(input), out));
    return bytesOf(out);
}

const auto toShiftJis = pass<Japanese, &Japanese::iso2022jpToShiftJis>;
const auto toIso = pass<Japanese, &Japanese::shiftJisToIso2022jp>;
const auto toEucKr = pass<Korean, &Korean::iso2022krToEucKr>;
const auto toIso2022kr = pass<Korean, &Korean::eucKrToIso2022kr>;

std::string inJis(const std::string &pairs) {
    return kToJis + pairs + kToAscii;
}

void expectAll(std::string (*convert)(const std::string &),
               const std::vector<std::pair<std::string, std::string>> &cases) {
    for (const auto &c : cases)
        EXPECT_EQ(hexOf(c.second), hexOf(convert(c.first))) << hexOf(c.first);
}

TEST(Japanese, ConvertsBothWays) {
    // clang-format off
    const std::string j = kToJis;
    expectAll(toShiftJis, {
        {inJis("\x30\x21"), "\x88\x9F"}, {"\x1B$@\x30\x21", "\x88\x9F"},
        {j + "\x21\x21\x21\x60\x24\x22", "\x81\x40\x81\x80\x82\xA0"}, // odd and even rows
        {j + "\x5F\x21\x7E\x7E", "\xE0\x40\xEF\xFC"}, {j + "\x24\x22\x1B(JAB", "\x82\xA0\x41\x42"},
        {"\x1B(I\x31\x5F" + kToAscii + "1", "\xB1\xDF\x31"},
        {"A\x0E\x31\x0F\x42", "A\xB1\x42"}, {"A\x0F\x42", "A\x0F\x42"}, // SO, SI; SI alone is data
        {j + "\x0E\x21", "\x77\x9F"},                          // so is SO in double-byte
        {j + "\x24\x22\nAB", "\x82\xA0\nAB"},                  // LF and CR end double-byte ...
        {j + "\x24\x22\rA", "\x82\xA0\rA"}, {"\x1B(I\x31\n\x31", "\xB1\n\xB1"}, // ... not katakana
        {"A\x1B$(DB", "ADB"},                                  // unknown ESC $ drops 3 bytes
        {j + "\x24\x22\x1B(Z\x24\x22", "\x82\xA0\x82\xA0"},    // unknown ESC ( keeps the mode
        {"A\x1BNBC", "ABC"},                                   // other escapes drop 2 bytes
        {"A\x1B", "A"}, {"A\x1B$", "A"}, {"A\x1B(", "A"},      // escapes cut off end the text
        {j + "\x24\x22\x1B(", "\x82\xA0"}, {j + "\x24\x22\x24", "\x82\xA0"},
        {j + "\x79\x7F\x24\x22", "\x82\xA0"},                  // IBM pair outside the columns
        {"Hello\x80\xFF", "Hello\x80\xFF"}});
    expectAll(toIso, {
        {"\x82\xA0\x88\x9F\x81\x40\x81\x80", inJis("\x24\x22\x30\x21\x21\x21\x21\x60")},
        {"\xE0\x40\xEF\xFC", inJis("\x5F\x21\x7E\x7E")}, {"\x82\xA0\x41", inJis("\x24\x22") + "A"},
        {"\x82\xA0\r\n", inJis("\x24\x22") + "\r\n"}, {"\x80", "\x80"},
        {"\x81\x20", "\x81\x20"}, {"A\x82", "A"},    // lead before a non-trail byte; at the end
        {"\xB6\xDE", inJis("\x25\x2C")},                       // half-width with voiced mark
        // IBM codes without an ISO-2022-JP form of their own (see Japanese.h).
        {"\xFA\x4A", inJis("\x2D\x35")}, {"\xFA\x54", inJis("\x22\x4C")},
        {"\xFA\x5B", inJis("\x22\x68")}, {"A\xF0\x40\x42", "AB"}, // user-defined dropped
        {"A\xFC\x4C\x42", "AB"}, {"A\xFA\x20\x42", "A B"},     // unmapped IBM, lone IBM lead
        {"A\xFA", "A"}, {"A\xA0\xFD\xFE\xFF\x42", "AB"}});
    // clang-format on
}

// Output is appended; longer than the gathering buffer, it arrives whole and in order.
TEST(Iso2022, AppendsAllOfLongOutputAndNothingForNoInput) {
    DataBuffer out;
    ASSERT_TRUE(out.append("x", 1));
    Japanese japanese;
    Korean korean;
    EXPECT_TRUE(
        japanese.iso2022jpToShiftJis(nullptr, 5, out) &&
        japanese.iso2022jpToShiftJis(dataOf("A"), 0, out) &&
        japanese.shiftJisToIso2022jp(nullptr, 5, out) &&
        japanese.shiftJisToIso2022jp(dataOf("A"), 0, out) &&
        korean.eucKrToIso2022kr(nullptr, 3, out) && korean.eucKrToIso2022kr(dataOf("A"), 0, out) &&
        korean.iso2022krToEucKr(nullptr, 3, out) && korean.iso2022krToEucKr(dataOf("A"), 0, out));
    std::string sjis, iso;
    for (int i = 0; i < 1000; ++i) {
        sjis += "\x82\xA0\x61";
        iso += inJis("\x24\x22") + "a";
    }
    EXPECT_TRUE(japanese.shiftJisToIso2022jp(dataOf(sjis), sizeOf(sjis), out));
    EXPECT_TRUE("x" + iso == bytesOf(out)) << "sizes " << iso.size() << " and " << out.getSize();
    EXPECT_TRUE(sjis == toShiftJis(iso));
}

TEST(Japanese, HalfWidthKatakanaBecomeFullWidthAndTakeTheirMarks) {
    const int kFullWidthOf[63] = {
        0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
        0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
        0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
        0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
        0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
        0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};
    for (int b = 0xA1; b <= 0xDF; ++b) {
        int plain = kFullWidthOf[b - 0xA1];
        char half = static_cast<char>(b);
        EXPECT_EQ(hexOf(codeBytes(plain)), hexOf(toShiftJis(toIso({half})))) << std::hex << b;
        if (b > 0xDD) continue;
        // The voiced mark joins U, KA-TO and HA-HO; the semi-voiced mark HA-HO only.
        bool semiVoiced = b >= 0xCA && b <= 0xCE,
             voiced = semiVoiced || b == 0xB3 || (b >= 0xB6 && b <= 0xC4);
        EXPECT_EQ(hexOf(voiced ? codeBytes(b == 0xB3 ? 0x8394 : plain + 1)
                               : codeBytes(plain) + codeBytes(0x814A)),
                  hexOf(toShiftJis(toIso({half, '\xDE'}))))
            << std::hex << b;
        EXPECT_EQ(hexOf(semiVoiced ? codeBytes(plain + 2) : codeBytes(plain) + codeBytes(0x814B)),
                  hexOf(toShiftJis(toIso({half, '\xDF'}))))
            << std::hex << b;
    }
}

// Every JIS code reads as a Shift_JIS code that writes back as the same JIS code; rows
// 0x79-0x7C read as the IBM extension codes, in this order.
TEST(Japanese, EveryJisCodeHasItsShiftJisCode) {
    std::vector<int> ibm;
    const int ranges[][2] = {{0xFA5C, 0xFA7E}, {0xFA80, 0xFAFC}, {0xFB40, 0xFB7E}, {0xFB80, 0xFBFC},
                             {0xFC40, 0xFC4B}, {0x8145, 0x8145}, {0x8145, 0x8145}, {0xFA40, 0xFA49},
                             {0x81CA, 0x81CA}, {0xFA55, 0xFA57}};
    for (const auto &range : ranges)
        for (int c = range[0]; c <= range[1]; ++c)
            ibm.push_back(c);
    ASSERT_EQ(376u, ibm.size());
    for (int row = 0x21; row <= 0x7E; ++row) {
        for (int column = 0x21; column <= 0x7E; ++column) {
            std::string pair{static_cast<char>(row), static_cast<char>(column)};
            std::string sjis = toShiftJis(kToJis + pair);
            int ibmCode = row >= 0x79 && row <= 0x7C ? ibm[(row - 0x79) * 94 + column - 0x21] : 0;
            EXPECT_TRUE(!ibmCode || codeBytes(ibmCode) == sjis)
                << hexOf(pair) << ": " << hexOf(sjis);
            // The three IBM codes that are standard codes too go back to their own pairs.
            ASSERT_TRUE(sjis.size() == 2 && (toIso(sjis) == inJis(pair) || ibmCode < 0xFA00))
                << hexOf(pair) << " read as " << hexOf(sjis);
        }
    }
    // The NEC-selected codes come back as the IBM codes of the same characters.
    EXPECT_EQ("\xFA\x5C", toShiftJis(toIso("\xED\x40")));
    EXPECT_EQ("\xFA\x40", toShiftJis(toIso("\xEE\xEF")));
    EXPECT_EQ("\x81\xCA", toShiftJis(toIso("\xEE\xF9")));
}

// ------------------------------------------------------------------------------------
// ISO-2022-KR

const std::string kDesignator = "\x1B$)C";

TEST(Korean, ConvertsBothWays) {
    const std::string d = kDesignator;
    // clang-format off
    expectAll(toIso2022kr, {
        {"AB", d + "AB"}, {"\xB0\xA1\n", d + "\x0E\x30\x21\x0F\n"}, // the designator always
        {"A\xB0\xA1", d + "A\x0E\x30\x21"},                    // no SI at the end
        {"\xB0\xA1\xB0\xA2\x43", d + "\x0E\x30\x21\x30\x22\x0F\x43"},
        {"\x81\x41", d + "\x0E\x01\x41"},                      // the high bit is just cleared
        {"A\xB0", d + "A"}});                                  // a lead at the end
    expectAll(toEucKr, {
        {d + "\x0E\x30\x21\x0F\n", "\xB0\xA1\n"},
        {"A\x0E\x30\x21\x0F\x42", "A\xB0\xA1\x42"},            // the designator is not needed
        {"\x0E\x30\x21" + d + "AB", "\xB0\xA1\x41\x42"},       // and returns to ASCII
        {"A\x1B$)DB", "A$)DB"}, {"A\x1B$)", "A$)"},            // other ESC dropped alone
        {"\x0E\x30\x21\x30", "\xB0\xA1"},                      // a lone byte at the end
        {"\x0F\x0F\x0E\x0E\x0F", ""}, {"\x0E\n\x21", "\x8A\xA1"}}); // LF is half of a pair
    // clang-format on
}

TEST(Korean, RandomEucKrSurvivesTheRoundTripIn7Bits) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> kind(0, 3), high(0xA1, 0xFE), ascii(0x20, 0x7E);
    for (int round = 0; round < 50; ++round) {
        std::string euc;
        for (int i = 0; i < 300; ++i)
            euc += kind(random) ? std::string{static_cast<char>(high(random)),
                                              static_cast<char>(high(random))}
                                : std::string(1, static_cast<char>(ascii(random)));
        std::string iso = toIso2022kr(euc);
        ASSERT_TRUE(std::all_of(iso.begin(), iso.end(), [](char c) { return c >= 0; })) << round;
        ASSERT_EQ(euc, toEucKr(iso)) << "round " << round;
    }
}

} // namespace
