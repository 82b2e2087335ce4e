#pragma once

#include <cstdint>

// The process-wide random source: an R250 shift-register generator seeded from the
// system's cryptographic random bytes on first use. Instances carry no state; all
// share one generator behind one lock, so any thread may draw.
class TarnixRand {
public:
    TarnixRand() {}
    virtual ~TarnixRand();

    uint32_t next32();
    // Uniform in lo..hi inclusive, from 24 random bits; lo == hi draws nothing.
    uint32_t randomRange(uint32_t lo, uint32_t hi);
};
