// Listing a directory with FindFileWin32.
#include "tests/fs/FsTestSupport.h"

#include "fs/FindFileWin32.h"

#include <map>
#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

struct Entry {
    bool directory;
    int64_t size;
    uint32_t attributes;
};

std::map<std::string, Entry> listAll(FindFileWin32 &find, const std::string &pattern,
                                     LogBase *log) {
    std::map<std::string, Entry> entries;
    if (!find.findFirst(X(pattern), log)) return entries;
    do {
        XString name;
        find.getEntryName(name);
        entries[utf8(name)] = {find.isEntryDirectory(), find.getEntrySize64(),
                               find.getEntryAttributes()};
    } while (find.findNext(log));
    return entries;
}

class FindFileWin32Test : public FsTest {};

TEST_F(FindFileWin32Test, ListsEveryEntryWithItsKindAndSize) {
    writeFile(path("a.txt"), "0123456789");
    writeFile(path("b.bin"), patternBytes(70000));
    writeFile(path("Ωμέγα_日本.txt"), "wide");
    std::filesystem::create_directory(fsPath(path("sub")));
    writeFile(path("sub/inner.txt"), "not listed");

    FindFileWin32 find;
    std::map<std::string, Entry> entries = listAll(find, path("*.*"), &log);
    EXPECT_TRUE(log.lines.empty());
    std::vector<std::string> names;
    for (const auto &entry : entries)
        names.push_back(entry.first);
    EXPECT_EQ((std::vector<std::string>{".", "..", "a.txt", "b.bin", "sub", "Ωμέγα_日本.txt"}),
              names);
    EXPECT_TRUE(entries["."].directory);
    EXPECT_TRUE(entries[".."].directory);
    EXPECT_TRUE(entries["sub"].directory);
    EXPECT_NE(0u, entries["sub"].attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(entries["a.txt"].directory);
    EXPECT_EQ(10, entries["a.txt"].size);
    EXPECT_EQ(70000, entries["b.bin"].size);
    EXPECT_EQ(4, entries["Ωμέγα_日本.txt"].size);

    // The listing is over; asking again still says so.
    EXPECT_FALSE(find.findNext(&log));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(FindFileWin32Test, PatternsSelectAndForwardSlashesWork) {
    writeFile(path("a.txt"), "a");
    writeFile(path("b.bin"), "b");
    FindFileWin32 find;
    std::map<std::string, Entry> entries = listAll(find, dir.path() + "/*.txt", &log);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("a.txt", entries.begin()->first);
}

TEST_F(FindFileWin32Test, FindNextWithoutAListingIsAnError) {
    FindFileWin32 find;
    EXPECT_FALSE(find.isOpen());
    EXPECT_FALSE(find.findNext(&log));
    EXPECT_FALSE(find.findNext(nullptr));
    EXPECT_EQ((Lines{"error:Directory handle not yet open."}), log.lines);

    writeFile(path("a.txt"), "a");
    ASSERT_TRUE(find.findFirst(X(path("*.txt")), &log));
    find.closeFind();
    EXPECT_FALSE(find.isOpen());
    EXPECT_FALSE(find.findNext(&log));
    EXPECT_EQ(2u, log.lines.size());
}

TEST_F(FindFileWin32Test, AMissingDirectoryIsTriedInBothForms) {
    FindFileWin32 find;
    std::string pattern = path("missing/*.*");
    txhooks::startCounting();
    EXPECT_FALSE(find.findFirst(X(pattern), &log));
    EXPECT_FALSE(find.isOpen());
    EXPECT_EQ(2u, txhooks::counters().callsOf(txhooks::Call::FindFirstFile));
    XString longForm;
    FileSys::toLongPathForm(X(pattern), longForm);
    std::string plain = utf8(longForm).substr(4);
    EXPECT_EQ((Lines{"data:filePath=" + utf8(longForm), "data:filePath2=" + plain}), log.lines);
    EXPECT_EQ(backslashed(pattern), plain);
}

TEST_F(FindFileWin32Test, ThePlainFormIsTriedWhenTheLongOneIsRefused) {
    writeFile(path("a.txt"), "a");
    FindFileWin32 find;
    txhooks::failNextCalls(txhooks::Call::FindFirstFile, ERROR_INVALID_NAME, 1);
    txhooks::startCounting();
    ASSERT_TRUE(find.findFirst(X(path("*.txt")), &log));
    EXPECT_EQ(2u, txhooks::counters().callsOf(txhooks::Call::FindFirstFile));
    ASSERT_EQ(1u, log.lines.size());
    EXPECT_EQ("data:filePath=\\\\?\\", lineAt(log.lines, 0).substr(0, 18));
    XString name;
    find.getEntryName(name);
    EXPECT_EQ("a.txt", utf8(name));
}

TEST_F(FindFileWin32Test, ANewSearchReplacesTheOpenOne) {
    std::filesystem::create_directory(fsPath(path("one")));
    std::filesystem::create_directory(fsPath(path("two")));
    writeFile(path("one/first.txt"), "1");
    writeFile(path("two/second.txt"), "2");
    FindFileWin32 find;
    ASSERT_TRUE(find.findFirst(X(path("one/*.txt")), &log));
    ASSERT_TRUE(find.findFirst(X(path("two/*.txt")), &log));
    XString name;
    find.getEntryName(name);
    EXPECT_EQ("second.txt", utf8(name));
    EXPECT_FALSE(find.findNext(&log));
    EXPECT_TRUE(log.lines.empty());
    // Closing twice is harmless.
    find.closeFind();
    find.closeFind();
}

TEST_F(FindFileWin32Test, DirectoriesBeyond260CharactersAreListed) {
    std::string deep = path(std::string(150, 'd') + "/" + std::string(150, 'e'));
    ASSERT_TRUE(FileSys::ensureDirectoryExists(deep.c_str(), nullptr));
    ASSERT_TRUE(FileSys::writeEntireFileUtf8((deep + "/f.txt").c_str(), "xyz", 3, nullptr));
    FindFileWin32 find;
    std::map<std::string, Entry> entries = listAll(find, deep + "/*", &log);
    EXPECT_TRUE(log.lines.empty());
    ASSERT_EQ(1u, entries.count("f.txt"));
    EXPECT_EQ(3, entries["f.txt"].size);
}

} // namespace
