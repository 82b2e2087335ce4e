#pragma once

class TarnixObject;

// Growable array of object pointers. It deletes its elements only when asked
// (removeAllObjects, or its destructor when ownsObjects is set).
class ExtPtrArray {
public:
    ExtPtrArray();
    virtual ~ExtPtrArray();
    ExtPtrArray(const ExtPtrArray &) = delete;
    ExtPtrArray &operator=(const ExtPtrArray &) = delete;

    static ExtPtrArray *createNewArray();

    bool appendPtr(TarnixObject *p);
    int getSize() const { return m_count; }
    TarnixObject *elementAt(int i) const;
    TarnixObject *lastElement() const;
    TarnixObject *removeAt(int i);
    TarnixObject *removeLast();
    void removeAllNoDelete();
    void removeAllObjects();

    void setOwnsObjects(bool owns) { m_ownsObjects = owns; }
    bool getOwnsObjects() const { return m_ownsObjects; }
    int getCapacity() const { return m_capacity; }
    int getGrowBy() const { return m_growBy; }

private:
    int m_growBy;
    int m_capacity;
    int m_count;
    TarnixObject **m_cells;
    bool m_ownsObjects;
};
