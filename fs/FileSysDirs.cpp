#include "fs/FileSys.h"

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/PathText.h"
#include "fs/WideText.h"
#include "fs/WindowsVersion.h"
#include "log/LogBase.h"

#include <cstring>

namespace {

const char cannotEnsure[] = "Cannot ensure directory existence";


bool createLevelIfMissing(const StringBuffer &path, LogBase *log) {
    bool created = false;
    return FileSys::createDirectoryIfMissing(path.getString(), created, log);
}

bool reportCannotEnsure(LogBase *log, const char *path) {
    if (log) {
        log->logError(cannotEnsure);
        log->logData("path", path);
    }
    return false;
}

int skipBackslashesFrom(const char *text, int at) {
    while (text[at] == '\\')
        ++at;
    return at;
}

// Index of the "\" at or after from, or -1.
int backslashFrom(const char *text, int from) {
    const char *found = strchr(text + from, '\\');
    return found ? static_cast<int>(found - text) : -1;
}

// Where the first directory below the root begins: past "\\?\", past a UNC server and
// share, past a drive. -1 when the root is a whole UNC share with nothing below it.
int firstLevelStart(const char *path) {
    int at = 0;
    bool unc = false;
    if (strncmp(path, "\\\\?\\UNC\\", 8) == 0) {
        at = 8;
        unc = true;
    } else if (path[0] == '\\' && path[1] == '\\' && path[2] != '?') {
        at = 2;
        unc = true;
    } else if (strncmp(path, "\\\\?\\", 4) == 0) {
        at = 4;
    }
    if (unc) {
        int serverEnd = backslashFrom(path, at);
        if (serverEnd >= 0) {
            int shareEnd = backslashFrom(path, serverEnd + 1);
            if (shareEnd < 0 || path[shareEnd + 1] == 0) return -1;
            return skipBackslashesFrom(path, shareEnd + 1);
        }
        // Without a server separator it is not a share; the drive rule applies.
        at = 0;
    }
    if (path[at] != 0 && path[at + 1] == ':') at += 2;
    return skipBackslashesFrom(path, at);
}

// Closes a listing handle when the scope ends.
class FindHandleCloser {
public:
    explicit FindHandleCloser(HANDLE find) : m_find(find) {}
    ~FindHandleCloser() {
        if (m_find != INVALID_HANDLE_VALUE) FindClose(m_find);
    }
    FindHandleCloser(const FindHandleCloser &) = delete;
    FindHandleCloser &operator=(const FindHandleCloser &) = delete;

private:
    HANDLE m_find;
};

bool isDotEntry(const char *name) {
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

} // namespace

bool FileSys::createDirectory(const XString &path, LogBase *log) {
    XString local;
    pathtext::copyNormalized(path, local);
    WindowsVersion version;
    BOOL created;
    if (version.isLegacyOs()) {
        created = CreateDirectoryA(local.getAnsi(), nullptr);
    } else {
        XString callPath;
        pathtext::longFormUnlessEmpty(local, callPath);
        created = CreateDirectoryW(asWide(callPath.getUtf16()), nullptr);
    }
    if (created) return true;
    if (log) {
        StringBuffer text;
        text.appendLastWindowsError();
        log->logData("errorMsg", text.getString());
    }
    return false;
}

bool FileSys::createDirectoryIfMissing(const char *utf8Path, bool &created, LogBase *log) {
    created = false;
    if (utf8Path == nullptr || *utf8Path == 0 || strcmp(utf8Path, ".") == 0) return true;
    XString path;
    path.setFromUtf8(utf8Path);
    if (fileExists(path, nullptr)) return true;
    if (!createDirectory(path, log)) return false;
    created = true;
    return true;
}

bool FileSys::ensureDirectoryExists(const char *utf8Path, LogBase *log) {
    StringBuffer path(utf8Path ? utf8Path : "");
    path.trim2();
    path.replaceChar('/', '\\');
    if (path.getSize() == 0) return true;
    if (createLevelIfMissing(path, log)) return true;

    const char *text = path.getString();
    int start = firstLevelStart(text);
    if (start < 0) return createLevelIfMissing(path, log);
    int separator = backslashFrom(text, start);
    if (separator < 0) return reportCannotEnsure(log, text);
    for (; separator >= 0; separator = backslashFrom(text, separator + 1)) {
        StringBuffer level;
        level.appendN(text, separator);
        if (!createLevelIfMissing(level, log)) return reportCannotEnsure(log, level.getString());
    }
    if (!createLevelIfMissing(path, log)) return reportCannotEnsure(log, text);
    return true;
}

bool FileSys::ensureParentDirectoryExists(const char *utf8FilePath, StringBuffer &work,
                                          LogBase *log) {
    if (utf8FilePath == nullptr) {
        if (log) log->logError("No filePath");
        return false;
    }
    work.setString(utf8FilePath);
    work.replaceChar('/', '\\');
    work.trim2();
    const char *text = work.getString();
    const char *last = strrchr(text, '\\');
    if (last == nullptr || last == text) return true;
    StringBuffer parent;
    parent.appendN(text, static_cast<int>(last - text));
    return ensureDirectoryExists(parent.getString(), log);
}

bool FileSys::removeDirectory(const XString &path, LogBase *log) {
    XString local;
    pathtext::copyNormalized(path, local);
    XString callPath;
    pathtext::longFormUnlessEmpty(local, callPath);
    if (RemoveDirectoryW(asWide(callPath.getUtf16()))) return true;
    if (log) log->logLastWindowsError();
    return false;
}

void FileSys::deleteTreeContents(const char *ansiPath, LogBase *log) {
    // An empty path would become "\", the root of the current drive.
    if (ansiPath == nullptr || *ansiPath == 0) return;
    StringBuffer directory(ansiPath);
    if (directory.lastChar() != '\\') directory.appendChar('\\');
    if (directory.containsChar('*')) {
        if (log) log->logError("Cannot use wildcards when deleting a directory tree.");
        return;
    }
    StringBuffer pattern(directory);
    pattern.append("*.*");
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern.getString(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    FindHandleCloser closer(find);
    do {
        if (isDotEntry(entry.cFileName)) continue;
        StringBuffer child(directory);
        child.append(entry.cFileName);
        XString childPath;
        childPath.setFromAnsi(child.getString());
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            deleteFile(childPath, nullptr);
            continue;
        }
        // A linked directory is removed as a link; what it points at is not ours.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            deleteTreeContents(child.getString(), log);
        removeDirectory(childPath, nullptr);
    } while (FindNextFileA(find, &entry));
}
