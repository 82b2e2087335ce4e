#pragma once

#include "core/ExtPtrArray.h"

class LogEntry2;

// The log tree and the stack of open contexts. Element 0 of the stack is the root
// "TarnixLog"; the last element is where new entries go. Not locked: the owning
// Logger serialises every call.
class ErrorLog {
public:
    ErrorLog();
    ~ErrorLog();
    ErrorLog(const ErrorLog &) = delete;
    ErrorLog &operator=(const ErrorLog &) = delete;

    // The entry goes under the current context; dropped when it cannot be made.
    void appendEntry(char type, const char *tag, const char *text);
    void enterContext(const char *tag);
    // An empty context is dropped as it is left, except directly under the root,
    // where one context per method call stays even when it recorded nothing.
    void leaveContext();
    void clear();

    // Null only when even the root could not be allocated.
    const LogEntry2 *getRoot() const;
    int getStackDepth() const { return m_contextStack.getSize(); }

private:
    LogEntry2 *currentContext() const;
    LogEntry2 *addToCurrent(char type, const char *tag, const char *text);
    void deleteTree();

    ExtPtrArray m_contextStack;
};
