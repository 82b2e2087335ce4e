// Routes the library's Win32 file calls through the test hooks: each name below
// becomes a wrapper (platform/windows/Hooks.cpp) that consults the hook state and
// otherwise calls the kernel32/advapi32 function of the same name.
#pragma once

HANDLE WINAPI txHookedCreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                  HANDLE);
HANDLE WINAPI txHookedCreateFileW(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                  HANDLE);
BOOL WINAPI txHookedReadFile(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
BOOL WINAPI txHookedWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
DWORD WINAPI txHookedSetFilePointer(HANDLE, LONG, PLONG, DWORD);
DWORD WINAPI txHookedGetFileSize(HANDLE, LPDWORD);
BOOL WINAPI txHookedCloseHandle(HANDLE);
DWORD WINAPI txHookedGetFileAttributesA(LPCSTR);
DWORD WINAPI txHookedGetFileAttributesW(LPCWSTR);
BOOL WINAPI txHookedSetFileAttributesA(LPCSTR, DWORD);
BOOL WINAPI txHookedSetFileAttributesW(LPCWSTR, DWORD);
BOOL WINAPI txHookedDeleteFileA(LPCSTR);
BOOL WINAPI txHookedDeleteFileW(LPCWSTR);
BOOL WINAPI txHookedMoveFileA(LPCSTR, LPCSTR);
BOOL WINAPI txHookedMoveFileW(LPCWSTR, LPCWSTR);
BOOL WINAPI txHookedCopyFileA(LPCSTR, LPCSTR, BOOL);
BOOL WINAPI txHookedCopyFileW(LPCWSTR, LPCWSTR, BOOL);
BOOL WINAPI txHookedCreateDirectoryA(LPCSTR, LPSECURITY_ATTRIBUTES);
BOOL WINAPI txHookedCreateDirectoryW(LPCWSTR, LPSECURITY_ATTRIBUTES);
BOOL WINAPI txHookedRemoveDirectoryA(LPCSTR);
BOOL WINAPI txHookedRemoveDirectoryW(LPCWSTR);
HANDLE WINAPI txHookedFindFirstFileA(LPCSTR, LPWIN32_FIND_DATAA);
HANDLE WINAPI txHookedFindFirstFileW(LPCWSTR, LPWIN32_FIND_DATAW);
BOOL WINAPI txHookedFindNextFileA(HANDLE, LPWIN32_FIND_DATAA);
BOOL WINAPI txHookedFindNextFileW(HANDLE, LPWIN32_FIND_DATAW);
DWORD WINAPI txHookedGetFullPathNameA(LPCSTR, DWORD, LPSTR, LPSTR *);
DWORD WINAPI txHookedGetFullPathNameW(LPCWSTR, DWORD, LPWSTR, LPWSTR *);
DWORD WINAPI txHookedGetCurrentDirectoryA(DWORD, LPSTR);
DWORD WINAPI txHookedGetCurrentDirectoryW(DWORD, LPWSTR);
BOOL WINAPI txHookedSetCurrentDirectoryA(LPCSTR);
BOOL WINAPI txHookedSetCurrentDirectoryW(LPCWSTR);
BOOL WINAPI txHookedCryptAcquireContextA(HCRYPTPROV *, LPCSTR, LPCSTR, DWORD, DWORD);
BOOL WINAPI txHookedCryptGenRandom(HCRYPTPROV, DWORD, BYTE *);
void WINAPI txHookedSleep(DWORD);

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
#define Sleep txHookedSleep
