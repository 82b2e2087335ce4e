// The generator behind TarnixRand and its seeding, apart so that each step can be
// checked on its own.
#pragma once

#include <cstdint>

namespace r250 {

const int wordCount = 250;
// Each word is combined with the one this many places further on.
const int tapDistance = 103;

struct State {
    uint32_t words[wordCount];
    int index;
    int tapIndex;
};

// Fills the words from the cryptographic provider; false when none could be used.
bool fillFromCryptoProvider(uint32_t *words);
// Fills the words from the C runtime generator, seeded from the clock and the thread.
void fillFromCRuntime(uint32_t *words);
// Makes 32 of the words linearly independent, which R250 needs to reach its period.
void condition(uint32_t *words);
// Seeds the state: indices 0 and 103, words from the provider or else the C runtime,
// conditioned.
void seed(State &state);
uint32_t next(State &state);

} // namespace r250
