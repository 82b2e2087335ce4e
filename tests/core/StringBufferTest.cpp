#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

std::string contentOf(const StringBuffer &sb) {
    return std::string(sb.getString(), static_cast<size_t>(sb.getSize()));
}

// ---------------------------------------------------------------------------------
// Construction

TEST(StringBufferTest, DefaultConstructorGives202ByteBlock) {
    StringBuffer sb;
    EXPECT_EQ(0, sb.getSize());
    EXPECT_EQ(202, sb.getCapacity());
    EXPECT_EQ(202, sb.getGrowBy());
    ASSERT_NE(nullptr, sb.getString());
    EXPECT_STREQ("", sb.getString());
}

TEST(StringBufferTest, TextConstructorAllocatesExactly) {
    StringBuffer sb("hello");
    EXPECT_STREQ("hello", sb.getString());
    EXPECT_EQ(5, sb.getSize());
    EXPECT_EQ(6, sb.getCapacity());
    EXPECT_EQ(200, sb.getGrowBy());

    StringBuffer empty("");
    EXPECT_EQ(0, empty.getSize());
    EXPECT_EQ(1, empty.getCapacity());
    EXPECT_EQ(200, empty.getGrowBy());
}

TEST(StringBufferTest, NullTextConstructorGivesFourBytes) {
    StringBuffer sb(nullptr);
    EXPECT_STREQ("", sb.getString());
    EXPECT_EQ(0, sb.getSize());
    EXPECT_EQ(4, sb.getCapacity());
    EXPECT_EQ(200, sb.getGrowBy());
}

TEST(StringBufferTest, CopyConstructorCopiesByLength) {
    StringBuffer original;
    original.append("ab");
    original.appendChar(0);
    original.append("c");
    StringBuffer copy(original);
    EXPECT_EQ(std::string("ab\0c", 4), contentOf(copy));
    EXPECT_EQ(5, copy.getCapacity());
    EXPECT_EQ(200, copy.getGrowBy());
    EXPECT_NE(original.getString(), copy.getString());
}

TEST(StringBufferTest, CreateNewObjectBothForms) {
    StringBuffer *a = StringBuffer::createNewObject();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(202, a->getCapacity());
    StringBuffer *b = StringBuffer::createNewObject("xyz");
    ASSERT_NE(nullptr, b);
    EXPECT_STREQ("xyz", b->getString());
    StringBuffer *c = StringBuffer::createNewObject(nullptr);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(4, c->getCapacity());
    delete a;
    delete b;
    delete c;
}

// ---------------------------------------------------------------------------------
// Growth arithmetic

TEST(StringBufferTest, AppendOf300BytesToDefaultGives503) {
    StringBuffer sb;
    std::string text(300, 'a');
    ASSERT_TRUE(sb.append(text.c_str()));
    EXPECT_EQ(300, sb.getSize());
    EXPECT_EQ(202 + 0 + 300 + 1, sb.getCapacity());
    EXPECT_EQ(251, sb.getGrowBy());
    EXPECT_EQ(text, contentOf(sb));
}

TEST(StringBufferTest, AppendNAllocatesWithoutTerminatorByte) {
    StringBuffer sb;
    std::string text(300, 'a');
    ASSERT_TRUE(sb.appendN(text.data(), 300));
    EXPECT_EQ(202 + 0 + 300, sb.getCapacity());
    EXPECT_EQ(251, sb.getGrowBy());
    EXPECT_EQ(0, sb.getString()[300]);
}

TEST(StringBufferTest, InPlaceWhileLengthPlusNeedBelowCapacity) {
    StringBuffer sb;
    std::string text(201, 'a');
    ASSERT_TRUE(sb.append(text.c_str())); // 0 + 201 < 202
    EXPECT_EQ(202, sb.getCapacity());
    // 201 + 1 < 202 is false: a new block of 202 + 201 + 1 + 1 bytes.
    ASSERT_TRUE(sb.appendChar('b'));
    EXPECT_EQ(405, sb.getCapacity());
    EXPECT_EQ(202, sb.getGrowBy()); // 405 / 2
    EXPECT_EQ(202, sb.getSize());
    EXPECT_EQ('b', sb.lastChar());
}

TEST(StringBufferTest, AppendCharGrowthFromTextConstructor) {
    StringBuffer sb("abc"); // capacity 4, growBy 200
    ASSERT_TRUE(sb.append(""));
    EXPECT_EQ(4, sb.getCapacity());
    ASSERT_TRUE(sb.appendChar('d'));
    EXPECT_EQ(200 + 3 + 1 + 1, sb.getCapacity());
    EXPECT_EQ(102, sb.getGrowBy());
    EXPECT_STREQ("abcd", sb.getString());
}

