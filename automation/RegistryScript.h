#pragma once

#include <string>
#include <utility>
#include <vector>

// The registrar's script format, read without touching the registry, so that it builds
// and is tested on every platform: keys in braces, "s" (string) and "d" (number) values,
// "val" for named values, NoRemove / ForceRemove / Delete flags, quoted names with ''
// for a quote.
namespace regscript {

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };
enum class ValueType { String, Number };

struct Value {
    bool present = false;
    ValueType type = ValueType::String;
    std::wstring text;
};

struct Key {
    KeyFlag flag = KeyFlag::None;
    std::wstring name;
    Value value;
    std::vector<std::pair<std::wstring, Value>> namedValues;
    std::vector<Key> children;
};

// The keys of every HKCR (HKEY_CLASSES_ROOT) block of the script, in order. False for a
// malformed script and for one nested more than 32 levels deep.
bool parse(const std::wstring &script, std::vector<Key> &keys);

} // namespace regscript
