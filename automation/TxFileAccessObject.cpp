#include "automation/Classes.h"
#include "automation/DualObject.h"
#include "automation/TarnixFileAccess_h.h"
#include "component/ClsFileAccess.h"

#include <new>

namespace {

const ComControl::Identity identity = {CLSID_TxFileAccess, IID_ITxFileAccess, "TxFileAccess"};

class TxFileAccessObject : public DualObject<ITxFileAccess, ClsFileAccess> {
public:
    TxFileAccessObject() : DualObject(identity) {}
    static const IID &dualIid() { return IID_ITxFileAccess; }

    STDMETHODIMP GetTempFilename(BSTR dirName, BSTR prefix, BSTR *out) override {
        if (hostedInBrowser()) return E_FAIL;
        XStringCom name;
        m_logic.GetTempFilename(BstrArg(dirName), BstrArg(prefix), name);
        return returnString(name, out);
    }
    STDMETHODIMP FileSize(BSTR filename, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnLong(m_logic.FileSize(BstrArg(filename)), out);
    }
    STDMETHODIMP FileOpen(BSTR filename, LONG accessMode, LONG shareMode, LONG createDisp,
                          LONG attr, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(
            m_logic.FileOpen(BstrArg(filename), accessMode, shareMode, createDisp, attr), out);
    }
    STDMETHODIMP FileClose() override {
        m_logic.FileClose();
        return S_OK;
    }
    STDMETHODIMP FileRead(LONG numBytes, VARIANT *out) override {
        if (hostedInBrowser()) return E_FAIL;
        DataBuffer bytes;
        m_logic.FileRead(static_cast<unsigned>(numBytes), bytes);
        return returnBytes(bytes, out);
    }
    STDMETHODIMP FileWrite(VARIANT data, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        DataBuffer bytes;
        return returnFlag(bytesArg(data, bytes) && m_logic.FileWrite(bytes), out);
    }
    STDMETHODIMP AppendText(BSTR text, BSTR charset, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.AppendText(BstrArg(text), BstrArg(charset)), out);
    }
    STDMETHODIMP AppendAnsi(BSTR text, LONG *out) override {
        return checkedFlag(&ClsFileAccess::AppendAnsi, text, out);
    }
    STDMETHODIMP DirCreate(BSTR path, LONG *out) override {
        return checkedFlag(&ClsFileAccess::DirCreate, path, out);
    }
    STDMETHODIMP FileExists(BSTR filename, LONG *out) override {
        return checkedFlag(&ClsFileAccess::FileExists, filename, out);
    }
    STDMETHODIMP FileDelete(BSTR filename, LONG *out) override {
        return checkedFlag(&ClsFileAccess::FileDelete, filename, out);
    }
    STDMETHODIMP FileRename(BSTR existing, BSTR newFilename, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.FileRename(BstrArg(existing), BstrArg(newFilename)), out);
    }
    STDMETHODIMP FileSeek(LONG offset, LONG origin, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.FileSeek(offset, origin), out);
    }
    STDMETHODIMP DirAutoCreate(BSTR path, LONG *out) override {
        return checkedFlag(&ClsFileAccess::DirAutoCreate, path, out);
    }
    STDMETHODIMP DirEnsureExists(BSTR filePath, LONG *out) override {
        return checkedFlag(&ClsFileAccess::DirEnsureExists, filePath, out);
    }
    STDMETHODIMP TreeDelete(BSTR path, LONG *out) override {
        return checkedFlag(&ClsFileAccess::TreeDelete, path, out);
    }
    STDMETHODIMP DirDelete(BSTR path, LONG *out) override {
        return checkedFlag(&ClsFileAccess::DirDelete, path, out);
    }
    STDMETHODIMP AppendUnicodeBOM(LONG *out) override {
        return checkedFlag(&ClsFileAccess::AppendUnicodeBOM, out);
    }
    STDMETHODIMP AppendUtf8BOM(LONG *out) override {
        return checkedFlag(&ClsFileAccess::AppendUtf8BOM, out);
    }
    STDMETHODIMP get_EndOfFile(LONG *out) override {
        return checkedFlag(&ClsFileAccess::get_EndOfFile, out);
    }
    STDMETHODIMP ReadEntireFile(BSTR filename, VARIANT *out) override {
        if (hostedInBrowser()) return E_FAIL;
        DataBuffer bytes;
        m_logic.ReadEntireFile(BstrArg(filename), bytes);
        return returnBytes(bytes, out);
    }
    STDMETHODIMP WriteEntireFile(BSTR filename, VARIANT fileData, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        DataBuffer bytes;
        return returnFlag(
            bytesArg(fileData, bytes) && m_logic.WriteEntireFile(BstrArg(filename), bytes), out);
    }
    STDMETHODIMP FileCopy(BSTR existing, BSTR newFilename, LONG failIfExists, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(
            m_logic.FileCopy(BstrArg(existing), BstrArg(newFilename), flagArg(failIfExists)), out);
    }
    STDMETHODIMP get_CurrentDir(BSTR *out) override {
        return text(&ClsFileAccess::get_CurrentDir, out);
    }
    STDMETHODIMP ReadEntireTextFile(BSTR filename, BSTR charset, BSTR *out) override {
        if (hostedInBrowser()) return E_FAIL;
        XStringCom text;
        m_logic.ReadEntireTextFile(BstrArg(filename), BstrArg(charset), text);
        return returnString(text, out);
    }
    STDMETHODIMP WriteEntireTextFile(BSTR filename, BSTR fileData, BSTR charset,
                                     LONG includePreamble, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.WriteEntireTextFile(BstrArg(filename), BstrArg(fileData),
                                                      BstrArg(charset), flagArg(includePreamble)),
                          out);
    }
    STDMETHODIMP SetCurrentDir(BSTR path, LONG *out) override {
        return checkedFlag(&ClsFileAccess::SetCurrentDir, path, out);
    }
    STDMETHODIMP SplitFile(BSTR fileToSplit, BSTR partPrefix, BSTR partExtension, LONG partSize,
                           BSTR outputDirPath, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.SplitFile(BstrArg(fileToSplit), BstrArg(partPrefix),
                                            BstrArg(partExtension), partSize,
                                            BstrArg(outputDirPath)),
                          out);
    }
    STDMETHODIMP ReassembleFile(BSTR partsDirPath, BSTR partPrefix, BSTR partExtension,
                                BSTR reassembledFilename, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.ReassembleFile(BstrArg(partsDirPath), BstrArg(partPrefix),
                                                 BstrArg(partExtension),
                                                 BstrArg(reassembledFilename)),
                          out);
    }
    STDMETHODIMP ReadBinaryToEncoded(BSTR filename, BSTR encoding, BSTR *out) override {
        if (hostedInBrowser()) return E_FAIL;
        if (!out) return E_POINTER;
        XStringCom text;
        // A failed read is told by a null string, not an empty one.
        if (!m_logic.ReadBinaryToEncoded(BstrArg(filename), BstrArg(encoding), text)) {
            *out = nullptr;
            return S_OK;
        }
        return returnString(text, out);
    }
    STDMETHODIMP get_FileOpenError(LONG *out) override {
        return returnLong(m_logic.get_FileOpenError(), out);
    }
    STDMETHODIMP get_FileOpenErrorMsg(BSTR *out) override {
        return text(&ClsFileAccess::get_FileOpenErrorMsg, out);
    }
    STDMETHODIMP OpenForRead(BSTR filePath, LONG *out) override {
        return checkedFlag(&ClsFileAccess::OpenForRead, filePath, out);
    }
    STDMETHODIMP OpenForWrite(BSTR filePath, LONG *out) override {
        return checkedFlag(&ClsFileAccess::OpenForWrite, filePath, out);
    }
    STDMETHODIMP OpenForReadWrite(BSTR filePath, LONG *out) override {
        return checkedFlag(&ClsFileAccess::OpenForReadWrite, filePath, out);
    }
    STDMETHODIMP OpenForAppend(BSTR filePath, LONG *out) override {
        return checkedFlag(&ClsFileAccess::OpenForAppend, filePath, out);
    }
    STDMETHODIMP ReplaceStrings(BSTR path, BSTR charset, BSTR existingString,
                                BSTR replacementString, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnLong(m_logic.ReplaceStrings(BstrArg(path), BstrArg(charset),
                                                 BstrArg(existingString),
                                                 BstrArg(replacementString)),
                          out);
    }
};

} // namespace

HRESULT createTxFileAccess(REFIID riid, void **out) {
    return createObject<TxFileAccessObject>(riid, out);
}