TEST(StringBufferTest, GrowByCappedAt500000) {
    StringBuffer sb;
    ASSERT_TRUE(sb.expectNumBytes(1200000));
    EXPECT_EQ(202 + 1200000 + 1, sb.getCapacity());
    EXPECT_EQ(500000, sb.getGrowBy());
    ASSERT_TRUE(sb.expectNumBytes(1200202)); // still fits
    EXPECT_EQ(1200203, sb.getCapacity());
    ASSERT_TRUE(sb.expectNumBytes(1200203));
    EXPECT_EQ(500000 + 1200203 + 1, sb.getCapacity());
    EXPECT_EQ(500000, sb.getGrowBy());
}

TEST(StringBufferTest, RepeatedAppendsRoughlyDouble) {
    StringBuffer sb;
    int capacity = sb.getCapacity();
    int growBy = sb.getGrowBy();
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        int length = sb.getSize();
        bool grows = length + 7 >= capacity;
        ASSERT_TRUE(sb.append("1234567"));
        expected += "1234567";
        if (grows) {
            int newCapacity = growBy + length + 7 + 1;
            ASSERT_EQ(newCapacity, sb.getCapacity()) << "at append " << i;
            if (growBy < newCapacity && growBy < 500000) growBy = std::min(newCapacity / 2, 500000);
            ASSERT_EQ(growBy, sb.getGrowBy());
            capacity = newCapacity;
        } else {
            ASSERT_EQ(capacity, sb.getCapacity());
        }
    }
    EXPECT_EQ(expected, contentOf(sb));
}

TEST(StringBufferTest, ExpectNumBytesGrowsLikeAnAppend) {
    StringBuffer sb;
    EXPECT_TRUE(sb.expectNumBytes(201));
    EXPECT_EQ(202, sb.getCapacity());
    EXPECT_TRUE(sb.expectNumBytes(0));
    EXPECT_TRUE(sb.expectNumBytes(-5));
    EXPECT_TRUE(sb.expectNumBytes(202));
    EXPECT_EQ(405, sb.getCapacity());
    EXPECT_EQ(0, sb.getSize());
}

TEST(StringBufferTest, ImpossibleGrowthFailsAndKeepsContent) {
    // The new size would pass the signed 32-bit range: no allocation is tried.
    StringBuffer sb("keep");
    EXPECT_FALSE(sb.expectNumBytes(INT_MAX));
    EXPECT_FALSE(sb.appendCharN('x', INT_MAX - 2));
    EXPECT_STREQ("keep", sb.getString());
    EXPECT_EQ(4, sb.getSize());
    EXPECT_EQ(5, sb.getCapacity());
    EXPECT_EQ(200, sb.getGrowBy());
}

// ---------------------------------------------------------------------------------
// Appending

TEST(StringBufferTest, AppendNullIsANoOp) {
    StringBuffer sb("a");
    EXPECT_TRUE(sb.append(nullptr));
    EXPECT_TRUE(sb.appendN(nullptr, 5));
    EXPECT_TRUE(sb.appendN("bc", 0));
    EXPECT_TRUE(sb.appendN("bc", -1));
    EXPECT_STREQ("a", sb.getString());
    EXPECT_EQ(2, sb.getCapacity());
}

TEST(StringBufferTest, AppendNDropsTrailingZeros) {
    StringBuffer sb;
    ASSERT_TRUE(sb.appendN("ab\0\0", 4));
    EXPECT_EQ(2, sb.getSize());
    ASSERT_TRUE(sb.appendN("c\0d", 3)); // an inner 0 is kept
    EXPECT_EQ(std::string("abc\0d", 5), contentOf(sb));
    ASSERT_TRUE(sb.appendN("\0\0\0", 3));
    EXPECT_EQ(5, sb.getSize());
}

TEST(StringBufferTest, AppendCharCountsAZeroByte) {
    StringBuffer sb("ab");
    ASSERT_TRUE(sb.appendChar(0));
    EXPECT_EQ(3, sb.getSize());
    EXPECT_EQ(0, sb.lastChar());
    // appendN drops every trailing 0, the counted one included.
    ASSERT_TRUE(sb.appendN("\0", 1));
    EXPECT_EQ(2, sb.getSize());
}

TEST(StringBufferTest, AppendCharAnyByteValue) {
    StringBuffer sb;
    for (int c = 1; c < 256; ++c) ASSERT_TRUE(sb.appendChar(static_cast<char>(c)));
    ASSERT_EQ(255, sb.getSize());
    for (int c = 1; c < 256; ++c) EXPECT_EQ(c, static_cast<unsigned char>(sb.getString()[c - 1]));
    EXPECT_EQ(0, sb.getString()[255]);
}

