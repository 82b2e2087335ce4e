// Parses a registry script; when it is accepted, writes the keys back as a script in the
// plainest form (every name and value quoted) and parses that, which must give the same
// keys again. Input: the script, one character per byte; an odd byte from 0x81 up starts
// a two-byte character.

#include "automation/RegistryScript.h"
#include "fuzz/FuzzInput.h"

#include <string>
#include <vector>

using fuzzing::require;
using regscript::Key;
using regscript::KeyFlag;
using regscript::Value;

namespace {

std::wstring quoted(const std::wstring &text) {
    std::wstring out = L"'";
    for (wchar_t c : text) {
        out += c;
        if (c == L'\'') out += L'\'';
    }
    return out + L"'";
}

std::wstring valueText(const Value &value) {
    return (value.type == regscript::ValueType::Number ? L" = d " : L" = s ") + quoted(value.text);
}

void write(const Key &key, std::wstring &out) {
    static const wchar_t *const flags[] = {L"", L"NoRemove ", L"ForceRemove ", L"Delete "};
    out += flags[static_cast<int>(key.flag)] + quoted(key.name);
    if (key.value.present) out += valueText(key.value);
    out += L"\n{\n";
    for (const auto &named : key.namedValues)
        out += L"val " + quoted(named.first) + valueText(named.second) + L"\n";
    for (const Key &child : key.children)
        write(child, out);
    out += L"}\n";
}

bool sameValue(const Value &a, const Value &b) {
    return a.present == b.present && (!a.present || (a.type == b.type && a.text == b.text));
}

bool sameKey(const Key &a, const Key &b) {
    if (a.flag != b.flag || a.name != b.name || !sameValue(a.value, b.value)) return false;
    if (a.namedValues.size() != b.namedValues.size() || a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.namedValues.size(); ++i) {
        if (a.namedValues[i].first != b.namedValues[i].first ||
            !sameValue(a.namedValues[i].second, b.namedValues[i].second))
            return false;
    }
    for (size_t i = 0; i < a.children.size(); ++i)
        if (!sameKey(a.children[i], b.children[i])) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::wstring script;
    for (size_t i = 0; i < size; ++i) {
        if ((data[i] & 0x81) == 0x81 && i + 1 < size) {
            script += static_cast<wchar_t>(data[i] << 8 | data[i + 1]);
            ++i;
        } else {
            script += static_cast<wchar_t>(data[i]);
        }
    }
    std::vector<Key> keys;
    if (!regscript::parse(script, keys)) return 0;

    std::wstring again = L"HKCR\n{\n";
    for (const Key &key : keys)
        write(key, again);
    again += L"}\n";
    std::vector<Key> reread;
    require(regscript::parse(again, reread), "a written script was refused");
    require(reread.size() == keys.size(), "a written script has other keys");
    for (size_t i = 0; i < keys.size(); ++i)
        require(sameKey(keys[i], reread[i]), "a written script has other keys");
    return 0;
}
