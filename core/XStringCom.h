#pragma once

#include "core/XString.h"

#include <cstdint>

// The XString of the automation boundary. Automation strings are counted UTF-16 and
// may hold 0 units, so the text moves in and out by count, not up to a terminator.
class XStringCom : public XString {
public:
    XStringCom();
    ~XStringCom() override;

    // Null units or a count of 0 give the empty string; otherwise the count units
    // become the only current form.
    void setFromUtf16N(const uint16_t *units, uint32_t count);
    // The UTF-16 form, made current; count excludes the terminator that follows.
    const uint16_t *getUtf16N(uint32_t &count);

#ifdef _WIN32
    // Automation strings (automation/XStringComBstr.cpp, the only place that links
    // OLE Automation). A null or empty bstr gives the empty string.
    void setFromBstr(const wchar_t *bstr);
    // A new automation string the caller owns; never null unless memory ran out.
    wchar_t *getBstr();
#endif
};