TEST(StringBufferTest, AppendCharN) {
    StringBuffer sb("a");
    EXPECT_TRUE(sb.appendCharN('x', 3));
    EXPECT_STREQ("axxx", sb.getString());
    EXPECT_TRUE(sb.appendCharN('y', 0));
    EXPECT_TRUE(sb.appendCharN('y', -2));
    EXPECT_STREQ("axxx", sb.getString());
    EXPECT_TRUE(sb.appendCharN(0, 4)); // as appendN: the zeros are not counted
    EXPECT_EQ(4, sb.getSize());
    // Growth as appendN: growBy + length + n, no terminator byte.
    StringBuffer g("ab"); // capacity 3
    ASSERT_TRUE(g.appendCharN('z', 10));
    EXPECT_EQ(200 + 2 + 10, g.getCapacity());
}

TEST(StringBufferTest, AppendSbIncludingItself) {
    StringBuffer a("abc");
    StringBuffer b("def");
    ASSERT_TRUE(a.appendSb(b));
    EXPECT_STREQ("abcdef", a.getString());
    ASSERT_TRUE(a.appendSb(a)); // the block moves while its own bytes are appended
    EXPECT_STREQ("abcdefabcdef", a.getString());
    EXPECT_EQ(12, a.getSize());
}

TEST(StringBufferTest, AppendNFromOwnBlockWhileGrowing) {
    StringBuffer sb("0123456789"); // capacity 11: any append grows
    ASSERT_TRUE(sb.appendN(sb.getString() + 2, 5));
    EXPECT_STREQ("012345678923456", sb.getString());
    ASSERT_TRUE(sb.append(sb.getString() + 10));
    EXPECT_STREQ("01234567892345623456", sb.getString());
    StringBuffer tight("abc"); // capacity 4
    ASSERT_TRUE(tight.append(tight.getString()));
    EXPECT_STREQ("abcabc", tight.getString());
}

TEST(StringBufferTest, AppendInt) {
    StringBuffer sb;
    sb.appendInt(0);
    sb.appendChar(' ');
    sb.appendInt(-42);
    sb.appendChar(' ');
    sb.appendInt(INT_MIN);
    sb.appendChar(' ');
    sb.appendInt(INT_MAX);
    EXPECT_STREQ("0 -42 -2147483648 2147483647", sb.getString());
}

// ---------------------------------------------------------------------------------
// Hex dump

TEST(StringBufferTest, HexDumpOfThreeBytes) {
    StringBuffer sb;
    const unsigned char bytes[] = {0x0A, 0x1B, 0x2C};
    ASSERT_TRUE(sb.appendHexDump(bytes, 3));
    EXPECT_STREQ("0A1B 2C", sb.getString());
    EXPECT_EQ(7, sb.getSize());
}

