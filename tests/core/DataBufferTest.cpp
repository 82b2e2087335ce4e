#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

// The content and the block: "text [capacity]", "... borrowed]" for a borrowed block.
std::string blockOf(const DataBuffer &db) {
    std::string text = db.getData() == nullptr ? "(null " + std::to_string(db.getSize()) + ")"
                       : std::string(reinterpret_cast<const char *>(db.getData()), db.getSize());
    return text + " [" + std::to_string(db.getCapacity()) + (db.isBorrowed() ? " borrowed]" : "]");
}

// An owned block of n zero bytes with size = capacity = n: any append grows it.
void fillExactly(DataBuffer &db, uint32_t n) {
    void *block = calloc(n, 1);
    ASSERT_NE(nullptr, block);
    db.takeBlock(block, n);
}

// ---------------------------------------------------------------------------------
// Growth

TEST(DataBufferTest, AppendGrowthTable) {
    // {size held, bytes appended, capacity after}: the first row of the growth table
    // whose limits the append meets (fewer bytes than its limit, at least as many
    // held) gives size + that many; else size + max(n, 20000).
    const uint32_t rows[][3] = {
        {0, 10, 20000}, {0, 30000, 30000}, {30000, 1, 50000}, {1000, 5, 21000},
        {1000, 25000, 26000}, {49999, 10, 69999}, {49999, 30000, 79999}, {50000, 10, 100000},
        {50000, 49999, 100000}, {50000, 50000, 100000}, {99999, 10, 149999},
        {100000, 10, 200000}, {100000, 99999, 200000}, {100000, 100000, 200000},
        {150000, 10, 250000}, {1000000, 10, 2000000}, {1999999, 999999, 2999999},
        {1999999, 1000000, 2999999}, {2000000, 10, 4000000}, {3000000, 10, 6000000},
        {4000000, 10, 8000000}, {8000000, 10, 16000000}, {11999999, 10, 19999999},
        {12000000, 10, 24000000}, {12000000, 11999999, 24000000},
        {12000000, 12000000, 24000000}};
    std::vector<unsigned char> source(12000000, 0x11);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(row[0]) + " + " + std::to_string(row[1]));
        DataBuffer db;
        if (row[0] != 0) fillExactly(db, row[0]);
        ASSERT_TRUE(db.append(source.data(), row[1]));
        EXPECT_EQ(row[2], db.getCapacity());
        ASSERT_EQ(row[0] + row[1], db.getSize());
        EXPECT_EQ(row[0] ? 0 : 0x11, db.getData()[0]) << "old content kept";
        EXPECT_EQ(0x11, db.getData()[row[0] + row[1] - 1]);
    }
}

