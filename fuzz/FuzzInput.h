// Shared by the fuzz targets: carving choices and byte strings out of one input, and
// stopping with a message when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

[[noreturn]] inline void fail(const char *what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char *what) {
    if (!holds) fail(what);
}

// Equal byte strings, or both shown (escaped) with the message.
inline void requireSame(const std::string &got, const std::string &expected, const char *what) {
    if (got == expected) return;
    auto show = [](const char *label, const std::string &s) {
        std::fprintf(stderr, "%s (%zu bytes): \"", label, s.size());
        for (unsigned char c : s) {
            if (c >= 0x20 && c < 0x7F && c != '\\')
                std::fputc(c, stderr);
            else
                std::fprintf(stderr, "\\x%02X", c);
        }
        std::fprintf(stderr, "\"\n");
    };
    show("got", got);
    show("expected", expected);
    fail(what);
}

// Reads the input front to back; past its end every read gives zeros and empty
// strings, so a target never has to check what is left.
class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // A choice among count possibilities (count > 0).
    unsigned pick(unsigned count) { return byte() % count; }

    // A length-prefixed string: one byte of length, at most limit bytes.
    std::string text(size_t limit = 255) {
        size_t n = byte();
        if (n > limit) n = limit;
        return take(n);
    }

    // Everything that is left.
    std::string rest() { return take(remaining()); }

private:
    std::string take(size_t n) {
        if (n > remaining()) n = remaining();
        std::string out(reinterpret_cast<const char *>(m_data + m_pos), n);
        m_pos += n;
        return out;
    }

    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace fuzzing
