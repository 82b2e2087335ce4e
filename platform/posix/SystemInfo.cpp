// Version, computer and user names, and random bytes.
#include "platform/Win32.h"
#include "platform/posix/FileInfo.h"
#include "platform/posix/PosixText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/random.h>
#include <unistd.h>

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Any non-zero value would do: the contexts hold no state of their own.
const HCRYPTPROV ephemeralContext = 0x7278u;

bool userName(txposix::ByteText *out) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    size_t length = size > 0 ? size_t(size) : 16384;
    char *buffer = static_cast<char *>(malloc(length));
    if (buffer == nullptr) return false;
    struct passwd entry, *found = nullptr;
    bool ok;
    if (getpwuid_r(geteuid(), &entry, buffer, length, &found) == 0 && found != nullptr) {
        ok = out->append(found->pw_name);
    } else {
        char number[24];
        snprintf(number, sizeof number, "%u", unsigned(geteuid()));
        ok = out->append(number);
    }
    free(buffer);
    return ok;
}

} // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr) return fail(ERROR_INVALID_PARAMETER);
    // OSVERSIONINFOA, or OSVERSIONINFOEXA whose extra eight bytes stay zero.
    DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOA) + 8)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    memset(info, 0, size);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 2;
    info->dwBuildNumber = 9200;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return TRUE;
}

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) {
    if (size == nullptr) return fail(ERROR_INVALID_PARAMETER);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') strcpy(host, "localhost");
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = 0;
    for (const char *p = host; *p && *p != '.' && length < MAX_COMPUTERNAME_LENGTH; ++p) {
        char c = *p;
        name[length++] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    }
    name[length] = '\0';
    if (buffer == nullptr || *size < length + 1) {
        *size = length + 1;
        return fail(ERROR_BUFFER_OVERFLOW);
    }
    memcpy(buffer, name, length + 1);
    *size = length;
    return TRUE;
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
    if (size == nullptr) return fail(ERROR_INVALID_PARAMETER);
    txposix::ByteText name;
    if (!userName(&name)) return fail(ERROR_NOT_ENOUGH_MEMORY);
    DWORD length = DWORD(txposix::utf8ToAnsi(name.text(), name.length(), nullptr, 0));
    // Unlike GetComputerNameA, the count includes the terminator both ways.
    if (buffer == nullptr || *size < length + 1) {
        *size = length + 1;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    txposix::utf8ToAnsi(name.text(), name.length(), buffer, length);
    buffer[length] = '\0';
    *size = length + 1;
    return TRUE;
}

BOOL CryptAcquireContextA(HCRYPTPROV *provider, LPCSTR container, LPCSTR providerName,
                          DWORD providerType, DWORD flags) {
    if (txposix::hookFails(txhooks::Call::CryptAcquireContext)) return FALSE;
    if (provider == nullptr) return fail(ERROR_INVALID_PARAMETER);
    if (providerType != PROV_RSA_FULL) return fail(NTE_PROV_TYPE_NOT_DEF);
    if (providerName != nullptr && strcmp(providerName, MS_DEF_PROV_A) != 0 &&
        strcmp(providerName, "Microsoft Enhanced Cryptographic Provider v1.0") != 0 &&
        strcmp(providerName, "Microsoft Strong Cryptographic Provider") != 0)
        return fail(NTE_KEYSET_NOT_DEF);
    DWORD known = CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET | CRYPT_SILENT |
                  CRYPT_DELETEKEYSET;
    if (flags & ~known) return fail(NTE_BAD_FLAGS);
    // No key containers exist here; only the ephemeral context is offered.
    if ((flags & CRYPT_VERIFYCONTEXT) != CRYPT_VERIFYCONTEXT || container != nullptr)
        return fail(NTE_BAD_KEYSET);
    *provider = ephemeralContext;
    return TRUE;
}

BOOL CryptGenRandom(HCRYPTPROV provider, DWORD length, BYTE *buffer) {
    if (txposix::hookFails(txhooks::Call::CryptGenRandom)) return FALSE;
    if (provider != ephemeralContext) return fail(NTE_BAD_UID);
    if (buffer == nullptr && length > 0) return fail(ERROR_INVALID_PARAMETER);
    DWORD done = 0;
    while (done < length) {
        ssize_t count = getrandom(buffer + done, length - done, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return fail(ERROR_GEN_FAILURE);
        done += DWORD(count);
    }
    return TRUE;
}

BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags) {
    if (provider != ephemeralContext) return fail(NTE_BAD_UID);
    if (flags != 0) return fail(NTE_BAD_FLAGS);
    return TRUE;
}
