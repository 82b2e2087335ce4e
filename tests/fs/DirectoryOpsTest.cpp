// Creating one level, a whole path and a file's parent; removing and emptying trees.
#include "tests/fs/FsTestSupport.h"

#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

class DirectoryOpsTest : public FsTest {
protected:
    bool ensure(const std::string &p) { return FileSys::ensureDirectoryExists(p.c_str(), &log); }
    std::string errorMsg(DWORD code) { return "data:errorMsg=" + osText(code); }
};

TEST_F(DirectoryOpsTest, CreateDirectoryMakesOneLevelOnly) {
    EXPECT_TRUE(FileSys::createDirectory(X(path("one")), &log));
    EXPECT_TRUE(isDirectory(path("one")));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::createDirectory(X(path("one")), &log));
    EXPECT_FALSE(FileSys::createDirectory(X(path("x/y")), &log));
    EXPECT_FALSE(isDirectory(path("x")));
    EXPECT_EQ((Lines{errorMsg(ERROR_ALREADY_EXISTS), errorMsg(ERROR_PATH_NOT_FOUND)}), log.lines);

    EXPECT_TRUE(FileSys::createDirectory(X(path("Ωμέγα")), nullptr));
    EXPECT_TRUE(isDirectory(path("Ωμέγα")));
}

TEST_F(DirectoryOpsTest, CreateIfMissingSucceedsForAnythingThatExists) {
    bool created = true;
    EXPECT_TRUE(FileSys::createDirectoryIfMissing("", created, &log));
    EXPECT_FALSE(created);
    EXPECT_TRUE(FileSys::createDirectoryIfMissing(".", created, &log));
    EXPECT_FALSE(created);
    EXPECT_TRUE(FileSys::createDirectoryIfMissing(path("new").c_str(), created, &log));
    EXPECT_TRUE(created);
    EXPECT_TRUE(FileSys::createDirectoryIfMissing(path("new").c_str(), created, &log));
    EXPECT_FALSE(created);
    writeFile(path("file"), "f");
    EXPECT_TRUE(FileSys::createDirectoryIfMissing(path("file").c_str(), created, &log));
    EXPECT_FALSE(created);
    EXPECT_EQ("f", readFile(path("file")));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::createDirectoryIfMissing(path("a/b").c_str(), created, &log));
    EXPECT_FALSE(created);
    EXPECT_EQ((Lines{errorMsg(ERROR_PATH_NOT_FOUND)}), log.lines);
}

TEST_F(DirectoryOpsTest, EnsureCreatesEveryMissingLevel) {
    std::filesystem::create_directory(fsPath(path("a")));
    txhooks::startCounting();
    EXPECT_TRUE(ensure(path("a/b/c")));
    EXPECT_TRUE(isDirectory(path("a/b/c")));
    // The whole path first (refused), then b and c; the existing levels only tested.
    EXPECT_EQ(3u, txhooks::counters().callsOf(txhooks::Call::CreateDirectory));
    EXPECT_EQ((Lines{errorMsg(ERROR_PATH_NOT_FOUND)}), log.lines);

    log.clear();
    EXPECT_TRUE(ensure(path("a/b/c")));
    EXPECT_TRUE(ensure(" \t" + path("p/q/") + "\r\n"));
    EXPECT_TRUE(isDirectory(path("p/q")));
    EXPECT_TRUE(ensure(path("日本/Ωμέγα")));
    EXPECT_TRUE(isDirectory(path("日本/Ωμέγα")));
    EXPECT_TRUE(ensure(""));
    EXPECT_TRUE(ensure("  \t "));
    EXPECT_TRUE(FileSys::ensureDirectoryExists(nullptr, &log));
}

TEST_F(DirectoryOpsTest, EnsureStopsAtAFileInTheWay) {
    std::filesystem::create_directory(fsPath(path("a")));
    writeFile(path("a/file"), "data");
    EXPECT_FALSE(ensure(path("a/file/c/d")));
    std::string partial = backslashed(path("a/file/c"));
    EXPECT_EQ((Lines{errorMsg(ERROR_PATH_NOT_FOUND), errorMsg(ERROR_PATH_NOT_FOUND),
                     "error:Cannot ensure directory existence", "data:path=" + partial}),
              log.lines);
    EXPECT_EQ("data", readFile(path("a/file")));
}

