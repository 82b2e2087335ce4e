#pragma once

#include "automation/ComControl.h"
#include "core/DataBuffer.h"
#include "core/XStringCom.h"

// A control whose dual interface is served from the type information: names,
// DISPIDs, argument coercion and the DISP_E_ errors all come from the type library.
template <class Dual> class DualObject : public Dual, public ComControl {
public:
    explicit DualObject(const Identity &identity) : ComControl(identity), m_typeInfo(nullptr) {}
    ~DualObject() override {
        if (m_typeInfo) m_typeInfo->Release();
    }
    HRESULT loadTypeInfo(const IID &iid) { return module::typeInfo(iid, &m_typeInfo); }

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
        return m_typeInfo->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *exception, UINT *argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return m_typeInfo->Invoke(static_cast<Dual *>(this), id, flags, params, result, exception,
                                  argError);
    }

protected:
    IDispatch *dual() override { return static_cast<Dual *>(this); }

private:
    ITypeInfo *m_typeInfo;
};

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
