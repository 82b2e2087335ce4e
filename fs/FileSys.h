#pragma once

#include "platform/Win32.h"

#include <cstdint>

class DataBuffer;
class FileDataSource;
class LogBase;
class OutputFile;
class StringBuffer;
class TarnixHandle;
class XString;

// The stateless file system layer over the Win32 file interface. Every operation
// works on a copy of its path with "/" turned into "\" and never changes the
// caller's string; it passes Windows the plain path or its long form ("\\?\",
// "\\?\UNC\") and picks the ANSI or the wide call by the path rules. Every log
// argument may be null.
class FileSys {
public:
    // Open reasons reported by the open functions.
    enum OpenReason : uint32_t {
        OpenReasonNone = 0,
        OpenReasonAccessDenied = 1,
        OpenReasonNotFound = 2,
        OpenReasonOther = 3
    };

    // Path rules.
    // The absolute path, or path itself when the system cannot resolve it within
    // 2048 characters.
    static void getFullPath(const XString &path, XString &out);
    // The last component of the resolved path; the text after the last separator
    // when the system reports none.
    static void getFileNamePart(const XString &path, XString &out);
    // "\\?\" + full path, "\\?\UNC\server\..." for UNC paths; unchanged when prefixed.
    static void toLongPathForm(const XString &path, XString &out);
    // Removes the long-path prefix, the drive or the UNC server and share, and the
    // leading separators; a UNC path without a share becomes empty.
    static void stripPathRoot(XString &path);
    static void joinDirAndFileName(const XString &dir, const XString &name, XString &out);
    static void joinDirAndRelativePath(const XString &dir, const XString &relPath, XString &out);
    // Replaces : | ? * < > and the double quote with "_" (keeping a drive colon and
    // the long-path prefix), drops CR and LF and, when asked, puts "_" in front of a
    // device name (con., aux., com1. ...) that begins the file name.
    static void replaceForbiddenChars(XString &path, bool replaceDeviceNames, LogBase *log);

    // Open functions: a new handle that the caller owns, or null. The reason tells
    // why an open failed (only when a log is given).
    static TarnixHandle *openForReadWin32(const XString &path, uint32_t &reason, LogBase *log);
    static TarnixHandle *openForWriteWin32(const XString &path, uint32_t &reason, LogBase *log);
    static TarnixHandle *openForReadWriteWin32(const XString &path, bool exclusive,
                                               uint32_t &reason, LogBase *log);
    static TarnixHandle *openForAppendWin32(const XString &path, uint32_t &reason, LogBase *log);
    static TarnixHandle *openFileWin32(const XString &path, bool read, bool write, bool exclusive,
                                       bool append, uint32_t &reason, LogBase *log);
    // The same opens, straight into the caller's handle.
    static bool openForReadInto(const XString &path, TarnixHandle &handle, uint32_t &reason,
                                LogBase *log);
    static bool openForWriteInto(const XString &path, TarnixHandle &handle, uint32_t &reason,
                                 LogBase *log);
    static bool openForReadWriteInto(const XString &path, bool exclusive, TarnixHandle &handle,
                                     uint32_t &reason, LogBase *log);
    // CreateFileA with the path's ANSI form / CreateFileW with its UTF-16 form, both
    // with "/" turned into "\", retrying a sharing violation three times 50 ms apart.
    static TarnixHandle *openHandleAnsi(const XString &path, DWORD desiredAccess, DWORD shareMode,
                                        DWORD creationDisposition, DWORD flagsAndAttributes,
                                        DWORD &osError, LogBase *log);
    static TarnixHandle *openHandleWide(const XString &path, DWORD desiredAccess, DWORD shareMode,
                                        DWORD creationDisposition, DWORD flagsAndAttributes,
                                        DWORD &osError, LogBase *log);

    // Single files.
    static bool GetAttributes(const XString &path, DWORD &attributes, DWORD &osError, LogBase *log);
    static bool setFileAttributes(const XString &path, DWORD attributes);
    // Only "not found" (file, path, device not ready) counts as absent.
    static bool fileExists(const XString &path, LogBase *log);
    static bool fileExistsUtf8(const char *path, LogBase *log);
    // Exact only below 2 GiB.
    static int32_t fileSize32(const XString &path, LogBase *log, bool &success);
    // Deleting a missing file succeeds.
    static bool deleteFile(const XString &path, LogBase *log);
    static bool deleteFileUtf8(const char *path, LogBase *log);
    static bool renameFile(const XString &existingPath, const XString &newPath, LogBase *log);
    static bool copyFile(const XString &existingPath, const XString &newPath, bool failIfExists);
    // Empty when the directory cannot be read or is longer than 2048 characters.
    static void getCurrentDirectory(XString &out);
    static bool setCurrentDirectory(const XString &path);
    // Creates or truncates the file and writes the block; a null or empty block
    // leaves an empty file.
    static bool writeEntireFile(const XString &path, const void *data, int64_t numBytes,
                                LogBase *log);
    static bool writeEntireFile(const XString &path, const DataBuffer &data, LogBase *log);
    static bool writeEntireFileUtf8(const char *path, const void *data, int64_t numBytes,
                                    LogBase *log);
    static bool writeEntireFileAnsi(const char *path, const void *data, int64_t numBytes,
                                    LogBase *log);
    static bool writeToOpenHandle(TarnixHandle &handle, const void *data, int64_t numBytes,
                                  LogBase *log);

    // Directories.
    // Only the last level; fails when it exists.
    static bool createDirectory(const XString &path, LogBase *log);
    // Succeeds when anything of that name exists already.
    static bool createDirectoryIfMissing(const char *utf8Path, bool &created, LogBase *log);
    // Creates every missing level below the drive, share or "\\?\" root.
    static bool ensureDirectoryExists(const char *utf8Path, LogBase *log);
    static bool ensureParentDirectoryExists(const char *utf8FilePath, StringBuffer &work,
                                            LogBase *log);
    // Only an empty directory.
    static bool removeDirectory(const XString &path, LogBase *log);
    // Deletes what it can below the directory, which stays; reports only a wildcard.
    static void deleteTreeContents(const char *ansiPath, LogBase *log);

    // Temporary names, user and computer names.
    // directory + base + "_" + four characters A-Z, 0-9 + extension, for a name that
    // does not exist yet; false after 201 existing candidates.
    static bool makeTempFileName(const char *utf8Dir, const char *utf8Prefix, XString &outPath,
                                 LogBase *log);
    static void appendRandomChars(StringBuffer &out);
    static void getUserName(StringBuffer &out);
    static void getComputerName(StringBuffer &out);

    // Streams; paths in UTF-8. Null on failure.
    static FileDataSource *createFileDataSource(const char *utf8Path, LogBase *log);
    // Replaces an existing file of the path.
    static OutputFile *createOutputFile(const char *utf8Path, LogBase *log);

    // The classic MAX_PATH; shorter paths may use the ANSI calls.
    static const int maxPlainPath = 260;
    // The buffer for resolved and current-directory paths, in characters.
    static const int pathBufferChars = 2048;
};
