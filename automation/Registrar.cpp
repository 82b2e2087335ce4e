#include "automation/Registrar.h"

#include <cwctype>

namespace {

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };

struct RegValue {
    bool present = false;
    DWORD type = REG_SZ;
    std::wstring text;
};

struct RegKey {
    KeyFlag flag = KeyFlag::None;
    std::wstring name;
    RegValue value;
    std::vector<std::pair<std::wstring, RegValue>> namedValues;
    std::vector<RegKey> children;
};

struct Token {
    std::wstring text;
    bool quoted;
};

bool isDelimiter(wchar_t c) {
    return iswspace(c) || c == L'{' || c == L'}' || c == L'=';
}

// A brace glued to the next character opens a key name such as {clsid}, not a body.
bool startsGuid(const std::wstring &script, size_t i) {
    return script[i] == L'{' && i + 1 < script.size() && !iswspace(script[i + 1]);
}

bool tokenize(const std::wstring &script, std::vector<Token> &tokens) {
    size_t i = 0;
    while (i < script.size()) {
        wchar_t c = script[i];
        if (iswspace(c)) {
            ++i;
        } else if (startsGuid(script, i)) {
            size_t start = i;
            while (i < script.size() && !iswspace(script[i]) && script[i] != L'=')
                ++i;
            tokens.push_back({script.substr(start, i - start), true});
        } else if (c == L'{' || c == L'}' || c == L'=') {
            tokens.push_back({std::wstring(1, c), false});
            ++i;
        } else if (c == L'\'') {
            std::wstring text;
            for (++i;; ++i) {
                if (i >= script.size()) return false;
                if (script[i] == L'\'') {
                    // A doubled quote stands for one quote.
                    if (i + 1 < script.size() && script[i + 1] == L'\'') {
                        text += L'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += script[i];
            }
            tokens.push_back({text, true});
        } else {
            size_t start = i;
            while (i < script.size() && !isDelimiter(script[i]))
                ++i;
            tokens.push_back({script.substr(start, i - start), false});
        }
    }
    return true;
}

bool sameWord(const Token &t, const wchar_t *word) {
    return !t.quoted && _wcsicmp(t.text.c_str(), word) == 0;
}

class Parser {
public:
    explicit Parser(const std::vector<Token> &tokens) : m_tokens(tokens) {}

    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token *peek() const { return atEnd() ? nullptr : &m_tokens[m_pos]; }
    bool take(const wchar_t *word) {
        if (atEnd() || !sameWord(m_tokens[m_pos], word)) return false;
        ++m_pos;
        return true;
    }

    bool parseValue(RegValue &value) {
        const Token *type = next();
        const Token *text = next();
        if (!type || !text) return false;
        if (sameWord(*type, L"s")) {
            value.type = REG_SZ;
        } else if (sameWord(*type, L"d")) {
            value.type = REG_DWORD;
        } else {
            return false;
        }
        value.present = true;
        value.text = text->text;
        return true;
    }

    // Keys up to the closing brace of the body the caller opened.
    bool parseBody(RegKey &key) {
        while (!take(L"}")) {
            if (atEnd()) return false;
            if (take(L"val")) {
                const Token *name = next();
                std::pair<std::wstring, RegValue> named;
                if (!name || !take(L"=") || !parseValue(named.second)) return false;
                named.first = name->text;
                key.namedValues.push_back(named);
                continue;
            }
            RegKey child;
            if (!parseKey(child)) return false;
            key.children.push_back(child);
        }
        return true;
    }

    bool parseKey(RegKey &key) {
        if (take(L"NoRemove"))
            key.flag = KeyFlag::NoRemove;
        else if (take(L"ForceRemove"))
            key.flag = KeyFlag::ForceRemove;
        else if (take(L"Delete"))
            key.flag = KeyFlag::Delete;
        const Token *name = next();
        if (!name || (!name->quoted && isDelimiter(name->text[0]))) return false;
        key.name = name->text;
        if (take(L"=") && !parseValue(key.value)) return false;
        if (take(L"{")) return parseBody(key);
        return true;
    }

private:
    const Token *next() { return atEnd() ? nullptr : &m_tokens[m_pos++]; }

    const std::vector<Token> &m_tokens;
    size_t m_pos = 0;
};

LONG setValue(HKEY key, const wchar_t *name, const RegValue &value) {
    if (value.type == REG_DWORD) {
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

HRESULT installKey(HKEY parent, const RegKey &key) {
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
    for (const RegKey &child : key.children) {
        if (SUCCEEDED(hr)) hr = installKey(opened, child);
    }
    RegCloseKey(opened);
    return hr;
}

HRESULT uninstallKey(HKEY parent, const RegKey &key) {
    if (key.flag != KeyFlag::NoRemove) {
        LONG rc = RegDeleteTreeW(parent, key.name.c_str());
        return rc == ERROR_SUCCESS || isMissing(rc) ? S_OK : HRESULT_FROM_WIN32(rc);
    }
    HKEY opened;
    LONG rc = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (isMissing(rc)) return S_OK;
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    HRESULT hr = S_OK;
    for (const RegKey &child : key.children) {
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
    std::vector<Token> tokens;
    if (!tokenize(text, tokens)) return E_INVALIDARG;

    Parser parser(tokens);
    std::vector<RegKey> roots;
    while (!parser.atEnd()) {
        // Only the classes root is ever written by our scripts.
        if (!parser.take(L"HKCR") && !parser.take(L"HKEY_CLASSES_ROOT")) return E_INVALIDARG;
        RegKey root;
        root.flag = KeyFlag::NoRemove;
        if (!parser.take(L"{") || !parser.parseBody(root)) return E_INVALIDARG;
        roots.push_back(root);
    }
    HRESULT hr = S_OK;
    for (const RegKey &root : roots) {
        for (const RegKey &key : root.children) {
            HRESULT one = install ? installKey(m_root, key) : uninstallKey(m_root, key);
            if (FAILED(one) && SUCCEEDED(hr)) hr = one;
        }
    }
    return hr;
}
