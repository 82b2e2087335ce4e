#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(IntToDecimalTest, SmallestValueHasElevenCharacters) {
    char out[12];
    memset(out, 'z', sizeof out);
    EXPECT_EQ(11, intToDecimal(INT_MIN, out));
    EXPECT_STREQ("-2147483648", out);
}

TEST(IntToDecimalTest, Values) {
    char out[12];
    EXPECT_EQ(1, intToDecimal(0, out));
    EXPECT_STREQ("0", out);
    EXPECT_EQ(10, intToDecimal(INT_MAX, out));
    EXPECT_STREQ("2147483647", out);
    EXPECT_EQ(2, intToDecimal(-1, out));
    EXPECT_STREQ("-1", out);
    EXPECT_EQ(5, intToDecimal(10203, out));
    EXPECT_STREQ("10203", out);
    EXPECT_EQ(0, intToDecimal(5, nullptr));
}

TEST(Int64ToDecimalTest, Values) {
    char out[21];
    int64ToDecimal(INT64_MIN, out);
    EXPECT_STREQ("-9223372036854775808", out);
    int64ToDecimal(INT64_MAX, out);
    EXPECT_STREQ("9223372036854775807", out);
    int64ToDecimal(0, out);
    EXPECT_STREQ("0", out);
    int64ToDecimal(-4294967296LL, out);
    EXPECT_STREQ("-4294967296", out);
    int64ToDecimal(1, nullptr); // does nothing
}

TEST(ReverseBytesTest, ReversesInPlace) {
    char even[] = "abcd";
    reverseBytes(even, 4);
    EXPECT_STREQ("dcba", even);
    char odd[] = "abcde";
    reverseBytes(odd, 5);
    EXPECT_STREQ("edcba", odd);
    char part[] = "abcde";
    reverseBytes(part, 2);
    EXPECT_STREQ("bacde", part);
    reverseBytes(part, 1);
    reverseBytes(part, 0);
    reverseBytes(nullptr, 3);
    EXPECT_STREQ("bacde", part);
}

TEST(FindNoCaseTest, FoldsAsciiLettersOnly) {
    const char *text = "The Quick Brown Fox";
    EXPECT_EQ(text + 4, findNoCase(text, "qUICK"));
    EXPECT_EQ(text, findNoCase(text, "the"));
    EXPECT_EQ(text + 16, findNoCase(text, "FOX"));
    EXPECT_EQ(nullptr, findNoCase(text, "foxes"));
    EXPECT_EQ(nullptr, findNoCase(text, "quick  "));
    // Only a-z fold onto A-Z: bytes above 0x7F and punctuation compare as they are.
    EXPECT_EQ(nullptr, findNoCase("\xC4pfel", "\xE4pfel"));
    EXPECT_EQ(nullptr, findNoCase("[", "{"));
    EXPECT_EQ(nullptr, findNoCase("@", "`"));
}

TEST(FindNoCaseTest, NullAndEmptyArguments) {
    EXPECT_EQ(nullptr, findNoCase(nullptr, "a"));
    EXPECT_EQ(nullptr, findNoCase("", "a"));
    EXPECT_EQ(nullptr, findNoCase("abc", ""));
    EXPECT_EQ(nullptr, findNoCase("abc", nullptr));
}

TEST(FindNoCaseTest, PartialMatchesRetry) {
    const char *text = "aaAb";
    EXPECT_EQ(text + 2, findNoCase(text, "AB"));
    const char *text2 = "abAbAC";
    EXPECT_EQ(text2 + 2, findNoCase(text2, "abac"));
}

TEST(MatchesWildcardTest, CaseSensitivity) {
    EXPECT_TRUE(matchesWildcard("abc.txt", "*.TXT", false));
    EXPECT_FALSE(matchesWildcard("abc.txt", "*.TXT", true));
    EXPECT_TRUE(matchesWildcard("abc.txt", "*.txt", true));
    EXPECT_TRUE(matchesWildcard("ABC.TXT", "abc.txt", false));
    EXPECT_FALSE(matchesWildcard("ABC.TXT", "abc.txt", true));
}

TEST(MatchesWildcardTest, EmptyAndNullArguments) {
    EXPECT_TRUE(matchesWildcard("", "**", true));
    EXPECT_TRUE(matchesWildcard("", "*", true));
    EXPECT_TRUE(matchesWildcard("", "", true));
    EXPECT_TRUE(matchesWildcard("", nullptr, true));
    EXPECT_TRUE(matchesWildcard(nullptr, nullptr, true));
    EXPECT_TRUE(matchesWildcard(nullptr, "***", false));
    EXPECT_FALSE(matchesWildcard("", "*a", true));
    EXPECT_FALSE(matchesWildcard(nullptr, "a", true));
    EXPECT_FALSE(matchesWildcard("a", "", true));
    EXPECT_FALSE(matchesWildcard("a", nullptr, true));
}

TEST(MatchesWildcardTest, QuestionMarkIsLiteral) {
    EXPECT_FALSE(matchesWildcard("abc", "a?c", true));
    EXPECT_TRUE(matchesWildcard("a?c", "a?c", true));
    EXPECT_TRUE(matchesWildcard("a?c", "a*c", true));
}

TEST(MatchesWildcardTest, Stars) {
    EXPECT_TRUE(matchesWildcard("abc", "*", true));
    EXPECT_TRUE(matchesWildcard("abc", "a*", true));
    EXPECT_TRUE(matchesWildcard("abc", "*c", true));
    EXPECT_TRUE(matchesWildcard("abc", "a*c", true));
    EXPECT_TRUE(matchesWildcard("abc", "abc*", true));
    EXPECT_TRUE(matchesWildcard("abc", "*abc", true));
    EXPECT_TRUE(matchesWildcard("abc", "a**b**c", true));
    EXPECT_TRUE(matchesWildcard("abc", "*b*", true));
    EXPECT_FALSE(matchesWildcard("abc", "*d*", true));
    EXPECT_FALSE(matchesWildcard("abc", "b*", true));
    EXPECT_FALSE(matchesWildcard("abc", "*b", true));
    EXPECT_FALSE(matchesWildcard("ab", "ab*b", true)); // prefix and suffix may not overlap
    EXPECT_FALSE(matchesWildcard("abc", "abcd*", true));
    EXPECT_TRUE(matchesWildcard("report-2024-final.doc", "report*2024*.doc", true));
    EXPECT_FALSE(matchesWildcard("report-2024-final.doc", "report*2025*.doc", true));
}

TEST(MatchesWildcardTest, MiddleSegmentsTakeTheLeftmostOccurrence) {
    // Leftmost occurrence of "a" leaves "bab" for the final segment "ab".
    EXPECT_TRUE(matchesWildcard("xabab", "x*a*ab", true));
    EXPECT_TRUE(matchesWildcard("aXbXc", "*x*X*", false));
    EXPECT_FALSE(matchesWildcard("aXbXc", "*x*X*", true));
    // The final segment is matched against the end, after the middle ones.
    EXPECT_FALSE(matchesWildcard("abc", "*bc*c", true));
    EXPECT_TRUE(matchesWildcard("abcc", "*bc*c", true));
}

} // namespace
