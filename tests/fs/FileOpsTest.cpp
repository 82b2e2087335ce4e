// Single files (attributes, existence, size, delete, rename, copy, whole-file writes) and
// directories (one level, whole paths, removal, emptying trees).
#include "tests/fs/FsTestSupport.h"

#include "core/DataBuffer.h"

using namespace fstest;

namespace {

std::string errorMsg(DWORD code) {
    return "data:errorMsg=" + osText(code);
}

const std::string cannotEnsure = "error:Cannot ensure directory existence";

class FileOpsTest : public FsTest {
protected:
    bool ensure(const std::string &p) { return FileSys::ensureDirectoryExists(p.c_str(), &log); }
    bool isDirectory(const std::string &name) {
        return std::filesystem::is_directory(fsPath(path(name)));
    }
};

TEST_F(FileOpsTest, OnlyNotFoundCountsAsAbsentAndSizesCloseTheFile) {
    makeTree({"f.txt", "d/", "_aux.txt"});
    const std::string f = path("f.txt");
    const DWORD noDrive = runningUnderWine() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    // clang-format off
    const struct { std::string path; DWORD error; bool injected, exists; } rows[] = {
        {f, 0, false, true}, {path("d"), 0, false, true},
        {path("none.txt"), ERROR_FILE_NOT_FOUND, false, false},
        {path("no/x"), ERROR_PATH_NOT_FOUND, false, false},
        // A wildcard is an invalid name, not a missing file. No drive Q: exists under
        // Wine or on POSIX; Wine reports FILE_NOT_FOUND for it.
        {path("*.txt"), ERROR_INVALID_NAME, false, true},
        {"Q:\\x", noDrive, false, false}, {f, ERROR_NOT_READY, true, false},
        // Access denied, a sharing violation or a bad network path: something is there.
        {f, ERROR_SHARING_VIOLATION, true, true}, {f, ERROR_BAD_NETPATH, true, true}};
    // clang-format on
    for (const auto &row : rows) {
        if (row.injected) txhooks::failNextCalls(Call::GetFileAttributes, row.error, 2);
        DWORD attributes = 0, error = 99;
        EXPECT_EQ(row.error == 0, FileSys::GetAttributes(X(row.path), attributes, error, &log));
        EXPECT_EQ(row.error, error) << row.path;
        EXPECT_EQ(row.path == path("d"), !error && (attributes & FILE_ATTRIBUTE_DIRECTORY));
        EXPECT_EQ(row.exists, FileSys::fileExistsUtf8(row.path.c_str(), &log)) << row.path;
        EXPECT_EQ(row.exists ? Lines{} : Lines{windowsError(row.error)}, log.lines);
        log.lines.clear();
    }
    DWORD attributes = 0, error = 99;
    EXPECT_FALSE(FileSys::GetAttributes(X(""), attributes, error, &log) || error);
    EXPECT_FALSE(FileSys::fileExists(X(""), &log));
    EXPECT_EQ((Lines{"error:GetAttributes: filename is empty"}), log.lines);
    // Attributes are set on the name an open for writing would use.
    EXPECT_TRUE(FileSys::setFileAttributes(X(path("aux.txt")), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(isReadOnly(path("_aux.txt")));
    // The 32-bit size is 0 and no success on any failure, and the file is closed.
    writeFile(path("empty.bin"), "");
    bool ok[4] = {};
    txhooks::failCallsAfter(Call::GetFileSize, 2, ERROR_INVALID_FUNCTION, 1);
    // clang-format off
    Results sizes{FileSys::fileSize32(X(f), &log, ok[0]), FileSys::fileSize32(X(path("empty.bin")), &log, ok[1]),
                  FileSys::fileSize32(X(f), &log, ok[2]), FileSys::fileSize32(X(path("none")), nullptr, ok[3]),
                  ok[0], ok[1], ok[2], ok[3]};
    EXPECT_EQ((Results{5, 0, 0, 0, true, true, false, false}), sizes);
    EXPECT_EQ((Lines{"error:" + osText(ERROR_INVALID_FUNCTION), "error:Failed to get file size (32)"}), log.last(2));
    // clang-format on
    EXPECT_TRUE(nobodyHoldsOpen(f));
}

TEST_F(FileOpsTest, DeleteSucceedsOnMissingFilesRenameNeverReplacesCopyOnlyWhenAllowed) {
    makeTree({"f.txt", "ro.txt", "d/"});
    ASSERT_TRUE(FileSys::setFileAttributes(X(path("ro.txt")), FILE_ATTRIBUTE_READONLY));
    const std::string plainLimit = path("") + std::string(260 - path("").size(), 'm');
    // error: 0 for no entries.
    // clang-format off
    const struct { std::string path; bool deleted; DWORD error; } rows[] = {
        {path("f.txt"), true, 0}, {path("f.txt"), true, ERROR_FILE_NOT_FOUND},
        {path("none/f.txt"), false, ERROR_PATH_NOT_FOUND}, {path("ro.txt"), false, ERROR_ACCESS_DENIED},
        {path("d"), false, ERROR_ACCESS_DENIED}, {plainLimit, true, ERROR_FILE_NOT_FOUND}, {plainLimit + "m", true, 0}};
    for (const auto &row : rows) {
        log.lines.clear();
        EXPECT_EQ(row.deleted, FileSys::deleteFileUtf8(row.path.c_str(), &log)) << row.path;
        Lines entries{windowsError(row.error), "data:failedToDeleteFilepath=" + backslashed(row.path)};
        EXPECT_EQ(row.error ? entries : Lines{}, log.lines) << row.path;
    }
    // clang-format on
    EXPECT_TRUE(readFile(path("ro.txt")) == "ro.txt" && isDirectory("d"));

    log.lines.clear();
    makeTree({"a.txt", "b.txt", "sub/"});
    X a(path("a.txt")), b(path("b.txt")), moved(path("sub/Ωμέγα.txt")), none(path("none.txt"));
    Results results{FileSys::renameFile(a, moved, &log),
                    FileSys::renameFile(moved, b, &log),
                    FileSys::renameFile(none, X(path("d.txt")), &log),
                    FileSys::copyFile(moved, b, true),
                    FileSys::copyFile(moved, X(path("日本.txt")), true),
                    FileSys::copyFile(none, X(path("c.txt")), false)};
    EXPECT_EQ((Results{true, false, false, false, true, false}), results);
    EXPECT_EQ((Lines{windowsError(ERROR_ALREADY_EXISTS), "data:WindowsErrorCode=0xb7",
                     windowsError(ERROR_FILE_NOT_FOUND), "data:WindowsErrorCode=0x2"}),
              log.lines);
    // clang-format off
    EXPECT_EQ((Lines{"<missing>", "b.txt", "a.txt", "<missing>"}), (Lines{readFile(path("a.txt")),
              readFile(path("b.txt")), readFile(path("日本.txt")), readFile(path("c.txt"))}));
    // clang-format on
    EXPECT_TRUE(FileSys::copyFile(moved, b, false) && readFile(path("b.txt")) == "a.txt");
}

TEST_F(FileOpsTest, WriteEntireFileTruncatesEvenReadOnlyFilesAndNamesTheFileOnFailure) {
    DataBuffer data;
    data.append("buffer", 6);
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), "first version", 13, &log));
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), data, &log));
    EXPECT_EQ("buffer", readFile(path("w.txt")));
    EXPECT_TRUE(FileSys::writeEntireFileAnsi(path("w.txt").c_str(), nullptr, 0, &log));
    EXPECT_EQ("", readFile(path("w.txt")));
    ASSERT_TRUE(FileSys::setFileAttributes(X(path("w.txt")), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileSys::writeEntireFileUtf8(path("w.txt").c_str(), "over", 4, nullptr));
    EXPECT_EQ("over", readFile(path("w.txt")));
    EXPECT_EQ(6u, log.lines.size());
    // Only data needs an open handle.
    TarnixHandle handle;
    log.lines.clear();
    EXPECT_TRUE(FileSys::writeToOpenHandle(handle, nullptr, 5, &log) &&
                FileSys::writeToOpenHandle(handle, "x", 0, &log));
    EXPECT_FALSE(FileSys::writeToOpenHandle(handle, "x", 1, &log));
    EXPECT_FALSE(FileSys::writeEntireFile(X(""), "x", 1, &log));
    EXPECT_EQ((Lines{"error:File not open"}), log.lines);

    makeTree({"d/"});
    std::string content = patternBytes(12000000);
    txhooks::setWriteLimit(11000000);
    for (const std::string &refused : {path("d"), path("none/x.txt"), path("full.bin")}) {
        EXPECT_FALSE(FileSys::writeEntireFile(X(refused), content.data(), 12000000, &log));
        std::string failed = refused == path("full.bin") ? "file (1)" : "file (7)";
        EXPECT_EQ((Lines{"data:filename=" + refused, "error:Failed to write complete " + failed}),
                  log.last(2));
    }
    txhooks::clearWriteLimit();
    EXPECT_TRUE(isDirectory("d"));
    EXPECT_EQ(content.substr(0, 11000000), readFile(path("full.bin")));
    EXPECT_TRUE(nobodyHoldsOpen(path("full.bin")));
}