TEST(StringBufferTest, HexDumpLines) {
    unsigned char bytes[40];
    for (int i = 0; i < 40; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 0xA0);
    StringBuffer four;
    ASSERT_TRUE(four.appendHexDump(bytes, 4));
    EXPECT_STREQ("A0A7 AEB5 ", four.getString()); // the last line may end in a space

    StringBuffer line;
    const unsigned char sixteen[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    ASSERT_TRUE(line.appendHexDump(sixteen, 16));
    EXPECT_STREQ("0001 0203 0405 0607 0809 0A0B 0C0D 0E0F\n", line.getString());

    StringBuffer more;
    ASSERT_TRUE(more.appendHexDump(sixteen, 16));
    ASSERT_TRUE(more.appendHexDump(sixteen, 1));
    EXPECT_STREQ("0001 0203 0405 0607 0809 0A0B 0C0D 0E0F\n00", more.getString());
}

TEST(StringBufferTest, HexDumpLongerThanItsLocalBuffer) {
    unsigned char bytes[1000];
    for (int i = 0; i < 1000; ++i) bytes[i] = static_cast<unsigned char>((i * 37) ^ (i >> 3));
    std::string expected;
    char hex[3];
    for (int i = 0; i < 1000; ++i) {
        snprintf(hex, sizeof hex, "%02X", bytes[i]);
        expected += hex;
        if (i % 16 == 15) expected += '\n';
        else if (i % 2 == 1) expected += ' ';
    }
    StringBuffer sb("prefix:");
    ASSERT_TRUE(sb.appendHexDump(bytes, 1000));
    EXPECT_EQ("prefix:" + expected, contentOf(sb));
}

TEST(StringBufferTest, HexDumpOfNothing) {
    StringBuffer sb("x");
    EXPECT_TRUE(sb.appendHexDump(nullptr, 5));
    EXPECT_TRUE(sb.appendHexDump("ab", 0));
    EXPECT_TRUE(sb.appendHexDump("ab", -3));
    EXPECT_STREQ("x", sb.getString());
}

// ---------------------------------------------------------------------------------
// Windows error texts

TEST(StringBufferTest, AppendWindowsErrorTrimsTheWholeBuffer) {
    StringBuffer sb("  Error: ");
    ASSERT_TRUE(sb.appendWindowsError(ERROR_FILE_NOT_FOUND));
#ifdef _WIN32
    // The text depends on the system (and Wine has its own wording).
    EXPECT_TRUE(sb.beginsWith("Error: ")) << sb.getString();
    EXPECT_GT(sb.getSize(), 8);
#else
    EXPECT_STREQ("Error: The system cannot find the file specified.", sb.getString());
#endif
    char last = sb.lastChar();
    EXPECT_TRUE(last != ' ' && last != '\r' && last != '\n' && last != '\t');
}

TEST(StringBufferTest, AppendWindowsErrorWithoutTextChangesNothing) {
    StringBuffer sb("  untouched \r\n");
    // A customer-defined code (bit 29): no system has a message for it.
    EXPECT_TRUE(sb.appendWindowsError(0x20001234u));
    EXPECT_STREQ("  untouched \r\n", sb.getString());
}

TEST(StringBufferTest, AppendLastWindowsError) {
    StringBuffer sb;
    SetLastError(ERROR_ACCESS_DENIED);
    ASSERT_TRUE(sb.appendLastWindowsError());
#ifdef _WIN32
    EXPECT_GT(sb.getSize(), 0);
#else
    EXPECT_STREQ("Access is denied.", sb.getString());
#endif
}

// ---------------------------------------------------------------------------------
// Content replacement and moves

TEST(StringBufferTest, ClearKeepsTheBlock) {
    StringBuffer sb("hello");
    const char *block = sb.getString();
    sb.clear();
    EXPECT_EQ(0, sb.getSize());
    EXPECT_STREQ("", sb.getString());
    EXPECT_EQ(block, sb.getString());
    EXPECT_EQ(6, sb.getCapacity());
}

TEST(StringBufferTest, SetString) {
    StringBuffer sb("old content");
    ASSERT_TRUE(sb.setString("new"));
    EXPECT_STREQ("new", sb.getString());
    EXPECT_EQ(3, sb.getSize());
    ASSERT_TRUE(sb.setString(nullptr));
    EXPECT_EQ(0, sb.getSize());
    ASSERT_TRUE(sb.setString("a longer text than the block held"));
    EXPECT_STREQ("a longer text than the block held", sb.getString());
}

TEST(StringBufferTest, SetStringFromItsOwnContent) {
    StringBuffer sb("prefix-rest");
    ASSERT_TRUE(sb.setString(sb.getString() + 7));
    EXPECT_STREQ("rest", sb.getString());
    EXPECT_EQ(4, sb.getSize());
    ASSERT_TRUE(sb.setString(sb.getString()));
    EXPECT_STREQ("rest", sb.getString());
}

TEST(StringBufferTest, SetFromSb) {
    StringBuffer a("first");
    StringBuffer b("second");
    ASSERT_TRUE(a.setFromSb(b));
    EXPECT_STREQ("second", a.getString());
    ASSERT_TRUE(a.setFromSb(a));
    EXPECT_STREQ("second", a.getString());
    StringBuffer empty;
    ASSERT_TRUE(a.setFromSb(empty));
    EXPECT_EQ(0, a.getSize());
}

TEST(StringBufferTest, TakeFromMovesTheBlock) {
    StringBuffer source;
    source.append("moved text");
    ASSERT_TRUE(source.expectNumBytes(1000)); // changes growBy too
    const char *block = source.getString();
    int capacity = source.getCapacity();
    int growBy = source.getGrowBy();
    ASSERT_EQ(202 + 10 + 1000 + 1, capacity);
    ASSERT_EQ(606, growBy);

    StringBuffer target("old");
    target.takeFrom(source);
    EXPECT_EQ(block, target.getString());
    EXPECT_STREQ("moved text", target.getString());
    EXPECT_EQ(10, target.getSize());
    EXPECT_EQ(capacity, target.getCapacity());
    EXPECT_EQ(growBy, target.getGrowBy());

    EXPECT_EQ(0, source.getSize());
    EXPECT_STREQ("", source.getString());
    EXPECT_EQ(growBy, source.getCapacity()); // a fresh block of its own growBy size
    EXPECT_EQ(growBy, source.getGrowBy());
}

TEST(StringBufferTest, TakeFromAnEmptyBufferLeavesThisCleared) {
    StringBuffer source; // growBy 202
    StringBuffer target("some text");
    const char *targetBlock = target.getString();
    target.takeFrom(source);
    EXPECT_EQ(0, target.getSize());
    EXPECT_EQ(targetBlock, target.getString());
    EXPECT_EQ(10, target.getCapacity());
    EXPECT_EQ(200, target.getGrowBy());
    EXPECT_EQ(202, source.getCapacity());
    target.takeFrom(target); // no-op
    EXPECT_EQ(0, target.getSize());
}

TEST(StringBufferTest, DetachHandsOverTheBlock) {
    StringBuffer sb("detached");
    const char *block = sb.getString();
    int length = -1;
    char *taken = sb.detach(length);
    EXPECT_EQ(block, taken);
    EXPECT_EQ(8, length);
    EXPECT_STREQ("detached", taken);
    free(taken);
    EXPECT_EQ(0, sb.getSize());
    EXPECT_EQ(200, sb.getCapacity()); // a fresh block of growBy bytes
    EXPECT_EQ(200, sb.getGrowBy());
    ASSERT_TRUE(sb.append("again"));
    EXPECT_STREQ("again", sb.getString());
}

TEST(StringBufferTest, TakeDataBufferAdoptsTheBlock) {
    DataBuffer data;
    ASSERT_TRUE(data.append("hello", 5));
    ASSERT_TRUE(data.appendByte(0));
    const unsigned char *block = data.getData();

    StringBuffer sb("previous");
    sb.takeDataBuffer(data);
    EXPECT_EQ(reinterpret_cast<const char *>(block), sb.getString());
    EXPECT_STREQ("hello", sb.getString());
    EXPECT_EQ(5, sb.getSize());
    EXPECT_EQ(20000, sb.getCapacity());
    EXPECT_EQ(1024, sb.getGrowBy());
    EXPECT_EQ(nullptr, data.getData());
    EXPECT_EQ(0u, data.getSize());
    EXPECT_EQ(0u, data.getCapacity());
    // The adopted block grows like any other.
    ASSERT_TRUE(sb.append(" world"));
    EXPECT_STREQ("hello world", sb.getString());
}

TEST(StringBufferTest, TakeDataBufferOfFewerThanTwoBytesJustClears) {
    DataBuffer data;
    ASSERT_TRUE(data.appendByte(0));
    StringBuffer sb("previous");
    sb.takeDataBuffer(data);
    EXPECT_EQ(0, sb.getSize());
    EXPECT_EQ(9, sb.getCapacity());
    EXPECT_EQ(1u, data.getSize());
    EXPECT_NE(nullptr, data.getData());
}

TEST(StringBufferTest, TakeDataBufferCopiesABorrowedBlock) {
    char external[] = "borrowed";
    DataBuffer data;
    data.borrowBlock(external, sizeof external); // includes the terminator
    StringBuffer sb;
    sb.takeDataBuffer(data);
    EXPECT_STREQ("borrowed", sb.getString());
    EXPECT_NE(static_cast<const char *>(external), sb.getString());
    EXPECT_EQ(static_cast<uint32_t>(sizeof external), data.getSize());
}

TEST(StringBufferTest, MinimizeMemory) {
    StringBuffer sb;
    sb.append("abc");
    sb.minimizeMemory();
    EXPECT_EQ(4, sb.getCapacity());
    EXPECT_STREQ("abc", sb.getString());
    StringBuffer slack("abcd");
    // capacity 5, length 4: no more than 4 bytes of slack, nothing happens
    slack.minimizeMemory();
    EXPECT_EQ(5, slack.getCapacity());
}

TEST(StringBufferTest, MinimizeMemoryKeepsUpToFourBytesOfSlack) {
    StringBuffer sb;
    std::string text(197, 'q'); // 202 > 197 + 4 holds: shrinks
    sb.append(text.c_str());
    sb.minimizeMemory();
    EXPECT_EQ(198, sb.getCapacity());
    StringBuffer exact;
    std::string text2(198, 'q'); // 202 > 198 + 4 is false: stays
    exact.append(text2.c_str());
    exact.minimizeMemory();
    EXPECT_EQ(202, exact.getCapacity());
}

// ---------------------------------------------------------------------------------
// Editing in place

TEST(StringBufferTest, Trim2) {
    StringBuffer ws(" \t\r\n");
    ws.trim2();
    EXPECT_EQ(0, ws.getSize());
    EXPECT_STREQ("", ws.getString());

    StringBuffer sb("\r\n\t  inner text \t x \n\r ");
    sb.trim2();
    EXPECT_STREQ("inner text \t x", sb.getString());
    EXPECT_EQ(14, sb.getSize());

    StringBuffer other("\vkeep\f"); // only space, TAB, LF and CR are trimmed
    other.trim2();
    EXPECT_STREQ("\vkeep\f", other.getString());
}

TEST(StringBufferTest, ShortenZeroesTheDroppedBytes) {
    StringBuffer sb("abcdef");
    sb.shorten(2);
    EXPECT_STREQ("abcd", sb.getString());
    EXPECT_EQ(4, sb.getSize());
    EXPECT_EQ(0, sb.getString()[4]);
    EXPECT_EQ(0, sb.getString()[5]);
    sb.shorten(0);
    sb.shorten(-1);
    EXPECT_EQ(4, sb.getSize());
    sb.shorten(100);
    EXPECT_EQ(0, sb.getSize());
    EXPECT_EQ(0, memcmp(sb.getString(), "\0\0\0\0\0\0", 7));
}

TEST(StringBufferTest, ToLowerCase) {
    StringBuffer sb("ABC xyz 019 [\\]");
    sb.appendN("\xC0\xC9\xD7\xDF\xBF\xE0\x80\xFF", 8);
    sb.toLowerCase();
    EXPECT_EQ(std::string("abc xyz 019 [\\]\xE0\xE9\xF7\xFF\xBF\xE0\x80\xFF"), contentOf(sb));
}

TEST(StringBufferTest, ToCRLF) {
    StringBuffer sb("a\r\nb\nc\rd\n");
    ASSERT_TRUE(sb.toCRLF());
    EXPECT_STREQ("a\r\nb\r\ncd\r\n", sb.getString());
    EXPECT_EQ(10, sb.getSize());

    StringBuffer plain("no line ends");
    ASSERT_TRUE(plain.toCRLF());
    EXPECT_STREQ("no line ends", plain.getString());

    StringBuffer onlyCr("\r\r\rx\r");
    ASSERT_TRUE(onlyCr.toCRLF());
    EXPECT_STREQ("x", onlyCr.getString());

    StringBuffer many;
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        many.append("line\n");
        expected += "line\r\n";
    }
    ASSERT_TRUE(many.toCRLF());
    EXPECT_EQ(expected, contentOf(many));
}

