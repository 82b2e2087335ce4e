#pragma once

#include "core/TarnixObject.h"
#include "platform/Win32.h"

#include <cstdint>

class DataBuffer;

// Growable NUL-terminated 8-bit string with its length. Carries no character set:
// callers decide whether the bytes are ANSI, UTF-8 or ASCII. Never throws; a failed
// allocation returns false and leaves the content as it was.
class StringBuffer : public TarnixObject {
public:
    StringBuffer();
    explicit StringBuffer(const char *text);
    StringBuffer(const StringBuffer &other);
    StringBuffer &operator=(const StringBuffer &) = delete;
    ~StringBuffer() override;

    // Null when no block could be allocated at all.
    static StringBuffer *createNewObject();
    static StringBuffer *createNewObject(const char *text);

    // Content replacement and moves.
    void clear();
    bool setString(const char *text);
    bool setFromSb(const StringBuffer &other);
    void takeFrom(StringBuffer &other);
    // The caller owns the returned block and frees it with free().
    char *detach(int &length);
    void takeDataBuffer(DataBuffer &data);
    void minimizeMemory();
    bool expectNumBytes(int n);

    // Appending.
    bool append(const char *text);
    bool appendN(const void *bytes, int n);
    bool appendChar(char c);
    bool appendCharN(char c, int n);
    bool appendSb(const StringBuffer &other);
    bool appendInt(int value);
    bool appendHexDump(const void *bytes, int n);
    // The system's message text for code, then trim2() of the whole buffer. Nothing is
    // appended when the system has no text; false only when the append failed.
    bool appendWindowsError(DWORD code);
    bool appendLastWindowsError();

    // Editing in place.
    void trim2();
    void shorten(int n);
    void toLowerCase();
    bool toCRLF();
    bool encodeXmlSpecial();
    void replaceChar(char a, char b);
    // a and b are characters of the ANSI code page; content that is not all 7-bit is
    // taken as UTF-8 and edited as text. Nothing happens unless the byte a occurs.
    void replaceCharUtf8(char a, char b);
    int replaceAllOccurrences(const char *find, const char *replacement);
    bool replaceFirstOccurrence(const char *find, const char *replacement);
    bool replaceLastOccurrence(const char *find, const char *replacement);

    // Queries.
    const char *getString() const;
    int getSize() const;
    char lastChar() const;
    bool containsChar(char c) const;
    bool contains(const char *text) const;
    bool containsNoCase(const char *text) const;
    bool beginsWith(const char *text) const;
    bool beginsWithNoCase(const char *text) const;
    bool endsWith(const char *text) const;
    bool equals(const char *text) const;
    bool equalsIgnoreCase(const char *text) const;
    bool is7bit(int n) const;

    // Block bookkeeping, for callers that size their work and for tests.
    int getCapacity() const;
    int getGrowBy() const;

private:
    void checkValid() const;
    bool growFor(int need, int terminatorBytes);
    bool appendRaw(const char *src, int n, int terminatorBytes);
    bool replaceAt(int position, int findLength, const char *replacement);
    void resetToFreshBlock(int size);
    void releaseBlock();

    uint8_t m_validity;
    char *m_data;
    int m_capacity;
    int m_length;
    int m_growBy;
};

// Free functions on plain NUL-terminated text.

// Writes the decimal text of value and a terminator to out (at least 12 bytes);
// returns the number of characters, 0 for a null out.
int intToDecimal(int value, char *out);
// The same for 64-bit values; out needs at least 21 bytes.
void int64ToDecimal(int64_t value, char *out);
void reverseBytes(char *bytes, int n);
// Substring search folding only a-z onto A-Z; null for null or empty arguments.
const char *findNoCase(const char *haystack, const char *needle);
// Only '*' is special; it matches any run of bytes, the empty run included.
bool matchesWildcard(const char *text, const char *pattern, bool caseSensitive);
