#include "fs/FileSys.h"

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/PathText.h"
#include "fs/WideText.h"
#include "fs/WindowsVersion.h"

#include <cstring>

namespace {

const char longPrefix[] = "\\\\?\\";
const char uncLongPrefix[] = "\\\\?\\UNC\\";

bool resolvedFits(DWORD length) {
    return length > 0 && length < static_cast<DWORD>(FileSys::pathBufferChars);
}

const char *skipBackslashes(const char *p) {
    while (*p == '\\')
        ++p;
    return p;
}

// The text after the last separator, "\" before "/"; the whole text without one.
const char *textAfterLastSeparator(const char *text) {
    const char *separator = strrchr(text, '\\');
    if (separator == nullptr) separator = strrchr(text, '/');
    return separator ? separator + 1 : text;
}

void trimmedNormalizedDir(const XString &dir, XString &out) {
    out.copyFrom(dir);
    out.trim2();
    out.replaceAllOccurrencesUtf8("/", "\\");
}

} // namespace

void FileSys::getFullPath(const XString &path, XString &out) {
    XString copy;
    pathtext::copyNormalized(path, copy);
    out.clear();
    WindowsVersion version;
    if (version.isLegacyOs()) {
        char resolved[pathBufferChars];
        DWORD length = GetFullPathNameA(copy.getAnsi(), pathBufferChars, resolved, nullptr);
        if (resolvedFits(length)) {
            out.setFromAnsi(resolved);
            return;
        }
    } else {
        WCHAR resolved[pathBufferChars];
        DWORD length =
            GetFullPathNameW(asWide(copy.getUtf16()), pathBufferChars, resolved, nullptr);
        if (resolvedFits(length)) {
            out.setFromUtf16(asUnits(resolved));
            return;
        }
    }
    out.copyFrom(copy);
}

void FileSys::getFileNamePart(const XString &path, XString &out) {
    XString copy;
    pathtext::copyNormalized(path, copy);
    // out is set only at the end: it may be path itself, which the fallback reads.
    WindowsVersion version;
    if (version.isLegacyOs()) {
        char resolved[pathBufferChars];
        char *filePart = nullptr;
        DWORD length = GetFullPathNameA(copy.getAnsi(), pathBufferChars, resolved, &filePart);
        if (resolvedFits(length) && filePart != nullptr && *filePart != 0)
            out.setFromAnsi(filePart);
        else
            out.clear();
        return;
    }
    WCHAR resolved[pathBufferChars];
    WCHAR *filePart = nullptr;
    DWORD length = GetFullPathNameW(asWide(copy.getUtf16()), pathBufferChars, resolved, &filePart);
    if (resolvedFits(length) && filePart != nullptr && *filePart != 0) {
        out.setFromUtf16(asUnits(filePart));
        return;
    }
    // Windows reports no file part for a path ending in a separator and for a device
    // name such as con.txt; the text after the last separator stands in.
    XString asWritten;
    asWritten.copyFrom(path);
    StringBuffer part(textAfterLastSeparator(asWritten.getUtf8()));
    out.takeUtf8Sb(part);
}

void FileSys::toLongPathForm(const XString &path, XString &out) {
    XString full;
    getFullPath(path, full);
    if (full.beginsWithUtf8(longPrefix)) {
        out.copyFrom(full);
    } else if (full.beginsWithUtf8("\\\\")) {
        // \\server\share\x becomes \\?\UNC\server\share\x.
        out.setFromUtf8("\\\\?\\UNC");
        out.appendUtf8(full.getUtf8() + 1);
    } else {
        out.setFromUtf8(longPrefix);
        out.appendUtf8(full.getUtf8());
    }
}

void FileSys::stripPathRoot(XString &path) {
    path.replaceAllOccurrencesUtf8("/", "\\");
    StringBuffer text;
    const char *original = path.getUtf8();
    if (strncmp(original, uncLongPrefix, strlen(uncLongPrefix)) == 0) {
        text.append("\\\\");
        text.append(original + strlen(uncLongPrefix));
    } else if (strncmp(original, longPrefix, strlen(longPrefix)) == 0) {
        text.append(original + strlen(longPrefix));
    } else {
        text.append(original);
    }
    const char *s = text.getString();
    const char *rest = s;
    if (s[0] == '\\' && s[1] == '\\') {
        const char *serverEnd = strchr(s + 2, '\\');
        const char *shareEnd = serverEnd ? strchr(serverEnd + 1, '\\') : nullptr;
        rest = shareEnd ? skipBackslashes(shareEnd + 1) : "";
    } else if (s[0] != 0 && s[1] == ':') {
        rest = skipBackslashes(s + 2);
    } else if (s[0] == '\\') {
        rest = skipBackslashes(s);
    }
    if (strcmp(rest, original) == 0) return;
    // A leading U+FEFF is part of the name, not a byte order mark to drop.
    StringBuffer kept(rest);
    path.takeUtf8Sb(kept);
}

void FileSys::joinDirAndFileName(const XString &dir, const XString &name, XString &out) {
    XString joined;
    trimmedNormalizedDir(dir, joined);
    XString namePart;
    getFileNamePart(name, namePart);
    if (!joined.isEmpty() && !joined.endsWithUtf8("\\")) joined.appendUtf8("\\");
    joined.appendUtf8(namePart.getUtf8());
    out.copyFrom(joined);
}

void FileSys::joinDirAndRelativePath(const XString &dir, const XString &relPath, XString &out) {
    XString joined;
    trimmedNormalizedDir(dir, joined);
    XString relative;
    pathtext::copyNormalized(relPath, relative);
    if (!joined.isEmpty()) {
        if (!joined.endsWithUtf8("\\")) joined.appendUtf8("\\");
        stripPathRoot(relative);
    }
    joined.appendUtf8(relative.getUtf8());
    out.copyFrom(joined);
}
