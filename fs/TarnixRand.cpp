#include "fs/TarnixRand.h"

#include "core/TarnixCritSec.h"
#include "fs/R250.h"

#include <cstdlib>
#include <new>

namespace {

struct SharedGenerator {
    TarnixCritSec lock;
    bool initialised = false;
    r250::State state;
};

// Created on first use and never destroyed: a thread may still draw while the
// process ends.
SharedGenerator &sharedGenerator() {
    alignas(SharedGenerator) static unsigned char storage[sizeof(SharedGenerator)];
    static SharedGenerator *generator = new (storage) SharedGenerator();
    return *generator;
}

// Called with the lock held.
uint32_t drawLocked(SharedGenerator &generator) {
    if (!generator.initialised) {
        generator.initialised = true;
        r250::seed(generator.state);
        srand(r250::next(generator.state));
    }
    return r250::next(generator.state);
}

} // namespace

TarnixRand::~TarnixRand() {}

uint32_t TarnixRand::next32() {
    SharedGenerator &generator = sharedGenerator();
    CritSecLock hold(generator.lock);
    return drawLocked(generator);
}

uint32_t TarnixRand::randomRange(uint32_t lo, uint32_t hi) {
    if (lo == hi) return lo;
    SharedGenerator &generator = sharedGenerator();
    CritSecLock hold(generator.lock);
    uint32_t bits = next32() & 0xFFFFFF;
    double span = static_cast<double>(hi - lo) + 1.0;
    uint32_t result = lo + static_cast<uint32_t>(bits * span * (1.0 / 16777216.0));
    if (result < lo) result = lo;
    if (result > hi) result = hi;
    return result;
}
