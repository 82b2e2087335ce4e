#pragma once

#include "core/StringBuffer.h"

#include <climits>
#include <cstdint>
#include <cstring>

// Grows out once so that n more characters append in place. False when the text could
// never fit a StringBuffer, whose sizes are ints (the growth step is counted too, so
// that the buffer's own arithmetic cannot overflow).
inline bool reserveOutput(StringBuffer &out, uint64_t n) {
    uint64_t needed =
        static_cast<uint64_t>(out.getSize()) + static_cast<uint64_t>(out.getGrowBy()) + n + 1;
    if (needed > static_cast<uint64_t>(INT_MAX)) return false;
    return out.expectNumBytes(static_cast<int>(n));
}

// Collects an encoder's text on the stack and appends it to the output in pieces. When an
// append fails, the output is cut back to its size before the encoder started, so a
// failed encoder leaves no partial text behind.
template <int Capacity> class TextGatherer {
public:
    explicit TextGatherer(StringBuffer &out) : m_out(out), m_startSize(out.getSize()) {}
    TextGatherer(const TextGatherer &) = delete;
    TextGatherer &operator=(const TextGatherer &) = delete;

    void put(char c) { m_text[m_used++] = c; }

    // Encoders fill the free space themselves, then commit what they wrote.
    char *cursor() { return m_text + m_used; }
    int room() const { return Capacity - m_used; }
    void commit(int n) { m_used += n; }

    bool flush() {
        if (m_used == 0) return true;
        bool appended = m_out.appendN(m_text, m_used);
        m_used = 0;
        if (!appended) m_out.shorten(m_out.getSize() - m_startSize);
        return appended;
    }

private:
    StringBuffer &m_out;
    int m_startSize;
    int m_used = 0;
    char m_text[Capacity];
};
