// The wrappers behind platform/windows/HookedCalls.h: the hook state decides
// first, the real call does the work.
#define TX_REAL_WIN32_CALLS
#include "platform/TestHooks.h"
#include "platform/Win32.h"
#include "platform/windows/HookedCalls.h"

// HookedCalls.h renamed the calls; the wrappers below need the real ones.
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

using txhooks::Call;
using txhooks::detail::anyArmed;
using txhooks::detail::injectFailure;

namespace {

bool fails(Call call) {
    return anyArmed() && injectFailure(call);
}

} // namespace

HANDLE WINAPI txHookedCreateFileA(LPCSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE tmpl) {
    if (fails(Call::CreateFile)) return INVALID_HANDLE_VALUE;
    return CreateFileA(path, access, share, security, disposition, flags, tmpl);
}

HANDLE WINAPI txHookedCreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE tmpl) {
    if (fails(Call::CreateFile)) return INVALID_HANDLE_VALUE;
    return CreateFileW(path, access, share, security, disposition, flags, tmpl);
}

BOOL WINAPI txHookedReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read,
                             LPOVERLAPPED overlapped) {
    if (!anyArmed()) return ReadFile(file, buffer, size, read, overlapped);
    if (injectFailure(Call::ReadFile)) {
        if (read) *read = 0;
        return FALSE;
    }
    DWORD transferred = 0;
    BOOL ok = ReadFile(file, buffer, txhooks::detail::beginRead(size), &transferred, overlapped);
    if (read) *read = transferred;
    txhooks::detail::endRead(transferred);
    return ok;
}

BOOL WINAPI txHookedWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                              LPOVERLAPPED overlapped) {
    if (!anyArmed()) return WriteFile(file, buffer, size, written, overlapped);
    if (injectFailure(Call::WriteFile)) {
        if (written) *written = 0;
        return FALSE;
    }
    DWORD allowed = txhooks::detail::beginWrite(size);
    DWORD transferred = 0;
    BOOL ok = TRUE;
    if (allowed > 0 || size == 0) ok = WriteFile(file, buffer, allowed, &transferred, overlapped);
    if (written) *written = transferred;
    txhooks::detail::endWrite(transferred);
    if (ok && allowed < size) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return ok;
}

DWORD WINAPI txHookedSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    if (fails(Call::SetFilePointer)) return INVALID_SET_FILE_POINTER;
    return SetFilePointer(file, distance, distanceHigh, method);
}

DWORD WINAPI txHookedGetFileSize(HANDLE file, LPDWORD sizeHigh) {
    if (fails(Call::GetFileSize)) return INVALID_FILE_SIZE;
    return GetFileSize(file, sizeHigh);
}

BOOL WINAPI txHookedCloseHandle(HANDLE handle) {
    // An injected failure still closes: a caller cannot retry a close.
    if (fails(Call::CloseHandle)) {
        DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        return FALSE;
    }
    return CloseHandle(handle);
}

DWORD WINAPI txHookedGetFileAttributesA(LPCSTR path) {
    if (fails(Call::GetFileAttributes)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesA(path);
}

DWORD WINAPI txHookedGetFileAttributesW(LPCWSTR path) {
    if (fails(Call::GetFileAttributes)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(path);
}

BOOL WINAPI txHookedSetFileAttributesA(LPCSTR path, DWORD attributes) {
    if (fails(Call::SetFileAttributes)) return FALSE;
    return SetFileAttributesA(path, attributes);
}

BOOL WINAPI txHookedSetFileAttributesW(LPCWSTR path, DWORD attributes) {
    if (fails(Call::SetFileAttributes)) return FALSE;
    return SetFileAttributesW(path, attributes);
}

BOOL WINAPI txHookedDeleteFileA(LPCSTR path) {
    if (fails(Call::DeleteFile)) return FALSE;
    return DeleteFileA(path);
}

BOOL WINAPI txHookedDeleteFileW(LPCWSTR path) {
    if (fails(Call::DeleteFile)) return FALSE;
    return DeleteFileW(path);
}

BOOL WINAPI txHookedMoveFileA(LPCSTR from, LPCSTR to) {
    if (fails(Call::MoveFile)) return FALSE;
    return MoveFileA(from, to);
}

BOOL WINAPI txHookedMoveFileW(LPCWSTR from, LPCWSTR to) {
    if (fails(Call::MoveFile)) return FALSE;
    return MoveFileW(from, to);
}

BOOL WINAPI txHookedCopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    if (fails(Call::CopyFile)) return FALSE;
    return CopyFileA(from, to, failIfExists);
}

BOOL WINAPI txHookedCopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (fails(Call::CopyFile)) return FALSE;
    return CopyFileW(from, to, failIfExists);
}

