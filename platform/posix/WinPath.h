// Win32 path rules on POSIX: full-path resolution as GetFullPathName does it,
// and the POSIX path (or the Win32 error) a file call gets for a Win32 path.
#pragma once

#include "platform/posix/PosixText.h"

namespace txposix {

// The current directory in Win32 form: "\" for the root, "\tmp\x" for /tmp/x.
bool currentDirectory(ByteText *out);

// Resolves `path` (UTF-8) against the current directory: "/" and "\" both
// separate, "." and ".." fold away, a final name loses its trailing dots and
// spaces, and "\\?\", drive and UNC roots are kept. The result uses "\" only.
// `filePart` receives the offset of the final name, or -1 when the result ends
// with a separator.
bool resolveFullPath(const char *path, ByteText *full, long *filePart);

enum class PathUse {
    Name,    // a file or directory
    Pattern, // a directory listing: "*" and "?" allowed in the final name
};

struct PosixPath {
    ByteText path;          // absolute, "/"-separated
    bool trailingSeparator; // the Win32 path ended with a separator
};

// ERROR_SUCCESS, or the error Windows gives for the path before touching the
// file system: ERROR_PATH_NOT_FOUND for an empty path, a drive letter or a UNC
// server; ERROR_INVALID_NAME for <>:"|?* or a control character in a name;
// ERROR_FILENAME_EXCED_RANGE when an ANSI entry's full path reaches MAX_PATH
// without the "\\?\" prefix.
DWORD toPosixPath(const char *path, bool ansiEntry, PathUse use, PosixPath *out);

// toPosixPath for the argument of an ANSI (windows-1252) or wide (UTF-16) entry.
DWORD entryPath(const char *ansiPath, PathUse use, PosixPath *out);
DWORD entryPath(const WCHAR *widePath, PathUse use, PosixPath *out);

// The Win32 error for an errno value.
DWORD errorFromErrno(int error);
// The Win32 error for a POSIX path that is missing: ERROR_FILE_NOT_FOUND when
// its directory exists, ERROR_PATH_NOT_FOUND otherwise.
DWORD missingPathError(const char *posixPath, int error);

} // namespace txposix