TEST(DataBufferTest, AppendByteAndUtf8Char) {
    const std::pair<uint16_t, std::string> rows[] = {
        {'A', "A"}, {0, "\0"s}, {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"}, {0xD800, "\xED\xA0\x80"}, // surrogates encode like any value
        {0xFFFF, "\xEF\xBF\xBF"}};
    for (const auto &[unit, bytes] : rows) {
        DataBuffer db;
        EXPECT_EQ(static_cast<int>(bytes.size()), db.appendUtf8Char(unit)) << unit;
        EXPECT_EQ(bytes + " [20000]", blockOf(db)) << unit;
    }
    DataBuffer db;
    fillExactly(db, 3);
    EXPECT_EQ(2, db.appendUtf8Char(0xE9));
    EXPECT_EQ("\0\0\0\xC3\xA9 [20003]"s, blockOf(db));
    fillExactly(db, 5);
    ASSERT_TRUE(db.appendByte(0x7F));
    EXPECT_EQ("\0\0\0\0\0\x7F [10005]"s, blockOf(db));
}

TEST(DataBufferTest, Appending) {
    DataBuffer db, empty;
    EXPECT_TRUE(db.append(nullptr, 5));
    EXPECT_TRUE(db.append("x", 0));
    EXPECT_TRUE(db.appendBuffer(empty));
    EXPECT_EQ("(null 0) [0]", blockOf(db)) << "nothing appended, nothing allocated";
    const uint16_t text[] = {'a', 0x20AC, 0};
    ASSERT_TRUE(db.appendUtf16z(text));
    ASSERT_TRUE(db.appendUtf16z(nullptr));
    ASSERT_EQ(8u, db.getSize());
    EXPECT_EQ(0, memcmp(db.getData(), text, 6));
    EXPECT_EQ(0, db.getData()[6] | db.getData()[7]);

    // The source may lie in the block that moves.
    db.clear();
    db.append("abcdef", 6);
    db.minimizeMemory(); // capacity 10: the next append moves the block
    ASSERT_TRUE(db.appendBuffer(db));
    db.minimizeMemory();
    ASSERT_TRUE(db.append(db.getData() + 3, 6));
    EXPECT_EQ("abcdefabcdefdefabc [20012]", blockOf(db));

    // size + n does not fit 32 bits: no allocation is tried; the content is lost.
    EXPECT_FALSE(db.append("x", 0xFFFFFFFFu));
    EXPECT_EQ("(null 0) [0]", blockOf(db));
    EXPECT_TRUE(db.append("ok", 2)); // still usable
    if (sizeof(void *) != 4) return; // a 4 GiB block may be granted on 64-bit hosts
    EXPECT_FALSE(db.reallocate(0xFFFFFFF0u));
    EXPECT_EQ("(null 0) [0]", blockOf(db));
    EXPECT_FALSE(db.ensureCapacity(0xFFFFFFF0u));
}

// ---------------------------------------------------------------------------------
// Block management

#define STEP(statements) [](DataBuffer &db) { statements; }

unsigned char external[6] = {'a', 'b', 'a', 'b', 1, 2}; // a caller's block to borrow
unsigned char *taken = nullptr;

TEST(DataBufferTest, BlockManagement) {
    // Each step works on the same buffer; then the block it leaves. Freeing a borrowed
    // block, or leaking an owned one, would be caught by the sanitizers.
    const std::pair<void (*)(DataBuffer &), std::string> steps[] = {
        {STEP(EXPECT_TRUE(db.ensureCapacity(0))), "(null 0) [0]"},
        {STEP(db.ensureCapacity(10); db.append("0123456789", 10); db.ensureCapacity(5)),
         "0123456789 [10]"}, // an append that fills the block keeps it
        {STEP(db.append("x", 1)), "0123456789x [20010]"},
        {STEP(db.minimizeMemory(); db.minimizeMemory()), "0123456789x [15]"}, // size + 4
        {STEP(EXPECT_TRUE(db.reallocate(12))), "0123456789x [12]"},
        {STEP(EXPECT_TRUE(db.reallocate(4))), "0123 [4]"}, // the content is cut
        {STEP(db.clear()), " [4]"},
        {STEP(db.setSize(3)), "012 [4]"}, // clear kept the block and its bytes
        {STEP(db.setSize(50)), "0123 [4]"}, // at most the capacity
        {STEP(db.shorten(3)), "0 [4]"},
        {STEP(db.shorten(100)), " [4]"},
        {STEP(EXPECT_TRUE(db.reallocate(0))), "(null 0) [0]"},
        {STEP(db.ensureCapacity(8); db.clearAndFree()), "(null 0) [0]"},
        {STEP(db.append("old", 3); taken = static_cast<unsigned char *>(malloc(5));
              memcpy(taken, "hello", 5); db.takeBlock(taken, 5); EXPECT_EQ(taken, db.getData())),
         "hello [5]"},
        {STEP(db.dropBlock(); EXPECT_EQ('h', taken[0]); free(taken)), "(null 0) [0]"},
        {STEP(db.borrowBlock(external, 6); EXPECT_EQ(external, db.getData())),
         "abab\x01\x02 [6 borrowed]"s},
        {STEP(db.clearAndFree()), "(null 0) [0]"},
        {STEP(db.borrowBlock(external, 6); EXPECT_EQ(2, db.replaceAllOccurrences("b", 1, "c", 1))),
         "acac\x01\x02 [6]"s},
        {STEP(db.borrowBlock(external, 4); db.append(db.getData() + 1, 2)), "ababba [20004]"},
        {STEP(db.borrowBlock(external, 4); db.reallocate(2)), "ab [2]"},
        // Left to the destructor, which must not free it either.
        {STEP(db.borrowBlock(external, 6)), "abab\x01\x02 [6 borrowed]"s}};
    DataBuffer db;
    for (const auto &[step, block] : steps) {
        step(db);
        EXPECT_EQ(block, blockOf(db));
    }
}

// ---------------------------------------------------------------------------------
// Reading and editing

TEST(DataBufferTest, GetDataAtAndSizeWithoutTrailingZeros) {
    DataBuffer db;
    EXPECT_EQ(nullptr, db.getDataAt(0));
    EXPECT_EQ(0u, db.sizeWithoutTrailingZeros());
    db.append("\x41\x00\x42\x00\x00", 5);
    EXPECT_EQ(db.getData() + 4, db.getDataAt(4));
    for (int64_t bad : {int64_t(5), int64_t(-1), int64_t(1) << 40})
        EXPECT_EQ(nullptr, db.getDataAt(bad)) << bad;
    EXPECT_EQ(3u, db.sizeWithoutTrailingZeros());
    db.setSize(0);
    db.append("\0\0", 2);
    EXPECT_EQ(0u, db.sizeWithoutTrailingZeros());
}

TEST(DataBufferTest, ReplaceAllOccurrences) {
    // {content, find, replacement and its length, count, block afterwards}: a new block
    // of the old size, grown as an append grows.
    const std::tuple<std::string, std::string, const char *, uint32_t, int, std::string> rows[] = {
        {"abc", "", "x", 1, 0, "abc [20000]"}, {"abc", "z", "x", 1, 0, "abc [20000]"},
        {"a\0b\0c"s, "\0"s, "--", 2, 2, "a--b--c [20004]"}, // grew once, at size 4
        {"xxAxxBxx", "xx", "y", 1, 3, "yAyBy [8]"},
        {"a,b,c", ",", nullptr, 7, 2, "abc [5]"}, // a null replacement has no length
        {"abc", "b", "zz", 0, 1, "ac [3]"}, {"aaa", "aa", "b", 1, 1, "ba [3]"}};
    for (const auto &[content, find, replacement, length, count, block] : rows) {
        DataBuffer db;
        db.append(content.data(), static_cast<uint32_t>(content.size()));
        EXPECT_EQ(count, db.replaceAllOccurrences(find.data(), find.size(), replacement, length));
        EXPECT_EQ(block, blockOf(db)) << content << " / " << find;
    }
    DataBuffer db;
    EXPECT_EQ(0, db.replaceAllOccurrences("a", 1, "x", 1)) << "empty";
    db.append("abc", 3);
    EXPECT_EQ(0, db.replaceAllOccurrences(nullptr, 1, "x", 1));
}

TEST(DataBufferTest, RemoveAndReplaceChar16) {
    const uint16_t units[] = {'a', '\r', 'b', '\r', '\r', 'c'};
    DataBuffer db;
    db.append(units, sizeof units);
    db.appendByte(0x55);
    db.removeChar16(0); // u = 0: nothing at all
    EXPECT_EQ(13u, db.getSize());
    db.removeChar16('\r');
    ASSERT_EQ(6u, db.getSize()) << "the odd trailing byte is dropped too";
    db.replaceChar16('b', '/');
    db.replaceChar16('a', 0);
    db.replaceChar16(0, 'a');
    const uint16_t expected[] = {'a', '/', 'c'};
    EXPECT_EQ(0, memcmp(expected, db.getData(), 6));
}

// ---------------------------------------------------------------------------------
// Free functions

TEST(DataBufferFunctionsTest, FindBytes) {
    const char hay[] = "abcabcab\0cd";
    const uint32_t n = sizeof hay - 1;
    auto at = [&](int i) { return reinterpret_cast<const unsigned char *>(hay + i); };
    EXPECT_EQ(at(1), findBytes(hay, n, "bc", 2));
    EXPECT_EQ(at(7), findBytes(hay, n, "b\0c", 3));
    EXPECT_EQ(at(9), findBytes(hay, n, "cd", 2)) << "at the very end";
    EXPECT_EQ(nullptr, findBytes(hay, n, "abd", 3));
    EXPECT_EQ(nullptr, findBytes(hay, 1, "b", 1)); // the length limits the search
    EXPECT_EQ(nullptr, findBytes("ab", 2, "abc", 3));
    EXPECT_EQ(nullptr, findBytes(hay, n, "a", 0));
    EXPECT_EQ(nullptr, findBytes(nullptr, 3, "a", 1));
    EXPECT_EQ(nullptr, findBytes(hay, n, nullptr, 1));
}

TEST(DataBufferFunctionsTest, EncodeHexUpperAndReadUint32) {
    StringBuffer out("pre:");
    EXPECT_TRUE(encodeHexUpper(nullptr, 5, out) && encodeHexUpper("ab", 0, out));
    ASSERT_TRUE(encodeHexUpper("\x00\x0A\x9F\xFF", 4, out));
    EXPECT_STREQ("pre:000A9FFF", out.getString());
    // Every byte value, over many 250-byte chunks.
    std::vector<unsigned char> bytes(100003);
    std::string expected;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char pair[3];
        bytes[i] = static_cast<unsigned char>(i * 131 + (i >> 8));
        snprintf(pair, sizeof pair, "%02X", bytes[i]);
        expected += pair;
    }
    out.clear();
    ASSERT_TRUE(encodeHexUpper(bytes.data(), static_cast<uint32_t>(bytes.size()), out));
    EXPECT_EQ(expected, std::string(out.getString(), static_cast<size_t>(out.getSize())));

    // With inMemoryOrder false the four bytes are taken in reverse order.
    uint32_t inMemory;
    memcpy(&inMemory, bytes.data() + 1, 4); // an odd address
    EXPECT_EQ(inMemory, readUint32(true, bytes.data() + 1));
    EXPECT_EQ(__builtin_bswap32(inMemory), readUint32(false, bytes.data() + 1));
    EXPECT_EQ(0u, readUint32(true, nullptr) | readUint32(false, nullptr));
}

} // namespace
