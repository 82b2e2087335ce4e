#pragma once

#include "core/TarnixObject.h"

class ExtPtrArray;
class StringBuffer;

// One node of the log tree. Contexts own their children; the other kinds carry a
// message or a tagged value.
class LogEntry2 : public TarnixObject {
public:
    static constexpr char typeContext = 'C';
    static constexpr char typeError = 'E';
    static constexpr char typeInfo = 'I';
    static constexpr char typeRaw = 'X';
    static constexpr char typeTagged = 'T';

    // Null when the entry itself cannot be allocated. The strings are copied; a copy
    // that cannot be made is left out and the entry kept without it. A context gets
    // an empty child array.
    static LogEntry2 *createNewEntry(char type, const char *tag, const char *text);

    ~LogEntry2() override;
    LogEntry2(const LogEntry2 &) = delete;
    LogEntry2 &operator=(const LogEntry2 &) = delete;

    char getEntryType() const { return m_entryType; }
    bool isContext() const { return m_entryType == typeContext; }
    // Null when absent.
    const StringBuffer *getTag() const { return m_tag; }
    const StringBuffer *getText() const { return m_text; }
    bool hasChildArray() const { return m_children != nullptr; }

    int numChildren() const;
    LogEntry2 *childAt(int i) const;
    LogEntry2 *lastChild() const;
    // On success the child belongs to this entry; on failure it stays the caller's.
    bool appendChild(LogEntry2 *child);
    void deleteLastChild();

private:
    LogEntry2();

    ExtPtrArray *m_children;
    char m_entryType;
    StringBuffer *m_tag;
    StringBuffer *m_text;
};
