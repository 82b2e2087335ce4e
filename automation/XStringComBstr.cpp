#include "core/XStringCom.h"

#include <oleauto.h>

static_assert(sizeof(OLECHAR) == sizeof(uint16_t), "BSTR units are UTF-16");

void XStringCom::setFromBstr(const wchar_t *bstr) {
    // SysStringLen counts embedded zeros, which are kept.
    uint32_t count = bstr ? SysStringLen(const_cast<BSTR>(bstr)) : 0;
    setFromUtf16N(reinterpret_cast<const uint16_t *>(bstr), count);
}

wchar_t *XStringCom::getBstr() {
    uint32_t count = 0;
    const uint16_t *units = getUtf16N(count);
    return SysAllocStringLen(count ? reinterpret_cast<const OLECHAR *>(units) : L"", count);
}
