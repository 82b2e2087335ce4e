#include "automation/Registrar.h"

#include "automation/RegistryScript.h"

namespace {

using regscript::Key;
using regscript::KeyFlag;
using regscript::Value;

LONG setValue(HKEY key, const wchar_t *name, const Value &value) {
    if (value.type == regscript::ValueType::Number) {
        DWORD number = wcstoul(value.text.c_str(), nullptr, 0);
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                              sizeof number);
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

bool isMissing(LONG rc) {
    return rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND;
}

HRESULT installKey(HKEY parent, const Key &key) {
    if (key.flag == KeyFlag::ForceRemove || key.flag == KeyFlag::Delete) {
        LONG rc = RegDeleteTreeW(parent, key.name.c_str());
        if (rc != ERROR_SUCCESS && !isMissing(rc)) return HRESULT_FROM_WIN32(rc);
        if (key.flag == KeyFlag::Delete) return S_OK;
    }
    HKEY opened;
    LONG rc = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &opened, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    HRESULT hr = S_OK;
    if (key.value.present) hr = HRESULT_FROM_WIN32(setValue(opened, nullptr, key.value));
    for (const auto &named : key.namedValues) {
        if (SUCCEEDED(hr))
            hr = HRESULT_FROM_WIN32(setValue(opened, named.first.c_str(), named.second));
    }
    for (const Key &child : key.children) {
        if (SUCCEEDED(hr)) hr = installKey(opened, child);
    }
    RegCloseKey(opened);
    return hr;
}

HRESULT uninstallKey(HKEY parent, const Key &key) {
    if (key.flag != KeyFlag::NoRemove) {
        LONG rc = RegDeleteTreeW(parent, key.name.c_str());
        return rc == ERROR_SUCCESS || isMissing(rc) ? S_OK : HRESULT_FROM_WIN32(rc);
    }
    HKEY opened;
    LONG rc = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (isMissing(rc)) return S_OK;
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    HRESULT hr = S_OK;
    for (const Key &child : key.children) {
        if (SUCCEEDED(hr)) hr = uninstallKey(opened, child);
    }
    RegCloseKey(opened);
    return hr;
}

} // namespace

void Registrar::addReplacement(const wchar_t *name, const wchar_t *value) {
    m_replacements.emplace_back(std::wstring(L"%") + name + L"%", value);
}

HRESULT Registrar::run(const char *script, size_t length, bool install) const {
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, script, static_cast<int>(length), nullptr, 0);
    std::wstring text(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, script, static_cast<int>(length), &text[0], wideLength);
    for (const auto &replacement : m_replacements) {
        for (size_t at = text.find(replacement.first); at != std::wstring::npos;
             at = text.find(replacement.first, at + replacement.second.size())) {
            text.replace(at, replacement.first.size(), replacement.second);
        }
    }
    std::vector<Key> keys;
    if (!regscript::parse(text, keys)) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (const Key &key : keys) {
        HRESULT one = install ? installKey(m_root, key) : uninstallKey(m_root, key);
        if (FAILED(one) && SUCCEEDED(hr)) hr = one;
    }
    return hr;
}
