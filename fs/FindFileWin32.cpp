#include "fs/FindFileWin32.h"

#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/PathText.h"
#include "fs/WideText.h"
#include "fs/WindowsVersion.h"
#include "log/LogBase.h"

#include <cstring>

FindFileWin32::FindFileWin32() : m_find(INVALID_HANDLE_VALUE), m_wide(true) {
    WindowsVersion version;
    m_wide = !version.isLegacyOs();
    memset(&m_ansiEntry, 0, sizeof m_ansiEntry);
    memset(&m_wideEntry, 0, sizeof m_wideEntry);
}

FindFileWin32::~FindFileWin32() {
    closeFind();
}

void FindFileWin32::closeFind() {
    if (m_find == INVALID_HANDLE_VALUE) return;
    FindClose(m_find);
    m_find = INVALID_HANDLE_VALUE;
}

bool FindFileWin32::findFirst(const XString &path, LogBase *log) {
    closeFind();
    if (!m_wide) {
        XString ansiPath;
        ansiPath.copyFrom(path);
        m_find = FindFirstFileA(ansiPath.getAnsi(), &m_ansiEntry);
        return isOpen();
    }
    XString local;
    pathtext::copyNormalized(path, local);
    XString longForm;
    FileSys::toLongPathForm(local, longForm);
    m_find = FindFirstFileW(asWide(longForm.getUtf16()), &m_wideEntry);
    if (isOpen()) return true;
    if (log) log->logData("filePath", longForm.getUtf8());

    // Some file systems and shares refuse the long form; try the plain path once.
    XString plain;
    if (longForm.beginsWithUtf8("\\\\?\\UNC\\")) {
        plain.setFromUtf8("\\\\");
        plain.appendUtf8(longForm.getUtf8() + 8);
    } else if (longForm.beginsWithUtf8("\\\\?\\")) {
        plain.setFromUtf8(longForm.getUtf8() + 4);
    } else {
        plain.copyFrom(longForm);
    }
    m_find = FindFirstFileW(asWide(plain.getUtf16()), &m_wideEntry);
    if (isOpen()) return true;
    if (log) log->logData("filePath2", plain.getUtf8());
    return false;
}

bool FindFileWin32::findNext(LogBase *log) {
    if (!isOpen()) {
        if (log) log->logError("Directory handle not yet open.");
        return false;
    }
    if (m_wide) return FindNextFileW(m_find, &m_wideEntry) != 0;
    return FindNextFileA(m_find, &m_ansiEntry) != 0;
}

void FindFileWin32::getEntryName(XString &out) const {
    if (m_wide)
        out.setFromUtf16(asUnits(m_wideEntry.cFileName));
    else
        out.setFromAnsi(m_ansiEntry.cFileName);
}

namespace {

template <typename Char> bool isDotName(const Char *name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

bool FindFileWin32::isEntryDotName() const {
    return m_wide ? isDotName(m_wideEntry.cFileName) : isDotName(m_ansiEntry.cFileName);
}

uint32_t FindFileWin32::getEntryAttributes() const {
    return m_wide ? m_wideEntry.dwFileAttributes : m_ansiEntry.dwFileAttributes;
}

bool FindFileWin32::isEntryDirectory() const {
    return (getEntryAttributes() & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int64_t FindFileWin32::getEntrySize64() const {
    DWORD high = m_wide ? m_wideEntry.nFileSizeHigh : m_ansiEntry.nFileSizeHigh;
    DWORD low = m_wide ? m_wideEntry.nFileSizeLow : m_ansiEntry.nFileSizeLow;
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}
