#include "encoding/ZipCRC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
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

// Threads released together, each making its first ZipCRC and computing a CRC. The last
// thread to arrive releases them all, so it and the one spinning on the other core start
// together rather than racing the main thread; thread t then waits t * 300 ns, so that
// later threads arrive while an earlier one may still be building the table.
bool firstCrcsAgree() {
    const int threadCount = 6;
    // Any bytes do: the register, not the data, spreads the reads over the whole table.
    const std::string data(100000, 'x');
    std::atomic<int> ready{0};
    std::vector<uint32_t> results(threadCount, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back([&, t] {
            for (++ready; ready.load() < threadCount;) {
            }
            auto start = std::chrono::steady_clock::now() + std::chrono::nanoseconds(300 * t);
            while (std::chrono::steady_clock::now() < start) {
            }
            ZipCRC crc;
            crc.beginCrc();
            crc.updateCrc(data.data(), static_cast<uint32_t>(data.size()));
            results[t] = crc.getCrc() ^ 0xFFFFFFFF;
        });
    for (auto &thread : threads)
        thread.join();
    return std::count(results.begin(), results.end(), bitwiseCrc(data)) == threadCount;
}

} // namespace

// Pieces of every size from 0 to 40 meet the 16-byte unrolled rounds at every offset. Two
// objects fed the same pieces in turn must each keep their own register; beginCrc starts
// over and null input changes nothing. The check value of "123456789" is pinned where a
// file data source computes it.
TEST(ZipCRC, PiecesOfEverySizeInTwoObjectsGiveTheBitwiseCrcOfTheWhole) {
    std::string data;
    for (int i = 0; i < 10000; ++i)
        data += static_cast<char>(i * 37 + (i >> 8));
    ZipCRC first, second;
    first.beginCrc();
    first.updateCrc("stale", 5);
    first.beginCrc();
    first.updateCrc(nullptr, 9);
    second.beginCrc();
    for (size_t at = 0, n = 0; at < data.size(); at += n, n = (n + 1) % 41) {
        n = std::min(n, data.size() - at);
        first.updateCrc(data.data() + at, static_cast<uint32_t>(n));
        second.updateCrc(data.data() + at, static_cast<uint32_t>(n));
    }
    EXPECT_EQ(first.getCrc() ^ 0xFFFFFFFF, bitwiseCrc(data));
    EXPECT_EQ(second.getCrc(), first.getCrc());
}

// The table is process-wide, so only a fresh process shows its first build: the
// threadsafe death-test style runs the statement in a newly started copy of this program.
// Three such processes give a half-built table three chances to show.
TEST(ZipCRCDeathTest, ThreadsRacingToTheFirstTable) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int round = 0; round < 3; ++round)
        EXPECT_EXIT(std::exit(firstCrcsAgree() ? 0 : 1), testing::ExitedWithCode(0), "") << round;
}
