#pragma once

#include <cstdint>

// Byte-string hash map of a conversion table: keys and values of 1 to 4 bytes
// (a Unicode character is its UTF-16 unit, 2 bytes little-endian; a multi-byte
// character is its bytes in stream order). Duplicate keys are kept; a lookup
// finds the entry inserted first.
class HashConvert {
public:
    HashConvert();
    virtual ~HashConvert();
    HashConvert(const HashConvert &) = delete;
    HashConvert &operator=(const HashConvert &) = delete;

    // Frees any content and allocates count empty buckets.
    bool initBuckets(uint32_t count);
    // Keys and values are 1 to 4 bytes; false when they are not or memory runs out.
    bool insertEntry(const unsigned char *key, int keyLength, const unsigned char *value,
                     int valueLength);
    // Copies the value of the first matching entry into out (at least 4 bytes);
    // outLength is 0 when there is none.
    bool lookup(const unsigned char *key, int keyLength, unsigned char *out, int &outLength) const;
    // Removes every entry with the key, freeing a bucket that becomes empty.
    void removeKey(const unsigned char *key, int keyLength);
    void setAsciiCompatible(bool compatible) { m_asciiCompatible = compatible; }
    bool isAsciiCompatible() const { return m_asciiCompatible; }
    // Inserts every entry reversed (value as key) into other, in bucket and stored order.
    bool invertInto(HashConvert &other) const;

    // Called for every entry, bucket by bucket and in stored order, so that the first
    // call for a key is the entry its lookup finds; a false return stops the walk.
    typedef bool (*EntryVisitor)(const unsigned char *key, int keyLength,
                                 const unsigned char *value, int valueLength, void *context);
    bool visitEntries(EntryVisitor visit, void *context) const;

    uint32_t getBucketCount() const { return m_bucketCount; }
    // One bucket's block (entries of key length, key, value length, value, then a 0
    // byte), or null while the bucket is empty.
    const unsigned char *bucketBlock(uint32_t index) const {
        return index < m_bucketCount ? m_buckets[index] : nullptr;
    }

private:
    uint32_t bucketOf(const unsigned char *key, int keyLength) const;
    void freeBuckets();

    bool m_asciiCompatible;
    uint32_t m_bucketCount;
    unsigned char **m_buckets;
};
