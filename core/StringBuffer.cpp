#include "core/StringBuffer.h"

#include "core/AsciiCase.h"
#include "core/DataBuffer.h"
#include "core/Fatal.h"
#include "core/XString.h"
#include "platform/Memory.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__GNUC__)
#define TX_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define TX_UNLIKELY(x) (x)
#endif

namespace {

const uint8_t validMarker = 0xAA;
const int defaultSize = 202;
const int nullTextSize = 4;
const int textGrowBy = 200;
const int dataBufferGrowBy = 1024;
const int maxGrowBy = 500000;
const int fillPattern = static_cast<int>(0xDDDDDDDDu);

// The block of a buffer that could obtain none. It is never written: every write
// below happens at a position under the length or after a growth.
const char sharedEmptyBlock[1] = {0};

inline char *sharedEmpty() {
    return const_cast<char *>(sharedEmptyBlock);
}

inline bool isWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool pointsInto(const void *p, const char *block, int size) {
    uintptr_t address = reinterpret_cast<uintptr_t>(p);
    uintptr_t start = reinterpret_cast<uintptr_t>(block);
    return address >= start && address - start < static_cast<uintptr_t>(size);
}

// Searches the counted content, so that bytes after an embedded 0 are kept and searched.
inline const char *findIn(const char *text, int length, const char *find, int findLength) {
    return reinterpret_cast<const char *>(
        findBytes(text, static_cast<uint32_t>(length), find, static_cast<uint32_t>(findLength)));
}

// Bounded strlen for lengths that must fit the int fields.
inline bool textLength(const char *text, int &length) {
    size_t n = strlen(text);
    if (n > static_cast<size_t>(INT_MAX - 1)) return false;
    length = static_cast<int>(n);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------
// Construction and destruction

StringBuffer::StringBuffer()
    : m_validity(validMarker), m_data(nullptr), m_capacity(0), m_length(0), m_growBy(defaultSize) {
    m_data = static_cast<char *>(malloc(defaultSize));
    m_capacity = defaultSize;
    if (m_data == nullptr) {
        m_data = static_cast<char *>(malloc(nullTextSize));
        m_capacity = nullTextSize;
    }
    if (m_data == nullptr) {
        m_data = sharedEmpty();
        m_capacity = 1;
    } else {
        m_data[0] = 0;
    }
}

StringBuffer::StringBuffer(const char *text)
    : m_validity(validMarker), m_data(nullptr), m_capacity(0), m_length(0), m_growBy(textGrowBy) {
    int length = 0;
    int size = nullTextSize;
    if (text != nullptr) {
        if (textLength(text, length))
            size = length + 1;
        else
            size = 0; // too long for the length field: no block
    }
    if (size > 0) m_data = static_cast<char *>(malloc(static_cast<size_t>(size)));
    if (m_data == nullptr) {
        m_data = sharedEmpty();
        m_capacity = 1;
        return;
    }
    m_capacity = size;
    if (text != nullptr) {
        memcpy(m_data, text, static_cast<size_t>(length) + 1);
        m_length = length;
    } else {
        m_data[0] = 0;
    }
}

StringBuffer::StringBuffer(const StringBuffer &other)
    : TarnixObject(other), m_validity(validMarker), m_data(nullptr), m_capacity(0), m_length(0),
      m_growBy(textGrowBy) {
    other.checkValid();
    m_data = static_cast<char *>(malloc(static_cast<size_t>(other.m_length) + 1));
    if (m_data == nullptr) {
        m_data = sharedEmpty();
        m_capacity = 1;
        return;
    }
    // The content may hold counted 0 bytes (appendChar), so it is copied by length.
    memcpy(m_data, other.m_data, static_cast<size_t>(other.m_length) + 1);
    m_capacity = other.m_length + 1;
    m_length = other.m_length;
}

StringBuffer::~StringBuffer() {
    checkValid();
    releaseBlock();
    // Volatile stores: the compiler may not drop them as stores to a dying object,
    // so a later use of this object hits the validity check.
    *static_cast<char *volatile *>(&m_data) =
        reinterpret_cast<char *>(static_cast<uintptr_t>(0xDDDDDDDDDDDDDDDDull));
    *static_cast<volatile int *>(&m_capacity) = fillPattern;
    *static_cast<volatile int *>(&m_length) = fillPattern;
    *static_cast<volatile int *>(&m_growBy) = fillPattern;
    *static_cast<volatile uint8_t *>(&m_validity) = 0;
}

StringBuffer *StringBuffer::createNewObject() {
    StringBuffer *buffer = new (std::nothrow) StringBuffer();
    if (buffer != nullptr && buffer->m_data == sharedEmpty()) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

StringBuffer *StringBuffer::createNewObject(const char *text) {
    StringBuffer *buffer = new (std::nothrow) StringBuffer(text);
    if (buffer != nullptr && buffer->m_data == sharedEmpty()) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

// ---------------------------------------------------------------------------------
// Private helpers

void StringBuffer::checkValid() const {
    if (TX_UNLIKELY(m_validity != validMarker)) {
        txFatalInternalError("StringBuffer used after destruction or overwritten");
    }
}

void StringBuffer::releaseBlock() {
    if (m_data != sharedEmpty()) free(m_data);
    m_data = sharedEmpty();
    m_capacity = 1;
    m_length = 0;
}

// Gives the buffer an empty block of size bytes (the shared empty string when that
// fails). The old block must already be released or handed over.
void StringBuffer::resetToFreshBlock(int size) {
    m_length = 0;
    m_data = size > 0 ? static_cast<char *>(malloc(static_cast<size_t>(size))) : nullptr;
    if (m_data == nullptr) {
        m_data = sharedEmpty();
        m_capacity = 1;
        return;
    }
    m_data[0] = 0;
    m_capacity = size;
}

// Makes room for need more bytes: in place while length + need < capacity, else a
// block of growBy + length + need + terminatorBytes bytes (1 for append, appendChar
// and expectNumBytes, 0 for appendN); growBy then becomes half the new capacity
// until it reaches 500000.
bool StringBuffer::growFor(int need, int terminatorBytes) {
    if (static_cast<int64_t>(m_length) + need < m_capacity) return true;
    int64_t newCapacity = static_cast<int64_t>(m_growBy) + m_length + need + terminatorBytes;
    if (need < 0 || newCapacity > INT_MAX) return false;

    char *block;
    if (m_data == sharedEmpty()) {
        block = static_cast<char *>(txmemory::allocateBlock(static_cast<size_t>(newCapacity)));
        if (block == nullptr) return false;
        block[0] = 0;
    } else {
        // realloc copies the content and frees the old block, or leaves it untouched.
        block =
            static_cast<char *>(txmemory::resizeBlock(m_data, static_cast<size_t>(newCapacity)));
        if (block == nullptr) return false;
    }
    m_data = block;
    m_capacity = static_cast<int>(newCapacity);

    if (m_growBy < m_capacity && m_growBy < maxGrowBy) {
        m_growBy = m_capacity / 2;
        if (m_growBy > maxGrowBy) m_growBy = maxGrowBy;
    }
    return true;
}

// Copies n bytes (any values, kept as counted content) with the growth of an append.
bool StringBuffer::appendRaw(const char *src, int n, int terminatorBytes) {
    if (n < 1) return true;
    if (static_cast<int64_t>(m_length) + n >= m_capacity) {
        // The source may lie in the block that is about to move.
        bool inside = pointsInto(src, m_data, m_capacity);
        uintptr_t offset = reinterpret_cast<uintptr_t>(src) - reinterpret_cast<uintptr_t>(m_data);
        if (!growFor(n, terminatorBytes)) return false;
        if (inside) src = m_data + offset;
    }
    memcpy(m_data + m_length, src, static_cast<size_t>(n));
    m_length += n;
    m_data[m_length] = 0;
    return true;
}

// ---------------------------------------------------------------------------------
// Content replacement and moves

void StringBuffer::clear() {
    checkValid();
    // With length 0 the first byte is the terminator already (and may be the
    // shared empty string, which is never written).
    if (m_length != 0) {
        m_data[0] = 0;
        m_length = 0;
    }
}

bool StringBuffer::setString(const char *text) {
    checkValid();
    if (text == nullptr) {
        clear();
        return true;
    }
    if (pointsInto(text, m_data, m_length + 1)) {
        // Text inside this buffer: it fits the block already, so it just moves down.
        int length = static_cast<int>(strlen(text));
        if (text != m_data) memmove(m_data, text, static_cast<size_t>(length) + 1);
        m_length = length;
        return true;
    }
    int length;
    if (!textLength(text, length)) return false;
    int oldLength = m_length;
    char oldFirst = m_data[0];
    clear();
    if (!appendRaw(text, length, 1)) {
        // A failed growth left the block as it was: only the terminator moved.
        if (oldLength != 0) m_data[0] = oldFirst;
        m_length = oldLength;
        return false;
    }
    return true;
}

bool StringBuffer::setFromSb(const StringBuffer &other) {
    checkValid();
    other.checkValid();
    if (&other == this) return true;
    int oldLength = m_length;
    char oldFirst = m_data[0];
    clear();
    if (!appendN(other.m_data, other.m_length)) {
        if (oldLength != 0) m_data[0] = oldFirst;
        m_length = oldLength;
        return false;
    }
    return true;
}

void StringBuffer::takeFrom(StringBuffer &other) {
    checkValid();
    other.checkValid();
    if (&other == this) return;
    clear();
    char *block = other.m_data;
    int length = other.m_length;
    int capacity = other.m_capacity;
    int growBy = other.m_growBy;
    other.resetToFreshBlock(other.m_growBy);
    if (length == 0) {
        // Nothing to take: the empty block is dropped and this buffer stays cleared.
        if (block != sharedEmpty()) free(block);
        return;
    }
    releaseBlock();
    m_data = block;
    m_length = length;
    m_capacity = capacity;
    m_growBy = growBy;
}

char *StringBuffer::detach(int &length) {
    checkValid();
    char *block;
    if (m_data == sharedEmpty()) {
        // The caller frees what it gets, so it gets a block of its own.
        block = static_cast<char *>(malloc(1));
        if (block != nullptr) block[0] = 0;
        length = 0;
    } else {
        block = m_data;
        length = m_length;
    }
    resetToFreshBlock(m_growBy);
    return block;
}

void StringBuffer::takeDataBuffer(DataBuffer &data) {
    checkValid();
    clear();
    uint32_t size = data.getSize();
    if (size < 2 || data.getData() == nullptr) return;
    if (data.isBorrowed()) {
        // A borrowed block is not ours to own: copy it instead.
        if (size - 1 <= static_cast<uint32_t>(INT_MAX - 1)) {
            appendRaw(reinterpret_cast<const char *>(data.getData()), static_cast<int>(size - 1),
                      1);
        }
        return;
    }
    uint32_t capacity = data.getCapacity();
    if (capacity > static_cast<uint32_t>(INT_MAX)) return;
    releaseBlock();
    m_data = reinterpret_cast<char *>(data.getData());
    m_capacity = static_cast<int>(capacity);
    m_length = static_cast<int>(size - 1);
    m_growBy = dataBufferGrowBy;
    // The caller's last byte is the terminator; make sure of it.
    m_data[m_length] = 0;
    data.dropBlock();
}

void StringBuffer::minimizeMemory() {
    checkValid();
    if (m_capacity <= m_length + 4 || m_data == sharedEmpty()) return;
    char *block = static_cast<char *>(realloc(m_data, static_cast<size_t>(m_length) + 1));
    if (block == nullptr) return;
    m_data = block;
    m_capacity = m_length + 1;
}

bool StringBuffer::expectNumBytes(int n) {
    checkValid();
    if (n < 1) return true;
    return growFor(n, 1);
}

// ---------------------------------------------------------------------------------
// Appending

bool StringBuffer::append(const char *text) {
    checkValid();
    if (text == nullptr) return true;
    int length;
    if (!textLength(text, length)) return false;
    return appendRaw(text, length, 1);
}

bool StringBuffer::appendN(const void *bytes, int n) {
    checkValid();
    if (bytes == nullptr || n < 1) return true;
    if (!appendRaw(static_cast<const char *>(bytes), n, 0)) return false;
    // appendN never leaves a NUL at the end of the counted content.
    int length = m_length;
    while (length > 0 && m_data[length - 1] == 0)
        --length;
    m_length = length;
    return true;
}

bool StringBuffer::appendChar(char c) {
    checkValid();
    if (m_length + 1 >= m_capacity && !growFor(1, 1)) return false;
    m_data[m_length++] = c;
    m_data[m_length] = 0;
    return true;
}

bool StringBuffer::appendCharN(char c, int n) {
    checkValid();
    if (n < 1) return true;
    // appendN of n copies of c, without building the copies first.
    if (!growFor(n, 0)) return false;
    memset(m_data + m_length, c, static_cast<size_t>(n));
    int length = m_length + n;
    while (length > 0 && m_data[length - 1] == 0)
        --length;
    m_length = length;
    m_data[length] = 0;
    return true;
}

bool StringBuffer::appendSb(const StringBuffer &other) {
    checkValid();
    other.checkValid();
    return appendN(other.m_data, other.m_length);
}

bool StringBuffer::appendInt(int value) {
    checkValid();
    char digits[16];
    int length = intToDecimal(value, digits);
    return appendRaw(digits, length, 1);
}

bool StringBuffer::appendHexDump(const void *bytes, int n) {
    checkValid();
    if (bytes == nullptr || n < 1) return true;
    static const char hexDigits[] = "0123456789ABCDEF";
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    char text[128];
    int used = 0;
    for (int i = 0; i < n; ++i) {
        if (used > static_cast<int>(sizeof(text)) - 3) {
            if (!appendRaw(text, used, 1)) return false;
            used = 0;
        }
        text[used++] = hexDigits[p[i] >> 4];
        text[used++] = hexDigits[p[i] & 0x0F];
        // Pairs of bytes separated by spaces, sixteen bytes to a line.
        if ((i & 15) == 15) {
            text[used++] = '\n';
        } else if (i & 1) {
            text[used++] = ' ';
        }
    }
    return appendRaw(text, used, 1);
}

bool StringBuffer::appendWindowsError(DWORD code) {
    checkValid();
    char *message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&message), 0, nullptr);
    if (length == 0 || message == nullptr) {
        if (message != nullptr) LocalFree(message);
        return true;
    }
    bool appended = append(message);
    LocalFree(message);
    if (appended) trim2();
    return appended;
}

bool StringBuffer::appendLastWindowsError() {
    checkValid();
    return appendWindowsError(GetLastError());
}

// ---------------------------------------------------------------------------------
// Editing in place

void StringBuffer::trim2() {
    checkValid();
    if (m_length == 0) return;
    int end = m_length;
    while (end > 0 && isWhitespace(m_data[end - 1]))
        --end;
    int start = 0;
    while (start < end && isWhitespace(m_data[start]))
        ++start;
    if (start > 0) memmove(m_data, m_data + start, static_cast<size_t>(end - start));
    m_length = end - start;
    m_data[m_length] = 0;
}

void StringBuffer::shorten(int n) {
    checkValid();
    if (n < 1 || m_length == 0) return;
    if (n > m_length) n = m_length;
    memset(m_data + m_length - n, 0, static_cast<size_t>(n));
    m_length -= n;
}

void StringBuffer::toLowerCase() {
    checkValid();
    unsigned char *p = reinterpret_cast<unsigned char *>(m_data);
    for (int i = 0; i < m_length; ++i) {
        unsigned char c = p[i];
        if (c < 0x80) {
            p[i] = static_cast<unsigned char>(tolower(c));
        } else if (c >= 0xC0 && c <= 0xDF) {
            p[i] = static_cast<unsigned char>(c + 0x20);
        }
    }
}

bool StringBuffer::toCRLF() {
    checkValid();
    int crCount = 0;
    int lfCount = 0;
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] == '\r')
            ++crCount;
        else if (m_data[i] == '\n')
            ++lfCount;
    }
    if (crCount == 0 && lfCount == 0) return true;
    // Grow first, so that a failure leaves the content as it was.
    if (lfCount > crCount && !growFor(lfCount - crCount, 1)) return false;

    // Remove every CR (the write position never passes the read position)...
    int length = 0;
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] != '\r') m_data[length++] = m_data[i];
    }
    // ...then widen every LF to CR LF, from the end backwards.
    int newLength = length + lfCount;
    int w = newLength;
    for (int r = length - 1; r >= 0; --r) {
        char c = m_data[r];
        m_data[--w] = c;
        if (c == '\n') m_data[--w] = '\r';
    }
    m_length = newLength;
    m_data[m_length] = 0;
    return true;
}

