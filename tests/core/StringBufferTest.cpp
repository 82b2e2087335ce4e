#include "core/StringBuffer.h"
#include "core/DataBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <tuple>

namespace {

using namespace std::string_literals;

std::string contentOf(const StringBuffer &sb) {
    return std::string(sb.getString(), static_cast<size_t>(sb.getSize()));
}

// The content with the block size and growth step: "text [capacity/growBy]".
std::string blockOf(const StringBuffer &sb) {
    return contentOf(sb) + " [" + std::to_string(sb.getCapacity()) + "/" +
           std::to_string(sb.getGrowBy()) + "]";
}

std::string times(const std::string &text, int n) {
    std::string result;
    while (n-- > 0)
        result += text;
    return result;
}

const std::string a201(201, 'a'), a300(300, 'a'), q197(197, 'q'), q198(198, 'q');
const std::string lines500 = times("line\n", 500), tags300 = times("<x>", 300);
const char sixteen[] = "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F";
const std::string line16 = "0001 0203 0405 0607 0809 0A0B 0C0D 0E0F\n";
const std::string bytes96 = times(std::string(sixteen, 16), 6);

// ---------------------------------------------------------------------------------
// Edits of one buffer. The block sizes follow from the growth rule: the default
// constructor gives 202 bytes and growBy 202, the text constructor exactly the text
// and growBy 200; n more bytes grow the block unless length + n < capacity, to
// growBy + length + n + 1 bytes (no + 1 for appendN and appendCharN), and growBy then
// becomes half the new capacity, at most 500000.

#define EDIT(expression) [](StringBuffer &s) -> bool { return expression; }
#define DO(statement)                                                                              \
    [](StringBuffer &s) -> bool {                                                                  \
        statement;                                                                                 \
        return true;                                                                               \
    }

const char *const fresh = nullptr; // the default constructor, not the one with text

struct EditRow {
    const char *name;
    const char *start;
    bool (*edit)(StringBuffer &s);
    std::string expected;
    int capacity = -1; // -1: not checked
    int growBy = -1;
};

// clang-format off
const EditRow editRows[] = {
    // Growth arithmetic.
    {"Append300", fresh, EDIT(s.append(a300.c_str())), a300, 503, 251},
    {"AppendN300", fresh, EDIT(s.appendN(a300.data(), 300)), a300, 502, 251},
    {"InPlace", fresh, EDIT(s.append(a201.c_str()) && s.appendChar('b')), a201 + "b", 405, 202},
    {"GrowByCap", fresh, EDIT(s.expectNumBytes(1200000) && s.expectNumBytes(1200202) &&
                              s.expectNumBytes(1200203)), "", 500000 + 1200203 + 1, 500000},
    {"ExpectNumBytes", fresh, EDIT(s.expectNumBytes(201) && s.expectNumBytes(202)), "", 405, 202},
    // Past the signed 32-bit range no allocation is tried.
    {"Impossible", "keep", EDIT(!s.expectNumBytes(INT_MAX) && !s.appendCharN('x', INT_MAX - 2)),
     "keep", 5, 200},
    // Appending.
    {"AppendNothing", "a", EDIT(s.append(nullptr) && s.appendN(nullptr, 5)), "a", 2, 200},
    {"AppendNZeros", fresh,
     EDIT(s.appendN("ab\0\0", 4) && s.appendN("c\0d", 3) && s.appendN("\0\0\0", 3)), "abc\0d"s},
    {"AppendCharZero", "ab", EDIT(s.appendChar(0)), "ab\0"s, 204, 102},
    {"AppendNDropsIt", "ab", EDIT(s.appendChar(0) && s.appendN("\0", 1)), "ab"},
    {"AppendCharN", "a", EDIT(s.appendCharN('x', 3) && s.appendCharN('y', -2) &&
                              s.appendCharN(0, 4)), "axxx", 204, 102},
    {"AppendSbSelf", "ab", EDIT(s.appendSb(s) && s.appendSb(StringBuffer("c"))), "ababc", 204, 102},
    {"AppendNSelf", "0123456789", EDIT(s.appendN(s.getString() + 2, 5)), "012345678923456", 215},
    {"AppendInt", fresh, EDIT(s.appendInt(INT_MIN) && s.appendInt(42)), "-214748364842"},
    // Hex dumps: pairs of bytes separated by spaces, sixteen bytes to a line.
    {"HexDump", fresh, EDIT(s.appendHexDump("\xA0\xA7\xAE\xB5", 4)), "A0A7 AEB5 "},
    {"HexDumpLine", fresh, EDIT(s.appendHexDump(sixteen, 16) && s.appendHexDump(sixteen, 1)),
     line16 + "00"},
    // More than the 128 characters gathered locally for each append.
    {"HexDumpLong", fresh, EDIT(s.appendHexDump(bytes96.data(), 96)), times(line16, 6)},
    {"HexDumpNothing", "x", EDIT(s.appendHexDump(nullptr, 5) && s.appendHexDump("ab", -3)), "x"},
    // Content replacement.
    {"SetString", "old content", EDIT(s.setString("new")), "new", 12},
    {"SetStringNull", "old", EDIT(s.setString(nullptr)), "", 4},
    {"SetStringLonger", "old", EDIT(s.setString("a longer text")), "a longer text"},
    {"SetStringOwn", "pre-rest", EDIT(s.setString(s.getString() + 4) && s.setString(s.getString())),
     "rest", 9},
    {"SetFromSb", "first", EDIT(s.setFromSb(StringBuffer("second")) && s.setFromSb(s)), "second"},
    {"SetFromEmptySb", "first", EDIT(s.setFromSb(StringBuffer())), ""},
    {"Clear", "hello", DO(s.clear()), "", 6, 200},
    {"Minimize", fresh, EDIT(s.append(q197.c_str()) && (s.minimizeMemory(), true)), q197, 198},
    {"MinimizeSlack", fresh, EDIT(s.append(q198.c_str()) && (s.minimizeMemory(), true)), q198, 202},
    // Editing in place. trim2 and toLowerCase show whole in charset name normalisation,
    // the escapes of encodeXmlSpecial in the log's HTML.
    {"Shorten", "abcdef", DO(s.shorten(2); s.shorten(0); s.shorten(-1)), "abcd", 7},
    {"ShortenAll", "abc", DO(s.shorten(100)), "", 4},
    {"ToCRLF", "a\r\nb\nc\rd\n", EDIT(s.toCRLF()), "a\r\nb\r\ncd\r\n"},
    {"ToCRLFNone", "no line ends", EDIT(s.toCRLF()), "no line ends", 13},
    {"ToCRLFLoneCr", "\r\r\rx\r", EDIT(s.toCRLF()), "x"},
    {"ToCRLFGrowing", lines500.c_str(), EDIT(s.toCRLF()), times("line\r\n", 500)},
    {"XmlTwice", "&amp; it's <b>", EDIT(s.encodeXmlSpecial()), "&amp;amp; it's &lt;b&gt;"},
    {"XmlNothing", "plain 'text'", EDIT(s.encodeXmlSpecial()), "plain 'text'", 13},
    {"ReplaceChar", "a/b/c", DO(s.replaceChar('/', '\\'); s.replaceChar('x', 'y')), "a\\b\\c"},
    // replaceCharUtf8: a and b are windows-1252 characters; 0xE9 is U+00E9, 0x80 U+20AC.
    // U+9577 is E9 95 B7 in UTF-8, so its lead byte is the byte 0xE9.
    {"Utf8AbsentByte", "a/b\xC3\xA9", DO(s.replaceCharUtf8('|', '\\')), "a/b\xC3\xA9"},
    {"Utf8AsciiContent", "cafe", DO(s.replaceCharUtf8('e', '\xE9')), "caf\xE9"},
    {"Utf8Ascii", "\xC3\xA9/\xE6\x97\xA5/", DO(s.replaceCharUtf8('/', '\\')),
     "\xC3\xA9\\\xE6\x97\xA5\\"},
    {"Utf8E9", "caf\xC3\xA9 \xE9\x95\xB7", DO(s.replaceCharUtf8('\xE9', 'e')), "cafe \xE9\x95\xB7"},
    {"Utf8ToAnsi", "e \xE6\x97\xA5", DO(s.replaceCharUtf8('e', '\x80')),
     "\xE2\x82\xAC \xE6\x97\xA5"},
    {"Utf8NoMatch", "\xEF\xBB\xBF\xC3\xA9\xA9", DO(s.replaceCharUtf8('\xA9', 'x')),
     "\xEF\xBB\xBF\xC3\xA9\xA9"},
    // Replacing substrings: matches never overlap; replaceAll restarts as a default
    // buffer and never rescans what it inserted.
    {"ReplaceAllRestart", "aaa", EDIT(s.replaceAllOccurrences("a", "aa") == 3), "aaaaaa", 202,
     202},
    {"ReplaceAll", "a, b, c", EDIT(s.replaceAllOccurrences(", ", ";") == 2), "a;b;c"},
    {"ReplaceAllNull", "a;b;", EDIT(s.replaceAllOccurrences(";", nullptr) == 2), "ab"},
    {"ReplaceAllNone", "abc", EDIT(s.replaceAllOccurrences("x", "y") == 0 &&
                                   s.replaceAllOccurrences(nullptr, "y") == 0), "abc", 4, 200},
    {"ReplaceAllWhole", "abc", EDIT(s.replaceAllOccurrences("abc", "") == 1), ""},
    {"ReplaceAllOverlap", "aaaa", EDIT(s.replaceAllOccurrences("aa", "b") == 2), "bb"},
    {"ReplaceAllGrowing", tags300.c_str(), EDIT(s.replaceAllOccurrences("<x>", "[y]") == 300),
     times("[y]", 300)},
    {"ReplaceAllOwn", "abcabc",
     EDIT(s.replaceAllOccurrences(s.getString() + 4, s.getString() + 3) == 2), "aabcaabc"},
    {"ReplaceFirst", "one two one", EDIT(s.replaceFirstOccurrence("one", "1")), "1 two one"},
    {"ReplaceFirstLonger", "1 two", EDIT(s.replaceFirstOccurrence("two", "a longer one")),
     "1 a longer one"},
    {"ReplaceFirstNone", "one",
     EDIT(!s.replaceFirstOccurrence("x", "y") && !s.replaceFirstOccurrence(nullptr, "y")), "one"},
    {"ReplaceFirstNull", "one two", EDIT(s.replaceFirstOccurrence("one", nullptr)), "one two"},
    {"ReplaceFirstOwn", "x=1234567890", EDIT(s.replaceFirstOccurrence("x", s.getString() + 2)),
     "1234567890=1234567890"},
    {"ReplaceLast", "one two one two",
     EDIT(s.replaceLastOccurrence("two", "2") && s.replaceLastOccurrence("one", "ONE!")),
     "one two ONE! 2"},
    {"ReplaceLastNone", "one",
     EDIT(!s.replaceLastOccurrence("x", "y") && !s.replaceLastOccurrence(nullptr, "y")), "one"},
    {"ReplaceLastNull", "two", EDIT(s.replaceLastOccurrence("two", nullptr)), "two"},
    {"ReplaceLastAaa", "aaa", EDIT(s.replaceLastOccurrence("aa", "b")), "ba"}, // match at 0
    {"ReplaceLastAaaa", "aaaa", EDIT(s.replaceLastOccurrence("aa", "b")), "aab"},
    {"ReplaceLastOwn", "12345=12345", EDIT(s.replaceLastOccurrence("5", s.getString() + 3)),
     "12345=123445=12345"},
};
// clang-format on

TEST(StringBufferTest, Edits) {
    for (const EditRow &row : editRows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<StringBuffer> sb(row.start ? new StringBuffer(row.start)
                                                   : new StringBuffer());
        EXPECT_TRUE(row.edit(*sb));
        EXPECT_EQ(row.expected, contentOf(*sb));
        EXPECT_EQ(0, sb->getString()[sb->getSize()]) << "terminated";
        EXPECT_TRUE((row.capacity < 0 || row.capacity == sb->getCapacity()) &&
                    (row.growBy < 0 || row.growBy == sb->getGrowBy()))
            << blockOf(*sb);
        // Length, block and terminator must still agree for the next append.
        ASSERT_TRUE(sb->append("!"));
        EXPECT_EQ(row.expected + "!", contentOf(*sb));
    }
}

// ---------------------------------------------------------------------------------
// Construction and moves

TEST(StringBufferTest, ConstructionSizesTheBlock) {
    const std::pair<StringBuffer *, const char *> rows[] = {
        {StringBuffer::createNewObject(), " [202/202]"},
        {StringBuffer::createNewObject("hi"), "hi [3/200]"},
        {StringBuffer::createNewObject(""), " [1/200]"},
        {StringBuffer::createNewObject(nullptr), " [4/200]"}};
    for (const auto &[sb, block] : rows) {
        ASSERT_NE(nullptr, sb);
        EXPECT_EQ(block, blockOf(*sb));
        delete sb;
    }
    StringBuffer original("ab");
    original.appendChar(0);
    original.append("c");
    EXPECT_EQ("ab\0c [5/200]"s, blockOf(StringBuffer(original))) << "copied by length";
}

TEST(StringBufferTest, TakeFromAndDetachHandOverTheBlock) {
    StringBuffer source;
    source.append("moved");
    ASSERT_TRUE(source.expectNumBytes(1000)); // capacity 202 + 5 + 1000 + 1, growBy 604
    const char *block = source.getString();
    StringBuffer target("old");
    target.takeFrom(source);
    target.takeFrom(target); // changes nothing
    EXPECT_EQ(block, target.getString());
    EXPECT_EQ("moved [1208/604]", blockOf(target));
    EXPECT_EQ(" [604/604]", blockOf(source)) << "a fresh block of its own growBy size";
    // Taking from an empty buffer only clears: the target keeps its block.
    StringBuffer empty, kept("some text");
    kept.takeFrom(empty);
    EXPECT_EQ(" [10/200]", blockOf(kept));
    EXPECT_EQ(" [202/202]", blockOf(empty));

    int length = -1;
    char *taken = target.detach(length);
    EXPECT_EQ(block, taken);
    EXPECT_EQ("moved", std::string(taken, length < 0 ? 0 : length));
    free(taken);
    EXPECT_EQ(" [604/604]", blockOf(target)) << "a fresh block of growBy bytes";
}

TEST(StringBufferTest, TakeDataBuffer) {
    DataBuffer data;
    data.append("hello?", 6); // the last byte becomes the terminator
    const unsigned char *block = data.getData();
    StringBuffer sb("previous");
    sb.takeDataBuffer(data);
    EXPECT_EQ(reinterpret_cast<const char *>(block), sb.getString()) << "adopted, not copied";
    EXPECT_EQ("hello [20000/1024]", blockOf(sb));
    EXPECT_EQ(0, sb.getString()[5]);
    EXPECT_TRUE(data.getData() == nullptr && data.getCapacity() == 0) << "handed over";
    // Fewer than two bytes: the buffer is only cleared.
    data.append("", 1);
    StringBuffer cleared("previous");
    cleared.takeDataBuffer(data);
    EXPECT_EQ(" [9/200]", blockOf(cleared));
    EXPECT_EQ(1u, data.getSize());
    // A borrowed block is copied and stays with its owner.
    char external[] = "borrowed";
    data.borrowBlock(external, sizeof external);
    sb.takeDataBuffer(data);
    EXPECT_EQ("borrowed", contentOf(sb));
    EXPECT_NE(static_cast<const char *>(external), sb.getString());
    EXPECT_EQ(static_cast<uint32_t>(sizeof external), data.getSize());
}

// ---------------------------------------------------------------------------------
// Windows error texts

TEST(StringBufferTest, AppendWindowsErrorTrimsTheWholeBuffer) {
    StringBuffer sb("  Error: ");
    ASSERT_TRUE(sb.appendWindowsError(ERROR_FILE_NOT_FOUND));
    SetLastError(ERROR_ACCESS_DENIED);
    StringBuffer last;
    ASSERT_TRUE(last.appendLastWindowsError());
#ifdef _WIN32
    // The text depends on the system (and Wine has its own wording).
    EXPECT_TRUE(sb.beginsWith("Error: ")) << sb.getString();
    EXPECT_GT(sb.getSize(), 8);
    EXPECT_GT(last.getSize(), 0);
#else
    EXPECT_STREQ("Error: The system cannot find the file specified.", sb.getString());
    EXPECT_STREQ("Access is denied.", last.getString());
#endif
    char end = sb.lastChar();
    EXPECT_TRUE(end != ' ' && end != '\r' && end != '\n' && end != '\t');
    // A customer-defined code (bit 29): no system has a message for it, so nothing is
    // appended and nothing trimmed.
    StringBuffer untouched("  untouched \r\n");
    EXPECT_TRUE(untouched.appendWindowsError(0x20001234u));
    EXPECT_STREQ("  untouched \r\n", untouched.getString());
}

// ---------------------------------------------------------------------------------
// Queries

TEST(StringBufferTest, Queries) {
    // Each argument against contains, containsNoCase, beginsWith, beginsWithNoCase,
    // endsWith, equals and equalsIgnoreCase of "Hello World".
    const std::pair<const char *, const char *> rows[] = {
        {"Hello World", "1111111"}, {"hELLO wORLD", "0101001"},  {"", "1011100"},
        {nullptr, "0000000"},       {"Hello World!", "0000000"}, {"xHello World", "0000000"},
        {"lo W", "1100000"},        {"lo w", "0100000"},         {"World", "1100100"},
        {"HELLO", "0101000"},       {"Hello Worl", "1111000"}};
    const StringBuffer sb("Hello World");
    for (const auto &[argument, expected] : rows) {
        std::string answers;
        for (bool answer :
             {sb.contains(argument), sb.containsNoCase(argument), sb.beginsWith(argument),
              sb.beginsWithNoCase(argument), sb.endsWith(argument), sb.equals(argument),
              sb.equalsIgnoreCase(argument)})
            answers += answer ? '1' : '0';
        EXPECT_EQ(expected, answers) << (argument ? argument : "(null)");
    }
    EXPECT_EQ('d', sb.lastChar());
    EXPECT_TRUE(sb.containsChar('W') && !sb.containsChar('w'));
    EXPECT_TRUE(sb.containsChar(0)) << "finds the terminator";
    EXPECT_TRUE(sb.is7bit(0));
    StringBuffer empty;
    EXPECT_EQ(0, empty.lastChar());
    EXPECT_TRUE(empty.equals(nullptr) && empty.equals("") && empty.equalsIgnoreCase(nullptr));
    empty.append("abc\xE9");
    EXPECT_FALSE(empty.is7bit(0));
    EXPECT_TRUE(empty.is7bit(3));
    EXPECT_FALSE(empty.is7bit(4));
    EXPECT_FALSE(empty.is7bit(1000));
}

// ---------------------------------------------------------------------------------
// Free functions on plain text

const char *shown(const char *text) {
    return text ? text : "(null)";
}

TEST(StringFunctionsTest, DecimalText) {
    // clang-format off
    const std::pair<int64_t, const char *> rows[] = {
        {0, "0"}, {-1, "-1"}, {10203, "10203"}, {INT_MAX, "2147483647"},
        {INT_MIN, "-2147483648"}, // eleven characters: the most intToDecimal writes
        {-4294967296LL, "-4294967296"}, {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"}};
    // clang-format on
    for (const auto &[value, text] : rows) {
        char out[21];
        memset(out, 'z', sizeof out); // the terminator must be written
        int64ToDecimal(value, out);
        EXPECT_STREQ(text, out);
        if (value < INT_MIN || value > INT_MAX) continue;
        memset(out, 'z', sizeof out);
        EXPECT_EQ(static_cast<int>(strlen(text)), intToDecimal(static_cast<int>(value), out));
        EXPECT_STREQ(text, out);
    }
    EXPECT_EQ(0, intToDecimal(5, nullptr));
    int64ToDecimal(1, nullptr); // does nothing
}

TEST(StringFunctionsTest, FindNoCase) {
    const char *fox = "The Quick Brown Fox";
    // {haystack, needle, offset of the match or -1}
    // clang-format off
    const std::tuple<const char *, const char *, int> rows[] = {
        {fox, "qUICK", 4}, {fox, "the", 0}, {fox, "FOX", 16}, {fox, "foxes", -1},
        {fox, "quick  ", -1}, {"aaAb", "AB", 2}, {"abAbAC", "abac", 2}, // partial matches retry
        // Only a-z fold onto A-Z: bytes above 0x7F and punctuation compare as they are.
        {"\xC4pfel", "\xE4pfel", -1}, {"[", "{", -1}, {"@", "`", -1},
        {nullptr, "a", -1}, {"", "a", -1}, {"abc", "", -1}, {"abc", nullptr, -1}};
    // clang-format on
    for (const auto &[haystack, needle, offset] : rows) {
        EXPECT_EQ(offset < 0 ? nullptr : haystack + offset, findNoCase(haystack, needle))
            << shown(haystack) << " / " << shown(needle);
    }
}

TEST(StringFunctionsTest, MatchesWildcard) {
    // {text, pattern, case-sensitive, matches}: only '*' is special.
    // clang-format off
    const std::tuple<const char *, const char *, bool, bool> rows[] = {
        {"abc.txt", "*.TXT", false, true}, {"abc.txt", "*.TXT", true, false},
        {"abc.txt", "*.txt", true, true}, {"ABC.TXT", "abc.txt", false, true},
        {"ABC.TXT", "abc.txt", true, false}, {"", "**", true, true}, {nullptr, nullptr, true, true},
        {"", "*a", true, false}, {nullptr, "a", true, false}, {"a", nullptr, true, false},
        {"abc", "a?c", true, false}, {"a?c", "a?c", true, true}, {"abc", "*", true, true},
        {"abc", "a*", true, true}, {"abc", "*c", true, true}, {"abc", "abc*", true, true},
        {"abc", "*abc", true, true},
        {"abc", "a**b**c", true, true}, {"abc", "*b*", true, true}, {"abc", "*d*", true, false},
        {"abc", "b*", true, false}, {"abc", "*b", true, false}, {"abc", "abcd*", true, false},
        {"ab", "ab*b", true, false}, // prefix and suffix may not overlap
        {"report-2024-final.doc", "report*2024*.doc", true, true},
        // Middle segments take their leftmost occurrence; the last one must end the text.
        {"xabab", "x*a*ab", true, true}, {"aXbXc", "*x*X*", false, true},
        {"aXbXc", "*x*X*", true, false}, {"abc", "*bc*c", true, false},
        {"abcc", "*bc*c", true, true}};
    // clang-format on
    for (const auto &[text, pattern, caseSensitive, matches] : rows) {
        EXPECT_EQ(matches, matchesWildcard(text, pattern, caseSensitive))
            << shown(text) << " ~ " << shown(pattern) << (caseSensitive ? " (case)" : "");
    }
}

// ---------------------------------------------------------------------------------
// Validity marker and destruction

// The marker is the first field after the TarnixObject part (Itanium C++ ABI, which
// both the native and the MinGW builds use; the tests check the byte first).
unsigned char *markerOf(void *object) {
    return static_cast<unsigned char *>(object) + sizeof(TarnixObject);
}

// "threadsafe" death tests run the test program again for the statement; it is the
// only style on Windows, and natively it avoids forking a process that has threads.
TEST(CoreDeathTest, UseAfterDestructionOrOverwriteStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    alignas(StringBuffer) unsigned char sbStorage[sizeof(StringBuffer)];
    alignas(DataBuffer) unsigned char dbStorage[sizeof(DataBuffer)];
    StringBuffer *sb = new (sbStorage) StringBuffer("victim");
    DataBuffer *db = new (dbStorage) DataBuffer();
    ASSERT_EQ(0xAA, *markerOf(sb));
    ASSERT_EQ(0xDB, *markerOf(db));
    EXPECT_DEATH((*markerOf(sb) = 0x55, sb->getSize()),
                 "StringBuffer used after destruction or overwritten");
    EXPECT_DEATH((*markerOf(db) = 0xAA, db->getSize()),
                 "DataBuffer used after destruction or overwritten");
    EXPECT_EQ(6, sb->getSize()); // only the child saw the broken marker
    sb->~StringBuffer();
    db->~DataBuffer();
    EXPECT_EQ(0, *markerOf(sb) | *markerOf(db)) << "a later use hits the check";
}

} // namespace
