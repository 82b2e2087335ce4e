#include "charset/HashConvert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

std::string hex(const unsigned char *p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

std::string hex(const Bytes &b) {
    return hex(b.data(), b.size());
}

// The block of one bucket up to and including its end marker, as hex.
std::string blockOf(const HashConvert &table, uint32_t bucket) {
    const unsigned char *block = table.bucketBlock(bucket);
    if (!block) return "(null)";
    size_t pos = 0;
    while (block[pos] != 0) {
        pos += 1 + block[pos];
        pos += 1 + block[pos];
    }
    return hex(block, pos + 1);
}

// The value lookup finds, as hex; "-" for none.
std::string find(const HashConvert &table, const Bytes &key) {
    unsigned char out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    int length = -1;
    bool found = table.lookup(key.data(), static_cast<int>(key.size()), out, length);
    if (found != (length > 0))
        return "found " + std::to_string(found) + " with length " + std::to_string(length);
    return found ? hex(out, length) : "-";
}

bool insert(HashConvert &table, const Bytes &key, const Bytes &value) {
    return table.insertEntry(key.data(), static_cast<int>(key.size()), value.data(),
                             static_cast<int>(value.size()));
}

TEST(HashConvert, EmptyTableFindsNothing) {
    HashConvert table;
    EXPECT_EQ(0u, table.getBucketCount());
    EXPECT_FALSE(table.isAsciiCompatible());
    EXPECT_EQ("-", find(table, {0x41}));
    EXPECT_FALSE(insert(table, {0x41}, {0x41, 0x00})) << "no buckets yet";
    table.removeKey(Bytes{0x41}.data(), 1);

    ASSERT_TRUE(table.initBuckets(283));
    EXPECT_EQ(283u, table.getBucketCount());
    EXPECT_EQ("-", find(table, {0x41}));
    for (uint32_t i = 0; i < 283; ++i)
        ASSERT_EQ(nullptr, table.bucketBlock(i)) << "bucket " << i;
}

TEST(HashConvert, BucketBlocksHoldLengthKeyLengthValueAndAnEndMarker) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(7));
    // 0x41 = 65 and 0x48 = 72 both land in bucket 65 % 7 = 2.
    ASSERT_TRUE(insert(table, {0x41}, {0xAC, 0x20}));
    EXPECT_EQ("01 41 02 AC 20 00", blockOf(table, 2));
    ASSERT_TRUE(insert(table, {0x48}, {0x7F}));
    EXPECT_EQ("01 41 02 AC 20 01 48 01 7F 00", blockOf(table, 2));
    // A 4-byte key packs to 0x04030205 = 67305989, which is 2 modulo 7 as well.
    ASSERT_TRUE(insert(table, {0x05, 0x02, 0x03, 0x04}, {0xA1, 0xA2, 0xA3}));
    EXPECT_EQ("01 41 02 AC 20 01 48 01 7F 04 05 02 03 04 03 A1 A2 A3 00", blockOf(table, 2));
    for (uint32_t i = 0; i < 7; ++i) {
        if (i != 2) {
            EXPECT_EQ("(null)", blockOf(table, i)) << "bucket " << i;
        }
    }
}

// The hash packs the key with its first byte lowest; missing bytes count as 0.
struct HashCase {
    Bytes key;
    uint32_t buckets;
    uint32_t bucket;
};

class HashConvertBuckets : public testing::TestWithParam<HashCase> {};

TEST_P(HashConvertBuckets, KeyLandsInItsBucket) {
    const HashCase &c = GetParam();
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(c.buckets));
    ASSERT_TRUE(insert(table, c.key, {0x01}));
    for (uint32_t i = 0; i < c.buckets; ++i)
        if ((table.bucketBlock(i) != nullptr) != (i == c.bucket))
            ADD_FAILURE() << "key " << hex(c.key) << ": bucket " << i << " is "
                          << (table.bucketBlock(i) ? "used" : "empty") << ", expected " << c.bucket;
}

INSTANTIATE_TEST_SUITE_P(
    Packing, HashConvertBuckets,
    testing::Values(HashCase{{0x20}, 269, 0x20}, HashCase{{0xFF}, 283, 0xFF % 283},
                    HashCase{{0xA0, 0x00}, 269, 0xA0}, HashCase{{0x00, 0xA0}, 269, 0xA000 % 269},
                    HashCase{{0x42, 0x30}, 7669, 0x3042 % 7669},
                    HashCase{{0x82, 0xA0}, 4919, 0xA082 % 4919},
                    HashCase{{0x01, 0x02, 0x03}, 7649, 0x030201 % 7649},
                    HashCase{{0xFF, 0xFF, 0xFF, 0xFF}, 7669, 0xFFFFFFFFu % 7669}));

