#include "fs/R250.h"

#include "platform/Win32.h"

#include <cstdlib>
#include <cstring>

namespace r250 {

namespace {

const char providerName[] = "Microsoft Base Cryptographic Provider v1.0";

// Plain verification context first; the key-set flags help where the plain one is
// refused (old systems, locked-down profiles).
const DWORD acquireFlags[] = {
    CRYPT_VERIFYCONTEXT,
    CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET,
    CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET,
    CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET,
};

uint32_t rand15() {
    return static_cast<uint32_t>(rand()) & 0x7FFF;
}

} // namespace

bool fillFromCryptoProvider(uint32_t *words) {
    HCRYPTPROV provider = 0;
    bool acquired = false;
    for (DWORD flags : acquireFlags) {
        if (CryptAcquireContextA(&provider, nullptr, providerName, PROV_RSA_FULL, flags)) {
            acquired = true;
            break;
        }
    }
    if (!acquired) return false;
    BYTE bytes[wordCount * sizeof(uint32_t)];
    bool filled = CryptGenRandom(provider, sizeof bytes, bytes) != 0;
    CryptReleaseContext(provider, 0);
    if (filled) memcpy(words, bytes, sizeof bytes);
    return filled;
}

void fillFromCRuntime(uint32_t *words) {
    srand(GetTickCount() ^ GetCurrentThreadId());
    for (int i = wordCount - 1; i >= 0; --i) {
        uint32_t low = rand15();
        uint32_t high = rand15();
        uint32_t bottom = rand15();
        words[i] = (((high << 15) | low) << 2) | (bottom & 3);
    }
}

void condition(uint32_t *words) {
    for (int k = 0; k < 32; ++k) {
        uint32_t &word = words[3 + 7 * k];
        word &= 0xFFFFFFFFu >> k;
        word |= 0x80000000u >> k;
    }
}

void seed(State &state) {
    state.index = 0;
    state.tapIndex = tapDistance;
    if (!fillFromCryptoProvider(state.words)) fillFromCRuntime(state.words);
    condition(state.words);
}

uint32_t next(State &state) {
    uint32_t &word = state.words[state.index];
    word ^= state.words[state.tapIndex];
    uint32_t result = word;
    state.index = state.index == wordCount - 1 ? 0 : state.index + 1;
    state.tapIndex = state.tapIndex == wordCount - 1 ? 0 : state.tapIndex + 1;
    return result;
}

} // namespace r250
