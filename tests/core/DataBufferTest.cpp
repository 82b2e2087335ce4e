#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

std::string contentOf(const DataBuffer &db) {
    if (db.getData() == nullptr) return std::string();
    return std::string(reinterpret_cast<const char *>(db.getData()), db.getSize());
}

// Gives db an owned block of n zero bytes with size = capacity = n.
void fillExactly(DataBuffer &db, uint32_t n) {
    void *block = calloc(n, 1);
    ASSERT_NE(nullptr, block);
    db.takeBlock(block, n);
}

// ---------------------------------------------------------------------------------
// Growth

TEST(DataBufferTest, NewBufferHasNoBlock) {
    DataBuffer db;
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_EQ(0u, db.getSize());
    EXPECT_EQ(0u, db.getCapacity());
    EXPECT_FALSE(db.isBorrowed());
}

TEST(DataBufferTest, SmallAppendToEmptyAllocates20000) {
    DataBuffer db;
    ASSERT_TRUE(db.append("0123456789", 10));
    EXPECT_EQ(10u, db.getSize());
    EXPECT_EQ(20000u, db.getCapacity());
    EXPECT_EQ("0123456789", contentOf(db));
}

TEST(DataBufferTest, SingleLargeAppendGetsExactlyWhatItNeeds) {
    std::vector<unsigned char> bytes(30000, 0x5A);
    DataBuffer db;
    ASSERT_TRUE(db.append(bytes.data(), 30000));
    EXPECT_EQ(30000u, db.getCapacity());
    ASSERT_TRUE(db.append(bytes.data(), 1)); // size below 50000: steps of 20000
    EXPECT_EQ(50000u, db.getCapacity());
}

TEST(DataBufferTest, AppendThatFitsDoesNotReallocate) {
    DataBuffer db;
    ASSERT_TRUE(db.append("abc", 3));
    const unsigned char *block = db.getData();
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(db.append("0123456789", 10));
    EXPECT_EQ(block, db.getData());
    EXPECT_EQ(20000u, db.getCapacity());
    EXPECT_EQ(10003u, db.getSize());
}

TEST(DataBufferTest, GrowthTableRows) {
    struct Row {
        uint32_t size;
        uint32_t added;
        uint32_t expectedCapacity;
    };
    const Row rows[] = {
        {150000, 10, 250000},        // below 100000 added, at least 100000 held
        {12000000, 10, 24000000},    // below 12000000, at least 12000000
        {12000000, 11999999, 24000000},
        {12000000, 12000000, 24000000}, // not below: falls through to size + n
        {8000000, 10, 16000000},     {11999999, 10, 19999999},
        {4000000, 10, 8000000},      {3000000, 10, 6000000},
        {2000000, 10, 4000000},      {1000000, 10, 2000000},
        {1999999, 999999, 2999999},  {1999999, 1000000, 2999999}, // n not below 1000000: size + n
        {100000, 10, 200000},        {100000, 99999, 200000},
        {100000, 100000, 200000},    // not below 100000, not below 50000: size + n
        {99999, 10, 149999},         {50000, 10, 100000},
        {50000, 49999, 100000},      {50000, 50000, 100000},
        {49999, 10, 69999},          {49999, 30000, 79999},
        {1000, 5, 21000},            {1000, 25000, 26000},
    };
    std::vector<unsigned char> source(12000000, 0x11);
    for (const Row &row : rows) {
        DataBuffer db;
        fillExactly(db, row.size);
        ASSERT_TRUE(db.append(source.data(), row.added)) << row.size << " + " << row.added;
        EXPECT_EQ(row.expectedCapacity, db.getCapacity()) << row.size << " + " << row.added;
        EXPECT_EQ(row.size + row.added, db.getSize());
        EXPECT_EQ(0, db.getData()[row.size - 1]);
        EXPECT_EQ(0x11, db.getData()[row.size]);
    }
}