// Keys and values of 1 to 4 bytes, every combination.
class HashConvertLengths : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(HashConvertLengths, EveryLengthIsStoredAndFound) {
    int keyLength = std::get<0>(GetParam());
    int valueLength = std::get<1>(GetParam());
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(13));
    Bytes key;
    Bytes value;
    for (int i = 0; i < keyLength; ++i)
        key.push_back(static_cast<unsigned char>(0x81 + i));
    for (int i = 0; i < valueLength; ++i)
        value.push_back(static_cast<unsigned char>(0xF1 + i));
    ASSERT_TRUE(insert(table, key, value));
    EXPECT_EQ(hex(value), find(table, key));
    // A key that is a prefix of a longer one, or longer, is another key.
    Bytes shorter(key.begin(), key.end() - 1);
    Bytes longer = key;
    longer.push_back(0);
    if (!shorter.empty()) {
        EXPECT_EQ("-", find(table, shorter));
    }
    if (longer.size() <= 4) {
        EXPECT_EQ("-", find(table, longer));
    }
}

INSTANTIATE_TEST_SUITE_P(OneToFour, HashConvertLengths,
                         testing::Combine(testing::Range(1, 5), testing::Range(1, 5)),
                         [](const testing::TestParamInfo<std::tuple<int, int>> &info) {
                             return "key" + std::to_string(std::get<0>(info.param)) + "value" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(HashConvert, RefusesLengthsOutsideOneToFour) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(5));
    unsigned char bytes[5] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(table.insertEntry(bytes, 0, bytes, 1));
    EXPECT_FALSE(table.insertEntry(bytes, 5, bytes, 1));
    EXPECT_FALSE(table.insertEntry(bytes, 1, bytes, 0));
    EXPECT_FALSE(table.insertEntry(bytes, 1, bytes, 5));
    EXPECT_FALSE(table.insertEntry(nullptr, 1, bytes, 1));
    EXPECT_FALSE(table.insertEntry(bytes, 1, nullptr, 1));
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(nullptr, table.bucketBlock(i)) << "bucket " << i;
    unsigned char out[4];
    int length = 9;
    EXPECT_FALSE(table.lookup(bytes, 0, out, length));
    EXPECT_EQ(0, length);
    EXPECT_FALSE(table.lookup(bytes, 5, out, length));
    EXPECT_EQ(0, length);
}

TEST(HashConvert, KeyInsertedTwiceIsFoundWithItsFirstValue) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(269));
    ASSERT_TRUE(insert(table, {0xA0, 0x00}, {0xA0}));
    ASSERT_TRUE(insert(table, {0xA0, 0x00}, {0x20}));
    EXPECT_EQ("A0", find(table, {0xA0, 0x00}));
    EXPECT_EQ("02 A0 00 01 A0 02 A0 00 01 20 00", blockOf(table, 0xA0));

    table.removeKey(Bytes{0xA0, 0x00}.data(), 2);
    EXPECT_EQ("-", find(table, {0xA0, 0x00}));
    EXPECT_EQ("(null)", blockOf(table, 0xA0)) << "an emptied bucket is freed";
}

TEST(HashConvert, RemoveKeyKeepsTheOtherEntriesInOrder) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(3));
    // 3, 6 and 9 share bucket 0; the 2-byte key 03 00 is another key in it.
    ASSERT_TRUE(insert(table, {0x03}, {0x31}));
    ASSERT_TRUE(insert(table, {0x06}, {0x32}));
    ASSERT_TRUE(insert(table, {0x03}, {0x33}));
    ASSERT_TRUE(insert(table, {0x03, 0x00}, {0x34}));
    ASSERT_TRUE(insert(table, {0x09}, {0x35}));
    table.removeKey(Bytes{0x03}.data(), 1);
    EXPECT_EQ("01 06 01 32 02 03 00 01 34 01 09 01 35 00", blockOf(table, 0));
    EXPECT_EQ("-", find(table, {0x03}));
    EXPECT_EQ("34", find(table, {0x03, 0x00}));

    table.removeKey(Bytes{0x0C}.data(), 1); // absent: nothing changes
    EXPECT_EQ("01 06 01 32 02 03 00 01 34 01 09 01 35 00", blockOf(table, 0));

    ASSERT_TRUE(insert(table, {0x03}, {0x36}));
    EXPECT_EQ("36", find(table, {0x03})) << "a key inserted after its removal";
    EXPECT_EQ("01 06 01 32 02 03 00 01 34 01 09 01 35 01 03 01 36 00", blockOf(table, 0));
}

