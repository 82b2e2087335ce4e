#pragma once

#include "platform/Win32.h"

// A recursive lock: the same thread may enter again and must leave as often.
class TarnixCritSec {
public:
    TarnixCritSec();
    virtual ~TarnixCritSec();
    TarnixCritSec(const TarnixCritSec &) = delete;
    TarnixCritSec &operator=(const TarnixCritSec &) = delete;

    void enterCriticalSection();
    void leaveCriticalSection();

private:
    CRITICAL_SECTION m_section;
};

// Holds a TarnixCritSec for one scope.
class CritSecLock {
public:
    explicit CritSecLock(TarnixCritSec &section) : m_section(section) {
        m_section.enterCriticalSection();
    }
    ~CritSecLock() { m_section.leaveCriticalSection(); }
    CritSecLock(const CritSecLock &) = delete;
    CritSecLock &operator=(const CritSecLock &) = delete;

private:
    TarnixCritSec &m_section;
};
