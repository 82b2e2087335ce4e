#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string contentOf(const StringBuffer &sb) {
    return std::string(sb.getString(), static_cast<size_t>(sb.getSize()));
}

struct ReplaceRow {
    const char *name;
    const char *content;
    char a;
    char b;
    const char *expected;
};

// a and b are windows-1252 characters; 0xE9 is U+00E9, 0x80 U+20AC. U+9577 is E9 95 B7
// in UTF-8, so its lead byte is the byte 0xE9.
const ReplaceRow replaceRows[] = {
    {"AsciiContent", "a/b/c", '/', '\\', "a\\b\\c"},
    {"AbsentByte", "a/b\xC3\xA9", '|', '\\', "a/b\xC3\xA9"},
    {"AsciiContentTakesRawByte", "cafe", 'e', '\xE9', "caf\xE9"},
    {"Utf8ContentAsciiCharacters", "\xC3\xA9/\xE6\x97\xA5/", '/', '\\', "\xC3\xA9\\\xE6\x97\xA5\\"},
    {"Utf8ContentByteE9Absent", "caf\xC3\xA9", '\xE9', 'e', "caf\xC3\xA9"},
    {"Utf8ContentByteE9Present", "caf\xC3\xA9 \xE9\x95\xB7", '\xE9', 'e', "cafe \xE9\x95\xB7"},
    {"Utf8ContentToAnsiCharacter", "e \xE6\x97\xA5 e", 'e', '\x80',
     "\xE2\x82\xAC \xE6\x97\xA5 \xE2\x82\xAC"},
    {"Utf8ContentNoCharacterMatches", "\xEF\xBB\xBF\xC3\xA9\xA9", '\xA9', 'x',
     "\xEF\xBB\xBF\xC3\xA9\xA9"},
};

class StringBufferUtf8Test : public testing::TestWithParam<ReplaceRow> {};

TEST_P(StringBufferUtf8Test, ReplaceCharUtf8) {
    const ReplaceRow &row = GetParam();
    StringBuffer sb(row.content);
    sb.replaceCharUtf8(row.a, row.b);
    EXPECT_EQ(std::string(row.expected), contentOf(sb)) << row.name;
}

INSTANTIATE_TEST_SUITE_P(Rows, StringBufferUtf8Test, testing::ValuesIn(replaceRows),
                         [](const testing::TestParamInfo<ReplaceRow> &info) {
                             return std::string(info.param.name);
                         });

TEST(StringBufferUtf8, ReplacedContentStaysUsable) {
    StringBuffer sb;
    sb.append("x\xC3\xA9x");
    sb.replaceCharUtf8('x', '\xFC');
    EXPECT_EQ("\xC3\xBC\xC3\xA9\xC3\xBC", contentOf(sb));
    EXPECT_TRUE(sb.append("!"));
    EXPECT_STREQ("\xC3\xBC\xC3\xA9\xC3\xBC!", sb.getString());
}

} // namespace
