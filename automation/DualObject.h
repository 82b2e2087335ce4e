#pragma once

#include "automation/ComControl.h"
#include "automation/MemberNames.h"
#include "component/ClsBase.h"
#include "core/DataBuffer.h"
#include "core/XStringCom.h"

// An automation string argument as the component's string, embedded zeros kept.
class BstrArg {
public:
    explicit BstrArg(BSTR text) { m_text.setFromBstr(text); }
    operator const XString &() const { return m_text; }

private:
    XStringCom m_text;
};

// Results as automation values. Flags and success go out as 1 or 0, never -1.
inline HRESULT returnLong(long value, LONG *out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}
inline HRESULT returnFlag(bool value, LONG *out) {
    return returnLong(value ? 1 : 0, out);
}
inline long flagArg(LONG value) {
    return value != 0 ? 1 : 0;
}
HRESULT returnString(XStringCom &text, BSTR *out);
HRESULT returnBytes(const DataBuffer &bytes, VARIANT *out);
// The bytes a script passed; false when memory ran out.
bool bytesArg(const VARIANT &value, DataBuffer &bytes);

// A control whose dual interface is served from the type information: names,
// DISPIDs, argument coercion and the DISP_E_ errors all come from the type library.
// It embeds the logic object and serves the properties every class has from ClsBase.
template <class Dual, class Logic> class DualObject : public Dual, public ComControl {
public:
    explicit DualObject(const Identity &identity) : ComControl(identity), m_typeInfo(nullptr) {}
    ~DualObject() override {
        if (m_typeInfo) m_typeInfo->Release();
    }
    HRESULT loadTypeInfo(const IID &iid) {
        HRESULT hr = module::typeInfo(iid, &m_typeInfo);
        // One table per interface, shared by its objects; until it is ready the
        // type information answers.
        if (SUCCEEDED(hr) && InterlockedCompareExchange(&namesState(), 1, 0) == 0) {
            names().load(m_typeInfo);
            InterlockedExchange(&namesState(), 2);
        }
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        return ComControl::QueryInterface(riid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ComControl::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ComControl::Release(); }

    STDMETHODIMP GetTypeInfoCount(UINT *count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo **info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        m_typeInfo->AddRef();
        *info = m_typeInfo;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID,
                               DISPID *ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        // Named arguments and unknown names take the type information's own path.
        if (count == 1 && names && ids && namesState() == 2 && this->names().find(names[0], ids[0]))
            return S_OK;
        return m_typeInfo->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *exception, UINT *argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return m_typeInfo->Invoke(static_cast<Dual *>(this), id, flags, params, result, exception,
                                  argError);
    }

    STDMETHODIMP get_LastErrorText(BSTR *out) override {
        return text(&ClsBase::get_LastErrorText, out);
    }
    STDMETHODIMP get_LastErrorXml(BSTR *out) override {
        return text(&ClsBase::get_LastErrorXml, out);
    }
    STDMETHODIMP get_LastErrorHtml(BSTR *out) override {
        return text(&ClsBase::get_LastErrorHtml, out);
    }
    STDMETHODIMP SaveLastError(BSTR filename, LONG *out) override {
        return checkedFlag(&ClsBase::SaveLastError, filename, out);
    }
    STDMETHODIMP get_DebugLogFilePath(BSTR *out) override {
        return text(&ClsBase::get_DebugLogFilePath, out);
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

protected:
    IDispatch *dual() override { return static_cast<Dual *>(this); }
    // A text the logic object gives, as a new automation string.
    template <class Owner> HRESULT text(void (Owner::*getter)(XString &), BSTR *out) {
        if (!out) return E_POINTER;
        XStringCom result;
        (m_logic.*getter)(result);
        return returnString(result, out);
    }

    // A method that touches the file system: refused inside a browser, its success
    // told as 1 or 0.
    template <class Owner> HRESULT checkedFlag(bool (Owner::*method)(), LONG *out) {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag((m_logic.*method)(), out);
    }
    template <class Owner>
    HRESULT checkedFlag(bool (Owner::*method)(const XString &), BSTR text, LONG *out) {
        if (hostedInBrowser()) return E_FAIL;
        return returnFlag((m_logic.*method)(BstrArg(text)), out);
    }

    Logic m_logic;

private:
    static MemberNames &names() {
        static MemberNames table;
        return table;
    }
    static LONG &namesState() {
        static LONG state = 0;
        return state;
    }
    ITypeInfo *m_typeInfo;
};
