#include "charset/TxCharset.h"

#include "charset/CharsetNames.h"
#include "platform/Win32.h"

#include <cstring>

namespace {

bool equalsAsciiNoCase(const char *a, const char *b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
        if (x != y) return false;
        if (x == 0) return true;
    }
}

} // namespace

// Starts on a one-byte block: most charsets live only for one call.
_txCharset::_txCharset() : m_codePage(0), m_name("") {}

_txCharset::~_txCharset() {}

bool _txCharset::setByName(const char *name) {
    if (name == nullptr) return false;
    if (strcmp(name, "default") == 0 || strcmp(name, "x-user-defined") == 0) {
        clearCharset();
        return true;
    }
    if (equalsAsciiNoCase(name, "ansi")) {
        setByCodePage(static_cast<int>(GetACP()));
        return true;
    }
    if (equalsAsciiNoCase(name, "oem")) {
        setByCodePage(static_cast<int>(GetOEMCP()));
        return true;
    }
    int codePage = charsetNameToCodePage(name);
    if (codePage == 0) {
        clearCharset();
        return false;
    }
    // Some code pages are reachable by name yet have no canonical name; they are
    // selected all the same.
    select(codePage);
    return true;
}

void _txCharset::setByCodePage(int codePage) {
    if (codePageToCharsetName(codePage, m_name)) {
        m_codePage = codePage;
        m_name.minimizeMemory();
    } else {
        clearCharset();
    }
}

void _txCharset::clearCharset() {
    m_codePage = 0;
    m_name.clear();
    m_name.minimizeMemory();
}

void _txCharset::select(int codePage) {
    m_codePage = codePage;
    codePageToCharsetName(codePage, m_name);
    m_name.minimizeMemory();
}
