// The objects behind the HANDLEs of the POSIX layer, and the table of open ones
// that validates handles and enforces share modes between them.
#pragma once

#include "platform/Win32.h"

#include <sys/types.h>

namespace txposix {

enum class HandleKind : uint32_t { File = 0x454c4946u, Find = 0x444e4946u };

struct HandleHeader {
    HandleKind kind;
    HandleHeader *next;
};

// What a handle may do, reduced from the desired access.
enum AccessBits : DWORD { accessRead = 1, accessWrite = 2, accessDelete = 4 };

struct FileObject {
    HandleHeader header;
    int fd;
    dev_t device;
    ino_t inode;
    DWORD access;    // AccessBits
    DWORD shareMode; // FILE_SHARE_*
    bool appendOnly; // FILE_APPEND_DATA without FILE_WRITE_DATA
    bool regularFile;
    char *deleteOnClose; // POSIX path, or null
};

// Holds the table's lock; share checks and the opens they guard run under it.
class HandleTableLock {
public:
    HandleTableLock();
    ~HandleTableLock();
    HandleTableLock(const HandleTableLock &) = delete;
    HandleTableLock &operator=(const HandleTableLock &) = delete;
};

// The following three need a HandleTableLock held.
void addHandle(HandleHeader *handle);
// False when `handle` is no open handle of the kind.
bool removeHandle(HANDLE handle, HandleKind kind);
// Whether an open of the file with `access` and `shareMode` collides with a
// handle already open on it, either way round.
bool sharingConflict(dev_t device, ino_t inode, DWORD access, DWORD shareMode);

// The object behind an open handle of the kind, or null (last error
// ERROR_INVALID_HANDLE).
FileObject *fileFromHandle(HANDLE handle);
HandleHeader *findFromHandle(HANDLE handle);

DWORD accessBitsOf(DWORD desiredAccess);

} // namespace txposix
