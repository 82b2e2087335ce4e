// Routes the library's Win32 file calls through the test hooks: each name below
// becomes a wrapper (platform/windows/Hooks.cpp) that consults the hook state and
// otherwise calls the kernel32/advapi32 function of the same name.
#pragma once

#define TX_HOOKED_CALL(type, name, call, failure, parameters, arguments)                           \
    type WINAPI txHooked##name parameters;
#define TX_HOOKED_CALL_OWN(type, name, parameters) type WINAPI txHooked##name parameters;
#include "platform/windows/HookedCallList.h"

// Directives cannot come from a macro, so the renaming is spelled out; it follows
// the list above name for name.
#undef CreateFileA
#undef CreateFileW
#undef ReadFile
#undef WriteFile
#undef SetFilePointer
#undef GetFileSize
#undef CloseHandle
#undef GetFileAttributesA
#undef GetFileAttributesW
#undef SetFileAttributesA
#undef SetFileAttributesW
#undef DeleteFileA
#undef DeleteFileW
#undef MoveFileA
#undef MoveFileW
#undef CopyFileA
#undef CopyFileW
#undef CreateDirectoryA
#undef CreateDirectoryW
#undef RemoveDirectoryA
#undef RemoveDirectoryW
#undef FindFirstFileA
#undef FindFirstFileW
#undef FindNextFileA
#undef FindNextFileW
#undef GetFullPathNameA
#undef GetFullPathNameW
#undef GetCurrentDirectoryA
#undef GetCurrentDirectoryW
#undef SetCurrentDirectoryA
#undef SetCurrentDirectoryW
#undef CryptAcquireContextA
#undef CryptGenRandom
#undef FindClose
#undef Sleep

#define CreateFileA txHookedCreateFileA
#define CreateFileW txHookedCreateFileW
#define ReadFile txHookedReadFile
#define WriteFile txHookedWriteFile
#define SetFilePointer txHookedSetFilePointer
#define GetFileSize txHookedGetFileSize
#define CloseHandle txHookedCloseHandle
#define GetFileAttributesA txHookedGetFileAttributesA
#define GetFileAttributesW txHookedGetFileAttributesW
#define SetFileAttributesA txHookedSetFileAttributesA
#define SetFileAttributesW txHookedSetFileAttributesW
#define DeleteFileA txHookedDeleteFileA
#define DeleteFileW txHookedDeleteFileW
#define MoveFileA txHookedMoveFileA
#define MoveFileW txHookedMoveFileW
#define CopyFileA txHookedCopyFileA
#define CopyFileW txHookedCopyFileW
#define CreateDirectoryA txHookedCreateDirectoryA
#define CreateDirectoryW txHookedCreateDirectoryW
#define RemoveDirectoryA txHookedRemoveDirectoryA
#define RemoveDirectoryW txHookedRemoveDirectoryW
#define FindFirstFileA txHookedFindFirstFileA
#define FindFirstFileW txHookedFindFirstFileW
#define FindNextFileA txHookedFindNextFileA
#define FindNextFileW txHookedFindNextFileW
#define GetFullPathNameA txHookedGetFullPathNameA
#define GetFullPathNameW txHookedGetFullPathNameW
#define GetCurrentDirectoryA txHookedGetCurrentDirectoryA
#define GetCurrentDirectoryW txHookedGetCurrentDirectoryW
#define SetCurrentDirectoryA txHookedSetCurrentDirectoryA
#define SetCurrentDirectoryW txHookedSetCurrentDirectoryW
#define CryptAcquireContextA txHookedCryptAcquireContextA
#define CryptGenRandom txHookedCryptGenRandom
#define FindClose txHookedFindClose
#define Sleep txHookedSleep