TEST(StringBufferTest, EncodeXmlSpecial) {
    StringBuffer sb("\"<&>");
    ASSERT_TRUE(sb.encodeXmlSpecial());
    EXPECT_STREQ("&quot;&lt;&amp;&gt;", sb.getString());

    StringBuffer again("&amp; it's <b>");
    ASSERT_TRUE(again.encodeXmlSpecial());
    EXPECT_STREQ("&amp;amp; it's &lt;b&gt;", again.getString());

    StringBuffer none("plain 'text'");
    ASSERT_TRUE(none.encodeXmlSpecial());
    EXPECT_STREQ("plain 'text'", none.getString());
    EXPECT_EQ(13, none.getCapacity());
}

TEST(StringBufferTest, ReplaceChar) {
    StringBuffer sb("a/b/c");
    sb.replaceChar('/', '\\');
    EXPECT_STREQ("a\\b\\c", sb.getString());
    sb.replaceChar('x', 'y');
    EXPECT_STREQ("a\\b\\c", sb.getString());
}

// ---------------------------------------------------------------------------------
// Replacing substrings

TEST(StringBufferTest, ReplaceAllDoesNotRescanInsertedText) {
    StringBuffer sb("aaa");
    EXPECT_EQ(3, sb.replaceAllOccurrences("a", "aa"));
    EXPECT_STREQ("aaaaaa", sb.getString());
    // The buffer restarted as a default one.
    EXPECT_EQ(202, sb.getCapacity());
    EXPECT_EQ(202, sb.getGrowBy());
}

