#pragma once

#include "component/ClsBase.h"
#include "core/TarnixCritSec.h"
#include "core/TxQueue.h"
#include "fs/FindFileWin32.h"

// Walks the files and directories below BaseDir breadth-first: BeginIterate, read
// the entry, AdvancePosition, until DoneIterating. Directories are reported before
// their contents; the base directory itself is not. See ClsBase for the conventions.
// The walk and the entry properties hold the object's lock, taken before the log's.
class ClsDirTree : public ClsBase, public TarnixCritSec {
public:
    // BaseDir starts as the current directory.
    ClsDirTree();
    ~ClsDirTree() override;

    void get_BaseDir(XString &out);
    // Stored absolute, with backslashes; a walk in progress is not touched.
    void put_BaseDir(const XString &path);
    bool get_Recurse();
    void put_Recurse(bool recurse);
    bool get_DoneIterating();

    // False when the tree holds no entry.
    bool BeginIterate();
    // False after the last entry.
    bool AdvancePosition();

    // The current entry; empty or 0 when there is none.
    bool get_IsDirectory();
    void get_RelativePath(XString &out);
    void get_FullPath(XString &out);
    void get_FullUncPath(XString &out);
    // 0 for 2 GiB or more.
    int get_FileSize32();

private:
    // One directory from the queue; false when it is empty or unreadable.
    bool openNextDirectory();
    // Opens queued directories until one has an entry; false when the queue runs out.
    bool openNextListableDirectory();
    // Steps past "." and ".."; false when the listing has no other entry left.
    bool skipDotEntries(bool found);
    bool advance();
    void queueIfDirectory();
    void discardQueue();
    void entryFullPath(XString &out);

    XString m_baseDir;
    bool m_recurse;
    bool m_doneIterating;
    _txQueue m_queue;
    FindFileWin32 m_find;
    XString m_currentDir;
};
