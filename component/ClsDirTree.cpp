#include "component/ClsDirTree.h"

#include "fs/FileSys.h"

#include <cstdint>
#include <new>

namespace {

void searchPattern(XString &dir, XString &out) {
    out.copyFrom(dir);
    char last = dir.lastCharAnsi();
    if (last != '\\' && last != '/') out.appendUtf8("\\");
    out.appendUtf8("*.*");
}

} // namespace

ClsDirTree::ClsDirTree() : m_recurse(true), m_doneIterating(true) {
    XString dot;
    dot.setFromUtf8(".");
    put_BaseDir(dot);
}

ClsDirTree::~ClsDirTree() {
    m_find.closeFind();
    discardQueue();
}

void ClsDirTree::get_BaseDir(XString &out) {
    out.copyFrom(m_baseDir);
}

void ClsDirTree::put_BaseDir(const XString &path) {
    FileSys::getFullPath(path, m_baseDir);
    m_baseDir.replaceChar('/', '\\');
}

bool ClsDirTree::get_Recurse() {
    return m_recurse;
}

void ClsDirTree::put_Recurse(bool recurse) {
    m_recurse = recurse;
}

bool ClsDirTree::get_DoneIterating() {
    return m_doneIterating;
}

bool ClsDirTree::BeginIterate() {
    // Every locked call takes the object's lock before the frame takes the log's:
    // one order everywhere, so two threads on one object cannot deadlock.
    CritSecLock lock(*this);
    Frame frame(*this, "BeginIterate", FullFrame);
    m_doneIterating = true;
    if (m_baseDir.isEmpty()) {
        XString dot;
        dot.setFromUtf8(".");
        put_BaseDir(dot);
    }
    discardQueue();
    XString *base = new (std::nothrow) XString();
    if (base == nullptr) {
        log().logMemoryAllocFailed(1, static_cast<int>(sizeof(XString)));
        return frame.result(false);
    }
    base->copyFrom(m_baseDir);
    m_queue.push(base);
    if (!m_queue.hasObjects()) {
        delete base;
        log().logMemoryAllocFailed(2, static_cast<int>(sizeof(QueuedObject)));
        return frame.result(false);
    }
    return frame.result(openNextListableDirectory());
}

bool ClsDirTree::AdvancePosition() {
    CritSecLock lock(*this);
    Frame frame(*this, "AdvancePosition", FullFrame);
    return frame.result(advance());
}

bool ClsDirTree::get_IsDirectory() {
    CritSecLock lock(*this);
    return m_find.isEntryDirectory();
}

void ClsDirTree::get_RelativePath(XString &out) {
    CritSecLock lock(*this);
    Frame frame(*this, "RelativePath", FullFrame);
    out.clear();
    if (m_doneIterating) return;
    XString rest;
    rest.copyFrom(m_currentDir);
    rest.replaceFirstOccurrenceUtf8(m_baseDir.getUtf8(), "");
    if (rest.beginsWithUtf8("\\")) {
        XString trimmed;
        trimmed.setFromUtf8(rest.getUtf8() + 1);
        rest.copyFrom(trimmed);
    }
    XString name;
    m_find.getEntryName(name);
    if (!rest.isEmpty()) {
        out.copyFrom(rest);
        if (rest.lastCharAnsi() != '\\') out.appendUtf8("\\");
    }
    out.appendX(name);
    out.replaceChar('/', '\\');
}

void ClsDirTree::get_FullPath(XString &out) {
    CritSecLock lock(*this);
    Frame frame(*this, "FullPath", FullFrame);
    out.clear();
    if (!m_doneIterating) entryFullPath(out);
}

void ClsDirTree::get_FullUncPath(XString &out) {
    CritSecLock lock(*this);
    Frame frame(*this, "FullUncPath", FullFrame);
    out.clear();
    if (m_doneIterating) return;
    XString joined;
    entryFullPath(joined);
    XString absolute;
    FileSys::getFullPath(joined, absolute);
    FileSys::toLongPathForm(absolute, out);
}

int ClsDirTree::get_FileSize32() {
    CritSecLock lock(*this);
    if (m_doneIterating) return 0;
    int64_t size = m_find.getEntrySize64();
    return size >= 0 && size < INT64_C(2147483648) ? static_cast<int>(size) : 0;
}

bool ClsDirTree::advance() {
    if (!m_find.isOpen()) {
        log().logError("Already finished iterating directory tree.");
        if (!m_queue.hasObjects()) {
            m_doneIterating = true;
            return false;
        }
        return openNextListableDirectory();
    }
    if (skipDotEntries(m_find.findNext(&log()))) {
        queueIfDirectory();
        return true;
    }
    m_find.closeFind();
    return openNextListableDirectory();
}

// A loop, not recursion: thousands of empty or unreadable directories in a row
// must not deepen the stack.
bool ClsDirTree::openNextListableDirectory() {
    while (m_queue.hasObjects()) {
        if (openNextDirectory()) {
            m_doneIterating = false;
            return true;
        }
    }
    m_doneIterating = true;
    return false;
}

bool ClsDirTree::openNextDirectory() {
    m_find.closeFind();
    XString *dir = static_cast<XString *>(m_queue.pop());
    if (dir == nullptr) {
        log().logError("Directory queue had null entry.");
        return false;
    }
    m_currentDir.copyFrom(*dir);
    delete dir;
    XString pattern;
    searchPattern(m_currentDir, pattern);
    if (!skipDotEntries(m_find.findFirst(pattern, &log()))) {
        m_find.closeFind();
        return false;
    }
    queueIfDirectory();
    return true;
}

// Moving past "." and ".." is a loop too, for the same reason.
bool ClsDirTree::skipDotEntries(bool found) {
    while (found) {
        if (!m_find.isEntryDotName()) return true;
        found = m_find.findNext(&log());
    }
    return false;
}

void ClsDirTree::queueIfDirectory() {
    if (!m_recurse || !m_find.isEntryDirectory()) return;
    XString *path = new (std::nothrow) XString();
    if (path == nullptr) {
        log().logMemoryAllocFailed(3, static_cast<int>(sizeof(XString)));
        return;
    }
    entryFullPath(*path);
    m_queue.push(path);
    if (m_queue.tail() == nullptr || m_queue.tail()->m_value != path) delete path;
}

void ClsDirTree::discardQueue() {
    while (m_queue.hasObjects())
        delete static_cast<XString *>(m_queue.pop());
}

void ClsDirTree::entryFullPath(XString &out) {
    XString name;
    m_find.getEntryName(name);
    FileSys::joinDirAndFileName(m_currentDir, name, out);
}
