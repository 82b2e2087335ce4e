#include "encoding/ZipCRC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// Bit by bit with the reflected polynomial: slow, but shares nothing with the table.
uint32_t bitwiseCrc(const std::string &data) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : data) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return crc ^ 0xFFFFFFFF;
}

uint32_t crcOf(const std::string &data) {
    ZipCRC crc;
    crc.beginCrc();
    crc.updateCrc(data.data(), static_cast<uint32_t>(data.size()));
    return crc.getCrc() ^ 0xFFFFFFFF;
}

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto &c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

} // namespace

TEST(ZipCRC, CheckValueAndKnownTexts) {
    static const struct {
        const char *text;
        uint32_t crc;
    } cases[] = {{"123456789", 0xCBF43926},
                 {"", 0x00000000},
                 {"a", 0xE8B7BE43},
                 {"abc", 0x352441C2},
                 {"The quick brown fox jumps over the lazy dog", 0x414FA339}};
    for (const auto &c : cases) {
        uint32_t got = crcOf(c.text);
        EXPECT_EQ(got, c.crc) << "\"" << c.text << "\" got 0x" << std::hex << got;
    }
}

TEST(ZipCRC, RegisterStartsInvertedAndKeepsItsState) {
    ZipCRC crc;
    crc.beginCrc();
    EXPECT_EQ(crc.getCrc(), 0xFFFFFFFFu);
    crc.updateCrc("123456789", 0);
    crc.updateCrc(nullptr, 9);
    EXPECT_EQ(crc.getCrc(), 0xFFFFFFFFu);
    crc.updateCrc("123456789", 9);
    EXPECT_EQ(crc.getCrc(), 0xCBF43926u ^ 0xFFFFFFFF) << "got 0x" << std::hex << crc.getCrc();
    crc.beginCrc();
    EXPECT_EQ(crc.getCrc(), 0xFFFFFFFFu) << "beginCrc starts over";
}

TEST(ZipCRC, MatchesBitwiseCrcAroundTheUnrolledRounds) {
    std::string data = randomBytes(5000, 7);
    for (size_t n = 0; n <= 70; ++n) {
        std::string part = data.substr(0, n);
        EXPECT_EQ(crcOf(part), bitwiseCrc(part)) << "length " << n;
    }
    EXPECT_EQ(crcOf(data), bitwiseCrc(data));
    std::string ones(4096, '\xFF');
    EXPECT_EQ(crcOf(ones), bitwiseCrc(ones));
}

TEST(ZipCRC, UnevenPiecesGiveTheCrcOfTheWhole) {
    std::string data = randomBytes(10000, 8);
    uint32_t whole = crcOf(data);
    static const size_t pieces[] = {1, 2, 3, 15, 16, 17, 31, 33, 5, 0, 100, 1000, 7};
    ZipCRC crc;
    crc.beginCrc();
    size_t at = 0;
    for (size_t i = 0; at < data.size(); ++i) {
        size_t n = std::min(pieces[i % (sizeof pieces / sizeof pieces[0])], data.size() - at);
        crc.updateCrc(data.data() + at, static_cast<uint32_t>(n));
        at += n;
    }
    EXPECT_EQ(crc.getCrc() ^ 0xFFFFFFFF, whole);
}

TEST(ZipCRC, ObjectsKeepSeparateRegisters) {
    ZipCRC first, second;
    first.beginCrc();
    second.beginCrc();
    first.updateCrc("1234", 4);
    second.updateCrc("abc", 3);
    first.updateCrc("56789", 5);
    EXPECT_EQ(first.getCrc() ^ 0xFFFFFFFF, 0xCBF43926u);
    EXPECT_EQ(second.getCrc() ^ 0xFFFFFFFF, 0x352441C2u);
}

namespace {

// Threads released together, each making its first ZipCRC and computing a CRC. Thread t
// starts t * 300 ns after the release, so that later threads arrive while an earlier one
// may still be building the table.
bool crcsFromThreadsStartedTogether() {
    const int threadCount = 6;
    std::string data = randomBytes(100000, 9);
    uint32_t expected = bitwiseCrc(data);
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<uint32_t> results(threadCount, 0);
    std::vector<std::thread> threads;
    // The last thread to arrive fires the start, so it and the one spinning on the other
    // core start together rather than racing the main thread.
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            if (ready.fetch_add(1) + 1 == threadCount) go.store(true);
            while (!go.load()) {
            }
            auto start = std::chrono::steady_clock::now() + std::chrono::nanoseconds(300 * t);
            while (std::chrono::steady_clock::now() < start) {
            }
            results[t] = crcOf(data);
        });
    }
    for (auto &thread : threads)
        thread.join();
    bool allRight = true;
    for (int t = 0; t < threadCount; ++t) {
        if (results[t] != expected) {
            fprintf(stderr, "thread %d got 0x%08X, expected 0x%08X\n", t, results[t], expected);
            allRight = false;
        }
    }
    return allRight;
}

} // namespace

// The table is process-wide, so only a fresh process shows its first build: the
// threadsafe death-test style runs the statement in a newly started copy of this program.
// Three such processes give a half-built table three chances to show.
TEST(ZipCRCDeathTest, ThreadsRacingToTheFirstTable) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int round = 0; round < 3; ++round) {
        EXPECT_EXIT(std::exit(crcsFromThreadsStartedTogether() ? 0 : 1), testing::ExitedWithCode(0),
                    "")
            << "round " << round;
    }
}

TEST(ZipCRC, ThreadsComputingAtOnce) {
    EXPECT_TRUE(crcsFromThreadsStartedTogether());
}
