#include "core/DataBuffer.h"

#include "core/Fatal.h"
#include "core/StringBuffer.h"
#include "platform/Memory.h"

#include <cstdlib>
#include <cstring>

#if defined(__GNUC__)
#define TX_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define TX_UNLIKELY(x) (x)
#endif

namespace {

const uint8_t validMarker = 0xDB;
const uint64_t maxCapacity = 0xFFFFFFFFu;

// Growth table for append: the first row whose limits the append meets gives the
// new capacity (size + sizeAtLeast); otherwise size + max(n, 20000).
struct GrowthRow {
    uint32_t addedBelow;
    uint32_t sizeAtLeast;
};
const GrowthRow growthRows[] = {
    {12000000, 12000000}, {8000000, 8000000}, {4000000, 4000000}, {3000000, 3000000},
    {2000000, 2000000},   {1000000, 1000000}, {100000, 100000},   {50000, 50000},
};
const uint32_t smallestStep = 20000;

uint64_t grownCapacity(uint32_t size, uint32_t added) {
    for (const GrowthRow &row : growthRows) {
        if (added < row.addedBelow && size >= row.sizeAtLeast) {
            return static_cast<uint64_t>(size) + row.sizeAtLeast;
        }
    }
    return static_cast<uint64_t>(size) + (added > smallestStep ? added : smallestStep);
}

inline bool pointsInto(const void *p, const unsigned char *block, uint32_t size) {
    uintptr_t address = reinterpret_cast<uintptr_t>(p);
    uintptr_t start = reinterpret_cast<uintptr_t>(block);
    return block != nullptr && address >= start && address - start < size;
}

inline uint16_t loadUnit(const unsigned char *p) {
    uint16_t unit;
    memcpy(&unit, p, 2);
    return unit;
}

inline void storeUnit(unsigned char *p, uint16_t unit) {
    memcpy(p, &unit, 2);
}

// Two upper-case hexadecimal digits for each byte value, built at compile time.
struct HexDigitPairs {
    char pairs[512];
    constexpr HexDigitPairs() : pairs() {
        const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i) {
            pairs[2 * i] = digits[i >> 4];
            pairs[2 * i + 1] = digits[i & 15];
        }
    }
};
constexpr HexDigitPairs hexPairs;

} // namespace

// ---------------------------------------------------------------------------------
// Construction and destruction

DataBuffer::DataBuffer()
    : m_validity(validMarker), m_borrowed(false), m_data(nullptr), m_size(0), m_capacity(0) {}

DataBuffer::~DataBuffer() {
    checkValid();
    freeOwnedBlock();
    // Volatile stores survive as stores to a dying object, so a later use of this
    // object hits the validity check.
    *static_cast<unsigned char *volatile *>(&m_data) = nullptr;
    *static_cast<volatile uint32_t *>(&m_size) = 0;
    *static_cast<volatile uint32_t *>(&m_capacity) = 0;
    *static_cast<volatile bool *>(&m_borrowed) = false;
    *static_cast<volatile uint8_t *>(&m_validity) = 0;
}

void DataBuffer::checkValid() const {
    if (TX_UNLIKELY(m_validity != validMarker)) {
        txFatalInternalError("DataBuffer used after destruction or overwritten");
    }
}

void DataBuffer::freeOwnedBlock() {
    if (!m_borrowed) free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_borrowed = false;
}

// ---------------------------------------------------------------------------------
// Block management

void DataBuffer::clear() {
    checkValid();
    m_size = 0;
}

void DataBuffer::clearAndFree() {
    checkValid();
    freeOwnedBlock();
}

bool DataBuffer::ensureCapacity(uint32_t n) {
    checkValid();
    if (n == 0) return true;
    if (m_capacity < n) reallocate(n);
    return m_data != nullptr;
}

bool DataBuffer::reallocate(uint32_t n) {
    checkValid();
    if (n == 0) {
        freeOwnedBlock();
        return true;
    }
    uint32_t keep = m_size < n ? m_size : n;
    unsigned char *block;
    if (m_borrowed || m_data == nullptr) {
        block = static_cast<unsigned char *>(txmemory::allocateBlock(n));
        if (block != nullptr && keep != 0) memcpy(block, m_data, keep);
    } else {
        // realloc copies and frees the old block, or leaves it as it was.
        block = static_cast<unsigned char *>(txmemory::resizeBlock(m_data, n));
    }
    if (block == nullptr) {
        // The content is lost: the buffer frees its own block and ends up empty.
        freeOwnedBlock();
        return false;
    }
    m_data = block;
    m_size = keep;
    m_capacity = n;
    m_borrowed = false;
    return true;
}

void DataBuffer::minimizeMemory() {
    checkValid();
    if (static_cast<uint64_t>(m_capacity) > static_cast<uint64_t>(m_size) + 4)
        reallocate(m_size + 4);
}

