#include "platform/TestHooks.h"

#include <cstring>
#include <mutex>

namespace txhooks {

namespace detail {
std::atomic<unsigned> armedState{0};
} // namespace detail

namespace {

constexpr int callKinds = static_cast<int>(Call::Count);

struct FailurePlan {
    int skip;
    int count;
    DWORD error;
};

struct HookState {
    FailurePlan failures[callKinds];
    bool counting;
    bool writeLimited;
    uint64_t writeBytesLeft;
    DWORD readChunkLimit;
    int sleepsToSkip;
    IoCounters counters;
};

std::mutex stateLock;
HookState state; // zero-initialised: nothing armed

bool anythingArmed() {
    if (state.counting || state.writeLimited || state.readChunkLimit != 0 || state.sleepsToSkip > 0)
        return true;
    for (const FailurePlan &plan : state.failures) {
        if (plan.count > 0) return true;
    }
    return false;
}

// Called with the lock held after every change of the state.
void publish() {
    detail::armedState.store(anythingArmed() ? 1u : 0u, std::memory_order_relaxed);
}

void countCall(Call call) {
    if (state.counting) ++state.counters.calls[static_cast<int>(call)];
}

void recordSize(DWORD *sizes, int *recorded, DWORD size) {
    if (*recorded < recordedSizesCapacity) sizes[(*recorded)++] = size;
}

} // namespace

void failCallsAfter(Call call, int skip, DWORD error, int count) {
    if (call == Call::Count) return;
    std::lock_guard<std::mutex> guard(stateLock);
    FailurePlan &plan = state.failures[static_cast<int>(call)];
    plan.skip = skip < 0 ? 0 : skip;
    plan.count = count < 0 ? 0 : count;
    plan.error = error;
    publish();
}

void failNextCalls(Call call, DWORD error, int count) {
    failCallsAfter(call, 0, error, count);
}

void setWriteLimit(uint64_t bytes) {
    std::lock_guard<std::mutex> guard(stateLock);
    state.writeLimited = true;
    state.writeBytesLeft = bytes;
    publish();
}

void clearWriteLimit() {
    std::lock_guard<std::mutex> guard(stateLock);
    state.writeLimited = false;
    state.writeBytesLeft = 0;
    publish();
}

void setReadChunkLimit(DWORD bytes) {
    std::lock_guard<std::mutex> guard(stateLock);
    state.readChunkLimit = bytes;
    publish();
}

void skipNextSleeps(int count) {
    std::lock_guard<std::mutex> guard(stateLock);
    state.sleepsToSkip = count < 0 ? 0 : count;
    publish();
}

void startCounting() {
    std::lock_guard<std::mutex> guard(stateLock);
    state.counting = true;
    publish();
}

IoCounters counters() {
    std::lock_guard<std::mutex> guard(stateLock);
    return state.counters;
}

void resetCounters() {
    std::lock_guard<std::mutex> guard(stateLock);
    memset(&state.counters, 0, sizeof state.counters);
}

void resetAll() {
    std::lock_guard<std::mutex> guard(stateLock);
    memset(&state, 0, sizeof state);
    publish();
}

namespace detail {

bool injectFailure(Call call) {
    std::lock_guard<std::mutex> guard(stateLock);
    countCall(call);
    FailurePlan &plan = state.failures[static_cast<int>(call)];
    if (plan.count <= 0) return false;
    if (plan.skip > 0) {
        --plan.skip;
        return false;
    }
    --plan.count;
    SetLastError(plan.error);
    publish();
    return true;
}

DWORD beginRead(DWORD requested) {
    std::lock_guard<std::mutex> guard(stateLock);
    if (state.counting) {
        ++state.counters.readCalls;
        recordSize(state.counters.readSizes, &state.counters.readSizesRecorded, requested);
    }
    if (state.readChunkLimit != 0 && requested > state.readChunkLimit) return state.readChunkLimit;
    return requested;
}

void endRead(DWORD transferred) {
    std::lock_guard<std::mutex> guard(stateLock);
    if (state.counting) state.counters.bytesRead += transferred;
}

DWORD beginWrite(DWORD requested) {
    std::lock_guard<std::mutex> guard(stateLock);
    if (state.counting) {
        ++state.counters.writeCalls;
        recordSize(state.counters.writeSizes, &state.counters.writeSizesRecorded, requested);
    }
    if (!state.writeLimited || state.writeBytesLeft >= requested) return requested;
    return static_cast<DWORD>(state.writeBytesLeft);
}

void endWrite(DWORD transferred) {
    std::lock_guard<std::mutex> guard(stateLock);
    if (state.counting) state.counters.bytesWritten += transferred;
    if (state.writeLimited) {
        state.writeBytesLeft =
            transferred >= state.writeBytesLeft ? 0 : state.writeBytesLeft - transferred;
    }
}

bool skipSleep(DWORD milliseconds) {
    std::lock_guard<std::mutex> guard(stateLock);
    if (state.counting) {
        ++state.counters.sleepCalls;
        state.counters.sleptMilliseconds += milliseconds;
    }
    if (state.sleepsToSkip <= 0) return false;
    --state.sleepsToSkip;
    publish();
    return true;
}

} // namespace detail

} // namespace txhooks
