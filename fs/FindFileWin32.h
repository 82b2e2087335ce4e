#pragma once

#include "platform/Win32.h"

#include <cstdint>

class LogBase;
class XString;

// One directory listing in progress over FindFirstFile/FindNextFile. The wide calls
// are used unless the OS is a legacy one. "." and ".." come back like any entry.
class FindFileWin32 {
public:
    FindFileWin32();
    virtual ~FindFileWin32();
    FindFileWin32(const FindFileWin32 &) = delete;
    FindFileWin32 &operator=(const FindFileWin32 &) = delete;

    // Path is a directory and a pattern, such as C:\dir\*.*; true when an entry was found.
    bool findFirst(const XString &path, LogBase *log);
    bool findNext(LogBase *log);
    void closeFind();
    bool isOpen() const { return m_find != INVALID_HANDLE_VALUE; }

    // The entry of the last successful call.
    void getEntryName(XString &out) const;
    // Whether the entry is "." or "..", read from the record without building a name.
    bool isEntryDotName() const;
    uint32_t getEntryAttributes() const;
    bool isEntryDirectory() const;
    int64_t getEntrySize64() const;

private:
    HANDLE m_find;
    bool m_wide;
    WIN32_FIND_DATAA m_ansiEntry;
    WIN32_FIND_DATAW m_wideEntry;
};
