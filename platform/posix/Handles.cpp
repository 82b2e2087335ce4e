#include "platform/posix/Handles.h"

#include "platform/TestHooks.h"

#include <pthread.h>

namespace txposix {

namespace {

pthread_mutex_t tableMutex = PTHREAD_MUTEX_INITIALIZER;
HandleHeader *openHandles = nullptr;

bool isOpen(const HandleHeader *handle) {
    for (const HandleHeader *h = openHandles; h != nullptr; h = h->next) {
        if (h == handle) return true;
    }
    return false;
}

HandleHeader *lookUp(HANDLE handle, HandleKind kind) {
    HandleTableLock lock;
    HandleHeader *header = static_cast<HandleHeader *>(handle);
    if (handle != INVALID_HANDLE_VALUE && isOpen(header) && header->kind == kind) return header;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

} // namespace

HandleTableLock::HandleTableLock() {
    pthread_mutex_lock(&tableMutex);
}

HandleTableLock::~HandleTableLock() {
    pthread_mutex_unlock(&tableMutex);
}

void addHandle(HandleHeader *handle) {
    handle->next = openHandles;
    openHandles = handle;
}

bool removeHandle(HANDLE handle, HandleKind kind) {
    for (HandleHeader **link = &openHandles; *link != nullptr; link = &(*link)->next) {
        if (*link == handle) {
            if ((*link)->kind != kind) return false;
            *link = (*link)->next;
            return true;
        }
    }
    return false;
}

bool sharingConflict(dev_t device, ino_t inode, DWORD access, DWORD shareMode) {
    // An open for attributes only takes part in no share check.
    if (access == 0) return false;
    for (const HandleHeader *h = openHandles; h != nullptr; h = h->next) {
        if (h->kind != HandleKind::File) continue;
        const FileObject *file = reinterpret_cast<const FileObject *>(h);
        if (file->device != device || file->inode != inode) continue;
        // Windows checks both ways: what we want against what they share, and
        // what they hold against what we share.
        if ((access & accessRead) && !(file->shareMode & FILE_SHARE_READ)) return true;
        if ((access & accessWrite) && !(file->shareMode & FILE_SHARE_WRITE)) return true;
        if ((access & accessDelete) && !(file->shareMode & FILE_SHARE_DELETE)) return true;
        if ((file->access & accessRead) && !(shareMode & FILE_SHARE_READ)) return true;
        if ((file->access & accessWrite) && !(shareMode & FILE_SHARE_WRITE)) return true;
        if ((file->access & accessDelete) && !(shareMode & FILE_SHARE_DELETE)) return true;
    }
    return false;
}

FileObject *fileFromHandle(HANDLE handle) {
    return reinterpret_cast<FileObject *>(lookUp(handle, HandleKind::File));
}

HandleHeader *findFromHandle(HANDLE handle) {
    return lookUp(handle, HandleKind::Find);
}

DWORD accessBitsOf(DWORD desiredAccess) {
    DWORD bits = 0;
    if (desiredAccess &
        (GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | FILE_READ_DATA | FILE_EXECUTE))
        bits |= accessRead;
    if (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA))
        bits |= accessWrite;
    if (desiredAccess & (GENERIC_ALL | DELETE)) bits |= accessDelete;
    return bits;
}

} // namespace txposix

int64_t txhooks::openHandleCount() {
    txposix::HandleTableLock lock;
    int64_t count = 0;
    for (const txposix::HandleHeader *h = txposix::openHandles; h != nullptr; h = h->next)
        ++count;
    return count;
}
