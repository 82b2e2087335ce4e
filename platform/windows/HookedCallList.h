// Every Win32 call the test hooks stand in front of, once. The includer defines
// TX_HOOKED_CALL(returnType, name, hookCall, failureValue, (parameters), (arguments))
// for the calls that only fail on request, and TX_HOOKED_CALL_OWN(returnType, name,
// (parameters)) for those whose wrapper does more; either may be left undefined.
#ifndef TX_HOOKED_CALL
#define TX_HOOKED_CALL(type, name, call, failure, parameters, arguments)
#endif
#ifndef TX_HOOKED_CALL_OWN
#define TX_HOOKED_CALL_OWN(type, name, parameters)
#endif

TX_HOOKED_CALL(HANDLE, CreateFileA, CreateFile, INVALID_HANDLE_VALUE,
               (LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                DWORD disposition, DWORD flags, HANDLE tmpl),
               (path, access, share, security, disposition, flags, tmpl))
TX_HOOKED_CALL(HANDLE, CreateFileW, CreateFile, INVALID_HANDLE_VALUE,
               (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                DWORD disposition, DWORD flags, HANDLE tmpl),
               (path, access, share, security, disposition, flags, tmpl))
TX_HOOKED_CALL_OWN(BOOL, ReadFile,
                   (HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped))
TX_HOOKED_CALL_OWN(BOOL, WriteFile,
                   (HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written,
                    LPOVERLAPPED overlapped))
TX_HOOKED_CALL(DWORD, SetFilePointer, SetFilePointer, INVALID_SET_FILE_POINTER,
               (HANDLE file, LONG distance, PLONG distanceHigh, DWORD method),
               (file, distance, distanceHigh, method))
TX_HOOKED_CALL(DWORD, GetFileSize, GetFileSize, INVALID_FILE_SIZE,
               (HANDLE file, LPDWORD sizeHigh), (file, sizeHigh))
TX_HOOKED_CALL_OWN(BOOL, CloseHandle, (HANDLE handle))
TX_HOOKED_CALL(DWORD, GetFileAttributesA, GetFileAttributes, INVALID_FILE_ATTRIBUTES,
               (LPCSTR path), (path))
TX_HOOKED_CALL(DWORD, GetFileAttributesW, GetFileAttributes, INVALID_FILE_ATTRIBUTES,
               (LPCWSTR path), (path))
TX_HOOKED_CALL(BOOL, SetFileAttributesA, SetFileAttributes, FALSE,
               (LPCSTR path, DWORD attributes), (path, attributes))
TX_HOOKED_CALL(BOOL, SetFileAttributesW, SetFileAttributes, FALSE,
               (LPCWSTR path, DWORD attributes), (path, attributes))
TX_HOOKED_CALL(BOOL, DeleteFileA, DeleteFile, FALSE, (LPCSTR path), (path))
TX_HOOKED_CALL(BOOL, DeleteFileW, DeleteFile, FALSE, (LPCWSTR path), (path))
TX_HOOKED_CALL(BOOL, MoveFileA, MoveFile, FALSE, (LPCSTR from, LPCSTR to), (from, to))
TX_HOOKED_CALL(BOOL, MoveFileW, MoveFile, FALSE, (LPCWSTR from, LPCWSTR to), (from, to))
TX_HOOKED_CALL(BOOL, CopyFileA, CopyFile, FALSE, (LPCSTR from, LPCSTR to, BOOL failIfExists),
               (from, to, failIfExists))
TX_HOOKED_CALL(BOOL, CopyFileW, CopyFile, FALSE, (LPCWSTR from, LPCWSTR to, BOOL failIfExists),
               (from, to, failIfExists))
TX_HOOKED_CALL(BOOL, CreateDirectoryA, CreateDirectory, FALSE,
               (LPCSTR path, LPSECURITY_ATTRIBUTES security), (path, security))
TX_HOOKED_CALL(BOOL, CreateDirectoryW, CreateDirectory, FALSE,
               (LPCWSTR path, LPSECURITY_ATTRIBUTES security), (path, security))
TX_HOOKED_CALL(BOOL, RemoveDirectoryA, RemoveDirectory, FALSE, (LPCSTR path), (path))
TX_HOOKED_CALL(BOOL, RemoveDirectoryW, RemoveDirectory, FALSE, (LPCWSTR path), (path))
TX_HOOKED_CALL(HANDLE, FindFirstFileA, FindFirstFile, INVALID_HANDLE_VALUE,
               (LPCSTR pattern, LPWIN32_FIND_DATAA data), (pattern, data))
TX_HOOKED_CALL(HANDLE, FindFirstFileW, FindFirstFile, INVALID_HANDLE_VALUE,
               (LPCWSTR pattern, LPWIN32_FIND_DATAW data), (pattern, data))
TX_HOOKED_CALL(BOOL, FindNextFileA, FindNextFile, FALSE, (HANDLE find, LPWIN32_FIND_DATAA data),
               (find, data))
TX_HOOKED_CALL(BOOL, FindNextFileW, FindNextFile, FALSE, (HANDLE find, LPWIN32_FIND_DATAW data),
               (find, data))
TX_HOOKED_CALL(DWORD, GetFullPathNameA, GetFullPathName, 0,
               (LPCSTR path, DWORD size, LPSTR buffer, LPSTR *filePart),
               (path, size, buffer, filePart))
TX_HOOKED_CALL(DWORD, GetFullPathNameW, GetFullPathName, 0,
               (LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR *filePart),
               (path, size, buffer, filePart))
TX_HOOKED_CALL(DWORD, GetCurrentDirectoryA, GetCurrentDirectory, 0, (DWORD size, LPSTR buffer),
               (size, buffer))
TX_HOOKED_CALL(DWORD, GetCurrentDirectoryW, GetCurrentDirectory, 0, (DWORD size, LPWSTR buffer),
               (size, buffer))
TX_HOOKED_CALL(BOOL, SetCurrentDirectoryA, SetCurrentDirectory, FALSE, (LPCSTR path), (path))
TX_HOOKED_CALL(BOOL, SetCurrentDirectoryW, SetCurrentDirectory, FALSE, (LPCWSTR path), (path))
TX_HOOKED_CALL(BOOL, CryptAcquireContextA, CryptAcquireContext, FALSE,
               (HCRYPTPROV * provider, LPCSTR container, LPCSTR providerName, DWORD type,
                DWORD flags),
               (provider, container, providerName, type, flags))
TX_HOOKED_CALL(BOOL, CryptGenRandom, CryptGenRandom, FALSE,
               (HCRYPTPROV provider, DWORD length, BYTE *buffer), (provider, length, buffer))
TX_HOOKED_CALL_OWN(BOOL, FindClose, (HANDLE find))
TX_HOOKED_CALL_OWN(void, Sleep, (DWORD milliseconds))

#undef TX_HOOKED_CALL
#undef TX_HOOKED_CALL_OWN
