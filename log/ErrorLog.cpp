#include "log/ErrorLog.h"

#include "log/LogEntry2.h"

namespace {

const char rootTag[] = "TarnixLog";

} // namespace

ErrorLog::ErrorLog() {
    clear();
}

ErrorLog::~ErrorLog() {
    deleteTree();
}

void ErrorLog::deleteTree() {
    // The stack only borrows its entries; the root owns all of them.
    delete static_cast<LogEntry2 *>(m_contextStack.elementAt(0));
    m_contextStack.removeAllNoDelete();
}

void ErrorLog::clear() {
    deleteTree();
    LogEntry2 *root = LogEntry2::createNewEntry(LogEntry2::typeContext, rootTag, nullptr);
    if (root == nullptr) return;
    if (!m_contextStack.appendPtr(root)) delete root;
}

const LogEntry2 *ErrorLog::getRoot() const {
    return static_cast<const LogEntry2 *>(m_contextStack.elementAt(0));
}

LogEntry2 *ErrorLog::currentContext() const {
    return static_cast<LogEntry2 *>(m_contextStack.lastElement());
}

LogEntry2 *ErrorLog::addToCurrent(char type, const char *tag, const char *text) {
    LogEntry2 *parent = currentContext();
    if (parent == nullptr) return nullptr;
    LogEntry2 *entry = LogEntry2::createNewEntry(type, tag, text);
    if (entry == nullptr) return nullptr;
    if (!parent->appendChild(entry)) {
        delete entry;
        return nullptr;
    }
    return entry;
}

void ErrorLog::appendEntry(char type, const char *tag, const char *text) {
    addToCurrent(type, tag, text);
}

void ErrorLog::enterContext(const char *tag) {
    LogEntry2 *context = addToCurrent(LogEntry2::typeContext, tag, nullptr);
    if (context == nullptr) return;
    // Without its place on the stack the context would swallow nothing; it stays in
    // the tree as an empty context.
    m_contextStack.appendPtr(context);
}

void ErrorLog::leaveContext() {
    if (m_contextStack.getSize() <= 1) return;
    m_contextStack.removeLast();
    if (m_contextStack.getSize() <= 1) return;
    LogEntry2 *parent = currentContext();
    LogEntry2 *left = parent->lastChild();
    if (left != nullptr && left->isContext() && left->numChildren() == 0) {
        parent->deleteLastChild();
    }
}
