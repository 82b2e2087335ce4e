// Runs each conversion route through the engine and through the C library's iconv on
// the same 16 MiB of text, checks that both give the same bytes, and prints the
// throughput of each (MB/s of input, best of several runs taken in turn) and their
// ratio. Both write into an output block that is kept between runs.
//
// Usage: bench_compare_iconv [runs]

#include "ConvertCorpus.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

struct Route {
    const char *name;
    int from;
    int to;
    const char *iconvFrom;
    const char *iconvTo;
    std::u16string (*make)(size_t, unsigned);
    double goal; // the engine's throughput over iconv's must reach this
};

const Route kRoutes[] = {
    {"windows-1252 -> UTF-8", 1252, 65001, "CP1252", "UTF-8", corpus::latinText, 1.0},
    {"UTF-8 -> windows-1252", 65001, 1252, "UTF-8", "CP1252", corpus::latinText, 1.0},
    {"UTF-8 -> UTF-16 multilingual", 65001, 1200, "UTF-8", "UTF-16LE", corpus::multilingualText,
     2.0},
    {"UTF-16 -> UTF-8 multilingual", 1200, 65001, "UTF-16LE", "UTF-8", corpus::multilingualText,
     2.0},
    {"UTF-8 -> UTF-16 Western", 65001, 1200, "UTF-8", "UTF-16LE", corpus::latinText, 2.0},
    {"UTF-16 -> UTF-8 Western", 1200, 65001, "UTF-16LE", "UTF-8", corpus::latinText, 2.0},
    {"UTF-8 -> UTF-16 Japanese", 65001, 1200, "UTF-8", "UTF-16LE", corpus::japaneseText, 2.0},
    {"UTF-16 -> UTF-8 Japanese", 1200, 65001, "UTF-16LE", "UTF-8", corpus::japaneseText, 2.0},
    {"Shift_JIS -> UTF-8", 932, 65001, "CP932", "UTF-8", corpus::japaneseText, 1.0},
    {"UTF-8 -> Shift_JIS", 65001, 932, "UTF-8", "CP932", corpus::japaneseText, 1.0},
    {"GBK -> UTF-8", 936, 65001, "GBK", "UTF-8", corpus::chineseText, 1.0},
    {"EUC-KR -> UTF-8", 949, 65001, "CP949", "UTF-8", corpus::koreanText, 1.0},
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One conversion with the engine into out, which keeps its block; gives the seconds.
double timeEngine(const Route &route, const std::string &input, DataBuffer &out) {
    EncodingConvert converter;
    LogNull log;
    out.clear();
    Clock::time_point start = Clock::now();
    bool ok = converter.convert(route.from, route.to,
                                reinterpret_cast<const unsigned char *>(input.data()),
                                static_cast<unsigned>(input.size()), out, log);
    double seconds = secondsSince(start);
    if (!ok) {
        std::fprintf(stderr, "%s: the engine reported a failure\n", route.name);
        std::exit(1);
    }
    return seconds;
}

// One conversion with iconv into block; gives the seconds and the bytes produced.
double timeIconv(const Route &route, iconv_t cd, const std::string &input, std::vector<char> &block,
                 size_t &produced) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(input.data());
    size_t inLeft = input.size();
    char *out = block.data();
    size_t outLeft = block.size();
    Clock::time_point start = Clock::now();
    size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    double seconds = secondsSince(start);
    if (result == static_cast<size_t>(-1) || inLeft != 0) {
        std::fprintf(stderr, "%s: iconv stopped with %zu bytes left: %s\n", route.name, inLeft,
                     std::strerror(errno));
        std::exit(1);
    }
    produced = block.size() - outLeft;
    return seconds;
}

} // namespace

int main(int argc, char **argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::printf("%-30s %8s %10s %10s %7s %5s  %s\n", "route", "MiB in", "ours MB/s", "iconv MB/s",
                "ratio", "goal", "output");
    int missed = 0;
    for (const Route &route : kRoutes) {
        std::string input = corpus::textFor(route.make, route.from);
        iconv_t cd = iconv_open(route.iconvTo, route.iconvFrom);
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv has no %s -> %s\n", route.iconvFrom, route.iconvTo);
            return 1;
        }
        DataBuffer out;
        std::vector<char> block(input.size() * 3 + 16);
        size_t produced = 0;
        // The two take turns, so that other load on the machine falls on both alike.
        double oursSeconds = 1e9, iconvSeconds = 1e9;
        for (int run = 0; run < runs; ++run) {
            oursSeconds = std::min(oursSeconds, timeEngine(route, input, out));
            iconvSeconds = std::min(iconvSeconds, timeIconv(route, cd, input, block, produced));
        }
        iconv_close(cd);
        std::string ours(reinterpret_cast<const char *>(out.getData()), out.getSize());
        std::string theirs(block.data(), produced);
        double megabytes = static_cast<double>(input.size()) / 1e6;
        double ratio = iconvSeconds / oursSeconds;
        bool met = ratio >= route.goal;
        missed += met ? 0 : 1;
        std::printf("%-30s %8.1f %10.0f %10.0f %7.2f %4.0fx  %s%s\n", route.name,
                    static_cast<double>(input.size()) / (1 << 20), megabytes / oursSeconds,
                    megabytes / iconvSeconds, ratio, route.goal,
                    ours == theirs ? "same bytes" : "DIFFERENT bytes",
                    met ? "" : "  (goal missed)");
    }
    return missed == 0 ? 0 : 2;
}
