// Looks a charset name up and holds the hashed lookup against a plain search of the
// name table after the documented normalisation; selects the name and a code page
// through _txCharset and checks what it stores.
// Input: two bytes of code page, then the name.

#include "charset/CharsetNames.h"
#include "charset/TxCharset.h"
#include "core/StringBuffer.h"
#include "fuzz/FuzzInput.h"
#include "platform/Win32.h"

#include <cstring>
#include <string>

using fuzzing::require;

namespace {

int plainLookup(const char *name) {
    StringBuffer normalized;
    require(normalizeCharsetName(name, normalized), "normalizeCharsetName failed");
    if (normalized.equalsIgnoreCase("ansi")) return static_cast<int>(GetACP());
    int count = 0;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(table[i].name, normalized.getString()) == 0) return table[i].codePage;
    }
    return 0;
}

// Once: the table is sorted, and every entry and canonical name finds a code page.
bool checkTable() {
    int count = 0;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    for (int i = 0; i < count; ++i) {
        require(i == 0 || std::strcmp(table[i - 1].name, table[i].name) < 0,
                "name table not sorted");
        require(charsetNameToCodePage(table[i].name) == table[i].codePage,
                "a table entry does not look up to its code page");
    }
    StringBuffer name;
    for (int codePage = 0; codePage < 70000; ++codePage) {
        if (codePageToCharsetName(codePage, name))
            require(charsetNameToCodePage(name.getString()) != 0, "a canonical name is unknown");
    }
    return true;
}

bool equalsAsciiNoCase(const std::string &a, const char *b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        if (c != b[i]) return false;
    }
    return true;
}

// What _txCharset must hold after setByCodePage.
void expectCodePage(const _txCharset &charset, int codePage) {
    StringBuffer canonical;
    bool known = codePageToCharsetName(codePage, canonical);
    require(charset.getCodePage() == (known ? codePage : 0), "setByCodePage stored another page");
    require(charset.getName().equals(canonical.getString()), "setByCodePage stored another name");
}

void checkSelection(const std::string &name) {
    _txCharset charset;
    bool selected = charset.setByName(name.c_str());
    if (name == "default" || name == "x-user-defined") {
        require(selected && charset.getCodePage() == 0 && charset.getName().getSize() == 0,
                "a special word did not clear the charset");
    } else if (equalsAsciiNoCase(name, "ansi") || equalsAsciiNoCase(name, "oem")) {
        require(selected, "ansi or oem refused");
        expectCodePage(charset, static_cast<int>(name.size() == 4 ? GetACP() : GetOEMCP()));
    } else {
        int codePage = plainLookup(name.c_str());
        require(selected == (codePage != 0), "setByName result differs from the lookup");
        require(charset.getCodePage() == codePage, "setByName stored another page");
        StringBuffer canonical;
        codePageToCharsetName(codePage, canonical);
        require(charset.getName().equals(canonical.getString()), "setByName stored another name");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool tableChecked = checkTable();
    (void)tableChecked;

    fuzzing::FuzzInput input(data, size);
    int codePage = input.byte() | input.byte() << 8;
    std::string bytes = input.rest();
    std::string name = bytes.substr(0, bytes.find('\0'));

    int found = charsetNameToCodePage(name.c_str());
    require(found == plainLookup(name.c_str()), "hashed lookup differs from the table");
    require(isKnownCharsetName(name.c_str()) == (found != 0), "isKnownCharsetName disagrees");
    std::string upper = name;
    for (char &c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    require(charsetNameToCodePage(upper.c_str()) == found, "case changed the lookup");

    checkSelection(name);
    _txCharset charset;
    charset.setByCodePage(codePage);
    expectCodePage(charset, codePage);
    return 0;
}
