#pragma once

#include "log/LogBase.h"

// Opens a log context for one scope; does nothing without a log.
class ScopedLogContext {
public:
    ScopedLogContext(LogBase *log, const char *tag) : m_log(log) {
        if (m_log) m_log->enterContext(tag, true);
    }
    ~ScopedLogContext() {
        if (m_log) m_log->leaveContext();
    }
    ScopedLogContext(const ScopedLogContext &) = delete;
    ScopedLogContext &operator=(const ScopedLogContext &) = delete;

private:
    LogBase *m_log;
};