TEST(DataBufferTest, AppendByteGrowsBy10000) {
    DataBuffer db;
    fillExactly(db, 5);
    ASSERT_TRUE(db.appendByte(0x7F));
    EXPECT_EQ(10005u, db.getCapacity());
    EXPECT_EQ(6u, db.getSize());
    EXPECT_EQ(0x7F, db.getData()[5]);

    DataBuffer empty;
    ASSERT_TRUE(empty.appendByte(1));
    EXPECT_EQ(10000u, empty.getCapacity());
}

TEST(DataBufferTest, AppendUtf8Char) {
    DataBuffer db;
    EXPECT_EQ(1, db.appendUtf8Char('A'));
    EXPECT_EQ(20000u, db.getCapacity());
    EXPECT_EQ(2, db.appendUtf8Char(0xE9));
    EXPECT_EQ(2, db.appendUtf8Char(0x7FF));
    EXPECT_EQ(3, db.appendUtf8Char(0x800));
    EXPECT_EQ(3, db.appendUtf8Char(0x20AC));
    EXPECT_EQ(3, db.appendUtf8Char(0xD800)); // surrogates encode like any value
    EXPECT_EQ(3, db.appendUtf8Char(0xFFFF));
    EXPECT_EQ(1, db.appendUtf8Char(0));
    EXPECT_EQ(std::string("A\xC3\xA9\xDF\xBF\xE0\xA0\x80\xE2\x82\xAC\xED\xA0\x80\xEF\xBF\xBF\0", 18),
              contentOf(db));

    DataBuffer full;
    fillExactly(full, 3);
    EXPECT_EQ(2, full.appendUtf8Char(0xE9));
    EXPECT_EQ(20003u, full.getCapacity());
}

TEST(DataBufferTest, AppendUtf16z) {
    const uint16_t text[] = {'a', 0x20AC, 0};
    DataBuffer db;
    ASSERT_TRUE(db.appendUtf16z(text));
    ASSERT_EQ(6u, db.getSize());
    EXPECT_EQ(0, memcmp(db.getData(), text, 6));
    ASSERT_TRUE(db.appendUtf16z(nullptr));
    EXPECT_EQ(8u, db.getSize());
    EXPECT_EQ(0, db.getData()[6]);
    EXPECT_EQ(0, db.getData()[7]);
}

TEST(DataBufferTest, AppendNothing) {
    DataBuffer db;
    EXPECT_TRUE(db.append(nullptr, 5));
    EXPECT_TRUE(db.append("x", 0));
    EXPECT_EQ(nullptr, db.getData());
    DataBuffer other;
    EXPECT_TRUE(db.appendBuffer(other));
    EXPECT_EQ(nullptr, db.getData());
}

TEST(DataBufferTest, AppendBufferIncludingItself) {
    DataBuffer a, b;
    a.append("abc", 3);
    b.append("def", 3);
    ASSERT_TRUE(a.appendBuffer(b));
    EXPECT_EQ("abcdef", contentOf(a));
    a.minimizeMemory(); // capacity 10: the next append moves the block
    ASSERT_EQ(10u, a.getCapacity());
    ASSERT_TRUE(a.appendBuffer(a));
    EXPECT_EQ("abcdefabcdef", contentOf(a));
    ASSERT_TRUE(a.append(a.getData() + 3, 6));
    EXPECT_EQ("abcdefabcdefdefabc", contentOf(a));
}

TEST(DataBufferTest, SizeOverflowFailsLikeAFailedAllocation) {
    DataBuffer db;
    ASSERT_TRUE(db.append("abc", 3));
    // size + n does not fit 32 bits: no allocation is tried; the content is lost.
    EXPECT_FALSE(db.append("x", 0xFFFFFFFFu));
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_EQ(0u, db.getSize());
    EXPECT_EQ(0u, db.getCapacity());
    EXPECT_TRUE(db.append("ok", 2)); // still usable
    EXPECT_EQ("ok", contentOf(db));
}

