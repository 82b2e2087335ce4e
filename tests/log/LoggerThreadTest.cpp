#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const int writerCount = 4;
const int roundsPerWriter = 150;

size_t countOf(const std::string &haystack, const std::string &needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++count;
    return count;
}

// Threads interleave in one tree: an entry lands in whichever context is current, and
// a leave may close another thread's context. No entry is lost either way.
void writeRounds(Logger &log, int writer) {
    for (int round = 0; round < roundsPerWriter; ++round)
        play(log, {">round", "i:info", "writer=" + std::to_string(writer), ">empty", "<", "e:error",
                   "<"});
}

// Runs under ThreadSanitizer in CI, which reports any operation that skips the lock.
TEST(LoggerThreads, ConcurrentWritersAndReadersKeepEveryEntry) {
    TempDir dir;
    const std::string debugPath = dir.file("threads.log");
    Logger log;
    setDebugPath(log, debugPath);
    std::atomic<bool> writing{true};
    std::atomic<int> tornRenderings{0};
    std::vector<std::thread> writers, readers;
    for (int writer = 0; writer < writerCount; ++writer)
        writers.emplace_back(writeRounds, std::ref(log), writer);
    for (int reader = 0; reader < 2; ++reader) {
        readers.emplace_back([&log, &writing, &tornRenderings] {
            while (writing.load()) {
                // Each rendering is made under the lock, so it always shows whole contexts.
                std::string xml = xmlOf(log), text = textOf(log), html = htmlOf(log);
                if (countOf(xml, "<round>") != countOf(xml, "</round>") ||
                    countOf(text, "round:\r\n") != countOf(text, "--round\r\n") ||
                    countOf(html, "<blockquote>") != countOf(html, "</blockquote>"))
                    ++tornRenderings;
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    writing.store(false);
    for (std::thread &reader : readers)
        reader.join();

    EXPECT_EQ(0, tornRenderings.load());
    const size_t rounds = static_cast<size_t>(writerCount) * roundsPerWriter;
    const std::string xml = xmlOf(log);
    EXPECT_EQ(rounds, countOf(xml, "<info>info</info>\r\n"));
    EXPECT_EQ(rounds, countOf(xml, "<error>error</error>\r\n"));
    // A context another thread closed before anything landed in it may have been dropped.
    EXPECT_GE(rounds, countOf(xml, "<round>\r\n"));
    EXPECT_EQ(countOf(xml, "<round>\r\n"), countOf(xml, "</round>\r\n"));
    EXPECT_EQ(countOf(xml, "<empty>\r\n"), countOf(xml, "</empty>\r\n"));
    EXPECT_EQ(rounds, countOf(xml, "<writer>"));

    // Seven lines per round, none torn: every line is whole and ends in CR LF.
    const std::string file = readWholeFile(debugPath);
    const std::pair<const char *, size_t> linesPerRound[] = {
        {"\r\n", 7},     {"\n", 7},       {"round:\r\n", 1}, {"empty:\r\n", 1},
        {"info\r\n", 1}, {"writer: ", 1}, {"error\r\n", 1},  {"(leaveContext)\r\n", 2}};
    for (const auto &[line, perRound] : linesPerRound)
        EXPECT_EQ(rounds * perRound, countOf(file, line)) << line;

    // All contexts were left: the next entry lands at the root and at depth 0.
    play(log, {"i:last"});
    EXPECT_EQ(xml.substr(0, xml.size() - 14) + "<info>last</info>\r\n</TarnixLog>\r\n", xmlOf(log));
    EXPECT_EQ("last\r\n", readWholeFile(debugPath).substr(file.size()));
}

// A clear may drop contexts that other threads are still inside.
TEST(LoggerThreads, ClearsRaceWithWriters) {
    Logger log;
    std::thread first(writeRounds, std::ref(log), 0), second(writeRounds, std::ref(log), 1);
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(log.clearLog());
        std::this_thread::yield();
    }
    first.join();
    second.join();
    play(log, {"!"});
    EXPECT_EQ(rootText(""), textOf(log));
}

} // namespace
