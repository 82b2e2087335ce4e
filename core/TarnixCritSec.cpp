#include "core/TarnixCritSec.h"

TarnixCritSec::TarnixCritSec() { InitializeCriticalSection(&m_section); }

TarnixCritSec::~TarnixCritSec() {
    // A thread still inside finishes first: deleting a held section is undefined.
    EnterCriticalSection(&m_section);
    LeaveCriticalSection(&m_section);
    DeleteCriticalSection(&m_section);
}

void TarnixCritSec::enterCriticalSection() { EnterCriticalSection(&m_section); }

void TarnixCritSec::leaveCriticalSection() { LeaveCriticalSection(&m_section); }
