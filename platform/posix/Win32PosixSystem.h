// Win32 system information and random bytes on POSIX.
#pragma once

#include <cstdint>

typedef uintptr_t HCRYPTPROV;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32_NT 2u

// Reports Windows 8 (6.2, build 9200): what a current Windows tells a program
// that declares no compatibility in a manifest.
BOOL GetVersionExA(LPOSVERSIONINFOA info);

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

// The host name up to its first ".", in capitals and cut to 15 characters, as a
// NetBIOS name is.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);
// The name of the effective user.
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);

#define PROV_RSA_FULL 1u
#define CRYPT_VERIFYCONTEXT 0xF0000000u
#define CRYPT_NEWKEYSET 0x00000008u
#define CRYPT_DELETEKEYSET 0x00000010u
#define CRYPT_MACHINE_KEYSET 0x00000020u
#define CRYPT_SILENT 0x00000040u
#define MS_DEF_PROV_A "Microsoft Base Cryptographic Provider v1.0"
#define NTE_BAD_UID static_cast<DWORD>(0x80090001u)
#define NTE_BAD_FLAGS static_cast<DWORD>(0x80090009u)
#define NTE_BAD_KEYSET static_cast<DWORD>(0x80090016u)
#define NTE_PROV_TYPE_NOT_DEF static_cast<DWORD>(0x80090017u)
#define NTE_KEYSET_NOT_DEF static_cast<DWORD>(0x80090019u)

// Only ephemeral contexts (CRYPT_VERIFYCONTEXT) of the RSA full provider type
// exist: there are no key containers. The bytes come from getrandom(2).
BOOL CryptAcquireContextA(HCRYPTPROV *provider, LPCSTR container, LPCSTR providerName,
                          DWORD providerType, DWORD flags);
BOOL CryptGenRandom(HCRYPTPROV provider, DWORD length, BYTE *buffer);
BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags);