TEST(DataBufferTest, ImpossibleReallocationOn32BitEmptiesTheBuffer) {
    if (sizeof(void *) != 4) GTEST_SKIP() << "a 4 GiB block may be granted on 64-bit hosts";
    DataBuffer db;
    ASSERT_TRUE(db.append("content", 7));
    EXPECT_FALSE(db.reallocate(0xFFFFFFF0u));
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_EQ(0u, db.getSize());
    EXPECT_EQ(0u, db.getCapacity());
    EXPECT_FALSE(db.ensureCapacity(0xFFFFFFF0u));
}

// ---------------------------------------------------------------------------------
// Block management

TEST(DataBufferTest, ClearAndClearAndFree) {
    DataBuffer db;
    db.append("abc", 3);
    const unsigned char *block = db.getData();
    db.clear();
    EXPECT_EQ(0u, db.getSize());
    EXPECT_EQ(block, db.getData());
    EXPECT_EQ(20000u, db.getCapacity());
    db.clearAndFree();
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_EQ(0u, db.getCapacity());
}

TEST(DataBufferTest, EnsureCapacity) {
    DataBuffer db;
    EXPECT_TRUE(db.ensureCapacity(0));
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_TRUE(db.ensureCapacity(100));
    EXPECT_EQ(100u, db.getCapacity());
    EXPECT_EQ(0u, db.getSize());
    db.append("keep", 4);
    EXPECT_TRUE(db.ensureCapacity(50)); // enough already
    EXPECT_EQ(100u, db.getCapacity());
    EXPECT_TRUE(db.ensureCapacity(300));
    EXPECT_EQ(300u, db.getCapacity());
    EXPECT_EQ("keep", contentOf(db));
}

TEST(DataBufferTest, ReallocateIsExact) {
    DataBuffer db;
    db.append("0123456789", 10);
    ASSERT_TRUE(db.reallocate(12));
    EXPECT_EQ(12u, db.getCapacity());
    EXPECT_EQ("0123456789", contentOf(db));
    ASSERT_TRUE(db.reallocate(4)); // the content is cut to the new size
    EXPECT_EQ(4u, db.getCapacity());
    EXPECT_EQ("0123", contentOf(db));
}

TEST(DataBufferTest, MinimizeMemory) {
    DataBuffer db;
    db.append("0123456789", 10);
    db.minimizeMemory();
    EXPECT_EQ(14u, db.getCapacity());
    db.minimizeMemory();
    EXPECT_EQ(14u, db.getCapacity());
    EXPECT_EQ("0123456789", contentOf(db));
    DataBuffer none;
    none.minimizeMemory();
    EXPECT_EQ(nullptr, none.getData());
}

TEST(DataBufferTest, TakeBlockOwnsIt) {
    DataBuffer db;
    db.append("old", 3);
    char *block = static_cast<char *>(malloc(5));
    memcpy(block, "hello", 5);
    db.takeBlock(block, 5);
    EXPECT_EQ(reinterpret_cast<unsigned char *>(block), db.getData());
    EXPECT_EQ(5u, db.getSize());
    EXPECT_EQ(5u, db.getCapacity());
    EXPECT_FALSE(db.isBorrowed());
    // freed by the destructor (the leak checker would notice otherwise)
}

TEST(DataBufferTest, BorrowedBlockIsNeverFreed) {
    unsigned char external[8] = {'b', 'o', 'r', 'r', 'o', 'w', 'e', 'd'};
    {
        DataBuffer db;
        db.borrowBlock(external, 8);
        EXPECT_TRUE(db.isBorrowed());
        EXPECT_EQ(external, db.getData());
        db.getData()[0] = 'B'; // writes go to the caller's block
        db.clearAndFree();     // freeing a stack block would be caught by the sanitizers
        EXPECT_EQ(nullptr, db.getData());
        EXPECT_FALSE(db.isBorrowed());
        db.borrowBlock(external, 8);
    } // nor does the destructor free it
    EXPECT_EQ('B', external[0]);
}