void DataBuffer::takeBlock(void *block, uint32_t n) {
    checkValid();
    freeOwnedBlock();
    m_data = static_cast<unsigned char *>(block);
    m_size = block != nullptr ? n : 0;
    m_capacity = m_size;
}

void DataBuffer::borrowBlock(void *block, uint32_t n) {
    checkValid();
    freeOwnedBlock();
    m_data = static_cast<unsigned char *>(block);
    m_size = block != nullptr ? n : 0;
    m_capacity = m_size;
    m_borrowed = block != nullptr;
}

void DataBuffer::dropBlock() {
    checkValid();
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_borrowed = false;
}

void DataBuffer::setSize(uint32_t n) {
    checkValid();
    m_size = n < m_capacity ? n : m_capacity;
}

void DataBuffer::shorten(uint32_t n) {
    checkValid();
    m_size -= n < m_size ? n : m_size;
}

// ---------------------------------------------------------------------------------
// Appending

bool DataBuffer::append(const void *bytes, uint32_t n) {
    checkValid();
    if (bytes == nullptr || n == 0) return true;
    const unsigned char *source = static_cast<const unsigned char *>(bytes);
    if (static_cast<uint64_t>(m_size) + n > m_capacity) {
        uint64_t capacity = grownCapacity(m_size, n);
        if (capacity > maxCapacity) {
            // As a failed allocation: the content is gone.
            freeOwnedBlock();
            return false;
        }
        // The source may lie in the block that is about to move.
        bool inside = pointsInto(source, m_data, m_capacity);
        uintptr_t offset =
            reinterpret_cast<uintptr_t>(source) - reinterpret_cast<uintptr_t>(m_data);
        bool wasBorrowed = m_borrowed;
        if (!reallocate(static_cast<uint32_t>(capacity))) return false;
        // A borrowed block stays where it was, so only an owned one has moved.
        if (inside && !wasBorrowed) source = m_data + offset;
    }
    memcpy(m_data + m_size, source, n);
    m_size += n;
    return true;
}

bool DataBuffer::appendBuffer(const DataBuffer &other) {
    checkValid();
    other.checkValid();
    if (other.m_size == 0) return true;
    return append(other.m_data, other.m_size);
}

bool DataBuffer::appendByte(unsigned char b) {
    checkValid();
    if (m_size + 1ull > m_capacity) {
        if (m_size + 10000ull > maxCapacity) {
            freeOwnedBlock();
            return false;
        }
        if (!reallocate(m_size + 10000u)) return false;
    }
    m_data[m_size++] = b;
    return true;
}