TEST(StringBufferTest, ReplaceAllVariants) {
    StringBuffer sb("one, two, three");
    EXPECT_EQ(2, sb.replaceAllOccurrences(", ", ";"));
    EXPECT_STREQ("one;two;three", sb.getString());
    EXPECT_EQ(2, sb.replaceAllOccurrences(";", nullptr));
    EXPECT_STREQ("onetwothree", sb.getString());
    EXPECT_EQ(0, sb.replaceAllOccurrences("absent", "x"));
    EXPECT_EQ(0, sb.replaceAllOccurrences("", "x"));
    EXPECT_EQ(0, sb.replaceAllOccurrences(nullptr, "x"));
    EXPECT_STREQ("onetwothree", sb.getString());
    EXPECT_EQ(1, sb.replaceAllOccurrences("onetwothree", ""));
    EXPECT_EQ(0, sb.getSize());

    StringBuffer overlap("aaaa");
    EXPECT_EQ(2, overlap.replaceAllOccurrences("aa", "b"));
    EXPECT_STREQ("bb", overlap.getString());

    StringBuffer big;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        big.append("<x>");
        expected += "[replacement]";
    }
    EXPECT_EQ(300, big.replaceAllOccurrences("<x>", "[replacement]"));
    EXPECT_EQ(expected, contentOf(big));
}

