// The one place where XString's UTF-16 units meet the WCHAR of the Win32 wide calls
// (wchar_t on Windows, char16_t elsewhere; both 16 bits wide).
#pragma once

#include "platform/Win32.h"

#include <cstdint>

static_assert(sizeof(WCHAR) == sizeof(uint16_t), "WCHAR must hold one UTF-16 unit");

inline const WCHAR *asWide(const uint16_t *units) {
    return reinterpret_cast<const WCHAR *>(units);
}

inline const uint16_t *asUnits(const WCHAR *text) {
    return reinterpret_cast<const uint16_t *>(text);
}
