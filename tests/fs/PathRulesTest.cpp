// Path normalisation, resolution, long forms, root removal and joins.
#include "tests/fs/FsTestSupport.h"

#include <string>

using namespace fstest;

namespace {

std::string fullPath(const std::string &path) {
    XString out;
    FileSys::getFullPath(X(path), out);
    return utf8(out);
}

std::string longForm(const std::string &path) {
    XString out;
    FileSys::toLongPathForm(X(path), out);
    return utf8(out);
}

std::string fileNamePart(const std::string &path) {
    XString out;
    FileSys::getFileNamePart(X(path), out);
    return utf8(out);
}

std::string stripped(const std::string &path) {
    X x(path);
    FileSys::stripPathRoot(x);
    return utf8(x);
}

std::string joinName(const std::string &dir, const std::string &name) {
    XString out;
    FileSys::joinDirAndFileName(X(dir), X(name), out);
    return utf8(out);
}

std::string joinRelative(const std::string &dir, const std::string &rel) {
    XString out;
    FileSys::joinDirAndRelativePath(X(dir), X(rel), out);
    return utf8(out);
}

// The directory as the Win32 calls report it: C:\... on Windows, \tmp\... on POSIX.
std::string win32Form(const std::string &nativePath) {
    return backslashed(nativePath);
}

class PathRulesTest : public FsTest {};

TEST_F(PathRulesTest, RelativePathsResolveAgainstTheCurrentDirectory) {
    CurrentDirectoryGuard restore;
    std::filesystem::current_path(fsPath(dir.path()));
    std::string base = win32Form(dir.path());

    EXPECT_EQ(base + "\\sub\\x.txt", fullPath("sub/x.txt"));
    EXPECT_EQ(base + "\\sub\\x.txt", fullPath("sub\\x.txt"));
    EXPECT_EQ("\\\\?\\" + base + "\\sub\\x.txt", longForm("sub\\x.txt"));
    EXPECT_EQ("x.txt", fileNamePart("sub/x.txt"));
}

TEST_F(PathRulesTest, ForwardSlashesBecomeBackslashesAndTheCallerKeepsHisString) {
    std::string native = dir.file("a/b.txt");
    X argument(native);
    XString out;
    FileSys::getFullPath(argument, out);
    EXPECT_EQ(win32Form(dir.path()) + "\\a\\b.txt", utf8(out));
    EXPECT_EQ(native, utf8(argument));

    FileSys::toLongPathForm(argument, out);
    EXPECT_EQ("\\\\?\\" + win32Form(dir.path()) + "\\a\\b.txt", utf8(out));
    EXPECT_EQ(native, utf8(argument));
}

TEST_F(PathRulesTest, ResolutionBeyondTheBufferLeavesThePathAsItIs) {
    // 2048 characters and more cannot be resolved into the 2048-character buffer.
    std::string longPath = win32Form(dir.path()) + "\\" + std::string(2100, 'p');
    EXPECT_EQ(longPath, fullPath(longPath));
    EXPECT_EQ("\\\\?\\" + longPath, longForm(longPath));
    std::string justFits = win32Form(dir.path()) + "\\";
    justFits += std::string(2047 - justFits.size(), 'q');
    EXPECT_EQ(justFits, fullPath(justFits));
}

// Drive letters and UNC names are Windows' own; the POSIX layer knows neither.
#ifdef _WIN32
TEST_F(PathRulesTest, DriveAndUncPathsTakeTheirLongForms) {
    EXPECT_EQ("C:\\data\\x.txt", fullPath("C:/data/x.txt"));
    EXPECT_EQ("\\\\?\\C:\\data\\x.txt", longForm("C:/data/x.txt"));
    EXPECT_EQ("\\\\?\\UNC\\srv\\share\\a.txt", longForm("\\\\srv\\share\\a.txt"));
    EXPECT_EQ("\\\\?\\UNC\\srv\\share\\a.txt", longForm("//srv/share/a.txt"));
    EXPECT_EQ("\\\\?\\C:\\x\\y", longForm("\\\\?\\C:\\x\\y"));
    EXPECT_EQ("\\\\?\\UNC\\srv\\share\\a", longForm("\\\\?\\UNC\\srv\\share\\a"));
}
#endif

TEST_F(PathRulesTest, FileNamePartFallsBackToTheTextAfterTheLastSeparator) {
    EXPECT_EQ("x.txt", fileNamePart(dir.file("x.txt")));
    EXPECT_EQ("", fileNamePart(win32Form(dir.path()) + "\\"));
    // Windows reports no file part for device names; the text stands in.
    EXPECT_EQ("con.txt", fileNamePart(win32Form(dir.path()) + "\\con.txt"));
    EXPECT_EQ("Ωμέγα.txt", fileNamePart(dir.file("Ωμέγα.txt")));
}

TEST_F(PathRulesTest, StripPathRootRemovesPrefixDriveShareAndLeadingSeparators) {
    EXPECT_EQ("a\\b", stripped("\\\\?\\UNC\\srv\\share\\\\a\\b"));
    EXPECT_EQ("a\\b", stripped("\\\\srv\\share\\a\\b"));
    EXPECT_EQ("a", stripped("C:\\\\a"));
    EXPECT_EQ("a\\b", stripped("\\\\?\\C:\\a\\b"));
    EXPECT_EQ("a\\b", stripped("\\a\\b"));
    EXPECT_EQ("a\\b", stripped("/a/b"));
    EXPECT_EQ("a\\b", stripped("a\\b"));
    EXPECT_EQ("x", stripped("\\\\?\\x"));
    // A UNC path without a share, or without a separator after the share, is all root.
    EXPECT_EQ("", stripped("\\\\srv"));
    EXPECT_EQ("", stripped("\\\\srv\\share"));
    EXPECT_EQ("", stripped("\\\\?\\UNC\\srv"));
    EXPECT_EQ("", stripped(""));
}

TEST_F(PathRulesTest, JoinDirAndFileNameTakesOnlyTheNamePart) {
    EXPECT_EQ("C:\\out\\a.bin", joinName("C:/out", "a.bin"));
    EXPECT_EQ("C:\\out\\a.bin", joinName(" \tC:\\out\\\r\n", "a.bin"));
    EXPECT_EQ("C:\\out\\a.bin", joinName("C:\\out", "some\\dir\\a.bin"));
    EXPECT_EQ("a.bin", joinName(" \t\r\n", "dir/a.bin"));
    EXPECT_EQ("\\a.bin", joinName("/", "a.bin"));
    EXPECT_EQ("out\\日本.txt", joinName("out", "日本.txt"));
}

TEST_F(PathRulesTest, JoinDirAndRelativePathStripsTheRelativeRoot) {
    EXPECT_EQ("C:\\base\\a\\b", joinRelative("C:\\base", "\\\\?\\UNC\\srv\\share\\a\\b"));
    EXPECT_EQ("C:\\base\\x\\y", joinRelative("C:\\base/ ", "/x/y"));
    EXPECT_EQ("C:\\base\\x", joinRelative("C:/base", "D:\\x"));
    EXPECT_EQ("C:\\base\\", joinRelative("C:\\base", "\\\\srv\\share"));
    // Without a directory the relative path stays whole, root included.
    EXPECT_EQ("\\x\\y", joinRelative("", "/x/y"));
}

TEST_F(PathRulesTest, OutputMayBeTheArgumentItself) {
    X both(dir.file("a/b.txt"));
    FileSys::toLongPathForm(both, both);
    EXPECT_EQ("\\\\?\\" + win32Form(dir.path()) + "\\a\\b.txt", utf8(both));
    X dirAndOut("C:/out");
    FileSys::joinDirAndFileName(dirAndOut, X("n.txt"), dirAndOut);
    EXPECT_EQ("C:\\out\\n.txt", utf8(dirAndOut));
}

} // namespace
