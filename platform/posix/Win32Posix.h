// Win32 types and calls for POSIX systems. Only what the system uses is here; every
// call keeps the Windows contract its callers rely on (error codes, message texts,
// recursive critical sections).
#pragma once

#include <cstdint>
#include <pthread.h>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef void *HANDLE;
typedef void *HLOCAL;
typedef void *LPVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef char16_t WCHAR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define WINAPI

#define ERROR_SUCCESS 0u
#define ERROR_INVALID_FUNCTION 1u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_TOO_MANY_OPEN_FILES 4u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_ACCESS 12u
#define ERROR_INVALID_DATA 13u
#define ERROR_OUTOFMEMORY 14u
#define ERROR_INVALID_DRIVE 15u
#define ERROR_CURRENT_DIRECTORY 16u
#define ERROR_NOT_SAME_DEVICE 17u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_WRITE_PROTECT 19u
#define ERROR_NOT_READY 21u
#define ERROR_SEEK 25u
#define ERROR_WRITE_FAULT 29u
#define ERROR_READ_FAULT 30u
#define ERROR_GEN_FAILURE 31u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_LOCK_VIOLATION 33u
#define ERROR_HANDLE_EOF 38u
#define ERROR_HANDLE_DISK_FULL 39u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_BAD_NETPATH 53u
#define ERROR_NETWORK_ACCESS_DENIED 65u
#define ERROR_BAD_NET_NAME 67u
#define ERROR_FILE_EXISTS 80u
#define ERROR_CANNOT_MAKE 82u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_BROKEN_PIPE 109u
#define ERROR_OPEN_FAILED 110u
#define ERROR_BUFFER_OVERFLOW 111u
#define ERROR_DISK_FULL 112u
#define ERROR_CALL_NOT_IMPLEMENTED 120u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_INVALID_NAME 123u
#define ERROR_NEGATIVE_SEEK 131u
#define ERROR_SEEK_ON_DEVICE 132u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_BUSY 170u
#define ERROR_BAD_PATHNAME 161u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_FILENAME_EXCED_RANGE 206u
#define ERROR_DIRECTORY 267u
#define ERROR_CANT_RESOLVE_FILENAME 1921u
#define ERROR_NO_UNICODE_TRANSLATION 1113u
#define ERROR_USER_MAPPED_FILE 1224u
#define ERROR_FILE_CORRUPT 1392u
#define ERROR_DISK_QUOTA_EXCEEDED 1295u
#define ERROR_NOT_A_REPARSE_POINT 4390u
#define ERROR_FILE_TOO_LARGE 223u
#define ERROR_DELETE_PENDING 303u
#define ERROR_INVALID_USER_BUFFER 1784u
#define ERROR_NO_SYSTEM_RESOURCES 1450u
#define ERROR_DEVICE_NOT_CONNECTED 1167u
#define ERROR_TOO_MANY_LINKS 1142u
#define ERROR_PRIVILEGE_NOT_HELD 1314u
#define ERROR_BAD_UNIT 20u
#define ERROR_CRC 23u
#define ERROR_SECTOR_NOT_FOUND 27u
#define ERROR_OPERATION_ABORTED 995u
#define ERROR_IO_DEVICE 1117u
#define ERROR_NOACCESS 998u

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000u
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FFu

#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION *LPCRITICAL_SECTION;

void InitializeCriticalSection(CRITICAL_SECTION *section);
void EnterCriticalSection(CRITICAL_SECTION *section);
void LeaveCriticalSection(CRITICAL_SECTION *section);
void DeleteCriticalSection(CRITICAL_SECTION *section);

LONG InterlockedIncrement(LONG volatile *value);
LONG InterlockedDecrement(LONG volatile *value);

DWORD GetLastError();
void SetLastError(DWORD code);

UINT GetACP();
UINT GetOEMCP();

// Only FORMAT_MESSAGE_FROM_SYSTEM is served (with or without ALLOCATE_BUFFER);
// the texts are Windows' English system messages, each ending in CR LF.
DWORD FormatMessageA(DWORD flags, const void *source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void *arguments);
HLOCAL LocalAlloc(UINT flags, size_t bytes);
HLOCAL LocalFree(HLOCAL memory);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();
DWORD GetCurrentThreadId();

// The file, directory and system calls.
#include "platform/posix/Win32PosixFiles.h"
#include "platform/posix/Win32PosixSystem.h"
