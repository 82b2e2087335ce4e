#include "charset/HashConvert.h"

#include <cstdlib>
#include <cstring>

namespace {

const int kMaxKeyLength = 4;

bool validLength(int length) {
    return length >= 1 && length <= kMaxKeyLength;
}

// The bytes of a block before its end marker.
size_t entriesLength(const unsigned char *block) {
    size_t pos = 0;
    while (block[pos] != 0) {
        pos += 1 + block[pos];
        pos += 1 + block[pos];
    }
    return pos;
}

bool sameKey(const unsigned char *entry, const unsigned char *key, int keyLength) {
    return entry[0] == keyLength && std::memcmp(entry + 1, key, keyLength) == 0;
}

size_t entryLength(const unsigned char *entry) {
    size_t valueAt = 1 + entry[0];
    return valueAt + 1 + entry[valueAt];
}

bool insertReversed(const unsigned char *key, int keyLength, const unsigned char *value,
                    int valueLength, void *context) {
    return static_cast<HashConvert *>(context)->insertEntry(value, valueLength, key, keyLength);
}

} // namespace

HashConvert::HashConvert() : m_asciiCompatible(false), m_bucketCount(0), m_buckets(nullptr) {}

HashConvert::~HashConvert() {
    freeBuckets();
}

void HashConvert::freeBuckets() {
    if (m_buckets) {
        for (uint32_t i = 0; i < m_bucketCount; ++i)
            std::free(m_buckets[i]);
        std::free(m_buckets);
    }
    m_buckets = nullptr;
    m_bucketCount = 0;
}

bool HashConvert::initBuckets(uint32_t count) {
    freeBuckets();
    if (count == 0) return false;
    m_buckets = static_cast<unsigned char **>(std::calloc(count, sizeof(unsigned char *)));
    if (!m_buckets) return false;
    m_bucketCount = count;
    return true;
}

uint32_t HashConvert::bucketOf(const unsigned char *key, int keyLength) const {
    uint32_t packed = 0;
    for (int i = 0; i < keyLength; ++i)
        packed |= static_cast<uint32_t>(key[i]) << (8 * i);
    return packed % m_bucketCount;
}

bool HashConvert::insertEntry(const unsigned char *key, int keyLength, const unsigned char *value,
                              int valueLength) {
    if (!m_buckets || !key || !value || !validLength(keyLength) || !validLength(valueLength))
        return false;
    unsigned char *&bucket = m_buckets[bucketOf(key, keyLength)];
    size_t used = bucket ? entriesLength(bucket) : 0;
    size_t grown = used + 2 + keyLength + valueLength + 1;
    unsigned char *block = static_cast<unsigned char *>(std::realloc(bucket, grown));
    if (!block) return false;
    unsigned char *entry = block + used;
    entry[0] = static_cast<unsigned char>(keyLength);
    std::memcpy(entry + 1, key, keyLength);
    entry[1 + keyLength] = static_cast<unsigned char>(valueLength);
    std::memcpy(entry + 2 + keyLength, value, valueLength);
    entry[2 + keyLength + valueLength] = 0;
    bucket = block;
    return true;
}

bool HashConvert::lookup(const unsigned char *key, int keyLength, unsigned char *out,
                         int &outLength) const {
    outLength = 0;
    if (!m_buckets || !key || !validLength(keyLength)) return false;
    const unsigned char *entry = m_buckets[bucketOf(key, keyLength)];
    if (!entry) return false;
    for (; entry[0] != 0; entry += entryLength(entry)) {
        if (!sameKey(entry, key, keyLength)) continue;
        const unsigned char *value = entry + 1 + keyLength;
        std::memcpy(out, value + 1, value[0]);
        outLength = value[0];
        return true;
    }
    return false;
}

void HashConvert::removeKey(const unsigned char *key, int keyLength) {
    if (!m_buckets || !key || !validLength(keyLength)) return;
    unsigned char *&bucket = m_buckets[bucketOf(key, keyLength)];
    if (!bucket) return;
    unsigned char *kept = bucket;
    for (const unsigned char *entry = bucket; entry[0] != 0;) {
        size_t length = entryLength(entry);
        if (!sameKey(entry, key, keyLength)) {
            std::memmove(kept, entry, length);
            kept += length;
        }
        entry += length;
    }
    *kept = 0;
    if (kept == bucket) {
        std::free(bucket);
        bucket = nullptr;
    }
}

bool HashConvert::visitEntries(EntryVisitor visit, void *context) const {
    for (uint32_t i = 0; i < m_bucketCount; ++i) {
        const unsigned char *entry = m_buckets[i];
        if (!entry) continue;
        for (; entry[0] != 0; entry += entryLength(entry)) {
            const unsigned char *value = entry + 1 + entry[0];
            if (!visit(entry + 1, entry[0], value + 1, value[0], context)) return false;
        }
    }
    return true;
}

bool HashConvert::invertInto(HashConvert &other) const {
    return visitEntries(insertReversed, &other);
}