TEST(StringBufferTest, ReplaceAllWithArgumentsFromTheBuffer) {
    StringBuffer sb("abcabc");
    EXPECT_EQ(2, sb.replaceAllOccurrences(sb.getString() + 4, sb.getString() + 3));
    EXPECT_STREQ("aabcaabc", sb.getString());
}

TEST(StringBufferTest, ReplaceFirstOccurrence) {
    StringBuffer sb("one two one two");
    EXPECT_TRUE(sb.replaceFirstOccurrence("one", "1"));
    EXPECT_STREQ("1 two one two", sb.getString());
    EXPECT_TRUE(sb.replaceFirstOccurrence("two", "a longer replacement"));
    EXPECT_STREQ("1 a longer replacement one two", sb.getString());
    EXPECT_FALSE(sb.replaceFirstOccurrence("absent", "x"));
    EXPECT_FALSE(sb.replaceFirstOccurrence("", "x"));
    EXPECT_FALSE(sb.replaceFirstOccurrence(nullptr, "x"));
    EXPECT_TRUE(sb.replaceFirstOccurrence("one", nullptr));
    EXPECT_STREQ("1 a longer replacement one two", sb.getString());
    EXPECT_TRUE(sb.replaceFirstOccurrence("1 ", ""));
    EXPECT_STREQ("a longer replacement one two", sb.getString());
    EXPECT_EQ(28, sb.getSize());
}

TEST(StringBufferTest, ReplaceLastOccurrence) {
    StringBuffer sb("one two one two");
    EXPECT_TRUE(sb.replaceLastOccurrence("two", "2"));
    EXPECT_STREQ("one two one 2", sb.getString());
    EXPECT_TRUE(sb.replaceLastOccurrence("one", "ONE!"));
    EXPECT_STREQ("one two ONE! 2", sb.getString());
    EXPECT_FALSE(sb.replaceLastOccurrence("absent", "x"));
    EXPECT_FALSE(sb.replaceLastOccurrence("", "x"));
    EXPECT_TRUE(sb.replaceLastOccurrence("two", nullptr));
    EXPECT_STREQ("one two ONE! 2", sb.getString());

    // Non-overlapping matches from the left: in aaa the last match of aa is at 0.
    StringBuffer aaa("aaa");
    EXPECT_TRUE(aaa.replaceLastOccurrence("aa", "b"));
    EXPECT_STREQ("ba", aaa.getString());
    StringBuffer aaaa("aaaa");
    EXPECT_TRUE(aaaa.replaceLastOccurrence("aa", "b"));
    EXPECT_STREQ("aab", aaaa.getString());
}

TEST(StringBufferTest, ReplaceFirstWithReplacementFromTheBuffer) {
    StringBuffer sb("x=1234567890"); // capacity 13: the replacement grows the block
    EXPECT_TRUE(sb.replaceFirstOccurrence("x", sb.getString() + 2));
    EXPECT_STREQ("1234567890=1234567890", sb.getString());
    EXPECT_TRUE(sb.replaceLastOccurrence("0", sb.getString() + 8));
    EXPECT_STREQ("1234567890=12345678990=1234567890", sb.getString());
}

// ---------------------------------------------------------------------------------
// Queries

TEST(StringBufferTest, LastChar) {
    StringBuffer sb;
    EXPECT_EQ(0, sb.lastChar());
    sb.append("xyz");
    EXPECT_EQ('z', sb.lastChar());
}

TEST(StringBufferTest, ContainsFamily) {
    StringBuffer sb("Hello World");
    EXPECT_TRUE(sb.containsChar('W'));
    EXPECT_FALSE(sb.containsChar('w'));
    EXPECT_TRUE(sb.containsChar(0)); // finds the terminator
    EXPECT_TRUE(sb.contains("lo W"));
    EXPECT_FALSE(sb.contains("lo w"));
    EXPECT_TRUE(sb.contains(""));
    EXPECT_FALSE(sb.contains(nullptr));
    EXPECT_TRUE(sb.containsNoCase("lo w"));
    EXPECT_TRUE(sb.containsNoCase("WORLD"));
    EXPECT_FALSE(sb.containsNoCase(""));
    EXPECT_FALSE(sb.containsNoCase(nullptr));
    EXPECT_FALSE(sb.containsNoCase("worlds"));

    StringBuffer empty;
    EXPECT_TRUE(empty.contains(""));
    EXPECT_FALSE(empty.containsNoCase(""));
    EXPECT_FALSE(empty.containsNoCase("a"));
}