bool StringBuffer::encodeXmlSpecial() {
    checkValid();
    // One pass gives the same text as replacing "&", "<", ">" and '"' in that order,
    // since no entity contains any of the later characters.
    int64_t extra = 0;
    for (int i = 0; i < m_length; ++i) {
        switch (m_data[i]) {
        case '&':
            extra += 4;
            break;
        case '<':
        case '>':
            extra += 3;
            break;
        case '"':
            extra += 5;
            break;
        default:
            break;
        }
    }
    if (extra == 0) return true;
    if (extra > INT_MAX || !growFor(static_cast<int>(extra), 1)) return false;

    int w = m_length + static_cast<int>(extra);
    m_data[w] = 0;
    for (int r = m_length - 1; r >= 0; --r) {
        const char *entity = nullptr;
        int entityLength = 0;
        switch (m_data[r]) {
        case '&':
            entity = "&amp;", entityLength = 5;
            break;
        case '<':
            entity = "&lt;", entityLength = 4;
            break;
        case '>':
            entity = "&gt;", entityLength = 4;
            break;
        case '"':
            entity = "&quot;", entityLength = 6;
            break;
        default:
            break;
        }
        if (entity == nullptr) {
            m_data[--w] = m_data[r];
        } else {
            w -= entityLength;
            memcpy(m_data + w, entity, static_cast<size_t>(entityLength));
        }
    }
    m_length += static_cast<int>(extra);
    return true;
}

