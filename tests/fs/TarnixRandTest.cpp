// The shared R250 random source, its seeding and its range mapping.
#include "tests/fs/FsTestSupport.h"

#include "fs/R250.h"
#include "fs/TarnixRand.h"

#include <set>
#include <thread>
#include <vector>

using namespace fstest;

namespace {

class TarnixRandTest : public testing::Test {
protected:
    void TearDown() override { txhooks::resetAll(); }
};

// R250 is x[n] = x[n-250] XOR x[n-147]; any 1000 consecutive draws must obey it.
void expectR250Recurrence(const std::vector<uint32_t> &draws) {
    for (size_t n = 250; n < draws.size(); ++n)
        ASSERT_EQ(draws[n - 250] ^ draws[n - 147], draws[n]) << "draw " << n;
}

TEST_F(TarnixRandTest, TheSharedGeneratorIsR250) {
    TarnixRand first;
    TarnixRand second;
    std::vector<uint32_t> draws;
    for (int i = 0; i < 1000; ++i)
        draws.push_back(i % 2 ? first.next32() : second.next32());
    expectR250Recurrence(draws);
    std::set<uint32_t> distinct(draws.begin(), draws.end());
    EXPECT_GT(distinct.size(), 990u);
}

TEST_F(TarnixRandTest, RandomRangeCoversExactlyItsBounds) {
    TarnixRand random;
    EXPECT_EQ(5u, random.randomRange(5, 5));
    std::vector<int> seen(36, 0);
    for (int i = 0; i < 20000; ++i) {
        uint32_t r = random.randomRange(0, 35);
        ASSERT_LE(r, 35u);
        ++seen[r];
    }
    for (int value = 0; value < 36; ++value) {
        // About 555 each; a working mapping is nowhere near these limits.
        EXPECT_GT(seen[value], 350) << value;
        EXPECT_LT(seen[value], 800) << value;
    }
    std::set<uint32_t> pair;
    for (int i = 0; i < 200; ++i) {
        uint32_t r = random.randomRange(10, 11);
        ASSERT_TRUE(r == 10 || r == 11) << r;
        pair.insert(r);
    }
    EXPECT_EQ(2u, pair.size());
    for (int i = 0; i < 1000; ++i) {
        uint32_t r = random.randomRange(0xFFFFFFF0u, 0xFFFFFFFFu);
        ASSERT_GE(r, 0xFFFFFFF0u);
    }
    uint32_t low = 0xFFFFFFFF, high = 0;
    for (int i = 0; i < 1000; ++i) {
        uint32_t r = random.randomRange(0, 0xFFFFFFFFu);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_LT(low, 0x10000000u);
    EXPECT_GT(high, 0xF0000000u);
}

TEST_F(TarnixRandTest, ThreadsDrawConcurrently) {
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &bad] {
            TarnixRand random;
            for (int i = 0; i < 5000; ++i) {
                if (random.randomRange(100, 199) - 100 >= 100) ++bad[t];
                random.next32();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), bad);
}

TEST_F(TarnixRandTest, ConditioningFixesTheDiagonalWords) {
    uint32_t zeros[r250::wordCount] = {};
    uint32_t ones[r250::wordCount];
    std::fill(ones, ones + r250::wordCount, 0xFFFFFFFFu);
    r250::condition(zeros);
    r250::condition(ones);
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(0x80000000u >> k, zeros[3 + 7 * k]) << k;
        EXPECT_EQ(0xFFFFFFFFu >> k, ones[3 + 7 * k]) << k;
    }
    int touched = 0;
    for (int i = 0; i < r250::wordCount; ++i) {
        if (zeros[i] != 0) ++touched;
    }
    EXPECT_EQ(32, touched);
}

TEST_F(TarnixRandTest, TheProviderIsAskedWithEachFlagSetInTurn) {
    uint32_t words[r250::wordCount] = {};
    txhooks::failNextCalls(txhooks::Call::CryptAcquireContext, NTE_BAD_KEYSET, 3);
    txhooks::startCounting();
    ASSERT_TRUE(r250::fillFromCryptoProvider(words));
    EXPECT_EQ(4u, txhooks::counters().callsOf(txhooks::Call::CryptAcquireContext));
    EXPECT_EQ(1u, txhooks::counters().callsOf(txhooks::Call::CryptGenRandom));
    std::set<uint32_t> distinct(words, words + r250::wordCount);
    EXPECT_GT(distinct.size(), 240u);

    txhooks::resetAll();
    txhooks::failNextCalls(txhooks::Call::CryptAcquireContext, NTE_BAD_KEYSET, 4);
    txhooks::startCounting();
    EXPECT_FALSE(r250::fillFromCryptoProvider(words));
    EXPECT_EQ(4u, txhooks::counters().callsOf(txhooks::Call::CryptAcquireContext));
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::CryptGenRandom));

    txhooks::resetAll();
    txhooks::failNextCalls(txhooks::Call::CryptGenRandom, NTE_BAD_UID, 1);
    EXPECT_FALSE(r250::fillFromCryptoProvider(words));
}

TEST_F(TarnixRandTest, WithoutAProviderTheCRuntimeSeeds) {
    txhooks::failNextCalls(txhooks::Call::CryptAcquireContext, NTE_BAD_KEYSET, 4);
    r250::State state;
    r250::seed(state);
    EXPECT_EQ(0, state.index);
    EXPECT_EQ(103, state.tapIndex);
    std::set<uint32_t> distinct(state.words, state.words + r250::wordCount);
    EXPECT_GT(distinct.size(), 240u);
    // Conditioned after the fill: word 3 + 7k has bit 31 - k as its highest bit.
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(1u, state.words[3 + 7 * k] >> (31 - k)) << k;
    std::vector<uint32_t> draws;
    for (int i = 0; i < 600; ++i)
        draws.push_back(r250::next(state));
    expectR250Recurrence(draws);
}

TEST_F(TarnixRandTest, RandomCharactersComeFromTheLettersAndDigits) {
    StringBuffer text("pre");
    FileSys::appendRandomChars(text);
    ASSERT_EQ(7, text.getSize());
    EXPECT_EQ("pre", std::string(text.getString(), 3));
    std::set<char> seen;
    for (int i = 0; i < 2000; ++i) {
        StringBuffer chars;
        FileSys::appendRandomChars(chars);
        ASSERT_EQ(4, chars.getSize());
        for (int k = 0; k < 4; ++k) {
            char c = chars.getString()[k];
            ASSERT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << c;
            seen.insert(c);
        }
    }
    EXPECT_EQ(36u, seen.size());
}

} // namespace
