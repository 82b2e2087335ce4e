#include "automation/Classes.h"
#include "automation/DualObject.h"
#include "automation/TarnixFileAccess_h.h"
#include "component/ClsDirTree.h"

#include <new>

namespace {

const ComControl::Identity identity = {CLSID_TxDirTree, IID_ITxDirTree, "ATL 3.0 : TxDirTree"};

class TxDirTreeObject : public DualObject<ITxDirTree> {
public:
    TxDirTreeObject() : DualObject(identity) {}
    static const IID &dualIid() { return IID_ITxDirTree; }

    STDMETHODIMP get_LastErrorText(BSTR *out) override {
        XStringCom text;
        m_logic.get_LastErrorText(text);
        return returnString(text, out);
    }
    STDMETHODIMP get_LastErrorXml(BSTR *out) override {
        XStringCom text;
        m_logic.get_LastErrorXml(text);
        return returnString(text, out);
    }
    STDMETHODIMP get_LastErrorHtml(BSTR *out) override {
        XStringCom text;
        m_logic.get_LastErrorHtml(text);
        return returnString(text, out);
    }
    STDMETHODIMP SaveLastError(BSTR filename, LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.SaveLastError(BstrArg(filename)), out);
    }
    STDMETHODIMP get_BaseDir(BSTR *out) override {
        XStringCom path;
        m_logic.get_BaseDir(path);
        return returnString(path, out);
    }
    STDMETHODIMP put_BaseDir(BSTR path) override {
        m_logic.put_BaseDir(BstrArg(path));
        return S_OK;
    }
    STDMETHODIMP get_Recurse(LONG *out) override { return returnFlag(m_logic.get_Recurse(), out); }
    STDMETHODIMP put_Recurse(LONG recurse) override {
        m_logic.put_Recurse(flagArg(recurse));
        return S_OK;
    }
    STDMETHODIMP get_DoneIterating(LONG *out) override {
        return returnFlag(m_logic.get_DoneIterating(), out);
    }
    STDMETHODIMP BeginIterate(LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.BeginIterate(), out);
    }
    STDMETHODIMP AdvancePosition(LONG *out) override {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag(m_logic.AdvancePosition(), out);
    }
    STDMETHODIMP get_IsDirectory(LONG *out) override {
        return returnFlag(m_logic.get_IsDirectory(), out);
    }
    STDMETHODIMP get_RelativePath(BSTR *out) override {
        XStringCom path;
        m_logic.get_RelativePath(path);
        return returnString(path, out);
    }
    STDMETHODIMP get_FullPath(BSTR *out) override {
        XStringCom path;
        m_logic.get_FullPath(path);
        return returnString(path, out);
    }
    STDMETHODIMP get_FullUncPath(BSTR *out) override {
        XStringCom path;
        m_logic.get_FullUncPath(path);
        return returnString(path, out);
    }
    STDMETHODIMP get_FileSize32(LONG *out) override {
        return returnLong(m_logic.get_FileSize32(), out);
    }
    STDMETHODIMP get_DebugLogFilePath(BSTR *out) override {
        XStringCom path;
        m_logic.get_DebugLogFilePath(path);
        return returnString(path, out);
    }
    STDMETHODIMP put_DebugLogFilePath(BSTR path) override {
        m_logic.put_DebugLogFilePath(BstrArg(path));
        return S_OK;
    }
    STDMETHODIMP get_VerboseLogging(LONG *out) override {
        return returnFlag(m_logic.get_VerboseLogging(), out);
    }
    STDMETHODIMP put_VerboseLogging(LONG verbose) override {
        m_logic.put_VerboseLogging(flagArg(verbose));
        return S_OK;
    }

private:
    ClsDirTree m_logic;
};

} // namespace

HRESULT createTxDirTree(REFIID riid, void **out) {
    return createObject<TxDirTreeObject>(riid, out);
}