TEST(DataBufferTest, GrowingABorrowedBlockCopiesIt) {
    unsigned char external[4] = {1, 2, 3, 4};
    DataBuffer db;
    db.borrowBlock(external, 4);
    ASSERT_TRUE(db.append(db.getData() + 1, 2)); // the source is the borrowed block
    EXPECT_FALSE(db.isBorrowed());
    EXPECT_NE(external, db.getData());
    EXPECT_EQ(20004u, db.getCapacity());
    EXPECT_EQ(std::string("\x01\x02\x03\x04\x02\x03", 6), contentOf(db));
    EXPECT_EQ(1, external[0]);

    DataBuffer other;
    other.borrowBlock(external, 4);
    ASSERT_TRUE(other.reallocate(2));
    EXPECT_FALSE(other.isBorrowed());
    EXPECT_EQ(std::string("\x01\x02", 2), contentOf(other));
}

TEST(DataBufferTest, DropBlockForgetsWithoutFreeing) {
    DataBuffer db;
    db.append("abc", 3);
    unsigned char *block = db.getData();
    db.dropBlock();
    EXPECT_EQ(nullptr, db.getData());
    EXPECT_EQ(0u, db.getSize());
    EXPECT_EQ(0u, db.getCapacity());
    EXPECT_EQ('a', block[0]);
    free(block);
}

TEST(DataBufferTest, SetSizeAndShorten) {
    DataBuffer db;
    db.ensureCapacity(10);
    db.setSize(8);
    EXPECT_EQ(8u, db.getSize());
    db.setSize(50);
    EXPECT_EQ(10u, db.getSize());
    db.shorten(3);
    EXPECT_EQ(7u, db.getSize());
    db.shorten(100);
    EXPECT_EQ(0u, db.getSize());
}

// ---------------------------------------------------------------------------------
// Reading

TEST(DataBufferTest, GetDataAt) {
    DataBuffer db;
    EXPECT_EQ(nullptr, db.getDataAt(0));
    db.append("abc", 3);
    EXPECT_EQ(db.getData() + 2, db.getDataAt(2));
    EXPECT_EQ(nullptr, db.getDataAt(3));
    EXPECT_EQ(nullptr, db.getDataAt(-1));
    EXPECT_EQ(nullptr, db.getDataAt(int64_t(1) << 40));
}

TEST(DataBufferTest, SizeWithoutTrailingZeros) {
    DataBuffer db;
    EXPECT_EQ(0u, db.sizeWithoutTrailingZeros());
    db.append("\x41\x00\x42\x00\x00", 5);
    EXPECT_EQ(3u, db.sizeWithoutTrailingZeros());
    DataBuffer zeros;
    zeros.append("\0\0\0", 3);
    EXPECT_EQ(0u, zeros.sizeWithoutTrailingZeros());
}

// ---------------------------------------------------------------------------------
// Editing

TEST(DataBufferTest, ReplaceAllWithZeroLengthFindChangesNothing) {
    DataBuffer db;
    db.append("abc", 3);
    EXPECT_EQ(0, db.replaceAllOccurrences("a", 0, "x", 1));
    EXPECT_EQ(0, db.replaceAllOccurrences(nullptr, 1, "x", 1));
    EXPECT_EQ(0, db.replaceAllOccurrences("z", 1, "x", 1));
    EXPECT_EQ("abc", contentOf(db));
    EXPECT_EQ(20000u, db.getCapacity());
    DataBuffer empty;
    EXPECT_EQ(0, empty.replaceAllOccurrences("a", 1, "x", 1));
}

TEST(DataBufferTest, ReplaceAllOccurrences) {
    DataBuffer db;
    db.append("a\0b\0c", 5);
    EXPECT_EQ(2, db.replaceAllOccurrences("\0", 1, "--", 2));
    EXPECT_EQ("a--b--c", contentOf(db));
    // Restarted with capacity 5 (the old size); grew once, at size 4: 4 + 20000.
    EXPECT_EQ(20004u, db.getCapacity());

    DataBuffer shorter;
    shorter.append("xxAxxBxx", 8);
    EXPECT_EQ(3, shorter.replaceAllOccurrences("xx", 2, "y", 1));
    EXPECT_EQ("yAyBy", contentOf(shorter));
    EXPECT_EQ(8u, shorter.getCapacity()); // the new block has the old size

    DataBuffer removed;
    removed.append("a,b,c", 5);
    EXPECT_EQ(2, removed.replaceAllOccurrences(",", 1, nullptr, 7));
    EXPECT_EQ("abc", contentOf(removed));
    EXPECT_EQ(1, removed.replaceAllOccurrences("b", 1, "zz", 0));
    EXPECT_EQ("ac", contentOf(removed));

    DataBuffer overlap;
    overlap.append("aaa", 3);
    EXPECT_EQ(1, overlap.replaceAllOccurrences("aa", 2, "b", 1));
    EXPECT_EQ("ba", contentOf(overlap));
}

