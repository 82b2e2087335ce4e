// Attributes, existence, size, delete, rename, copy, current directory and whole-file
// writes.
#include "tests/fs/FsTestSupport.h"

#include "core/DataBuffer.h"

#include <memory>
#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

class FileOpsTest : public FsTest {};

TEST_F(FileOpsTest, AttributesTellFilesFromDirectories) {
    writeFile(path("f.txt"), "x");
    std::filesystem::create_directory(fsPath(path("d")));
    DWORD attributes = 0, error = 99;
    ASSERT_TRUE(FileSys::GetAttributes(X(path("f.txt")), attributes, error, &log));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(FileSys::GetAttributes(X(path("d")), attributes, error, &log));
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::GetAttributes(X(path("none.txt")), attributes, error, &log));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_FALSE(FileSys::GetAttributes(X(path("none/x.txt")), attributes, error, &log));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error);
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::GetAttributes(X(""), attributes, error, &log));
    EXPECT_EQ(0u, error);
    EXPECT_EQ((Lines{"error:GetAttributes: filename is empty"}), log.lines);
}

TEST_F(FileOpsTest, SetFileAttributesPassesTheValueAndSubstitutesTheName) {
    writeFile(path("f.txt"), "x");
    ASSERT_NO_FATAL_FAILURE(makeReadOnly(path("f.txt"), true));
    EXPECT_TRUE(isReadOnly(path("f.txt")));
    ASSERT_NO_FATAL_FAILURE(makeReadOnly(path("f.txt"), false));
    EXPECT_FALSE(isReadOnly(path("f.txt")));
    // The device name gets its underscore as when the file was opened for writing.
    writeFile(path("_aux.txt"), "x");
    EXPECT_TRUE(FileSys::setFileAttributes(X(path("aux.txt")), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(isReadOnly(path("_aux.txt")));
    makeReadOnly(path("_aux.txt"), false);
    EXPECT_FALSE(FileSys::setFileAttributes(X(path("missing.txt")), FILE_ATTRIBUTE_NORMAL));
}

TEST_F(FileOpsTest, OnlyNotFoundCountsAsAbsent) {
    writeFile(path("f.txt"), "x");
    std::filesystem::create_directory(fsPath(path("d")));
    EXPECT_TRUE(FileSys::fileExists(X(path("f.txt")), &log));
    EXPECT_TRUE(FileSys::fileExists(X(path("d")), &log));
    EXPECT_TRUE(FileSys::fileExistsUtf8(path("d").c_str(), &log));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::fileExists(X(path("none.txt")), &log));
    EXPECT_FALSE(FileSys::fileExists(X(path("none/x.txt")), &log));
    EXPECT_FALSE(FileSys::fileExists(X(""), &log));
    EXPECT_EQ((Lines{"data:WindowsError=" + osText(ERROR_FILE_NOT_FOUND),
                     "data:WindowsError=" + osText(ERROR_PATH_NOT_FOUND)}),
              log.lines);

    log.clear();
    txhooks::failNextCalls(txhooks::Call::GetFileAttributes, ERROR_NOT_READY, 1);
    EXPECT_FALSE(FileSys::fileExists(X(path("f.txt")), &log));
    EXPECT_EQ((Lines{"data:WindowsError=" + osText(ERROR_NOT_READY)}), log.lines);

    // Access denied, a sharing violation or a bad network path: something is there.
    log.clear();
    for (DWORD error : {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_BAD_NETPATH}) {
        txhooks::failNextCalls(txhooks::Call::GetFileAttributes, error, 1);
        EXPECT_TRUE(FileSys::fileExists(X(path("none.txt")), &log)) << error;
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(FileOpsTest, FileExistsOnNamesWindowsRefuses) {
    // A wildcard is an invalid name, not a missing file, so it counts as present.
    EXPECT_TRUE(FileSys::fileExists(X(path("*.txt")), &log));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(FileSys::fileExists(X("Q:\\x.txt"), &log));
    EXPECT_EQ(1u, log.lines.size());
}

TEST_F(FileOpsTest, FileSize32ReportsSizeAndSuccess) {
    writeFile(path("f.bin"), patternBytes(12345));
    writeFile(path("empty.bin"), "");
    bool success = false;
    EXPECT_EQ(12345, FileSys::fileSize32(X(path("f.bin")), &log, success));
    EXPECT_TRUE(success);
    EXPECT_EQ(0, FileSys::fileSize32(X(path("empty.bin")), &log, success));
    EXPECT_TRUE(success);
    EXPECT_EQ((Lines{"enter:openForReadWin32", "leave", "enter:openForReadWin32", "leave"}),
              log.lines);
    EXPECT_TRUE(nobodyHoldsOpen(path("f.bin")));

    log.clear();
    EXPECT_EQ(0, FileSys::fileSize32(X(path("none.bin")), &log, success));
    EXPECT_FALSE(success);
    EXPECT_EQ("data:osErrorInfo=" + osText(ERROR_FILE_NOT_FOUND), lineAt(log.lines, 4));

    log.clear();
    txhooks::failNextCalls(txhooks::Call::GetFileSize, ERROR_INVALID_FUNCTION, 1);
    EXPECT_EQ(0, FileSys::fileSize32(X(path("f.bin")), &log, success));
    EXPECT_FALSE(success);
    EXPECT_EQ((Lines{"enter:openForReadWin32", "leave", "error:" + osText(ERROR_INVALID_FUNCTION),
                     "error:Failed to get file size (32)"}),
              log.lines);
    EXPECT_TRUE(nobodyHoldsOpen(path("f.bin")));
}

TEST_F(FileOpsTest, DeletingAMissingFileSucceedsButSaysSo) {
    writeFile(path("f.txt"), "x");
    EXPECT_TRUE(FileSys::deleteFile(X(path("f.txt")), &log));
    EXPECT_FALSE(exists(path("f.txt")));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_TRUE(FileSys::deleteFile(X(path("f.txt")), &log));
    EXPECT_EQ((Lines{"data:WindowsError=" + osText(ERROR_FILE_NOT_FOUND),
                     "data:failedToDeleteFilepath=" + backslashed(path("f.txt"))}),
              log.lines);

    log.clear();
    EXPECT_FALSE(FileSys::deleteFile(X(path("none/f.txt")), &log));
    EXPECT_EQ((Lines{"data:WindowsError=" + osText(ERROR_PATH_NOT_FOUND),
                     "data:failedToDeleteFilepath=" + backslashed(path("none/f.txt"))}),
              log.lines);
}

TEST_F(FileOpsTest, ReadOnlyFilesAndDirectoriesAreNotDeleted) {
    writeFile(path("ro.txt"), "keep");
    makeReadOnly(path("ro.txt"), true);
    EXPECT_FALSE(FileSys::deleteFile(X(path("ro.txt")), &log));
    EXPECT_EQ("data:WindowsError=" + osText(ERROR_ACCESS_DENIED), lineAt(log.lines, 0));
    EXPECT_EQ("keep", readFile(path("ro.txt")));
    makeReadOnly(path("ro.txt"), false);

    std::filesystem::create_directory(fsPath(path("d")));
    EXPECT_FALSE(FileSys::deleteFileUtf8(path("d").c_str(), nullptr));
    EXPECT_TRUE(isDirectory(path("d")));
}

TEST_F(FileOpsTest, LongPathsAreDeletedThroughTheLongForm) {
    std::string deep = path(std::string(150, 'd') + "/" + std::string(150, 'e'));
    ASSERT_TRUE(FileSys::ensureDirectoryExists(deep.c_str(), nullptr));
    std::string file = deep + "/f.txt";
    ASSERT_TRUE(FileSys::writeEntireFileUtf8(file.c_str(), "x", 1, nullptr));
    ASSERT_TRUE(FileSys::fileExistsUtf8(file.c_str(), nullptr));
    EXPECT_TRUE(FileSys::deleteFile(X(file), &log));
    EXPECT_FALSE(FileSys::fileExistsUtf8(file.c_str(), nullptr));
    // A missing long path is success too, and this branch writes nothing.
    EXPECT_TRUE(FileSys::deleteFile(X(file), &log));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(FileOpsTest, RenameMovesButNeverReplaces) {
    writeFile(path("a.txt"), "A");
    writeFile(path("b.txt"), "B");
    EXPECT_TRUE(FileSys::renameFile(X(path("a.txt")), X(path("c.txt")), &log));
    EXPECT_EQ("A", readFile(path("c.txt")));
    EXPECT_FALSE(exists(path("a.txt")));
    EXPECT_TRUE(log.lines.empty());

    EXPECT_FALSE(FileSys::renameFile(X(path("c.txt")), X(path("b.txt")), &log));
    EXPECT_EQ(
        (Lines{"data:WindowsError=" + osText(ERROR_ALREADY_EXISTS), "data:WindowsErrorCode=0xb7"}),
        log.lines);
    EXPECT_EQ("A", readFile(path("c.txt")));
    EXPECT_EQ("B", readFile(path("b.txt")));

    log.clear();
    EXPECT_FALSE(FileSys::renameFile(X(path("none.txt")), X(path("d.txt")), &log));
    EXPECT_EQ(
        (Lines{"data:WindowsError=" + osText(ERROR_FILE_NOT_FOUND), "data:WindowsErrorCode=0x2"}),
        log.lines);

    std::filesystem::create_directory(fsPath(path("sub")));
    EXPECT_TRUE(FileSys::renameFile(X(path("c.txt")), X(path("sub/Ωμέγα.txt")), nullptr));
    EXPECT_EQ("A", readFile(path("sub/Ωμέγα.txt")));
}

TEST_F(FileOpsTest, CopyOverwritesOnlyWhenAllowed) {
    writeFile(path("a.txt"), "A");
    writeFile(path("b.txt"), "B");
    EXPECT_FALSE(FileSys::copyFile(X(path("a.txt")), X(path("b.txt")), true));
    EXPECT_EQ("B", readFile(path("b.txt")));
    EXPECT_TRUE(FileSys::copyFile(X(path("a.txt")), X(path("b.txt")), false));
    EXPECT_EQ("A", readFile(path("b.txt")));
    EXPECT_EQ("A", readFile(path("a.txt")));
    EXPECT_TRUE(FileSys::copyFile(X(path("a.txt")), X(path("日本.txt")), true));
    EXPECT_EQ("A", readFile(path("日本.txt")));
    EXPECT_FALSE(FileSys::copyFile(X(path("none.txt")), X(path("c.txt")), false));
    EXPECT_FALSE(exists(path("c.txt")));
}

TEST_F(FileOpsTest, TheCurrentDirectoryIsSetAndReadBack) {
    CurrentDirectoryGuard restore;
    std::filesystem::create_directory(fsPath(path("Ωsub")));
    ASSERT_TRUE(FileSys::setCurrentDirectory(X(path("Ωsub"))));
    XString current;
    FileSys::getCurrentDirectory(current);
    EXPECT_EQ(backslashed(path("Ωsub")), utf8(current));
    // Relative names now land there.
    ASSERT_TRUE(FileSys::writeEntireFile(X("rel.txt"), "r", 1, nullptr));
    EXPECT_EQ("r", readFile(path("Ωsub/rel.txt")));

    EXPECT_FALSE(FileSys::setCurrentDirectory(X(path("missing"))));
    writeFile(path("file.txt"), "f");
    EXPECT_FALSE(FileSys::setCurrentDirectory(X(path("file.txt"))));
    EXPECT_FALSE(FileSys::setCurrentDirectory(X("")));
    FileSys::getCurrentDirectory(current);
    EXPECT_EQ(backslashed(path("Ωsub")), utf8(current));
}

TEST_F(FileOpsTest, WriteEntireFileCreatesTruncatesAndWritesEmptyBlocks) {
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), "first version", 13, &log));
    EXPECT_EQ("first version", readFile(path("w.txt")));
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), "second", 6, &log));
    EXPECT_EQ("second", readFile(path("w.txt")));
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), nullptr, 0, &log));
    EXPECT_EQ("", readFile(path("w.txt")));
    DataBuffer data;
    data.append("buffer", 6);
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), data, &log));
    EXPECT_EQ("buffer", readFile(path("w.txt")));
    EXPECT_TRUE(FileSys::writeEntireFileAnsi(path("ansi.txt").c_str(), "a", 1, &log));
    EXPECT_EQ("a", readFile(path("ansi.txt")));
    EXPECT_TRUE(nobodyHoldsOpen(path("w.txt")));
    EXPECT_EQ(5u * 2, log.lines.size());

    makeReadOnly(path("w.txt"), true);
    EXPECT_TRUE(FileSys::writeEntireFile(X(path("w.txt")), "over", 4, nullptr));
    EXPECT_EQ("over", readFile(path("w.txt")));
    makeReadOnly(path("w.txt"), false);
}

