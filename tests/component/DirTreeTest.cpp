// The breadth-first walk: order, entry properties, Recurse, and the directories it
// passes over (empty, unreadable, thousands in a row).
#include "component/ClsDirTree.h"
#include "tests/component/FileAccessTestSupport.h"

#include <chrono>
#include <set>

namespace comptest {
namespace {

using fstest::backslashed;
using txhooks::Call;
namespace fs = std::filesystem;

struct Entry {
    std::string relative;
    bool isDirectory;
    int size;
};

class DirTreeTest : public fstest::FsTest {
protected:
    // Walks from the temporary directory, checking each entry's paths on the way.
    std::vector<Entry> walk(bool recurse) {
        tree.put_BaseDir(X(dir.path()));
        tree.put_Recurse(recurse);
        std::vector<Entry> entries;
        std::string base = backslashed(dir.path());
        for (bool more = tree.BeginIterate(); more; more = tree.AdvancePosition()) {
            XString relative, full, unc;
            tree.get_RelativePath(relative);
            tree.get_FullPath(full);
            tree.get_FullUncPath(unc);
            EXPECT_EQ(base + "\\" + utf8(relative), utf8(full));
            EXPECT_EQ("\\\\?\\" + utf8(full), utf8(unc));
            entries.push_back({utf8(relative), tree.get_IsDirectory(), tree.get_FileSize32()});
        }
        EXPECT_TRUE(tree.get_DoneIterating());
        return entries;
    }
    ClsDirTree tree;
};

std::string parentOf(const std::string &relative) {
    size_t slash = relative.rfind('\\');
    return slash == std::string::npos ? "" : relative.substr(0, slash);
}

// Breadth-first: each entry's directory was reported no later than the directory of
// the entry before it, so levels come in order and subdirectories in the order met.
TEST_F(DirTreeTest, WalksBreadthFirstWithEachEntrysProperties) {
    makeTree({"a", "bb", "s/c", "s/e/", "s/e/f/deep", "t/d", "u/"});
    struct Row {
        bool recurse;
        std::set<std::string> expected;
    } rows[] = {
        {true, {"a", "bb", "s", "t", "u", "s\\c", "s\\e", "t\\d", "s\\e\\f", "s\\e\\f\\deep"}},
        {false, {"a", "bb", "s", "t", "u"}},
    };
    for (const Row &row : rows) {
        int64_t handlesBefore = txhooks::openHandleCount();
        std::vector<Entry> entries = walk(row.recurse);
        std::set<std::string> seen;
        std::map<std::string, size_t> reportedAt = {{"", 0}};
        size_t lastParentAt = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry &e = entries[i];
            seen.insert(e.relative);
            reportedAt[e.relative] = i;
            ASSERT_TRUE(reportedAt.count(parentOf(e.relative))) << e.relative;
            EXPECT_GE(reportedAt[parentOf(e.relative)], lastParentAt) << e.relative;
            lastParentAt = reportedAt[parentOf(e.relative)];
            bool isDirectory = fs::is_directory(fstest::fsPath(path(e.relative)));
            EXPECT_EQ(isDirectory, e.isDirectory) << e.relative;
            // Each file holds its own name with forward slashes.
            std::string name = e.relative;
            std::replace(name.begin(), name.end(), '\\', '/');
            if (!isDirectory) {
                EXPECT_EQ(static_cast<int>(name.size()), e.size) << e.relative;
            }
        }
        EXPECT_EQ(row.expected, seen) << "recurse " << row.recurse;
        EXPECT_EQ(row.expected.size(), entries.size()) << "each entry once";
        EXPECT_EQ(handlesBefore, txhooks::openHandleCount()) << "the search is closed";
    }
}

TEST_F(DirTreeTest, EmptyBaseAndTheEndOfTheWalk) {
    EXPECT_TRUE(walk(true).empty());
    XString full;
    tree.get_FullPath(full);
    EXPECT_TRUE(full.isEmpty());
    EXPECT_EQ(0, tree.get_FileSize32());

    makeTree({"only"});
    ASSERT_TRUE(tree.BeginIterate());
    EXPECT_FALSE(tree.AdvancePosition()) << "the last entry";
    EXPECT_FALSE(logHas(tree, "Already finished iterating directory tree."));
    EXPECT_TRUE(logHas(tree, "Failed."));
    EXPECT_FALSE(tree.AdvancePosition());
    EXPECT_TRUE(logHas(tree, "Already finished iterating directory tree."));
    EXPECT_TRUE(tree.get_DoneIterating());
}

// A listing that fails is passed over and the walk goes on with the next directory.
TEST_F(DirTreeTest, UnreadableDirectoriesArePassedOver) {
    makeTree({"s/x", "t/y"});
    rearm();
    // The base listing succeeds; both tries (long form, then plain) of the first
    // subdirectory fail.
    txhooks::failCallsAfter(Call::FindFirstFile, 1, ERROR_ACCESS_DENIED, 2);
    std::vector<Entry> entries = walk(true);
    ASSERT_EQ(3u, entries.size());
    EXPECT_TRUE(entries[2].relative == "t\\y" || entries[2].relative == "s\\x");

    rearm(Call::FindFirstFile, ERROR_ACCESS_DENIED, 2);
    EXPECT_FALSE(tree.BeginIterate()) << "an unreadable base";
    EXPECT_TRUE(tree.get_DoneIterating());
}

// The end of the walk passes over 3000 empty directories in one call; a nested call
// per directory would need a stack 3000 frames deep.
TEST_F(DirTreeTest, ThousandsOfEmptyDirectoriesInARow) {
    const int count = 3000;
    for (int i = 0; i < count; ++i)
        fs::create_directory(fstest::fsPath(path("d" + std::to_string(i))));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(static_cast<size_t>(count), walk(true).size());
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "walk of " << count << " empty directories: " << ms.count() << " ms\n";
}

TEST_F(DirTreeTest, BaseDirIsStoredAbsoluteWithBackslashes) {
    XString base;
    tree.get_BaseDir(base);
    EXPECT_EQ(backslashed(fs::current_path().u8string()), utf8(base));
    tree.put_BaseDir(X("sub/dir"));
    tree.get_BaseDir(base);
    EXPECT_EQ(backslashed((fs::current_path() / "sub" / "dir").u8string()), utf8(base));
}

} // namespace
} // namespace comptest
