// Charset name lookups: every text operation with a charset argument makes one.
#include "charset/CharsetNames.h"

#include "core/StringBuffer.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

std::vector<std::string> tableNames() {
    int count = 0;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(table[i].name);
    return names;
}

// Capitals, underscores and blanks around, as hosts write names.
std::vector<std::string> messyNames() {
    std::vector<std::string> names;
    for (std::string name : tableNames()) {
        for (char &c : name) {
            if (c == '-') c = '_';
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        }
        names.push_back(" \t" + name + "\r\n");
    }
    return names;
}

std::vector<std::string> unknownNames() {
    std::vector<std::string> names;
    for (const std::string &name : tableNames())
        names.push_back(name + "-x");
    names.push_back("");
    names.push_back("no-such-charset");
    names.push_back(std::string(300, 'a'));
    return names;
}

void runLookups(benchmark::State &state, const std::vector<std::string> &names) {
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(charsetNameToCodePage(names[next].c_str()));
        if (++next == names.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_CharsetNameToCodePage_TableNames(benchmark::State &state) {
    runLookups(state, tableNames());
}
BENCHMARK(BM_CharsetNameToCodePage_TableNames);

void BM_CharsetNameToCodePage_MessySpellings(benchmark::State &state) {
    runLookups(state, messyNames());
}
BENCHMARK(BM_CharsetNameToCodePage_MessySpellings);

void BM_CharsetNameToCodePage_UnknownNames(benchmark::State &state) {
    runLookups(state, unknownNames());
}
BENCHMARK(BM_CharsetNameToCodePage_UnknownNames);

void BM_CodePageToCharsetName(benchmark::State &state) {
    std::vector<int> codePages;
    int count = 0;
    const CharsetNameEntry *table = getCharsetNameTable(count);
    for (int i = 0; i < count; ++i)
        codePages.push_back(table[i].codePage);
    StringBuffer out;
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(codePageToCharsetName(codePages[next], out));
        if (++next == codePages.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CodePageToCharsetName);

} // namespace