TEST(DataBufferTest, ReplaceAllInABorrowedBlock) {
    unsigned char external[6] = {'a', 'b', 'a', 'b', 'a', 'b'};
    DataBuffer db;
    db.borrowBlock(external, 6);
    EXPECT_EQ(3, db.replaceAllOccurrences("b", 1, "c", 1));
    EXPECT_FALSE(db.isBorrowed());
    EXPECT_EQ("acacac", contentOf(db));
    EXPECT_EQ('b', external[1]); // the caller's block is untouched
}

TEST(DataBufferTest, RemoveChar16) {
    const uint16_t units[] = {'a', '\r', 'b', '\r', '\r', 'c'};
    DataBuffer db;
    db.append(units, sizeof units);
    db.appendByte(0x55); // odd trailing byte
    db.removeChar16('\r');
    ASSERT_EQ(6u, db.getSize());
    const uint16_t expected[] = {'a', 'b', 'c'};
    EXPECT_EQ(0, memcmp(expected, db.getData(), 6));

    DataBuffer odd;
    odd.append(units, 4);
    odd.appendByte(1);
    odd.removeChar16('x'); // nothing removed, the odd byte is still dropped
    EXPECT_EQ(4u, odd.getSize());
    odd.appendByte(1);
    odd.removeChar16(0); // u = 0: nothing at all
    EXPECT_EQ(5u, odd.getSize());
}

TEST(DataBufferTest, ReplaceChar16) {
    const uint16_t units[] = {'/', 'a', '/', 'b'};
    DataBuffer db;
    db.append(units, sizeof units);
    db.replaceChar16('/', '\\');
    const uint16_t expected[] = {'\\', 'a', '\\', 'b'};
    EXPECT_EQ(0, memcmp(expected, db.getData(), 8));
    db.replaceChar16('a', 0);
    db.replaceChar16(0, 'a');
    EXPECT_EQ(0, memcmp(expected, db.getData(), 8));
}

// ---------------------------------------------------------------------------------
// Free functions

TEST(FindBytesTest, FirstOccurrence) {
    const char hay[] = "abcabcab\0cd";
    const size_t n = sizeof hay - 1;
    EXPECT_EQ(reinterpret_cast<const unsigned char *>(hay + 1), findBytes(hay, n, "bc", 2));
    EXPECT_EQ(reinterpret_cast<const unsigned char *>(hay + 7), findBytes(hay, n, "b\0c", 3));
    EXPECT_EQ(reinterpret_cast<const unsigned char *>(hay + 9), findBytes(hay, n, "cd", 2));
    EXPECT_EQ(reinterpret_cast<const unsigned char *>(hay), findBytes(hay, n, hay, n));
    EXPECT_EQ(nullptr, findBytes(hay, n, "abd", 3));
    EXPECT_EQ(nullptr, findBytes("ab", 2, "abc", 3)); // needle longer than haystack
    EXPECT_EQ(nullptr, findBytes(hay, n, "a", 0));
    EXPECT_EQ(nullptr, findBytes(nullptr, 3, "a", 1));
    EXPECT_EQ(nullptr, findBytes(hay, n, nullptr, 1));
    EXPECT_EQ(nullptr, findBytes(hay, 1, "b", 1)); // the length limits the search
}

