#include "platform/TestHooks.h"
#include "platform/Win32.h"

#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

void InitializeCriticalSection(CRITICAL_SECTION *section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // Windows critical sections may be entered again by the thread that holds them.
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(CRITICAL_SECTION *section) {
    pthread_mutex_lock(&section->mutex);
}

void LeaveCriticalSection(CRITICAL_SECTION *section) {
    pthread_mutex_unlock(&section->mutex);
}

void DeleteCriticalSection(CRITICAL_SECTION *section) {
    pthread_mutex_destroy(&section->mutex);
}

LONG InterlockedIncrement(LONG volatile *value) {
    return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(LONG volatile *value) {
    return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}

void Sleep(DWORD milliseconds) {
    if (txhooks::detail::anyArmed() && txhooks::detail::skipSleep(milliseconds)) return;
    struct timespec delay;
    delay.tv_sec = milliseconds / 1000;
    delay.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&delay, &delay) != 0) {
    }
}

DWORD GetTickCount() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}
