#include "core/ExtPtrArray.h"

#include "core/TarnixObject.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const int initialCells = 5;
const int maxGrowBy = 100000;

TarnixObject **allocateCells(int64_t count) {
    if (count <= 0 || count > static_cast<int64_t>(INT_MAX / sizeof(TarnixObject *))) {
        return nullptr;
    }
    return static_cast<TarnixObject **>(calloc(static_cast<size_t>(count), sizeof(TarnixObject *)));
}

} // namespace

ExtPtrArray::ExtPtrArray()
    : m_growBy(initialCells), m_capacity(0), m_count(0), m_cells(nullptr), m_ownsObjects(false) {}

ExtPtrArray::~ExtPtrArray() {
    if (m_ownsObjects) removeAllObjects();
    free(m_cells);
    m_cells = nullptr;
    m_growBy = 0;
    m_capacity = 0;
    m_count = 0;
    m_ownsObjects = false;
}

ExtPtrArray *ExtPtrArray::createNewArray() { return new (std::nothrow) ExtPtrArray(); }

bool ExtPtrArray::appendPtr(TarnixObject *p) {
    if (m_cells == nullptr) {
        m_cells = allocateCells(initialCells);
        if (m_cells == nullptr) {
            m_capacity = 0;
            return false;
        }
        m_capacity = initialCells;
    }
    if (m_count + 1 <= m_capacity) {
        m_cells[m_count++] = p;
        return true;
    }

    int64_t newCapacity = static_cast<int64_t>(m_capacity) + m_growBy;
    if (newCapacity <= static_cast<int64_t>(m_count) + 1) newCapacity = static_cast<int64_t>(m_count) + 2;
    TarnixObject **cells = allocateCells(newCapacity);
    if (cells == nullptr) return false;
    memcpy(cells, m_cells, static_cast<size_t>(m_count) * sizeof(TarnixObject *));
    free(m_cells);
    m_cells = cells;
    m_capacity = static_cast<int>(newCapacity);
    m_cells[m_count++] = p;

    // Doubling until the steps reach maxGrowBy cells.
    if (m_growBy < maxGrowBy) m_growBy = m_capacity < maxGrowBy ? m_capacity : maxGrowBy;
    return true;
}

TarnixObject *ExtPtrArray::elementAt(int i) const {
    if (m_cells == nullptr || i < 0 || i >= m_count) return nullptr;
    return m_cells[i];
}

TarnixObject *ExtPtrArray::lastElement() const { return elementAt(m_count - 1); }

TarnixObject *ExtPtrArray::removeAt(int i) {
    if (m_cells == nullptr || i < 0 || i >= m_count) return nullptr;
    TarnixObject *p = m_cells[i];
    memmove(m_cells + i, m_cells + i + 1, static_cast<size_t>(m_count - i - 1) * sizeof(TarnixObject *));
    --m_count;
    m_cells[m_count] = nullptr;
    return p;
}

TarnixObject *ExtPtrArray::removeLast() { return removeAt(m_count - 1); }

void ExtPtrArray::removeAllNoDelete() { m_count = 0; }

void ExtPtrArray::removeAllObjects() {
    if (m_cells != nullptr) {
        for (int i = 0; i < m_count; ++i) {
            TarnixObject *p = m_cells[i];
            m_cells[i] = nullptr;
            delete p;
        }
    }
    m_count = 0;
}
