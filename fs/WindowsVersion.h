#pragma once

#include <cstdint>

// The operating system version, read once at construction. Windows NT 4 and the 9x
// family (major version 4) get the ANSI calls with plain paths.
class WindowsVersion {
public:
    WindowsVersion();

    bool isLegacyOs() const { return m_majorVersion == 4; }
    uint32_t getMajorVersion() const { return m_majorVersion; }

private:
    uint32_t m_majorVersion;
};