void StringBuffer::replaceChar(char a, char b) {
    checkValid();
    for (int i = 0; i < m_length; ++i) {
        if (m_data[i] == a) m_data[i] = b;
    }
}

void StringBuffer::replaceCharUtf8(char a, char b) {
    checkValid();
    if (memchr(m_data, a, static_cast<size_t>(m_length)) == nullptr) return;
    if (is7bit(0)) {
        replaceChar(a, b);
        return;
    }
    XString text;
    text.setFromUtf8N(m_data, m_length);
    text.replaceChar(a, b);
    // Still current in UTF-8 when no character matched: the content stays as it was.
    if (!text.isUtf8Current()) setFromSb(text.getUtf8Sb());
}

int StringBuffer::replaceAllOccurrences(const char *find, const char *replacement) {
    checkValid();
    if (find == nullptr || *find == 0) return 0;
    int findLength;
    if (!textLength(find, findLength)) return 0;
    const char *match = findIn(m_data, m_length, find, findLength);
    if (match == nullptr) return 0;
    int replacementLength = 0;
    if (replacement != nullptr && !textLength(replacement, replacementLength)) return 0;

    // Detach: the old block is walked while the buffer restarts as a default one.
    char *old = m_data;
    int oldLength = m_length;
    int oldCapacity = m_capacity;
    int oldGrowBy = m_growBy;
    m_growBy = defaultSize;
    resetToFreshBlock(defaultSize);

    const char *position = old;
    const char *end = old + oldLength;
    int count = 0;
    bool ok = true;
    while (match != nullptr) {
        ok = appendRaw(position, static_cast<int>(match - position), 0) &&
             appendRaw(replacement, replacementLength, 1);
        if (!ok) break;
        ++count;
        position = match + findLength;
        match = findIn(position, static_cast<int>(end - position), find, findLength);
    }
    ok = ok && appendRaw(position, static_cast<int>(end - position), 1);
    if (!ok) {
        // Out of memory: put the old content back untouched.
        releaseBlock();
        m_data = old;
        m_length = oldLength;
        m_capacity = oldCapacity;
        m_growBy = oldGrowBy;
        return 0;
    }
    free(old);
    return count;
}