int DataBuffer::appendUtf8Char(uint16_t c) {
    checkValid();
    unsigned char bytes[3];
    int count;
    if (c < 0x80) {
        bytes[0] = static_cast<unsigned char>(c);
        count = 1;
    } else if (c < 0x800) {
        bytes[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        bytes[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        count = 2;
    } else {
        // Surrogate values are encoded like any other value.
        bytes[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        bytes[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        count = 3;
    }
    if (static_cast<uint64_t>(m_size) + count > m_capacity) {
        if (m_size + 20000ull > maxCapacity) {
            freeOwnedBlock();
            return 0;
        }
        if (!reallocate(m_size + 20000u)) return 0;
    }
    memcpy(m_data + m_size, bytes, static_cast<size_t>(count));
    m_size += static_cast<uint32_t>(count);
    return count;
}

bool DataBuffer::appendUtf16z(const uint16_t *text) {
    checkValid();
    static const uint16_t terminator = 0;
    if (text == nullptr) return append(&terminator, 2);
    size_t count = 0;
    while (text[count] != 0)
        ++count;
    uint64_t bytes = 2 * static_cast<uint64_t>(count) + 2;
    if (bytes > maxCapacity) return false;
    return append(text, static_cast<uint32_t>(bytes));
}

// ---------------------------------------------------------------------------------
// Reading

unsigned char *DataBuffer::getData() const {
    checkValid();
    return m_data;
}

uint32_t DataBuffer::getSize() const {
    checkValid();
    return m_size;
}

uint32_t DataBuffer::getCapacity() const {
    checkValid();
    return m_capacity;
}

bool DataBuffer::isBorrowed() const {
    checkValid();
    return m_borrowed;
}

unsigned char *DataBuffer::getDataAt(int64_t i) const {
    checkValid();
    if (m_data == nullptr || i < 0 || i >= static_cast<int64_t>(m_size)) return nullptr;
    return m_data + i;
}

uint32_t DataBuffer::sizeWithoutTrailingZeros() const {
    checkValid();
    uint32_t n = m_size;
    while (n > 0 && m_data[n - 1] == 0)
        --n;
    return n;
}

// ---------------------------------------------------------------------------------
// Editing

int DataBuffer::replaceAllOccurrences(const void *find, uint32_t findLength,
                                      const void *replacement, uint32_t replacementLength) {
    checkValid();
    if (find == nullptr || findLength == 0 || m_size == 0) return 0;
    const unsigned char *match = findBytes(m_data, m_size, find, findLength);
    if (match == nullptr) return 0;
    unsigned char *block = static_cast<unsigned char *>(txmemory::allocateBlock(m_size));
    if (block == nullptr) return 0;

    // The old block is set aside and walked; the buffer restarts in the new one.
    unsigned char *old = m_data;
    uint32_t oldSize = m_size;
    uint32_t oldCapacity = m_capacity;
    bool oldBorrowed = m_borrowed;
    m_data = block;
    m_size = 0;
    m_capacity = oldSize;
    m_borrowed = false;

    if (replacement == nullptr) replacementLength = 0;
    const unsigned char *position = old;
    const unsigned char *end = old + oldSize;
    int count = 0;
    bool ok = true;
    while (match != nullptr) {
        ok = append(position, static_cast<uint32_t>(match - position)) &&
             append(replacement, replacementLength);
        if (!ok) break;
        ++count;
        position = match + findLength;
        match = findBytes(position, static_cast<uint32_t>(end - position), find, findLength);
    }
    ok = ok && append(position, static_cast<uint32_t>(end - position));
    if (!ok) {
        // Out of memory: the failed growth emptied the new buffer; the old content
        // is still whole, so it comes back.
        freeOwnedBlock();
        m_data = old;
        m_size = oldSize;
        m_capacity = oldCapacity;
        m_borrowed = oldBorrowed;
        return 0;
    }
    if (!oldBorrowed) free(old);
    return count;
}

void DataBuffer::removeChar16(uint16_t u) {
    checkValid();
    if (u == 0 || m_size == 0) return;
    uint32_t units = m_size / 2;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < units; ++i) {
        uint16_t unit = loadUnit(m_data + 2 * i);
        if (unit != u) storeUnit(m_data + 2 * kept++, unit);
    }
    m_size = 2 * kept;
}

void DataBuffer::replaceChar16(uint16_t a, uint16_t b) {
    checkValid();
    if (a == 0 || b == 0) return;
    uint32_t units = m_size / 2;
    for (uint32_t i = 0; i < units; ++i) {
        if (loadUnit(m_data + 2 * i) == a) storeUnit(m_data + 2 * i, b);
    }
}

// ---------------------------------------------------------------------------------
// Free functions

const unsigned char *findBytes(const void *haystack, uint32_t haystackLength, const void *needle,
                               uint32_t needleLength) {
    if (haystack == nullptr || needle == nullptr || needleLength == 0 ||
        needleLength > haystackLength) {
        return nullptr;
    }
    const unsigned char *h = static_cast<const unsigned char *>(haystack);
    const unsigned char *n = static_cast<const unsigned char *>(needle);
    // Candidate starts are found with memchr for the first byte, then compared.
    const unsigned char *last = h + (haystackLength - needleLength);
    const unsigned char *p = h;
    while (p <= last) {
        p = static_cast<const unsigned char *>(memchr(p, n[0], static_cast<size_t>(last - p) + 1));
        if (p == nullptr) return nullptr;
        if (memcmp(p + 1, n + 1, needleLength - 1) == 0) return p;
        ++p;
    }
    return nullptr;
}

bool encodeHexUpper(const void *bytes, uint32_t n, StringBuffer &out) {
    if (bytes == nullptr || n == 0) return true;
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    // 500 characters (250 bytes) are gathered locally for each append.
    const uint32_t bytesPerChunk = 250;
    char text[2 * bytesPerChunk];
    while (n != 0) {
        uint32_t chunk = n < bytesPerChunk ? n : bytesPerChunk;
        char *w = text;
        for (uint32_t i = 0; i < chunk; ++i, w += 2)
            memcpy(w, hexPairs.pairs + 2 * p[i], 2);
        if (!out.appendN(text, static_cast<int>(2 * chunk))) return false;
        p += chunk;
        n -= chunk;
    }
    return true;
}

uint32_t readUint32(bool inMemoryOrder, const void *bytes) {
    if (bytes == nullptr) return 0;
    const unsigned char *p = static_cast<const unsigned char *>(bytes);
    unsigned char ordered[4];
    if (inMemoryOrder) {
        memcpy(ordered, p, 4);
    } else {
        ordered[0] = p[3];
        ordered[1] = p[2];
        ordered[2] = p[1];
        ordered[3] = p[0];
    }
    uint32_t value;
    memcpy(&value, ordered, 4);
    return value;
}
