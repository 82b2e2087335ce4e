#include "automation/Classes.h"
#include "automation/DualObject.h"
#include "automation/TarnixFileAccess_h.h"
#include "component/ClsDirTree.h"

#include <new>

namespace {

const ComControl::Identity identity = {CLSID_TxDirTree, IID_ITxDirTree, "ATL 3.0 : TxDirTree"};

class TxDirTreeObject : public DualObject<ITxDirTree, ClsDirTree> {
public:
    TxDirTreeObject() : DualObject(identity) {}
    static const IID &dualIid() { return IID_ITxDirTree; }

    STDMETHODIMP get_BaseDir(BSTR *out) override { return text(&ClsDirTree::get_BaseDir, out); }
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
        return checkedFlag(&ClsDirTree::BeginIterate, out);
    }
    STDMETHODIMP AdvancePosition(LONG *out) override {
        return checkedFlag(&ClsDirTree::AdvancePosition, out);
    }
    STDMETHODIMP get_IsDirectory(LONG *out) override {
        return returnFlag(m_logic.get_IsDirectory(), out);
    }
    STDMETHODIMP get_RelativePath(BSTR *out) override {
        return text(&ClsDirTree::get_RelativePath, out);
    }
    STDMETHODIMP get_FullPath(BSTR *out) override { return text(&ClsDirTree::get_FullPath, out); }
    STDMETHODIMP get_FullUncPath(BSTR *out) override {
        return text(&ClsDirTree::get_FullUncPath, out);
    }
    STDMETHODIMP get_FileSize32(LONG *out) override {
        return returnLong(m_logic.get_FileSize32(), out);
    }
};

} // namespace

HRESULT createTxDirTree(REFIID riid, void **out) {
    return createObject<TxDirTreeObject>(riid, out);
}
