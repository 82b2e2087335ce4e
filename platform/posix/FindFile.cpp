// FindFirstFile, FindNextFile and FindClose over opendir/readdir.
#include "platform/Win32.h"
#include "platform/posix/FileInfo.h"
#include "platform/posix/Handles.h"
#include "platform/posix/WinPath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>

using namespace txposix;

namespace {

struct FindObject {
    HandleHeader header;
    DIR *directory;
    bool atRoot;       // the root lists no "." and ".."
    bool matchAll;     // "*" and "*.*"
    uint32_t *pattern; // folded code points
    size_t patternLength;
};

struct Entry {
    const char *name;
    DWORD attributes;
    uint64_t size;
    FILETIME written;
    FILETIME accessed;
};

bool matches(const uint32_t *pattern, size_t patternLength, const char *name) {
    size_t nameLength = strlen(name);
    size_t p = 0, n = 0;
    size_t starPattern = size_t(-1), starName = 0;
    while (n < nameLength) {
        size_t next = n;
        uint32_t c = foldCase(nextCodePoint(name, nameLength, &next));
        if (p < patternLength && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
        } else if (p < patternLength && (pattern[p] == '?' || pattern[p] == c)) {
            ++p;
            n = next;
        } else if (starPattern != size_t(-1)) {
            // Let the last "*" take one more character and try again.
            p = starPattern;
            size_t skip = starName;
            nextCodePoint(name, nameLength, &skip);
            starName = skip;
            n = skip;
        } else {
            return false;
        }
    }
    while (p < patternLength && pattern[p] == '*')
        ++p;
    return p == patternLength;
}

// The next entry that matches, or false with errno 0 at the end.
bool nextEntry(FindObject *find, Entry *entry) {
    for (;;) {
        errno = 0;
        struct dirent *item = readdir(find->directory);
        if (item == nullptr) return false;
        const char *name = item->d_name;
        bool dots = strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
        if (dots && find->atRoot) continue;
        if (!find->matchAll && !matches(find->pattern, find->patternLength, name)) continue;
        struct stat info;
        int dirFd = dirfd(find->directory);
        struct stat linkInfo;
        if (fstatat(dirFd, name, &linkInfo, AT_SYMLINK_NOFOLLOW) != 0) continue; // gone
        bool isLink = S_ISLNK(linkInfo.st_mode);
        if (!isLink || fstatat(dirFd, name, &info, 0) != 0) info = linkInfo;
        entry->name = name;
        entry->attributes = attributesOf(info);
        // Windows lists a symbolic link as a reparse point, so that tree walks
        // can leave it alone instead of descending into its target.
        if (isLink) entry->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        entry->size = S_ISDIR(info.st_mode) ? 0 : uint64_t(info.st_size);
        entry->written = fileTimeOf(info.st_mtim);
        entry->accessed = fileTimeOf(info.st_atim);
        return true;
    }
}

template <typename Data> void fillCommon(const Entry &entry, Data *data) {
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = entry.attributes;
    // POSIX keeps no creation time; the last write is the closest there is.
    data->ftCreationTime = entry.written;
    data->ftLastAccessTime = entry.accessed;
    data->ftLastWriteTime = entry.written;
    data->nFileSizeHigh = DWORD(entry.size >> 32);
    data->nFileSizeLow = DWORD(entry.size);
}

void fill(const Entry &entry, WIN32_FIND_DATAA *data) {
    fillCommon(entry, data);
    size_t length = strlen(entry.name);
    size_t needed = utf8ToAnsi(entry.name, length, data->cFileName, MAX_PATH - 1);
    data->cFileName[needed < MAX_PATH ? needed : MAX_PATH - 1] = '\0';
}

void fill(const Entry &entry, WIN32_FIND_DATAW *data) {
    fillCommon(entry, data);
    size_t length = strlen(entry.name);
    size_t needed = utf8ToWide(entry.name, length, data->cFileName, MAX_PATH - 1);
    data->cFileName[needed < MAX_PATH ? needed : MAX_PATH - 1] = 0;
}

void destroy(FindObject *find) {
    if (find->directory != nullptr) closedir(find->directory);
    free(find->pattern);
    delete find;
}

HANDLE failFind(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

template <typename Char, typename Data> HANDLE findFirst(const Char *pattern, Data *data) {
    PosixPath target;
    DWORD error = entryPath(pattern, PathUse::Pattern, &target);
    if (error != ERROR_SUCCESS) return failFind(error);
    // A pattern that ends with a separator names no entry.
    if (target.trailingSeparator) return failFind(ERROR_FILE_NOT_FOUND);
    char *path = target.path.data();
    char *slash = strrchr(path, '/');
    const char *name = slash + 1;
    size_t nameLength = strlen(name);
    if (nameLength == 0) return failFind(ERROR_FILE_NOT_FOUND); // the root itself

    FindObject *find = new (std::nothrow) FindObject();
    uint32_t *folded = static_cast<uint32_t *>(malloc((nameLength + 1) * sizeof(uint32_t)));
    if (find == nullptr || folded == nullptr) {
        delete find;
        free(folded);
        return failFind(ERROR_NOT_ENOUGH_MEMORY);
    }
    find->header.kind = HandleKind::Find;
    find->pattern = folded;
    for (size_t at = 0; at < nameLength;)
        folded[find->patternLength++] = foldCase(nextCodePoint(name, nameLength, &at));
    find->matchAll = strcmp(name, "*") == 0 || strcmp(name, "*.*") == 0;

    *slash = '\0';
    const char *directory = slash == path ? "/" : path;
    find->atRoot = slash == path;
    find->directory = opendir(directory);
    if (find->directory == nullptr) {
        int openError = errno;
        destroy(find);
        // Listing inside a file: Wine and Windows call the name invalid.
        if (openError == ENOTDIR) return failFind(ERROR_INVALID_NAME);
        if (openError == ENOENT) return failFind(ERROR_PATH_NOT_FOUND);
        return failFind(errorFromErrno(openError));
    }
    Entry entry;
    if (!nextEntry(find, &entry)) {
        int readError = errno;
        destroy(find);
        return failFind(readError != 0 ? errorFromErrno(readError) : ERROR_FILE_NOT_FOUND);
    }
    fill(entry, data);
    HandleTableLock lock;
    addHandle(&find->header);
    return reinterpret_cast<HANDLE>(find);
}

template <typename Data> BOOL findNext(HANDLE handle, Data *data) {
    FindObject *find = reinterpret_cast<FindObject *>(findFromHandle(handle));
    if (find == nullptr) return FALSE;
    Entry entry;
    if (!nextEntry(find, &entry)) {
        SetLastError(errno != 0 ? errorFromErrno(errno) : ERROR_NO_MORE_FILES);
        return FALSE;
    }
    fill(entry, data);
    return TRUE;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (hookFails(txhooks::Call::FindFirstFile)) return INVALID_HANDLE_VALUE;
    return findFirst(pattern, data);
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    if (hookFails(txhooks::Call::FindFirstFile)) return INVALID_HANDLE_VALUE;
    return findFirst(pattern, data);
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
    if (hookFails(txhooks::Call::FindNextFile)) return FALSE;
    return findNext(find, data);
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    if (hookFails(txhooks::Call::FindNextFile)) return FALSE;
    return findNext(find, data);
}

BOOL FindClose(HANDLE handle) {
    bool removed;
    {
        HandleTableLock lock;
        removed = removeHandle(handle, HandleKind::Find);
    }
    if (!removed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    destroy(static_cast<FindObject *>(handle));
    return TRUE;
}
