#pragma once

#include "core/StringBuffer.h"

// A selected character set: its code page and the canonical name of that code page.
// Code page 0 with an empty name means none is selected, which the conversion engine
// takes as "leave the text as it is".
class _txCharset {
public:
    _txCharset();
    _txCharset(const _txCharset &) = delete;
    _txCharset &operator=(const _txCharset &) = delete;
    virtual ~_txCharset();

    // "default" and "x-user-defined" (exact case) clear the selection and succeed;
    // "ansi" and "oem" (any case) select the machine's code pages; any other name goes
    // through the name table. False for a null name (nothing changes) and for an
    // unknown name (the selection is cleared).
    bool setByName(const char *name);
    // Selects codePage with its canonical name, or clears when it has none.
    void setByCodePage(int codePage);
    void clearCharset();

    int getCodePage() const { return m_codePage; }
    // The canonical name, not the name the caller gave; empty when the code page has
    // none.
    const StringBuffer &getName() const { return m_name; }

private:
    void select(int codePage);

    int m_codePage;
    StringBuffer m_name;
};