TEST_F(DirectoryOpsTest, EnsureOnAMissingDriveNamesThePath) {
    // No drive Q: exists under Wine or on POSIX.
    EXPECT_FALSE(ensure("Q:\\x"));
    ASSERT_EQ(3u, log.lines.size());
    EXPECT_EQ("data:errorMsg=", lineAt(log.lines, 0).substr(0, 14));
    EXPECT_EQ((Lines{"error:Cannot ensure directory existence", "data:path=Q:\\x"}),
              Lines(log.lines.begin() + 1, log.lines.end()));

    log.clear();
    EXPECT_FALSE(ensure("Q:/x/y"));
    EXPECT_EQ("data:path=Q:\\x", lineAt(log.lines, -1));
}

TEST_F(DirectoryOpsTest, EnsureNeverCreatesTheServerOrTheShare) {
    // Nothing here reaches a network: attribute reads report missing paths and the
    // first two directory creations are refused.
    for (const char *unc :
         {"\\\\srv\\share\\x\\y", "//srv/share/x/y", "\\\\?\\UNC\\srv\\share\\x\\y"}) {
        txhooks::resetAll();
        log.clear();
        txhooks::failNextCalls(txhooks::Call::GetFileAttributes, ERROR_PATH_NOT_FOUND, 100);
        txhooks::failNextCalls(txhooks::Call::CreateDirectory, ERROR_ACCESS_DENIED, 2);
        txhooks::startCounting();
        EXPECT_FALSE(ensure(unc));
        EXPECT_EQ(2u, txhooks::counters().callsOf(txhooks::Call::CreateDirectory)) << unc;
        std::string firstLevel = backslashed(unc);
        firstLevel.resize(firstLevel.size() - 2);
        EXPECT_EQ("data:path=" + firstLevel, lineAt(log.lines, -1)) << unc;
    }
    // A share with nothing below it is created as a whole, once more.
    txhooks::resetAll();
    log.clear();
    txhooks::failNextCalls(txhooks::Call::GetFileAttributes, ERROR_PATH_NOT_FOUND, 100);
    txhooks::failNextCalls(txhooks::Call::CreateDirectory, ERROR_ACCESS_DENIED, 2);
    EXPECT_FALSE(ensure("\\\\srv\\share"));
    EXPECT_EQ((Lines{errorMsg(ERROR_ACCESS_DENIED), errorMsg(ERROR_ACCESS_DENIED)}), log.lines);
}

TEST_F(DirectoryOpsTest, EnsureParentCreatesTheDirectoryPartOnly) {
    StringBuffer work;
    EXPECT_FALSE(FileSys::ensureParentDirectoryExists(nullptr, work, &log));
    EXPECT_EQ((Lines{"error:No filePath"}), log.lines);

    log.clear();
    txhooks::startCounting();
    EXPECT_TRUE(FileSys::ensureParentDirectoryExists("x.txt", work, &log));
    EXPECT_TRUE(FileSys::ensureParentDirectoryExists("\\x.txt", work, &log));
    EXPECT_TRUE(FileSys::ensureParentDirectoryExists("/x.txt", work, &log));
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::CreateDirectory));
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::GetFileAttributes));
    EXPECT_EQ("\\x.txt", std::string(work.getString()));

    std::string file = path("p/q/file.txt");
    EXPECT_TRUE(FileSys::ensureParentDirectoryExists((" " + file).c_str(), work, &log));
    EXPECT_TRUE(isDirectory(path("p/q")));
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(backslashed(file), std::string(work.getString()));
}

TEST_F(DirectoryOpsTest, RemoveDirectoryTakesOnlyEmptyDirectories) {
    std::filesystem::create_directories(fsPath(path("full/inner")));
    std::filesystem::create_directory(fsPath(path("empty")));
    EXPECT_TRUE(FileSys::removeDirectory(X(path("empty")), &log));
    EXPECT_FALSE(exists(path("empty")));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::removeDirectory(X(path("full")), &log));
    EXPECT_TRUE(isDirectory(path("full/inner")));
    EXPECT_EQ(
        (Lines{"data:WindowsError=" + osText(ERROR_DIR_NOT_EMPTY), "data:WindowsErrorCode=0x91"}),
        log.lines);

    log.clear();
    EXPECT_FALSE(FileSys::removeDirectory(X(path("missing")), &log));
    EXPECT_EQ("data:WindowsErrorCode=0x2", lineAt(log.lines, -1));

    log.clear();
    writeFile(path("file"), "f");
    EXPECT_FALSE(FileSys::removeDirectory(X(path("file")), &log));
    EXPECT_EQ("data:WindowsErrorCode=0x10b", lineAt(log.lines, -1));
    EXPECT_EQ("f", readFile(path("file")));
}

