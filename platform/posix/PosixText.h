// Growable NUL-terminated byte text for the POSIX layer, and the conversions
// between UTF-8 (what POSIX takes), UTF-16 (the wide entries) and windows-1252
// (the ANSI entries, GetACP() being 1252 here).
#pragma once

#include "platform/Win32.h"

#include <cstddef>

namespace txposix {

class ByteText {
public:
    ByteText() = default;
    ~ByteText();
    ByteText(const ByteText &) = delete;
    ByteText &operator=(const ByteText &) = delete;

    bool append(const char *bytes, size_t count);
    bool append(const char *text);
    bool appendChar(char c) { return append(&c, 1); }
    void truncate(size_t length);
    void clear() { truncate(0); }

    const char *text() const { return m_data != nullptr ? m_data : ""; }
    char *data() { return m_data; }
    size_t length() const { return m_length; }
    bool empty() const { return m_length == 0; }
    // False once an allocation failed; later appends are refused.
    bool valid() const { return !m_failed; }

private:
    char *m_data = nullptr;
    size_t m_length = 0;
    size_t m_capacity = 0;
    bool m_failed = false;
};

// Bytes of windows-1252 to UTF-8. The five bytes 1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same value, as Windows'
// own conversion makes them, so every ANSI name has a UTF-8 form and back.
bool ansiToUtf8(const char *ansi, ByteText *out);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
bool wideToUtf8(const WCHAR *wide, ByteText *out);

// UTF-8 (`length` bytes) to UTF-16 into `out` (room for `capacity` units, no
// terminator written); returns the units the whole text needs. Invalid UTF-8,
// as a foreign file name may hold, becomes U+FFFD.
size_t utf8ToWide(const char *utf8, size_t length, WCHAR *out, size_t capacity);
// UTF-8 to windows-1252 in the same way; a character without a 1252 form
// becomes one "?" per UTF-16 unit, as Windows' ANSI calls give it.
size_t utf8ToAnsi(const char *utf8, size_t length, char *out, size_t capacity);

// Decodes the code point at `*position` and advances past it; U+FFFD for a
// malformed sequence (one byte is consumed then).
uint32_t nextCodePoint(const char *utf8, size_t length, size_t *position);
// The simple case folding used for matching names: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic capitals map to their small letters.
uint32_t foldCase(uint32_t codePoint);

} // namespace txposix
