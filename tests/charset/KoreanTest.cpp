#include "charset/Korean.h"

#include "ConvertTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

const std::string kDesignator = "\x1B$)C";

std::string toEucKr(const std::string &iso) {
    DataBuffer out;
    EXPECT_TRUE(Korean().iso2022krToEucKr(dataOf(iso), static_cast<uint32_t>(iso.size()), out));
    return bytesOf(out);
}

std::string toIso(const std::string &euc) {
    DataBuffer out;
    EXPECT_TRUE(Korean().eucKrToIso2022kr(dataOf(euc), static_cast<uint32_t>(euc.size()), out));
    return bytesOf(out);
}

struct Case {
    const char *what;
    std::string from;
    std::string to;
};

class EucKrEncode : public testing::TestWithParam<Case> {};

TEST_P(EucKrEncode, GivesIso2022kr) {
    const Case &c = GetParam();
    std::string got = toIso(c.from);
    EXPECT_EQ(c.to, got) << c.what << ": got " << hexOf(got) << ", expected " << hexOf(c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EucKrEncode,
    testing::Values(Case{"hangul then LF", "\xB0\xA1\n", kDesignator + "\x0E\x30\x21\x0F\n"},
                    Case{"ASCII only still gets the designator", "AB", kDesignator + "AB"},
                    Case{"no SI at the end", "A\xB0\xA1", kDesignator + "A\x0E\x30\x21"},
                    Case{"one SO for a run",
                         "\xB0\xA1\xB0\xA2"
                         "C",
                         kDesignator + "\x0E\x30\x21\x30\x22\x0F"
                                       "C"},
                    Case{"high bit cleared on the second byte whatever it is", "\x81\x41",
                         kDesignator + "\x0E\x01\x41"},
                    Case{"lead at the very end ends the text", "A\xB0", kDesignator + "A"}));

class Iso2022krDecode : public testing::TestWithParam<Case> {};

TEST_P(Iso2022krDecode, GivesEucKr) {
    const Case &c = GetParam();
    std::string got = toEucKr(c.from);
    EXPECT_EQ(c.to, got) << c.what << ": got " << hexOf(got) << ", expected " << hexOf(c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Iso2022krDecode,
    testing::Values(Case{"designator, SO, SI", kDesignator + "\x0E\x30\x21\x0F\n", "\xB0\xA1\n"},
                    Case{"without the designator",
                         "A\x0E\x30\x21\x0F"
                         "B",
                         "A\xB0\xA1"
                         "B"},
                    Case{"designator returns to ASCII", "\x0E\x30\x21" + kDesignator + "AB",
                         "\xB0\xA1"
                         "AB"},
                    Case{"other ESC dropped alone", "A\x1B$)DB", "A$)DB"},
                    Case{"cut-off designator drops the ESC alone", "A\x1B$)", "A$)"},
                    Case{"lone byte at the end of the Korean set", "\x0E\x30\x21\x30", "\xB0\xA1"},
                    Case{"SI and SO are never written", "\x0F\x0F\x0E\x0E\x0F", ""},
                    Case{"LF in the Korean set is half of a pair", "\x0E\n\x21", "\x8A\xA1"}));

TEST(Korean, NullOrEmptyInputAppendsNothing) {
    DataBuffer out;
    ASSERT_TRUE(out.append("x", 1));
    Korean korean;
    EXPECT_TRUE(korean.eucKrToIso2022kr(nullptr, 3, out));
    EXPECT_TRUE(korean.eucKrToIso2022kr(dataOf("A"), 0, out));
    EXPECT_TRUE(korean.iso2022krToEucKr(nullptr, 3, out));
    EXPECT_TRUE(korean.iso2022krToEucKr(dataOf("A"), 0, out));
    EXPECT_EQ("x", bytesOf(out)) << "got " << hexOf(bytesOf(out));
}

TEST(Korean, RandomEucKrSurvivesTheRoundTrip) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> high(0xA1, 0xFE);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    for (int round = 0; round < 50; ++round) {
        std::string euc;
        for (int i = 0; i < 300; ++i) {
            if (kind(random) == 0) {
                euc += static_cast<char>(ascii(random));
            } else {
                euc += static_cast<char>(high(random));
                euc += static_cast<char>(high(random));
            }
        }
        std::string iso = toIso(euc);
        for (unsigned char b : iso)
            ASSERT_LT(b, 0x80) << "8-bit byte in " << hexOf(iso);
        std::string back = toEucKr(iso);
        ASSERT_EQ(euc, back) << "round " << round;
    }
}

} // namespace
