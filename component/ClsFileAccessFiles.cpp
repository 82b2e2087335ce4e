// Named files and directories: existence, size, delete, rename, copy, directories,
// the current directory and temporary names.
#include "component/ClsFileAccess.h"

#include "core/StringBuffer.h"
#include "fs/FileSys.h"

#include <memory>

namespace {

const int64_t largest32BitSize = 0x7FFFFFFF;

// The UTF-8 form of a caller's string, which the getters would otherwise change.
struct Utf8Of {
    explicit Utf8Of(const XString &text) { copy.copyFrom(text); }
    const char *get() { return copy.getUtf8(); }
    XString copy;
};

} // namespace

bool ClsFileAccess::FileExists(const XString &filename) {
    Frame frame(*this, "FileExists", ShortFrame);
    Utf8Of path(filename);
    log().logData("filename", path.get());
    if (filename.isEmpty()) return false;
    return FileSys::fileExists(filename, &log());
}

int ClsFileAccess::FileSize(const XString &filename) {
    Frame frame(*this, "FileSize", ShortFrame);
    uint32_t reason = 0;
    std::unique_ptr<TarnixHandle> file(FileSys::openForReadWin32(filename, reason, &log()));
    if (!file) return 0;
    int32_t low = file->getSize32(&log());
    if (low == -1) return 0;
    // A 2 GiB file would reach a script as a negative size that looks like a count;
    // -1 with the true size in the log cannot be mistaken for one.
    int64_t size = file->getSize64(nullptr);
    if (size > largest32BitSize) {
        log().logError("The file is too large for a 32-bit size.");
        log().logDataInt64("fileSize", size);
        return -1;
    }
    return low;
}

bool ClsFileAccess::FileDelete(const XString &filename) {
    Frame frame(*this, "FileDelete", ShortFrame);
    return FileSys::deleteFile(filename, &log());
}

bool ClsFileAccess::FileRename(const XString &existing, const XString &newFilename) {
    Frame frame(*this, "FileRename", ShortFrame);
    return FileSys::renameFile(existing, newFilename, &log());
}

bool ClsFileAccess::FileCopy(const XString &existing, const XString &newFilename,
                             bool failIfExists) {
    Frame frame(*this, "FileCopy", ShortFrame);
    Utf8Of from(existing);
    Utf8Of to(newFilename);
    log().logData("FromFile", from.get());
    log().logData("ToFile", to.get());
    bool copied = FileSys::copyFile(existing, newFilename, failIfExists);
    if (!copied) log().logError("Failed to copy file");
    return copied;
}

bool ClsFileAccess::DirCreate(const XString &path) {
    Frame frame(*this, "DirCreate", ShortFrame);
    return FileSys::createDirectory(path, &log());
}

bool ClsFileAccess::DirAutoCreate(const XString &path) {
    Frame frame(*this, "DirAutoCreate", ShortFrame);
    Utf8Of utf8(path);
    return FileSys::ensureDirectoryExists(utf8.get(), &log());
}

bool ClsFileAccess::DirEnsureExists(const XString &filePath) {
    Frame frame(*this, "DirEnsureExists", ShortFrame);
    Utf8Of utf8(filePath);
    StringBuffer work;
    return FileSys::ensureParentDirectoryExists(utf8.get(), work, &log());
}

bool ClsFileAccess::DirDelete(const XString &path) {
    Frame frame(*this, "DirDelete", ShortFrame);
    return FileSys::removeDirectory(path, &log());
}

bool ClsFileAccess::TreeDelete(const XString &path) {
    Frame frame(*this, "TreeDelete", ShortFrame);
    XString local;
    local.copyFrom(path);
    local.replaceAllOccurrencesUtf8("/", "\\");
    // The tree is walked through ANSI names: a best-fitted name would empty another
    // directory, so a path outside the ANSI code page is left alone.
    if (!local.isEmpty() && !local.canBeAnsi()) {
        log().logError("The path cannot be expressed in the ANSI code page.");
        log().logDataX("path", local);
        return true;
    }
    FileSys::deleteTreeContents(local.getAnsi(), &log());
    return true;
}

void ClsFileAccess::get_CurrentDir(XString &out) {
    FileSys::getCurrentDirectory(out);
}

bool ClsFileAccess::SetCurrentDir(const XString &path) {
    return FileSys::setCurrentDirectory(path);
}

void ClsFileAccess::GetTempFilename(const XString &dirName, const XString &prefix, XString &out) {
    Frame frame(*this, "GetTempFilename", ShortFrame);
    Utf8Of dir(dirName);
    Utf8Of stem(prefix);
    if (!FileSys::makeTempFileName(dir.get(), stem.get(), out, &log())) {
        out.clear();
        return;
    }
    out.replaceAllOccurrencesUtf8("/", "\\");
}
