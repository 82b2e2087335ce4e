// Fault injection and call accounting for the Win32 file calls, in both builds.
// On POSIX the layer itself consults this state; on Windows the library's calls
// are routed through thin wrappers (platform/windows/Hooks.cpp) that consult it
// and otherwise call kernel32/advapi32. While nothing is armed each call pays
// one relaxed atomic load.
//
// Tests arm a hook, run the code under test and disarm everything with
// txhooks::resetAll() (or a txhooks::ScopedReset on the stack).
#pragma once

#include "platform/Win32.h"

#include <atomic>
#include <cstdint>

namespace txhooks {

// The calls that can be made to fail; each covers its ANSI and wide forms.
enum class Call : int {
    CreateFile,
    ReadFile,
    WriteFile,
    SetFilePointer,
    GetFileSize,
    CloseHandle,
    GetFileAttributes,
    SetFileAttributes,
    DeleteFile,
    MoveFile,
    CopyFile,
    CreateDirectory,
    RemoveDirectory,
    FindFirstFile,
    FindNextFile,
    GetFullPathName,
    GetCurrentDirectory,
    SetCurrentDirectory,
    CryptAcquireContext,
    CryptGenRandom,
    Count
};

// The next `count` calls of `call` fail with `error` without reaching the system:
// they return the call's failure value (INVALID_HANDLE_VALUE, FALSE, 0,
// INVALID_FILE_ATTRIBUTES, INVALID_SET_FILE_POINTER, INVALID_FILE_SIZE) and set
// the last error. ReadFile and WriteFile report 0 bytes transferred.
void failNextCalls(Call call, DWORD error, int count);
// As failNextCalls, after letting `skip` calls through untouched first.
void failCallsAfter(Call call, int skip, DWORD error, int count);

// WriteFile accepts `bytes` more bytes in total, then the disk is full: the write
// that crosses the limit writes the part that fits, reports it as written and
// fails with ERROR_DISK_FULL; later writes write nothing and fail the same way.
void setWriteLimit(uint64_t bytes);
void clearWriteLimit();

// Each ReadFile transfers at most `bytes` (short reads, as from a pipe); 0 lifts
// the limit.
void setReadChunkLimit(DWORD bytes);

// The next `count` Sleep calls return at once (they are still counted).
void skipNextSleeps(int count);

// How many of the call sizes below are kept; later calls are only counted.
constexpr int recordedSizesCapacity = 256;

struct IoCounters {
    uint64_t calls[static_cast<int>(Call::Count)]; // by Call, failed and injected ones too
    // ReadFile and WriteFile calls that reached the file (injected failures excluded).
    uint64_t readCalls;
    uint64_t writeCalls;
    uint64_t bytesRead;    // bytes ReadFile reported
    uint64_t bytesWritten; // bytes WriteFile reported
    uint64_t sleepCalls;
    uint64_t sleptMilliseconds; // as requested, skipped sleeps included
    int readSizesRecorded;
    int writeSizesRecorded;
    DWORD readSizes[recordedSizesCapacity];  // the requested sizes, in call order
    DWORD writeSizes[recordedSizesCapacity]; // the requested sizes, in call order

    uint64_t callsOf(Call call) const { return calls[static_cast<int>(call)]; }
};

// Counting is off until started; it stays on until resetAll().
void startCounting();
// A snapshot of the counters since startCounting() or the last resetCounters().
IoCounters counters();
// Zeroes the counters; counting stays as it was.
void resetCounters();

// The files and searches the process holds open now (on Windows, those opened and
// not yet closed through the hooked calls). Compared before and after a call, it
// shows a leak.
int64_t openHandleCount();

// Disarms every hook, stops counting and zeroes the counters.
void resetAll();

class ScopedReset {
public:
    ScopedReset() = default;
    ~ScopedReset() { resetAll(); }
    ScopedReset(const ScopedReset &) = delete;
    ScopedReset &operator=(const ScopedReset &) = delete;
};

// Used by the platform layer only.
namespace detail {

extern std::atomic<unsigned> armedState;

// The one relaxed load a call pays; everything below only when it is true.
inline bool anyArmed() {
    return armedState.load(std::memory_order_relaxed) != 0;
}

// Counts the call; true when it is to fail, with the last error already set.
bool injectFailure(Call call);
// Counts the ReadFile and records its size; returns how much it may transfer.
DWORD beginRead(DWORD requested);
void endRead(DWORD transferred);
// Counts the WriteFile and records its size; returns how much may be written
// before the disk is full (== requested when nothing limits it).
DWORD beginWrite(DWORD requested);
void endWrite(DWORD transferred);
// Counts the Sleep; true when it is to return at once.
bool skipSleep(DWORD milliseconds);

} // namespace detail

} // namespace txhooks
