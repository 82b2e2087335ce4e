#pragma once

#include <cstddef>
#include <cstdlib>

// A malloc'd block freed when the scope ends; get() is null when none could be had.
class HeapBlock {
public:
    explicit HeapBlock(size_t size) : m_bytes(static_cast<unsigned char *>(malloc(size))) {}
    ~HeapBlock() { free(m_bytes); }
    HeapBlock(const HeapBlock &) = delete;
    HeapBlock &operator=(const HeapBlock &) = delete;

    unsigned char *get() const { return m_bytes; }
    char *chars() const { return reinterpret_cast<char *>(m_bytes); }

private:
    unsigned char *m_bytes;
};
