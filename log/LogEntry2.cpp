#include "log/LogEntry2.h"

#include "core/ExtPtrArray.h"
#include "core/StringBuffer.h"

#include <new>

LogEntry2::LogEntry2()
    : m_children(nullptr), m_entryType(typeInfo), m_tag(nullptr), m_text(nullptr) {}

LogEntry2::~LogEntry2() {
    delete m_children;
    delete m_tag;
    delete m_text;
    m_children = nullptr;
    m_tag = nullptr;
    m_text = nullptr;
}

LogEntry2 *LogEntry2::createNewEntry(char type, const char *tag, const char *text) {
    LogEntry2 *entry = new (std::nothrow) LogEntry2();
    if (entry == nullptr) return nullptr;
    entry->m_entryType = type;
    if (tag != nullptr) entry->m_tag = StringBuffer::createNewObject(tag);
    if (text != nullptr) entry->m_text = StringBuffer::createNewObject(text);
    if (type == typeContext) {
        entry->m_children = ExtPtrArray::createNewArray();
        if (entry->m_children != nullptr) entry->m_children->setOwnsObjects(true);
    }
    return entry;
}

int LogEntry2::numChildren() const {
    return m_children != nullptr ? m_children->getSize() : 0;
}

LogEntry2 *LogEntry2::childAt(int i) const {
    if (m_children == nullptr) return nullptr;
    return static_cast<LogEntry2 *>(m_children->elementAt(i));
}

LogEntry2 *LogEntry2::lastChild() const {
    if (m_children == nullptr) return nullptr;
    return static_cast<LogEntry2 *>(m_children->lastElement());
}

bool LogEntry2::appendChild(LogEntry2 *child) {
    if (m_children == nullptr || child == nullptr) return false;
    return m_children->appendPtr(child);
}

void LogEntry2::deleteLastChild() {
    if (m_children == nullptr) return;
    delete m_children->removeLast();
}
