// The registrar's script parser, without the registry.
#include "automation/RegistryScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring nested(int levels) {
    std::wstring script = L"HKCR {";
    for (int i = 0; i < levels; ++i)
        script += L" k {";
    for (int i = 0; i < levels; ++i)
        script += L" }";
    return script + L" }";
}

TEST(RegistryScriptTest, AcceptsWellFormedScriptsAndBoundsTheirDepth) {
    const struct {
        std::wstring script;
        bool accepted;
        size_t keys;
    } rows[] = {
        {L"HKCR { NoRemove CLSID { ForceRemove {x} = s 'a''b' { val M = d '1' } } k }", true, 2},
        {L"HKCR { k = s 'open }", false, 0},
        {L"HKCR { k { }", false, 0},
        {L"HKLM { }", false, 0},
        // A script nested deeper than any registration would exhaust the stack.
        {nested(31), true, 1},
        {nested(32), false, 0},
        {nested(100000), false, 0},
    };
    for (const auto &row : rows) {
        std::vector<regscript::Key> keys;
        EXPECT_EQ(row.accepted, regscript::parse(row.script, keys)) << row.script.size();
        EXPECT_EQ(row.keys, keys.size()) << row.script.size();
    }
}

} // namespace
