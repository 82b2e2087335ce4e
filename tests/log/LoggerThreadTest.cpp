#include "log/Logger.h"
#include "tests/log/LogTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const int writerCount = 4;
const int roundsPerWriter = 150;

// Threads interleave in one tree: an entry lands in whichever context is current, and
// a leave may close another thread's context. No entry is lost either way.
void writeRounds(Logger &log, int writer) {
    for (int round = 0; round < roundsPerWriter; ++round) {
        log.enterContext("round", true);
        log.logInfo("info");
        log.logData("writer", std::to_string(writer).c_str());
        log.enterContext("empty", true);
        log.leaveContext();
        log.logError("error");
        log.leaveContext();
    }
}

bool isWholeXml(const std::string &xml) {
    const std::string head = "<TarnixLog>\r\n";
    const std::string tail = "</TarnixLog>\r\n";
    return xml.size() >= head.size() + tail.size() && xml.compare(0, head.size(), head) == 0 &&
           xml.compare(xml.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(LoggerThreads, ConcurrentWritersAndReadersKeepEveryEntry) {
    TempDir dir;
    std::string debugPath = dir.file("threads.log");
    Logger log;
    setDebugPath(log, debugPath);

    std::atomic<bool> writing{true};
    std::atomic<int> tornRenderings{0};
    std::vector<std::thread> threads;
    for (int writer = 0; writer < writerCount; ++writer)
        threads.emplace_back(writeRounds, std::ref(log), writer);
    for (int reader = 0; reader < 2; ++reader) {
        threads.emplace_back([&log, &writing, &tornRenderings] {
            while (writing.load()) {
                std::string xml = xmlOf(log);
                std::string text = textOf(log);
                std::string html = htmlOf(log);
                if (!isWholeXml(xml) || text.compare(0, 12, "TarnixLog:\r\n") != 0 ||
                    countOccurrences(html, "<blockquote>") !=
                        countOccurrences(html, "</blockquote>"))
                    ++tornRenderings;
            }
        });
    }
    for (int writer = 0; writer < writerCount; ++writer)
        threads[static_cast<size_t>(writer)].join();
    writing.store(false);
    for (size_t i = writerCount; i < threads.size(); ++i)
        threads[i].join();

    EXPECT_EQ(0, tornRenderings.load());
    const size_t rounds = static_cast<size_t>(writerCount) * roundsPerWriter;
    std::string xml = xmlOf(log);
    EXPECT_TRUE(isWholeXml(xml));
    EXPECT_EQ(rounds, countOccurrences(xml, "<info>info</info>\r\n"));
    EXPECT_EQ(rounds, countOccurrences(xml, "<error>error</error>\r\n"));
    // A context another thread closed before anything landed in it may have been dropped.
    EXPECT_GE(rounds, countOccurrences(xml, "<round>\r\n"));
    EXPECT_EQ(countOccurrences(xml, "<round>\r\n"), countOccurrences(xml, "</round>\r\n"));
    EXPECT_EQ(countOccurrences(xml, "<empty>\r\n"), countOccurrences(xml, "</empty>\r\n"));
    for (int writer = 0; writer < writerCount; ++writer) {
        std::string data = "<writer>" + std::to_string(writer) + "</writer>\r\n";
        EXPECT_EQ(static_cast<size_t>(roundsPerWriter), countOccurrences(xml, data)) << data;
    }

    // Seven lines per round, none torn: every line is whole and ends in CR LF.
    std::string file = readWholeFile(debugPath);
    EXPECT_EQ(rounds * 7, countOccurrences(file, "\r\n"));
    EXPECT_EQ(rounds * 7, countOccurrences(file, "\n"));
    EXPECT_EQ(rounds, countOccurrences(file, "round:\r\n"));
    EXPECT_EQ(rounds, countOccurrences(file, "empty:\r\n"));
    EXPECT_EQ(rounds * 2, countOccurrences(file, "(leaveContext)\r\n"));
    EXPECT_EQ(rounds, countOccurrences(file, "info\r\n"));
    EXPECT_EQ(rounds, countOccurrences(file, "error\r\n"));

    // All contexts were left: the next entry lands at the root and at depth 0.
    log.logInfo("last");
    std::string text = textOf(log);
    const std::string tail = "\r\n  last\r\n--TarnixLog\r\n";
    EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
    EXPECT_EQ("last\r\n", readWholeFile(debugPath).substr(file.size()));
}

TEST(LoggerThreads, ClearsRacingWithWritersAndSaves) {
    TempDir dir;
    Logger log;
    std::vector<std::thread> threads;
    std::atomic<int> failedSaves{0};
    for (int writer = 0; writer < 2; ++writer)
        threads.emplace_back(writeRounds, std::ref(log), writer);
    threads.emplace_back([&log] {
        for (int i = 0; i < 200; ++i) {
            log.clearLog();
            std::this_thread::yield();
        }
    });
    threads.emplace_back([&log, &dir, &failedSaves] {
        std::string path = dir.file("racing.xml");
        for (int i = 0; i < 50; ++i) {
            if (!log.saveXml(false, path.c_str())) ++failedSaves;
            XString debugPath;
            log.getDebugLogFilePath(debugPath);
        }
    });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(0, failedSaves.load());
    EXPECT_TRUE(isWholeXml(readWholeFile(dir.file("racing.xml"))));

    log.clearLog();
    EXPECT_EQ("TarnixLog:\r\n--TarnixLog\r\n", textOf(log));
}

} // namespace