TEST_F(FileOpsTest, DirectoriesAreCreatedOneLevelAtATimeBelowTheDriveOrShare) {
    makeTree({"file"});
    EXPECT_TRUE(FileSys::createDirectory(X(path("Ωμέγα")), &log) && isDirectory("Ωμέγα"));
    EXPECT_FALSE(FileSys::createDirectory(X(path("Ωμέγα")), &log));
    EXPECT_FALSE(FileSys::createDirectory(X(path("x/y")), &log));
    // clang-format off
    const struct { std::string path; bool result, created; } rows[] = {
        {"", true, false},          {".", true, false},          {path("new"), true, true},
        {path("new"), true, false}, {path("file"), true, false}, {path("a/b"), false, false}};
    // clang-format on
    for (const auto &row : rows) {
        bool created = !row.created;
        EXPECT_EQ(row.result, FileSys::createDirectoryIfMissing(row.path.c_str(), created, &log));
        EXPECT_EQ(row.created, created) << row.path;
    }
    const std::string notFound = errorMsg(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ((Lines{errorMsg(ERROR_ALREADY_EXISTS), notFound, notFound}), log.lines);

    rearm();
    EXPECT_TRUE(ensure(path("a/b/c")));
    // The whole path first (refused), then a, b and c; an existing level is only tested.
    EXPECT_EQ(4, callsOf(Call::CreateDirectory));
    for (const std::string &p : {path("a/b/c"), " \t" + path("p/q/") + "\r\n", path("日本/Ωμέγα"),
                                 std::string(), std::string("  \t ")})
        EXPECT_TRUE(ensure(p)) << p;
    EXPECT_TRUE(FileSys::ensureDirectoryExists(nullptr, &log));
    EXPECT_TRUE(isDirectory("a/b/c") && isDirectory("p/q") && isDirectory("日本/Ωμέγα"));
    EXPECT_FALSE(ensure(path("file/c/d")));
    EXPECT_EQ((Lines{notFound, notFound, cannotEnsure, "data:path=" + backslashed(path("file/c"))}),
              log.last(4));
    // No drive Q: exists under Wine or on POSIX; the error text differs.
    EXPECT_FALSE(ensure("Q:/x"));
    EXPECT_EQ((Lines{cannotEnsure, "data:path=Q:\\x"}), log.last(2));

    StringBuffer work;
    EXPECT_FALSE(FileSys::ensureParentDirectoryExists(nullptr, work, &log));
    EXPECT_EQ("error:No filePath", log.lines.back());
    rearm();
    for (const char *noParent : {"x.txt", "/x.txt", "\\x.txt"})
        EXPECT_TRUE(FileSys::ensureParentDirectoryExists(noParent, work, &log)) << noParent;
    EXPECT_EQ(0, callsOf(Call::CreateDirectory) + callsOf(Call::GetFileAttributes));
    std::string file = path("r/s/t.txt");
    EXPECT_TRUE(FileSys::ensureParentDirectoryExists((" " + file).c_str(), work, &log));
    EXPECT_TRUE(isDirectory("r/s") && readFile(file) == "<missing>");
    EXPECT_EQ(backslashed(file), std::string(work.getString()));

    // Nothing here reaches a network: attribute reads report missing paths and the
    // first two directory creations are refused. A share with nothing below it is tried
    // as a whole, once more.
    // clang-format off
    const std::pair<const char *, std::string> shares[] = {
        {"\\\\srv\\share\\x\\y", "\\\\srv\\share\\x"}, {"//srv/share/x/y", "\\\\srv\\share\\x"},
        {"\\\\?\\UNC\\srv\\share\\x\\y", "\\\\?\\UNC\\srv\\share\\x"}, {"\\\\srv\\share", ""}};
    // clang-format on
    for (const auto &row : shares) {
        rearm(Call::CreateDirectory, ERROR_ACCESS_DENIED, 2);
        txhooks::failNextCalls(Call::GetFileAttributes, ERROR_PATH_NOT_FOUND, 100);
        EXPECT_FALSE(ensure(row.first));
        EXPECT_EQ(2, callsOf(Call::CreateDirectory)) << row.first;
        Lines expected{errorMsg(ERROR_ACCESS_DENIED), errorMsg(ERROR_ACCESS_DENIED), cannotEnsure,
                       "data:path=" + row.second};
        expected.resize(row.second.empty() ? 2 : 4);
        EXPECT_EQ(expected, log.lines) << row.first;
    }
}

TEST_F(FileOpsTest, RemovingTakesOnlyEmptyDirectoriesAndEmptyingATreeWhatItCan) {
    makeTree({"full/inner/", "empty/", "file"});
    // clang-format off
    const struct { const char *name; DWORD error; const char *code; } rows[] = {
        {"empty", 0, ""}, {"full", ERROR_DIR_NOT_EMPTY, "0x91"},
        {"file", ERROR_DIRECTORY, "0x10b"}};
    // clang-format on
    for (const auto &row : rows) {
        log.lines.clear();
        EXPECT_EQ(row.error == 0, FileSys::removeDirectory(X(path(row.name)), &log));
        Lines entries{windowsError(row.error), "data:WindowsErrorCode=" + std::string(row.code)};
        EXPECT_EQ(row.error ? entries : Lines{}, log.lines) << row.name;
    }
    EXPECT_TRUE(!isDirectory("empty") && isDirectory("full/inner") && readFile(path("file")) != "");

    log.lines.clear();
    std::string root = path("tree"), readOnly = root + "/keep/inner/ro.txt";
    makeTree({"tree/top.txt", "tree/a/mid.txt", "tree/a/b/c/deep.txt", "tree/a/.hidden",
              "tree/keep/inner/rw.txt", "tree/keep/inner/ro.txt"});
    ASSERT_TRUE(FileSys::setFileAttributes(X(readOnly), FILE_ATTRIBUTE_READONLY));
    // A trailing separator changes nothing.
    FileSys::deleteTreeContents((backslashed(root) + "\\").c_str(), &log);
    // The read-only file stays, and with it the directories above it.
    Lines left;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(fsPath(root)))
        left.push_back(entry.path().lexically_relative(fsPath(root)).generic_string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((Lines{"keep", "keep/inner", "keep/inner/ro.txt"}), left);

    // Wildcards are refused; a file, a missing directory or an empty path is left alone.
    FileSys::deleteTreeContents((root + "/*").c_str(), &log);
    FileSys::deleteTreeContents((backslashed(root) + "\\*.txt\\").c_str(), &log);
    FileSys::deleteTreeContents(readOnly.c_str(), &log);
    FileSys::deleteTreeContents(path("missing").c_str(), &log);
    // An empty path would be the root of the drive: were it listed, the listing would
    // fail here rather than reach the system.
    txhooks::failNextCalls(Call::FindFirstFile, ERROR_ACCESS_DENIED, 10);
    txhooks::startCounting();
    FileSys::deleteTreeContents("", &log);
    FileSys::deleteTreeContents(nullptr, &log);
    EXPECT_EQ(0, callsOf(Call::FindFirstFile));
    const std::string wildcards = "error:Cannot use wildcards when deleting a directory tree.";
    EXPECT_EQ((Lines{wildcards, wildcards}), log.lines);
    EXPECT_EQ("tree/keep/inner/ro.txt", readFile(readOnly));
}

#ifndef _WIN32
// Symbolic links need privileges on Windows; natively they are ordinary.
TEST_F(FileOpsTest, DeleteTreeContentsRemovesLinksWithoutEmptyingTheirTargets) {
    makeTree({"tree/", "outside/inner/precious.txt", "outside/file.txt"});
    std::string root = path("tree"), outside = path("outside");
    std::filesystem::create_directory_symlink(fsPath(outside), fsPath(root + "/dirlink"));
    std::filesystem::create_symlink(fsPath(outside + "/file.txt"), fsPath(root + "/filelink"));
    FileSys::deleteTreeContents(root.c_str(), &log);
    EXPECT_TRUE(std::filesystem::is_empty(fsPath(root)));
    EXPECT_EQ("outside/inner/precious.txt", readFile(outside + "/inner/precious.txt"));
    EXPECT_EQ("outside/file.txt", readFile(outside + "/file.txt"));
}
#endif

} // namespace
