#include "platform/posix/WinPath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace txposix {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDriveLetter(const char *path) {
    char c = path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

bool isPrefixed(const char *path) {
    return isSeparator(path[0]) && isSeparator(path[1]) && path[2] == '?' && isSeparator(path[3]);
}

bool isUncAfterPrefix(const char *rest) {
    return (rest[0] == 'U' || rest[0] == 'u') && (rest[1] == 'N' || rest[1] == 'n') &&
           (rest[2] == 'C' || rest[2] == 'c') && (isSeparator(rest[3]) || rest[3] == '\0');
}

size_t skipName(const char *text, size_t at) {
    while (text[at] != '\0' && !isSeparator(text[at]))
        ++at;
    return at;
}

size_t skipSeparators(const char *text, size_t at) {
    while (isSeparator(text[at]))
        ++at;
    return at;
}

// Appends the names of `text` from `at` on to `full`, folding "." and ".."
// without climbing above `rootLength`.
bool appendNames(const char *text, size_t at, bool verbatim, size_t rootLength, ByteText *full) {
    while (text[at] != '\0') {
        at = skipSeparators(text, at);
        if (text[at] == '\0') break;
        size_t end = skipName(text, at);
        size_t length = end - at;
        bool last = text[end] == '\0';
        const char *name = text + at;
        at = end;
        if (length == 1 && name[0] == '.') continue;
        if (length == 2 && name[0] == '.' && name[1] == '.') {
            size_t cut = full->length();
            while (cut > rootLength && full->text()[cut - 1] != '\\')
                --cut;
            full->truncate(cut > rootLength ? cut - 1 : rootLength);
            continue;
        }
        if (!verbatim) {
            if (last) {
                // Win32 drops trailing dots and spaces from the final name.
                while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
                    --length;
            } else if (name[length - 1] == '.') {
                size_t dots = 0;
                while (dots < length && name[dots] == '.')
                    ++dots;
                if (dots < length) --length;
            }
        }
        if (length == 0) {
            if (!full->appendChar('\\')) return false;
            // "..." and the like: nothing is left, but the separator stays.
            return full->valid();
        }
        if (!full->appendChar('\\') || !full->append(name, length)) return false;
    }
    return full->valid();
}

} // namespace

bool currentDirectory(ByteText *out) {
    size_t size = 256;
    for (;;) {
        char *buffer = static_cast<char *>(malloc(size));
        if (buffer == nullptr) return false;
        if (getcwd(buffer, size) != nullptr) {
            for (char *p = buffer; *p; ++p) {
                if (*p == '/') *p = '\\';
            }
            bool ok = out->append(buffer);
            free(buffer);
            return ok;
        }
        free(buffer);
        if (errno != ERANGE || size > (1u << 20)) return false;
        size *= 2;
    }
}

bool resolveFullPath(const char *path, ByteText *full, long *filePart) {
    full->clear();
    size_t at = 0;
    size_t rootLength = 0;
    bool verbatim = false;
    bool uncRoot = false;
    // Roots behind a prefix and UNC roots end in a separator only when the path does, and
    // in one only; "C:", "\", "\\.\" and the long form of "\", "\\?\\", always end in one.
    bool separatorFromPath = false;
    if (isPrefixed(path)) {
        verbatim = true;
        full->append("\\\\?\\");
        at = 4;
        if (isUncAfterPrefix(path + at)) {
            full->append(path + at, 3); // in the case the path writes it
            at += 3;
            uncRoot = true;
        } else if (isDriveLetter(path + at) &&
                   (isSeparator(path[at + 2]) || path[at + 2] == '\0')) {
            // "\\?\C:" or "\\?\C:\..."; "\\?\C:x" names a device, as below.
            full->append(path + at, 2);
            at += 2;
            separatorFromPath = true;
        } else if (!isSeparator(path[at])) {
            // \\?\name: the first name is the root (a device or volume).
            size_t end = skipName(path, at);
            full->append(path + at, end - at);
            at = end;
            separatorFromPath = true;
        }
    } else if (isSeparator(path[0]) && isSeparator(path[1]) && path[2] == '.' &&
               isSeparator(path[3])) {
        // A device path: plain names follow "\\.", and ".." stops there.
        full->append("\\\\.");
        at = 3;
    } else if (isSeparator(path[0]) && isSeparator(path[1])) {
        full->appendChar('\\');
        at = 1;
        uncRoot = true;
    } else if (isDriveLetter(path)) {
        full->append(path, 2);
        at = 2;
    } else if (!isSeparator(path[0])) {
        if (!currentDirectory(full)) return false;
        if (full->length() == 1) full->clear(); // the root: each name adds its own "\"
    }
    if (uncRoot) {
        // Server and share belong to the root: ".." never climbs above them.
        for (int part = 0; part < 2 && path[at] != '\0'; ++part) {
            at = skipSeparators(path, at);
            size_t end = skipName(path, at);
            full->appendChar('\\');
            full->append(path + at, end - at);
            at = end;
        }
    }
    bool relativeToCurrent = !isSeparator(path[0]) && !isDriveLetter(path);
    bool rootedAtPosixRoot = isSeparator(path[0]) && !isSeparator(path[1]);
    if (!relativeToCurrent && !rootedAtPosixRoot) rootLength = full->length();
    if (!full->valid() || !appendNames(path, at, verbatim, rootLength, full)) return false;

    size_t length = strlen(path);
    bool endsWithSeparator = length > 0 && isSeparator(path[length - 1]);
    bool endsInRoot = full->length() == rootLength;
    bool endsWithOwnSeparator =
        endsWithSeparator && full->length() > 0 && full->text()[full->length() - 1] != '\\';
    bool rootWantsSeparator = separatorFromPath || uncRoot ? endsWithOwnSeparator : true;
    if (endsInRoot ? rootWantsSeparator : endsWithOwnSeparator) full->appendChar('\\');
    if (!full->valid()) return false;

    const char *text = full->text();
    size_t fullLength = full->length();
    if (text[fullLength - 1] == '\\') {
        *filePart = -1;
    } else {
        const char *last = strrchr(text, '\\');
        *filePart = last != nullptr ? long(last - text + 1) : 0;
    }
    return true;
}