BOOL WINAPI txHookedCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    if (fails(Call::CreateDirectory)) return FALSE;
    return CreateDirectoryA(path, security);
}

BOOL WINAPI txHookedCreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
    if (fails(Call::CreateDirectory)) return FALSE;
    return CreateDirectoryW(path, security);
}

BOOL WINAPI txHookedRemoveDirectoryA(LPCSTR path) {
    if (fails(Call::RemoveDirectory)) return FALSE;
    return RemoveDirectoryA(path);
}

BOOL WINAPI txHookedRemoveDirectoryW(LPCWSTR path) {
    if (fails(Call::RemoveDirectory)) return FALSE;
    return RemoveDirectoryW(path);
}

HANDLE WINAPI txHookedFindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (fails(Call::FindFirstFile)) return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, data);
}

HANDLE WINAPI txHookedFindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    if (fails(Call::FindFirstFile)) return INVALID_HANDLE_VALUE;
    return FindFirstFileW(pattern, data);
}

BOOL WINAPI txHookedFindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
    if (fails(Call::FindNextFile)) return FALSE;
    return FindNextFileA(find, data);
}

BOOL WINAPI txHookedFindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    if (fails(Call::FindNextFile)) return FALSE;
    return FindNextFileW(find, data);
}

DWORD WINAPI txHookedGetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR *filePart) {
    if (fails(Call::GetFullPathName)) return 0;
    return GetFullPathNameA(path, size, buffer, filePart);
}

DWORD WINAPI txHookedGetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR *filePart) {
    if (fails(Call::GetFullPathName)) return 0;
    return GetFullPathNameW(path, size, buffer, filePart);
}

DWORD WINAPI txHookedGetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    if (fails(Call::GetCurrentDirectory)) return 0;
    return GetCurrentDirectoryA(size, buffer);
}

DWORD WINAPI txHookedGetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
    if (fails(Call::GetCurrentDirectory)) return 0;
    return GetCurrentDirectoryW(size, buffer);
}

BOOL WINAPI txHookedSetCurrentDirectoryA(LPCSTR path) {
    if (fails(Call::SetCurrentDirectory)) return FALSE;
    return SetCurrentDirectoryA(path);
}

BOOL WINAPI txHookedSetCurrentDirectoryW(LPCWSTR path) {
    if (fails(Call::SetCurrentDirectory)) return FALSE;
    return SetCurrentDirectoryW(path);
}

BOOL WINAPI txHookedCryptAcquireContextA(HCRYPTPROV *provider, LPCSTR container,
                                         LPCSTR providerName, DWORD type, DWORD flags) {
    if (fails(Call::CryptAcquireContext)) return FALSE;
    return CryptAcquireContextA(provider, container, providerName, type, flags);
}

BOOL WINAPI txHookedCryptGenRandom(HCRYPTPROV provider, DWORD length, BYTE *buffer) {
    if (fails(Call::CryptGenRandom)) return FALSE;
    return CryptGenRandom(provider, length, buffer);
}

void WINAPI txHookedSleep(DWORD milliseconds) {
    if (anyArmed() && txhooks::detail::skipSleep(milliseconds)) return;
    Sleep(milliseconds);
}