TEST_F(FileOpsTest, WriteEntireFileFailuresNameTheFile) {
    EXPECT_FALSE(FileSys::writeEntireFile(X(""), "x", 1, &log));
    EXPECT_TRUE(log.lines.empty());

    std::filesystem::create_directory(fsPath(path("d")));
    EXPECT_FALSE(FileSys::writeEntireFile(X(path("d")), "x", 1, &log));
    ASSERT_GE(log.lines.size(), 2u);
    EXPECT_EQ((Lines{"data:filename=" + path("d"), "error:Failed to write complete file (7)"}),
              Lines(log.lines.end() - 2, log.lines.end()));
    EXPECT_TRUE(isDirectory(path("d")));

    log.clear();
    EXPECT_FALSE(FileSys::writeEntireFile(X(path("none/x.txt")), "x", 1, &log));
    EXPECT_EQ("error:Failed to write complete file (7)", lineAt(log.lines, -1));
}

TEST_F(FileOpsTest, AFullDiskLeavesThePartlyWrittenFile) {
    std::string content = patternBytes(12000000);
    txhooks::setWriteLimit(11000000);
    EXPECT_FALSE(FileSys::writeEntireFile(X(path("w.bin")), content.data(), 12000000, &log));
    txhooks::clearWriteLimit();
    EXPECT_EQ((Lines{"enter:openForWriteWin32", "leave", "enter:WriteFileError",
                     "data:WindowsError=" + osText(ERROR_DISK_FULL), "data:WindowsErrorCode=0x70",
                     "leave", "data:filename=" + path("w.bin"),
                     "error:Failed to write complete file (1)"}),
              log.lines);
    EXPECT_EQ(11000000u, readFile(path("w.bin")).size());
    EXPECT_TRUE(nobodyHoldsOpen(path("w.bin")));
}

TEST_F(FileOpsTest, WriteToOpenHandleNeedsAnOpenHandleOnlyForData) {
    TarnixHandle closed;
    EXPECT_TRUE(FileSys::writeToOpenHandle(closed, nullptr, 5, &log));
    EXPECT_TRUE(FileSys::writeToOpenHandle(closed, "x", 0, &log));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(FileSys::writeToOpenHandle(closed, "x", 1, &log));
    EXPECT_EQ((Lines{"error:File not open"}), log.lines);

    TarnixHandle open;
    uint32_t reason = 0;
    ASSERT_TRUE(FileSys::openForWriteInto(X(path("h.txt")), open, reason, nullptr));
    EXPECT_TRUE(FileSys::writeToOpenHandle(open, "data", 4, nullptr));
    open.close();
    EXPECT_EQ("data", readFile(path("h.txt")));
}

} // namespace
