// Encodes a file as base64 or hex into memory and writes the text to stdout, so that
// compare_coreutils.sh can time it against coreutils and compare the bytes.
// Usage: bench_encode_file base64|hex FILE [--piece BYTES] [--quiet]
// By default the whole file is read and encoded at once. With --piece it is read,
// encoded and written piece by piece (the size rounded down to whole base64 groups),
// reusing the same blocks, as a streaming tool would. The encoding rate (the time spent
// in the encoder only) goes to stderr unless --quiet is given.

#include "core/StringBuffer.h"
#include "encoding/ContentCoding.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

struct BlockFreer {
    void operator()(void *p) const { std::free(p); }
};

using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
using Block = std::unique_ptr<unsigned char, BlockFreer>;

struct Options {
    bool base64 = true;
    const char *path = nullptr;
    size_t pieceSize = 0; // 0: the whole file at once
    bool quiet = false;
};

bool parseOptions(int argc, char **argv, Options &options) {
    if (argc < 3) return false;
    options.base64 = std::strcmp(argv[1], "base64") == 0;
    if (!options.base64 && std::strcmp(argv[1], "hex") != 0) return false;
    options.path = argv[2];
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quiet") == 0) {
            options.quiet = true;
        } else if (std::strcmp(argv[i], "--piece") == 0 && i + 1 < argc) {
            options.pieceSize = std::strtoul(argv[++i], nullptr, 10) / 3 * 3;
            if (options.pieceSize == 0 || options.pieceSize > 0x40000000) return false;
        } else {
            return false;
        }
    }
    return true;
}

long fileSize(std::FILE *file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Encodes one block and writes its text; adds the encoder's time to encodeTime.
bool encodeAndWrite(const Options &options, const unsigned char *data, uint32_t size,
                    StringBuffer &text, Clock::duration &encodeTime) {
    text.clear();
    auto start = Clock::now();
    bool encoded = options.base64 ? encodeBase64(data, size, text) : encodeHex(data, size, text);
    encodeTime += Clock::now() - start;
    if (!encoded) {
        std::fprintf(stderr, "bench_encode_file: the text does not fit in memory\n");
        return false;
    }
    size_t length = static_cast<size_t>(text.getSize());
    if (std::fwrite(text.getString(), 1, length, stdout) != length) {
        std::fprintf(stderr, "bench_encode_file: write failed\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_encode_file base64|hex FILE [--piece BYTES] [--quiet]\n");
        return 2;
    }

    FilePtr file(std::fopen(options.path, "rb"));
    long size = file ? fileSize(file.get()) : -1;
    if (size < 0 || static_cast<unsigned long>(size) > 0xFFFFFFFFul) {
        std::fprintf(stderr, "bench_encode_file: cannot read %s\n", options.path);
        return 1;
    }
    size_t blockSize = options.pieceSize != 0 ? options.pieceSize : static_cast<size_t>(size);
    Block block(static_cast<unsigned char *>(std::malloc(blockSize > 0 ? blockSize : 1)));
    if (!block) {
        std::fprintf(stderr, "bench_encode_file: out of memory\n");
        return 1;
    }

    StringBuffer text;
    Clock::duration encodeTime{};
    size_t total = 0;
    for (;;) {
        size_t got = std::fread(block.get(), 1, blockSize, file.get());
        if (got == 0) break;
        total += got;
        if (!encodeAndWrite(options, block.get(), static_cast<uint32_t>(got), text, encodeTime))
            return 1;
    }
    if (std::ferror(file.get()) || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "bench_encode_file: read or write failed\n");
        return 1;
    }

    if (!options.quiet) {
        double seconds = std::chrono::duration<double>(encodeTime).count();
        std::fprintf(stderr, "%s: %zu bytes encoded in %.4f s, %.1f MB/s\n", argv[1], total,
                     seconds, seconds > 0 ? total / seconds / 1e6 : 0.0);
    }
    return 0;
}