TEST_F(DirectoryOpsTest, DeleteTreeContentsEmptiesButKeepsTheDirectory) {
    std::string root = path("tree");
    std::filesystem::create_directories(fsPath(root + "/a/b/c"));
    std::filesystem::create_directories(fsPath(root + "/d"));
    writeFile(root + "/top.txt", "1");
    writeFile(root + "/a/mid.txt", "2");
    writeFile(root + "/a/b/c/deep.txt", "3");
    writeFile(root + "/d/.hidden", "4");
    FileSys::deleteTreeContents(root.c_str(), &log);
    EXPECT_TRUE(isDirectory(root));
    EXPECT_TRUE(std::filesystem::is_empty(fsPath(root)));
    EXPECT_TRUE(log.lines.empty());

    // A trailing separator changes nothing.
    std::filesystem::create_directories(fsPath(root + "/x"));
    FileSys::deleteTreeContents((backslashed(root) + "\\").c_str(), &log);
    EXPECT_TRUE(std::filesystem::is_empty(fsPath(root)));
}

#ifndef _WIN32
// Symbolic links need privileges on Windows; natively they are ordinary.
TEST_F(DirectoryOpsTest, DeleteTreeContentsRemovesLinksWithoutEmptyingTheirTargets) {
    std::string root = path("tree");
    std::string outside = path("outside");
    std::filesystem::create_directories(fsPath(root));
    std::filesystem::create_directories(fsPath(outside + "/inner"));
    writeFile(outside + "/inner/precious.txt", "p");
    writeFile(outside + "/file.txt", "f");
    std::filesystem::create_directory_symlink(fsPath(outside), fsPath(root + "/dirlink"));
    std::filesystem::create_symlink(fsPath(outside + "/file.txt"), fsPath(root + "/filelink"));
    FileSys::deleteTreeContents(root.c_str(), &log);
    EXPECT_TRUE(std::filesystem::is_empty(fsPath(root)));
    EXPECT_EQ("p", readFile(outside + "/inner/precious.txt"));
    EXPECT_EQ("f", readFile(outside + "/file.txt"));
}
#endif

TEST_F(DirectoryOpsTest, DeleteTreeContentsRefusesWildcards) {
    std::string root = path("tree");
    std::filesystem::create_directories(fsPath(root));
    writeFile(root + "/keep.txt", "k");
    FileSys::deleteTreeContents((root + "/*").c_str(), &log);
    FileSys::deleteTreeContents((backslashed(root) + "\\*.txt\\").c_str(), &log);
    EXPECT_EQ((Lines{"error:Cannot use wildcards when deleting a directory tree.",
                     "error:Cannot use wildcards when deleting a directory tree."}),
              log.lines);
    EXPECT_EQ("k", readFile(root + "/keep.txt"));
}

TEST_F(DirectoryOpsTest, DeleteTreeContentsLeavesReadOnlyFilesAndTheirParents) {
    std::string root = path("tree");
    std::filesystem::create_directories(fsPath(root + "/keep/inner"));
    std::filesystem::create_directories(fsPath(root + "/gone"));
    writeFile(root + "/keep/inner/ro.txt", "ro");
    writeFile(root + "/keep/inner/rw.txt", "rw");
    writeFile(root + "/gone/x.txt", "x");
    writeFile(root + "/top.txt", "t");
    makeReadOnly(root + "/keep/inner/ro.txt", true);
    FileSys::deleteTreeContents(root.c_str(), &log);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ("ro", readFile(root + "/keep/inner/ro.txt"));
    EXPECT_FALSE(exists(root + "/keep/inner/rw.txt"));
    EXPECT_FALSE(exists(root + "/gone"));
    EXPECT_FALSE(exists(root + "/top.txt"));
    makeReadOnly(root + "/keep/inner/ro.txt", false);
}

TEST_F(DirectoryOpsTest, DeleteTreeContentsOfWhatIsNoDirectoryDoesNothing) {
    writeFile(path("file.txt"), "f");
    FileSys::deleteTreeContents(path("file.txt").c_str(), &log);
    FileSys::deleteTreeContents(path("missing").c_str(), &log);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ("f", readFile(path("file.txt")));
}

TEST_F(DirectoryOpsTest, DeleteTreeContentsOfAnEmptyPathListsNothing) {
    // An empty path must not become the root of the drive. Should it ever be listed,
    // the listing fails here instead of reaching the system.
    txhooks::failNextCalls(txhooks::Call::FindFirstFile, ERROR_ACCESS_DENIED, 10);
    txhooks::startCounting();
    FileSys::deleteTreeContents("", &log);
    FileSys::deleteTreeContents(nullptr, &log);
    EXPECT_EQ(0u, txhooks::counters().callsOf(txhooks::Call::FindFirstFile));
    EXPECT_TRUE(log.lines.empty());
}

} // namespace
