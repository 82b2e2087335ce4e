// Throughput of the content encoders, the base64 decoder and the CRC-32 over 1 MiB of
// random bytes and of mail-like text.

#include "core/StringBuffer.h"
#include "encoding/ContentCoding.h"
#include "encoding/ZipCRC.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

const size_t kSampleSize = 1 << 20;

enum SampleKind { kRandomBytes = 0, kTextLike = 1 };

std::string makeRandomBytes() {
    std::mt19937 gen(12345);
    std::string s(kSampleSize, '\0');
    for (auto &c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

// Words, punctuation and CR LF line ends, an occasional accented Latin-1 letter.
std::string makeTextLike() {
    static const char *const words[] = {"the",     "file",    "is",   "written", "to",
                                        "From",    "disk",    "and",  "read",    "back,",
                                        "caf\xE9", "value=1", "path", "a.b",     "(see)"};
    std::mt19937 gen(54321);
    std::string s;
    size_t lineStart = 0;
    while (s.size() < kSampleSize) {
        s += words[gen() % (sizeof words / sizeof words[0])];
        if (s.size() - lineStart > 60 + gen() % 15) {
            s += "\r\n";
            lineStart = s.size();
        } else {
            s += ' ';
        }
    }
    s.resize(kSampleSize);
    return s;
}

const std::string &sample(int64_t kind) {
    static const std::string randomBytes = makeRandomBytes();
    static const std::string textLike = makeTextLike();
    return kind == kRandomBytes ? randomBytes : textLike;
}

const char *sampleLabel(int64_t kind) {
    return kind == kRandomBytes ? "random" : "text";
}

using Encoder = bool (*)(const std::string &in, StringBuffer &out);

void runEncoder(benchmark::State &state, Encoder encode) {
    const std::string &in = sample(state.range(0));
    StringBuffer out;
    for (auto _ : state) {
        out.clear();
        if (!encode(in, out)) state.SkipWithError("encoder failed");
        benchmark::DoNotOptimize(out.getString());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(in.size()));
    state.SetLabel(sampleLabel(state.range(0)));
}

uint32_t size32(const std::string &s) {
    return static_cast<uint32_t>(s.size());
}

void BM_Base64(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        return encodeBase64(in.data(), size32(in), out);
    });
}

void BM_Hex(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        return encodeHex(in.data(), size32(in), out);
    });
}

void BM_QuotedPrintable(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        ContentCoding coding;
        return coding.encodeQuotedPrintable(in.data(), size32(in), out);
    });
}

void BM_UrlRfc3986(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        return encodeUrlRfc3986(in.data(), size32(in), out);
    });
}

void BM_UrlRfc1738(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        return encodeUrlRfc1738(in.data(), size32(in), out);
    });
}

void BM_EncodeBytesByName(benchmark::State &state) {
    runEncoder(state, [](const std::string &in, StringBuffer &out) {
        ContentCoding coding;
        return coding.encodeBytes(" Base64 ", in.data(), size32(in), out);
    });
}

void BM_DecodeBase64(benchmark::State &state) {
    StringBuffer encoded;
    encodeBase64(sample(state.range(0)).data(), size32(sample(state.range(0))), encoded);
    for (auto _ : state) {
        uint32_t n = 0;
        unsigned char *bytes =
            decodeBase64(encoded.getString(), static_cast<uint32_t>(encoded.getSize()), n);
        benchmark::DoNotOptimize(bytes);
        std::free(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * encoded.getSize());
    state.SetLabel(sampleLabel(state.range(0)));
}

void BM_Crc32(benchmark::State &state) {
    const std::string &in = sample(state.range(0));
    ZipCRC crc;
    for (auto _ : state) {
        crc.beginCrc();
        crc.updateCrc(in.data(), size32(in));
        benchmark::DoNotOptimize(crc.getCrc());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(in.size()));
    state.SetLabel(sampleLabel(state.range(0)));
}

} // namespace

BENCHMARK(BM_Base64)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_Hex)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_QuotedPrintable)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_UrlRfc3986)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_UrlRfc1738)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_EncodeBytesByName)->Arg(kRandomBytes);
BENCHMARK(BM_DecodeBase64)->Arg(kRandomBytes)->Arg(kTextLike);
BENCHMARK(BM_Crc32)->Arg(kRandomBytes);