TEST(EncodeHexUpperTest, EveryByteValue) {
    unsigned char bytes[256];
    std::string expected;
    char pair[3];
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<unsigned char>(i);
        snprintf(pair, sizeof pair, "%02X", i);
        expected += pair;
    }
    StringBuffer out("pre:");
    ASSERT_TRUE(encodeHexUpper(bytes, 256, out));
    EXPECT_EQ("pre:" + expected, std::string(out.getString(), static_cast<size_t>(out.getSize())));
}

TEST(EncodeHexUpperTest, LongInputAcrossChunks) {
    std::vector<unsigned char> bytes(100003);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131 + (i >> 8));
    static const char digits[] = "0123456789ABCDEF";
    std::string expected;
    for (unsigned char b : bytes) {
        expected += digits[b >> 4];
        expected += digits[b & 15];
    }
    StringBuffer out;
    ASSERT_TRUE(encodeHexUpper(bytes.data(), static_cast<uint32_t>(bytes.size()), out));
    EXPECT_EQ(expected, std::string(out.getString(), static_cast<size_t>(out.getSize())));
}

TEST(EncodeHexUpperTest, NothingToEncode) {
    StringBuffer out("x");
    EXPECT_TRUE(encodeHexUpper(nullptr, 5, out));
    EXPECT_TRUE(encodeHexUpper("ab", 0, out));
    EXPECT_STREQ("x", out.getString());
}

TEST(ReadUint32Test, MemoryAndReverseOrder) {
    const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x04};
    uint32_t inMemory;
    memcpy(&inMemory, bytes, 4);
    EXPECT_EQ(inMemory, readUint32(true, bytes));
    uint32_t reversed = readUint32(false, bytes);
    EXPECT_EQ(((inMemory & 0xFF) << 24) | ((inMemory & 0xFF00) << 8) | ((inMemory >> 8) & 0xFF00) |
                  (inMemory >> 24),
              reversed);
    const uint16_t probe = 1;
    if (*reinterpret_cast<const unsigned char *>(&probe) == 1) {
        EXPECT_EQ(0x04030201u, readUint32(true, bytes));  // little-endian reading
        EXPECT_EQ(0x01020304u, readUint32(false, bytes)); // big-endian reading
    }
    EXPECT_EQ(0u, readUint32(true, nullptr));
    EXPECT_EQ(0u, readUint32(false, nullptr));
    const unsigned char unaligned[] = {0, 0xFF, 0xEE, 0xDD, 0xCC};
    uint32_t expected;
    memcpy(&expected, unaligned + 1, 4);
    EXPECT_EQ(expected, readUint32(true, unaligned + 1));
}

// ---------------------------------------------------------------------------------
// Validity marker and destruction

unsigned char *markerOf(void *object) {
    return static_cast<unsigned char *>(object) + sizeof(TarnixObject);
}

TEST(DataBufferTest, DestructorZeroesTheFields) {
    alignas(DataBuffer) unsigned char storage[sizeof(DataBuffer)];
    memset(storage, 0x77, sizeof storage);
    DataBuffer *db = new (storage) DataBuffer();
    ASSERT_EQ(0xDB, *markerOf(db));
    db->append("data", 4);
    db->~DataBuffer();
    // marker, borrowed, data, size, capacity: all 0 (padding keeps the 0x77 fill)
    size_t offset = sizeof(TarnixObject);
    EXPECT_EQ(0, storage[offset]) << "validity marker";
    EXPECT_EQ(0, storage[offset + 1]) << "borrowed";
    offset = (offset + 2 + alignof(unsigned char *) - 1) / alignof(unsigned char *) *
             alignof(unsigned char *);
    for (size_t i = 0; i < sizeof(unsigned char *) + 8; ++i) {
        EXPECT_EQ(0, storage[offset + i]) << "byte " << i << " of data, size and capacity";
    }
}

TEST(DataBufferDeathTest, BrokenMarkerStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    DataBuffer db;
    db.append("abc", 3);
    ASSERT_EQ(0xDB, *markerOf(&db));
    EXPECT_DEATH(
        {
            *markerOf(&db) = 0xAA;
            db.getSize();
        },
        "DataBuffer used after destruction or overwritten");
    EXPECT_EQ(3u, db.getSize());
}

} // namespace
