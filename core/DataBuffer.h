#pragma once

#include "core/TarnixObject.h"

#include <cstdint>

class LogBase;
class StringBuffer;
#ifdef _WIN32
struct tagSAFEARRAY;
struct tagVARIANT;
#endif

// Growable byte block, not terminated. Never throws; a failed growth empties the
// buffer and returns false (callers must not continue with partial content).
class DataBuffer : public TarnixObject {
public:
    DataBuffer();
    DataBuffer(const DataBuffer &) = delete;
    DataBuffer &operator=(const DataBuffer &) = delete;
    ~DataBuffer() override;

    // Block management.
    void clear();
    void clearAndFree();
    bool ensureCapacity(uint32_t n);
    bool reallocate(uint32_t n);
    void minimizeMemory();
    // Takes ownership of a block obtained from malloc.
    void takeBlock(void *block, uint32_t n);
    // Uses the caller's block without ever freeing or reallocating it in place.
    void borrowBlock(void *block, uint32_t n);
    void dropBlock();
    void setSize(uint32_t n);
    void shorten(uint32_t n);

    // Appending.
    bool append(const void *bytes, uint32_t n);
    bool appendBuffer(const DataBuffer &other);
    bool appendByte(unsigned char b);
    int appendUtf8Char(uint16_t c);
    bool appendUtf16z(const uint16_t *text);

    // Reading.
    unsigned char *getData() const;
    uint32_t getSize() const;
    unsigned char *getDataAt(int64_t i) const;
    uint32_t sizeWithoutTrailingZeros() const;
    uint32_t getCapacity() const;
    bool isBorrowed() const;

    // Editing.
    int replaceAllOccurrences(const void *find, uint32_t findLength, const void *replacement,
                              uint32_t replacementLength);
    void removeChar16(uint16_t u);
    void replaceChar16(uint16_t a, uint16_t b);

    // Whole files (fs/DataBufferFiles.cpp). Every log may be null.
    // Replaces the content with the file's bytes, through the ANSI or the wide open by
    // whether the path fits the ANSI code page; one allocation of size + 4 bytes.
    bool loadFile(const char *utf8Path, LogBase *log);
    bool loadFileAnsiPath(const char *ansiPath, LogBase *log);
    bool loadFileUnicodePath(const uint16_t *utf16Path, LogBase *log);
    // Creates or truncates the file and writes the content.
    bool saveToFile(const char *utf8Path, LogBase *log) const;

    // Appends the content as text in the named content encoding (base64, hex, ...)
    // to out (encoding/DataBufferEncode.cpp); an unknown name empties out.
    bool encodeAs(const char *encodingName, StringBuffer &out) const;

#ifdef _WIN32
    // Automation values (automation/DataBufferVariant.cpp, the only place that links
    // OLE Automation). The appends add what a value holds, by its type; wasString
    // tells whether it was a string. False only when memory runs out.
    bool appendVariant(const tagVARIANT &value, bool &wasString);
    // The string's UTF-16LE units, no terminator.
    bool appendBstr(const wchar_t *bstr);
    bool appendSafeArray(tagSAFEARRAY *array);
    // A new VT_ARRAY | VT_UI1 vector, lower bound 0, holding a copy of the content.
    bool toVariant(tagVARIANT &out) const;
#endif

private:
    void checkValid() const;
    void freeOwnedBlock();

    uint8_t m_validity;
    bool m_borrowed;
    unsigned char *m_data;
    uint32_t m_size;
    uint32_t m_capacity;
};

const unsigned char *findBytes(const void *haystack, uint32_t haystackLength, const void *needle,
                               uint32_t needleLength);
bool encodeHexUpper(const void *bytes, uint32_t n, StringBuffer &out);
// With inMemoryOrder false the four bytes are taken in reverse order.
uint32_t readUint32(bool inMemoryOrder, const void *bytes);