// Replaces findLength bytes at position, in place, with the growth checked first so
// that a failure leaves the content as it was.
bool StringBuffer::replaceAt(int position, int findLength, const char *replacement) {
    if (pointsInto(replacement, m_data, m_capacity)) {
        // The replacement lives in this block and would move with the tail: copy it.
        StringBuffer copy(replacement);
        if (copy.m_data == sharedEmpty() && *replacement != 0) return false;
        return replaceAt(position, findLength, copy.m_data);
    }
    int replacementLength;
    if (!textLength(replacement, replacementLength)) return false;
    int difference = replacementLength - findLength;
    if (difference > 0 && !growFor(difference, 1)) return false;
    int tailStart = position + findLength;
    memmove(m_data + position + replacementLength, m_data + tailStart,
            static_cast<size_t>(m_length - tailStart) + 1);
    memcpy(m_data + position, replacement, static_cast<size_t>(replacementLength));
    m_length += difference;
    return true;
}

bool StringBuffer::replaceFirstOccurrence(const char *find, const char *replacement) {
    checkValid();
    if (find == nullptr || *find == 0) return false;
    int findLength;
    if (!textLength(find, findLength)) return false;
    const char *match = findIn(m_data, m_length, find, findLength);
    if (match == nullptr) return false;
    if (replacement == nullptr) return true;
    return replaceAt(static_cast<int>(match - m_data), findLength, replacement);
}

