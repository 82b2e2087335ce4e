// The wrappers behind platform/windows/HookedCalls.h: the hook state decides
// first, the real call does the work.
#define TX_REAL_WIN32_CALLS
#include "platform/TestHooks.h"
#include "platform/Win32.h"

#include <atomic>

using txhooks::Call;
using txhooks::detail::anyArmed;
using txhooks::detail::injectFailure;

namespace {

bool fails(Call call) {
    return anyArmed() && injectFailure(call);
}

// Handles opened and not yet closed through these wrappers: the kernel's own count
// is not kept by every system the tests run on.
std::atomic<int64_t> handlesOpen{0};

HANDLE countOpened(HANDLE handle) {
    if (handle != INVALID_HANDLE_VALUE) handlesOpen.fetch_add(1, std::memory_order_relaxed);
    return handle;
}

template <typename Result> Result countOpened(Result result) {
    return result;
}

BOOL countClosed(BOOL closed) {
    if (closed) handlesOpen.fetch_sub(1, std::memory_order_relaxed);
    return closed;
}

} // namespace

#define TX_HOOKED_CALL_OWN(type, name, parameters) type WINAPI txHooked##name parameters;
#include "platform/windows/HookedCallList.h"

#define TX_HOOKED_CALL(type, name, call, failure, parameters, arguments)                           \
    type WINAPI txHooked##name parameters {                                                        \
        if (fails(Call::call)) return failure;                                                     \
        return countOpened(name arguments);                                                        \
    }
#include "platform/windows/HookedCallList.h"

BOOL WINAPI txHookedReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read,
                             LPOVERLAPPED overlapped) {
    if (!anyArmed()) return ReadFile(file, buffer, size, read, overlapped);
    if (injectFailure(Call::ReadFile)) {
        if (read) *read = 0;
        return FALSE;
    }
    DWORD transferred = 0;
    BOOL ok = ReadFile(file, buffer, txhooks::detail::beginRead(size), &transferred, overlapped);
    if (read) *read = transferred;
    txhooks::detail::endRead(transferred);
    return ok;
}

BOOL WINAPI txHookedWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                              LPOVERLAPPED overlapped) {
    if (!anyArmed()) return WriteFile(file, buffer, size, written, overlapped);
    if (injectFailure(Call::WriteFile)) {
        if (written) *written = 0;
        return FALSE;
    }
    DWORD allowed = txhooks::detail::beginWrite(size);
    DWORD transferred = 0;
    BOOL ok = TRUE;
    if (allowed > 0 || size == 0) ok = WriteFile(file, buffer, allowed, &transferred, overlapped);
    if (written) *written = transferred;
    txhooks::detail::endWrite(transferred);
    if (ok && allowed < size) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return ok;
}

BOOL WINAPI txHookedCloseHandle(HANDLE handle) {
    // An injected failure still closes: a caller cannot retry a close.
    if (fails(Call::CloseHandle)) {
        DWORD error = GetLastError();
        countClosed(CloseHandle(handle));
        SetLastError(error);
        return FALSE;
    }
    return countClosed(CloseHandle(handle));
}

BOOL WINAPI txHookedFindClose(HANDLE find) {
    return countClosed(FindClose(find));
}

void WINAPI txHookedSleep(DWORD milliseconds) {
    if (anyArmed() && txhooks::detail::skipSleep(milliseconds)) return;
    Sleep(milliseconds);
}

int64_t txhooks::openHandleCount() {
    return handlesOpen.load(std::memory_order_relaxed);
}
