// The errors of the path calls for what is missing, misnamed or in the way, as
// Windows gives them, in both builds.
#include "tests/platform/PlatformTest.h"

#include <vector>

namespace {

struct PathCase {
    const char *call, *path;
    DWORD error;
    const char *to = nullptr; // for Move and Copy, if not a new name
};

bool fails(const PathCase &c) {
    const std::string call = c.call;
    const char *to = c.to ? c.to : "new.txt";
    WIN32_FIND_DATAA data;
    if (call == "Open") return isFailure(openFile(c.path, GENERIC_READ, 0, OPEN_EXISTING));
    if (call == "Create") return isFailure(openFile(c.path, GENERIC_WRITE, 0, CREATE_ALWAYS));
    if (call == "GetAttributes") return isFailure(GetFileAttributesA(c.path));
    if (call == "SetAttributes")
        return isFailure(SetFileAttributesA(c.path, FILE_ATTRIBUTE_NORMAL));
    if (call == "Delete") return isFailure(DeleteFileA(c.path));
    if (call == "Move") return isFailure(MoveFileA(c.path, to));
    if (call == "Copy") return isFailure(CopyFileA(c.path, to, FALSE));
    if (call == "MakeDir") return isFailure(CreateDirectoryA(c.path, nullptr));
    if (call == "RemoveDir") return isFailure(RemoveDirectoryA(c.path));
    if (call == "SetCurrentDir") return isFailure(SetCurrentDirectoryA(c.path));
    if (call == "Find") return isFailure(FindFirstFileA(c.path, &data));
    ADD_FAILURE() << "no call " << call;
    return false;
}

TEST(PathErrorsTest, EachCallTellsWhatIsWrongWithThePath) {
    TempDir dir;
    CurrentDirectoryGuard restore;
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    ASSERT_TRUE(writeTestFile("file.txt", "content"));
    ASSERT_TRUE(CreateDirectoryA("sub", nullptr));
    ASSERT_TRUE(writeTestFile("sub\\inner.txt", "inner"));
    // The errors the file system tests see in their log entries (a missing file, directory,
    // drive or server; a directory deleted; a name taken; removing a full directory or a
    // file) are not repeated here.
    // clang-format off
    std::vector<PathCase> cases = {
        // A file where a directory should be is a missing path too.
        {"Open", "file.txt\\x", ERROR_PATH_NOT_FOUND}, {"Open", "", ERROR_PATH_NOT_FOUND},
        {"Open", "\\\\?\\UNC\\nosuchserver\\share\\x.txt", ERROR_PATH_NOT_FOUND},
        {"GetAttributes", "file.txt\\", ERROR_PATH_NOT_FOUND},
        {"GetAttributes", "file.txt\\x", ERROR_PATH_NOT_FOUND},
        {"GetAttributes", "missing.txt\\", ERROR_FILE_NOT_FOUND},
        {"GetAttributes", "", ERROR_PATH_NOT_FOUND}, {"GetAttributes", "?.txt", ERROR_INVALID_NAME},
        {"SetAttributes", "missing.txt", ERROR_FILE_NOT_FOUND},
        {"SetAttributes", "nodir\\x.txt", ERROR_PATH_NOT_FOUND},
        {"Move", "file.txt", ERROR_PATH_NOT_FOUND, "nodir\\x.txt"},
        // MoveFile never replaces a directory either.
        {"Move", "file.txt", ERROR_ALREADY_EXISTS, "sub"},
        {"Copy", "missing.txt", ERROR_FILE_NOT_FOUND},
        {"Copy", "file.txt", ERROR_PATH_NOT_FOUND, "nodir\\x.txt"},
        {"MakeDir", "file.txt", ERROR_ALREADY_EXISTS},
        {"MakeDir", "", ERROR_PATH_NOT_FOUND},
        {"RemoveDir", "missing", ERROR_FILE_NOT_FOUND},
        {"RemoveDir", "nodir\\b", ERROR_PATH_NOT_FOUND},
        {"SetCurrentDir", "missing", ERROR_FILE_NOT_FOUND},
        {"SetCurrentDir", "nodir\\b", ERROR_PATH_NOT_FOUND},
        {"SetCurrentDir", "file.txt", ERROR_DIRECTORY}, {"SetCurrentDir", "", ERROR_INVALID_NAME},
        {"Find", "sub\\x*", ERROR_FILE_NOT_FOUND}, {"Find", "sub\\", ERROR_FILE_NOT_FOUND},
        {"Find", "nodir\\*", ERROR_PATH_NOT_FOUND}, {"Find", "", ERROR_PATH_NOT_FOUND},
        // Listing inside a file: Wine and Windows call the name invalid.
        {"Find", "file.txt\\*", ERROR_INVALID_NAME}};
    // clang-format on
    // The ANSI entries stop at MAX_PATH; the file system tests reach past it through the
    // wide ones.
    const std::string tooLong(300, 'n');
    cases.push_back({"GetAttributes", tooLong.c_str(), ERROR_FILENAME_EXCED_RANGE});
    // Characters Win32 refuses in names, in the last name or before; a trailing
    // separator makes the name a directory's.
    for (const char *name : {"a*b", "a?b", "a<b", "a>b", "a|b", "a\"b", "a\x01z", "x*\\b",
                             "file.txt\\", "missing.txt\\"})
        cases.push_back({"Create", name, ERROR_INVALID_NAME});
#ifndef _WIN32
    // Drive letters do not exist on POSIX.
    for (const char *path : {"C:\\x.txt", "C:", "c:/tmp", "\\\\?\\C:\\x.txt"})
        cases.push_back({"Open", path, ERROR_PATH_NOT_FOUND});
    // On Windows a colon names a stream of an NTFS file, and Wine answers
    // file-not-found; here, as Win32 rules a colon out of names, it is refused.
    cases.push_back({"Create", "name:stream", ERROR_INVALID_NAME});
#endif
    for (const PathCase &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.call << " \"" << c.path << "\" " << (c.to ? c.to : ""));
        SetLastError(0xDEADBEEF);
        bool failed = fails(c);
        DWORD error = GetLastError();
        EXPECT_TRUE(failed);
        EXPECT_EQ(c.error, error);
    }
    EXPECT_EQ("content", readTestFile("file.txt"));
    EXPECT_EQ("inner", readTestFile("sub\\inner.txt"));
}

} // namespace
