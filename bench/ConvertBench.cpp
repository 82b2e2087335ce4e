// Throughput of the conversion engine on 16 MiB of realistic text per route, the output
// appended to a buffer that keeps its block between runs (as a caller converting file
// after file into one buffer would).

#include "ConvertCorpus.h"

#include <benchmark/benchmark.h>

namespace {

struct Route {
    const char *name;
    int from;
    int to;
    std::u16string (*make)(size_t, unsigned);
};

const Route kRoutes[] = {
    {"windows-1252 to UTF-8", 1252, 65001, corpus::latinText},
    {"UTF-8 to windows-1252", 65001, 1252, corpus::latinText},
    {"UTF-8 to UTF-16 (multilingual)", 65001, 1200, corpus::multilingualText},
    {"UTF-16 to UTF-8 (multilingual)", 1200, 65001, corpus::multilingualText},
    {"UTF-8 to UTF-16 (Western)", 65001, 1200, corpus::latinText},
    {"UTF-16 to UTF-8 (Western)", 1200, 65001, corpus::latinText},
    {"UTF-8 to UTF-16 (Japanese)", 65001, 1200, corpus::japaneseText},
    {"UTF-16 to UTF-8 (Japanese)", 1200, 65001, corpus::japaneseText},
    {"Shift_JIS to UTF-8", 932, 65001, corpus::japaneseText},
    {"UTF-8 to Shift_JIS", 65001, 932, corpus::japaneseText},
    {"GBK to UTF-8", 936, 65001, corpus::chineseText},
    {"EUC-KR to UTF-8", 949, 65001, corpus::koreanText},
};

void convertRoute(benchmark::State &state, const Route &route) {
    std::string input = corpus::textFor(route.make, route.from);
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    for (auto _ : state) {
        out.clear();
        bool ok = converter.convert(route.from, route.to,
                                    reinterpret_cast<const unsigned char *>(input.data()),
                                    static_cast<unsigned>(input.size()), out, log);
        if (!ok) state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.getData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(input.size()));
    state.counters["in_MiB"] = static_cast<double>(input.size()) / (1 << 20);
    state.counters["out_MiB"] = static_cast<double>(out.getSize()) / (1 << 20);
}

int registerRoutes() {
    for (const Route &route : kRoutes)
        benchmark::RegisterBenchmark(route.name, convertRoute, route)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    return 0;
}

const int g_registered = registerRoutes();

} // namespace