TEST(HashConvert, ChainsSurviveManyEntriesPerBucket) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(2));
    for (int u = 0; u < 1000; ++u) {
        unsigned char key[2] = {static_cast<unsigned char>(u & 0xFF),
                                static_cast<unsigned char>(u >> 8)};
        unsigned char value[2] = {static_cast<unsigned char>(~u & 0xFF),
                                  static_cast<unsigned char>(u % 7)};
        ASSERT_TRUE(table.insertEntry(key, 2, value, 2)) << u;
    }
    for (int u = 0; u < 1000; ++u) {
        unsigned char expected[2] = {static_cast<unsigned char>(~u & 0xFF),
                                     static_cast<unsigned char>(u % 7)};
        ASSERT_EQ(hex(expected, 2), find(table, {static_cast<unsigned char>(u & 0xFF),
                                                 static_cast<unsigned char>(u >> 8)}))
            << "U+" << u;
    }
}

TEST(HashConvert, InitBucketsDropsTheOldContent) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(11));
    ASSERT_TRUE(insert(table, {0x41}, {0x42}));
    table.setAsciiCompatible(true);
    ASSERT_TRUE(table.initBuckets(17));
    EXPECT_EQ(17u, table.getBucketCount());
    EXPECT_EQ("-", find(table, {0x41}));
    EXPECT_TRUE(table.isAsciiCompatible()) << "the flag is not part of the content";
    EXPECT_FALSE(table.initBuckets(0));
    EXPECT_EQ(0u, table.getBucketCount());
    EXPECT_EQ("-", find(table, {0x41}));
}

TEST(HashConvert, InvertIntoWalksBucketsInOrder) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(5));
    // Inserted bucket 3 first, then bucket 1: the inversion visits bucket 1 first,
    // so code 0x99 decodes to the key of bucket 1.
    ASSERT_TRUE(insert(table, {0x03, 0x00}, {0x99}));
    ASSERT_TRUE(insert(table, {0x01, 0x00}, {0x99}));
    // Within one bucket the stored order holds: 0x0C and 0x11 both land in bucket 2.
    ASSERT_TRUE(insert(table, {0x0C, 0x00}, {0x82, 0xA0}));
    ASSERT_TRUE(insert(table, {0x11, 0x00}, {0x82, 0xA0}));

    HashConvert inverted;
    ASSERT_TRUE(inverted.initBuckets(7));
    ASSERT_TRUE(table.invertInto(inverted));
    EXPECT_EQ("01 00", find(inverted, {0x99}));
    EXPECT_EQ("0C 00", find(inverted, {0x82, 0xA0}));
    // 0x99 = 153 lands in bucket 153 % 7 = 6 with both entries in visiting order.
    EXPECT_EQ("01 99 02 01 00 01 99 02 03 00 00", blockOf(inverted, 6));
    EXPECT_FALSE(inverted.isAsciiCompatible());
}

TEST(HashConvert, InvertIntoATableWithoutBucketsFails) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(5));
    ASSERT_TRUE(insert(table, {0x41}, {0x41, 0x00}));
    HashConvert unready;
    EXPECT_FALSE(table.invertInto(unready));
}

struct Visited {
    std::vector<std::string> entries;
    size_t stopAfter;
};

bool recordEntry(const unsigned char *key, int keyLength, const unsigned char *value,
                 int valueLength, void *context) {
    Visited &visited = *static_cast<Visited *>(context);
    visited.entries.push_back(hex(key, keyLength) + "=" + hex(value, valueLength));
    return visited.entries.size() < visited.stopAfter;
}

TEST(HashConvert, VisitEntriesStopsWhenAsked) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(4));
    ASSERT_TRUE(insert(table, {0x02}, {0x20}));
    ASSERT_TRUE(insert(table, {0x01}, {0x10}));
    ASSERT_TRUE(insert(table, {0x05}, {0x50}));
    Visited all = {{}, 99};
    EXPECT_TRUE(table.visitEntries(recordEntry, &all));
    EXPECT_EQ((std::vector<std::string>{"01=10", "05=50", "02=20"}), all.entries);
    Visited two = {{}, 2};
    EXPECT_FALSE(table.visitEntries(recordEntry, &two));
    EXPECT_EQ((std::vector<std::string>{"01=10", "05=50"}), two.entries);
}

} // namespace