TEST(StringBufferTest, BeginsAndEndsWith) {
    StringBuffer sb("Readme.TXT");
    EXPECT_TRUE(sb.beginsWith("Read"));
    EXPECT_FALSE(sb.beginsWith("read"));
    EXPECT_TRUE(sb.beginsWith(""));
    EXPECT_FALSE(sb.beginsWith(nullptr));
    EXPECT_FALSE(sb.beginsWith("Readme.TXT!"));
    EXPECT_TRUE(sb.beginsWith("Readme.TXT"));
    EXPECT_TRUE(sb.beginsWithNoCase("README"));
    EXPECT_TRUE(sb.beginsWithNoCase(""));
    EXPECT_FALSE(sb.beginsWithNoCase(nullptr));
    EXPECT_FALSE(sb.beginsWithNoCase("readme.txt.bak"));

    EXPECT_TRUE(sb.endsWith(".TXT"));
    EXPECT_FALSE(sb.endsWith(".txt"));
    EXPECT_TRUE(sb.endsWith(""));
    EXPECT_FALSE(sb.endsWith(nullptr));
    EXPECT_TRUE(sb.endsWith("Readme.TXT"));
    EXPECT_FALSE(sb.endsWith("xReadme.TXT"));
}

TEST(StringBufferTest, EqualsFamily) {
    StringBuffer sb("Text");
    EXPECT_TRUE(sb.equals("Text"));
    EXPECT_FALSE(sb.equals("text"));
    EXPECT_FALSE(sb.equals("Tex"));
    EXPECT_FALSE(sb.equals("Texts"));
    EXPECT_FALSE(sb.equals(nullptr));
    EXPECT_FALSE(sb.equals(""));
    EXPECT_TRUE(sb.equalsIgnoreCase("tEXT"));
    EXPECT_FALSE(sb.equalsIgnoreCase("tEXTs"));
    EXPECT_FALSE(sb.equalsIgnoreCase(nullptr));

    StringBuffer empty;
    EXPECT_TRUE(empty.equals(nullptr));
    EXPECT_TRUE(empty.equals(""));
    EXPECT_TRUE(empty.equalsIgnoreCase(nullptr));
    EXPECT_TRUE(empty.equalsIgnoreCase(""));
    EXPECT_FALSE(empty.equals("a"));
}

TEST(StringBufferTest, Is7bit) {
    StringBuffer empty;
    EXPECT_TRUE(empty.is7bit(0));
    StringBuffer sb("plain ascii");
    EXPECT_TRUE(sb.is7bit(0));
    sb.appendChar(static_cast<char>(0xE9));
    EXPECT_FALSE(sb.is7bit(0));
    EXPECT_TRUE(sb.is7bit(11));
    EXPECT_FALSE(sb.is7bit(12));
    EXPECT_FALSE(sb.is7bit(1000));
    EXPECT_TRUE(sb.is7bit(3));
}

// ---------------------------------------------------------------------------------
// Validity marker and destruction

// The marker is the first field after the TarnixObject part (Itanium C++ ABI,
// which both the native and the MinGW builds use; the tests check the byte first).
unsigned char *markerOf(void *object) {
    return static_cast<unsigned char *>(object) + sizeof(TarnixObject);
}

TEST(StringBufferTest, DestructorFillsTheFields) {
    alignas(StringBuffer) unsigned char storage[sizeof(StringBuffer)];
    StringBuffer *sb = new (storage) StringBuffer("to be destroyed");
    ASSERT_EQ(0xAA, *markerOf(sb));
    sb->~StringBuffer();

    size_t offset = sizeof(TarnixObject);
    EXPECT_EQ(0, storage[offset]) << "validity marker";
    offset = (offset + alignof(char *)) / alignof(char *) * alignof(char *);
    for (size_t i = 0; i < sizeof(char *) + 3 * sizeof(int); ++i) {
        EXPECT_EQ(0xDD, storage[offset + i]) << "byte " << i << " of the filled fields";
    }
}

// "threadsafe" death tests run the test program again for the statement; it is the
// only style on Windows, and natively it avoids forking a process that has threads.
TEST(StringBufferDeathTest, BrokenMarkerStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StringBuffer sb("victim");
    ASSERT_EQ(0xAA, *markerOf(&sb));
    EXPECT_DEATH(
        {
            *markerOf(&sb) = 0x55;
            sb.getSize();
        },
        "StringBuffer used after destruction or overwritten");
    EXPECT_EQ(6, sb.getSize()); // only the child saw the broken marker
}

} // namespace
