#include "automation/RegistryScript.h"

#include <cwctype>
#include <utility>

namespace regscript {

namespace {

// Registrations nest a few levels; deeper scripts are refused before they exhaust the stack.
const int kMaxDepth = 32;

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

wchar_t asciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

// The script's words are ASCII; only their case is ignored.
bool sameWord(const Token &t, const wchar_t *word) {
    if (t.quoted) return false;
    size_t i = 0;
    for (; i < t.text.size() && word[i] != 0; ++i) {
        if (asciiLower(t.text[i]) != asciiLower(word[i])) return false;
    }
    return i == t.text.size() && word[i] == 0;
}

class Parser {
public:
    explicit Parser(const std::vector<Token> &tokens) : m_tokens(tokens) {}

    bool atEnd() const { return m_pos >= m_tokens.size(); }
    bool take(const wchar_t *word) {
        if (atEnd() || !sameWord(m_tokens[m_pos], word)) return false;
        ++m_pos;
        return true;
    }

    bool parseValue(Value &value) {
        const Token *type = next();
        const Token *text = next();
        if (!type || !text) return false;
        if (sameWord(*type, L"s")) {
            value.type = ValueType::String;
        } else if (sameWord(*type, L"d")) {
            value.type = ValueType::Number;
        } else {
            return false;
        }
        value.present = true;
        value.text = text->text;
        return true;
    }

    // Keys up to the closing brace of the body the caller opened, depth levels down.
    bool parseBody(Key &key, int depth) {
        if (depth > kMaxDepth) return false;
        while (!take(L"}")) {
            if (atEnd()) return false;
            if (take(L"val")) {
                const Token *name = next();
                std::pair<std::wstring, Value> named;
                if (!name || !take(L"=") || !parseValue(named.second)) return false;
                named.first = name->text;
                key.namedValues.push_back(std::move(named));
                continue;
            }
            Key child;
            if (!parseKey(child, depth)) return false;
            key.children.push_back(std::move(child));
        }
        return true;
    }

    bool parseKey(Key &key, int depth) {
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
        if (take(L"{")) return parseBody(key, depth + 1);
        return true;
    }

private:
    const Token *next() { return atEnd() ? nullptr : &m_tokens[m_pos++]; }

    const std::vector<Token> &m_tokens;
    size_t m_pos = 0;
};

} // namespace

bool parse(const std::wstring &script, std::vector<Key> &keys) {
    keys.clear();
    std::vector<Token> tokens;
    if (!tokenize(script, tokens)) return false;

    Parser parser(tokens);
    while (!parser.atEnd()) {
        // Only the classes root is ever written by our scripts.
        if (!parser.take(L"HKCR") && !parser.take(L"HKEY_CLASSES_ROOT")) return false;
        Key root;
        if (!parser.take(L"{") || !parser.parseBody(root, 1)) return false;
        for (Key &key : root.children)
            keys.push_back(std::move(key));
    }
    return true;
}

} // namespace regscript