bool StringBuffer::replaceLastOccurrence(const char *find, const char *replacement) {
    checkValid();
    if (find == nullptr || *find == 0) return false;
    int findLength;
    if (!textLength(find, findLength)) return false;
    // The last of the non-overlapping matches found from left to right.
    const char *match = findIn(m_data, m_length, find, findLength);
    if (match == nullptr) return false;
    for (;;) {
        const char *start = match + findLength;
        const char *next =
            findIn(start, static_cast<int>(m_data + m_length - start), find, findLength);
        if (next == nullptr) break;
        match = next;
    }
    if (replacement == nullptr) return true;
    return replaceAt(static_cast<int>(match - m_data), findLength, replacement);
}

// ---------------------------------------------------------------------------------
// Queries

const char *StringBuffer::getString() const {
    checkValid();
    return m_data;
}

int StringBuffer::getSize() const {
    checkValid();
    return m_length;
}

int StringBuffer::getCapacity() const {
    checkValid();
    return m_capacity;
}

int StringBuffer::getGrowBy() const {
    checkValid();
    return m_growBy;
}

char StringBuffer::lastChar() const {
    checkValid();
    return m_length > 0 ? m_data[m_length - 1] : 0;
}

bool StringBuffer::containsChar(char c) const {
    checkValid();
    return strchr(m_data, c) != nullptr;
}

