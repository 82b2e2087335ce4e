#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Runs a registry script in the registrar's format (keys in braces, s and d values,
// val for named values, NoRemove / ForceRemove / Delete flags) against a classes root:
// HKEY_CLASSES_ROOT machine-wide, or HKCU\Software\Classes for one user. %NAME%
// markers are replaced before the script is run.
class Registrar {
public:
    explicit Registrar(HKEY classesRoot) : m_root(classesRoot) {}
    void addReplacement(const wchar_t *name, const wchar_t *value);
    // Parses the whole script first, so a malformed one changes nothing.
    HRESULT run(const char *script, size_t length, bool install) const;

private:
    HKEY m_root;
    std::vector<std::pair<std::wstring, std::wstring>> m_replacements;
};
