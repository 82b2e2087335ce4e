#pragma once

#include "component/ClsBase.h"
#include "core/DataBuffer.h"
#include "fs/TarnixHandle.h"

// Files and directories for a script: one open file at a time, whole files as bytes
// or text in a named charset, file and directory management, temporary names,
// encoded reads, in-file replacement, split and reassemble. See ClsBase for the
// conventions every method follows.
class ClsFileAccess : public ClsBase {
public:
    ClsFileAccess();
    ~ClsFileAccess() override;

    // The open file. Every open first closes the file that is open.
    bool FileOpen(const XString &path, unsigned accessMode, unsigned shareMode, unsigned createDisp,
                  unsigned attr);
    bool OpenForRead(const XString &path);
    bool OpenForWrite(const XString &path);
    bool OpenForReadWrite(const XString &path);
    bool OpenForAppend(const XString &path);
    // Up to numBytes bytes from the current position; true with fewer at the end.
    bool FileRead(unsigned numBytes, DataBuffer &out);
    bool FileWrite(const DataBuffer &data);
    bool AppendText(const XString &text, const XString &charset);
    bool AppendAnsi(const XString &text);
    bool AppendUnicodeBOM();
    bool AppendUtf8BOM();
    // origin 0: from the start, 1: from the current position, 2: to the end.
    bool FileSeek(int offset, int origin);
    void FileClose();
    bool get_EndOfFile();
    int get_FileOpenError();
    void get_FileOpenErrorMsg(XString &out);

    // Named files and directories.
    bool FileExists(const XString &filename);
    // 0 when the file cannot be opened; -1 for a file of 2 GiB or more.
    int FileSize(const XString &filename);
    bool FileDelete(const XString &filename);
    bool FileRename(const XString &existing, const XString &newFilename);
    bool FileCopy(const XString &existing, const XString &newFilename, bool failIfExists);
    bool DirCreate(const XString &path);
    bool DirAutoCreate(const XString &path);
    bool DirEnsureExists(const XString &filePath);
    bool DirDelete(const XString &path);
    // Empties the directory, which stays; always true.
    bool TreeDelete(const XString &path);
    void get_CurrentDir(XString &out);
    bool SetCurrentDir(const XString &path);
    // dirName\stem_XXXX.ext for a name that does not exist yet; empty on failure.
    void GetTempFilename(const XString &dirName, const XString &prefix, XString &out);

    // Whole files.
    bool ReadEntireFile(const XString &filename, DataBuffer &out);
    bool WriteEntireFile(const XString &filename, const DataBuffer &fileData);
    bool ReadEntireTextFile(const XString &filename, const XString &charset, XString &out);
    bool WriteEntireTextFile(const XString &filename, const XString &fileData,
                             const XString &charset, bool includePreamble);
    bool ReadBinaryToEncoded(const XString &filename, const XString &encoding, XString &out);
    // The number of replacements, -1 on failure; a file without a match is not written.
    int ReplaceStrings(const XString &path, const XString &charset, const XString &existingString,
                       const XString &replacementString);

    // Parts named prefix1.ext, prefix2.ext, ... of partSize bytes each.
    bool SplitFile(const XString &fileToSplit, const XString &partPrefix,
                   const XString &partExtension, int partSize, const XString &outputDirPath);
    bool ReassembleFile(const XString &partsDirPath, const XString &partPrefix,
                        const XString &partExtension, const XString &reassembledFilename);

    // The message of an open error code, as FileOpenErrorMsg gives it.
    static const char *openErrorMessage(int code);

private:
    bool openWithMode(const char *methodName, const XString &path, int mode);
    bool writeToOpenFile(const void *bytes, uint32_t n);
    void resetOpenState();

    TarnixHandle m_file;
    bool m_endOfFile;
    int m_fileOpenError;
    XString m_fileOpenErrorMsg;
};