bool StringBuffer::contains(const char *text) const {
    checkValid();
    if (text == nullptr) return false;
    return strstr(m_data, text) != nullptr;
}

bool StringBuffer::containsNoCase(const char *text) const {
    checkValid();
    if (text == nullptr) return false;
    return findNoCase(m_data, text) != nullptr;
}

bool StringBuffer::beginsWith(const char *text) const {
    checkValid();
    if (text == nullptr) return false;
    size_t n = strlen(text);
    return n <= static_cast<size_t>(m_length) && memcmp(m_data, text, n) == 0;
}

bool StringBuffer::beginsWithNoCase(const char *text) const {
    checkValid();
    if (text == nullptr) return false;
    return txcore::compareNoCaseN(m_data, text, strlen(text)) == 0;
}

bool StringBuffer::endsWith(const char *text) const {
    checkValid();
    if (text == nullptr) return false;
    size_t n = strlen(text);
    if (n > static_cast<size_t>(m_length)) return false;
    return memcmp(m_data + m_length - n, text, n) == 0;
}

bool StringBuffer::equals(const char *text) const {
    checkValid();
    if (text == nullptr) return m_length == 0;
    size_t n = strlen(text);
    return n == static_cast<size_t>(m_length) && memcmp(m_data, text, n) == 0;
}

bool StringBuffer::equalsIgnoreCase(const char *text) const {
    checkValid();
    if (text == nullptr) return m_length == 0;
    size_t n = strlen(text);
    return n == static_cast<size_t>(m_length) && txcore::compareNoCaseN(m_data, text, n) == 0;
}

bool StringBuffer::is7bit(int n) const {
    checkValid();
    int count = (n == 0 || n > m_length) ? m_length : n;
    unsigned char bits = 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(m_data);
    for (int i = 0; i < count; ++i)
        bits |= p[i];
    return (bits & 0x80) == 0;
}