DWORD toPosixPath(const char *path, bool ansiEntry, PathUse use, PosixPath *out) {
    out->path.clear();
    out->trailingSeparator = false;
    if (path == nullptr || path[0] == '\0') return ERROR_PATH_NOT_FOUND;

    // Roots that do not exist here.
    const char *names = path;
    bool verbatim = isPrefixed(path);
    if (verbatim) {
        names = path + 4;
        if (isUncAfterPrefix(names) || isDriveLetter(names)) return ERROR_PATH_NOT_FOUND;
    } else if ((isSeparator(path[0]) && isSeparator(path[1])) || isDriveLetter(path)) {
        return ERROR_PATH_NOT_FOUND;
    }

    // Characters Win32 refuses in a name; a listing allows its wildcards last.
    size_t length = strlen(names);
    size_t finalName = length;
    while (finalName > 0 && !isSeparator(names[finalName - 1]))
        --finalName;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(names[i]);
        bool wildcard = c == '*' || c == '?';
        if (wildcard && use == PathUse::Pattern && i >= finalName) continue;
        if (c < 32 || wildcard || c == '<' || c == '>' || c == ':' || c == '"' || c == '|')
            return ERROR_INVALID_NAME;
    }

    ByteText full;
    long filePart;
    if (!resolveFullPath(path, &full, &filePart)) return ERROR_NOT_ENOUGH_MEMORY;
    if (ansiEntry && !verbatim && utf8ToWide(full.text(), full.length(), nullptr, 0) >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }

    const char *rooted = full.text() + (verbatim ? 4 : 0);
    if (!isSeparator(rooted[0])) out->path.appendChar('/');
    for (const char *p = rooted; *p; ++p)
        out->path.appendChar(*p == '\\' ? '/' : *p);
    out->trailingSeparator = length > 0 && isSeparator(names[length - 1]);
    if (!out->path.valid()) return ERROR_NOT_ENOUGH_MEMORY;
    return ERROR_SUCCESS;
}

DWORD entryPath(const char *ansiPath, PathUse use, PosixPath *out) {
    if (ansiPath == nullptr) return ERROR_PATH_NOT_FOUND;
    ByteText utf8;
    if (!ansiToUtf8(ansiPath, &utf8)) return ERROR_NOT_ENOUGH_MEMORY;
    return toPosixPath(utf8.text(), true, use, out);
}

DWORD entryPath(const WCHAR *widePath, PathUse use, PosixPath *out) {
    if (widePath == nullptr) return ERROR_PATH_NOT_FOUND;
    ByteText utf8;
    if (!wideToUtf8(widePath, &utf8)) return ERROR_NOT_ENOUGH_MEMORY;
    return toPosixPath(utf8.text(), false, use, out);
}

DWORD errorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
    case ETXTBSY:
        return ERROR_BUSY;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ESPIPE:
        return ERROR_SEEK_ON_DEVICE;
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case EIO:
        return ERROR_IO_DEVICE;
    case ENXIO:
    case ENODEV:
        return ERROR_NOT_READY;
    default:
        return ERROR_GEN_FAILURE;
    }
}

DWORD missingPathError(const char *posixPath, int error) {
    if (error == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    if (error != ENOENT) return errorFromErrno(error);
    size_t length = strlen(posixPath);
    while (length > 1 && posixPath[length - 1] == '/')
        --length;
    while (length > 0 && posixPath[length - 1] != '/')
        --length;
    if (length == 0) return ERROR_FILE_NOT_FOUND;
    char *parent = static_cast<char *>(malloc(length + 1));
    if (parent == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(parent, posixPath, length);
    parent[length] = '\0';
    struct stat info;
    bool directory = stat(parent, &info) == 0 && S_ISDIR(info.st_mode);
    free(parent);
    return directory ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

} // namespace txposix
