#include "fs/WindowsVersion.h"

#include "platform/Win32.h"

#include <cstring>

WindowsVersion::WindowsVersion() : m_majorVersion(0) {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    // The size every Windows version accepts for the plain (not EX) record.
    info.dwOSVersionInfoSize = 148;
    if (GetVersionExA(&info)) m_majorVersion = info.dwMajorVersion;
}
