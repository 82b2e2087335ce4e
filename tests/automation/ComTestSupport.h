// Shared by the COM client tests: owners for interfaces, VARIANTs and BSTRs, and the
// server DLL loaded in-process from beside the test program.
#pragma once

#include "automation/TarnixFileAccess_h.h"

#include <windows.h>

#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

namespace comtest {

// One reference to a COM interface.
template <class T> class Com {
public:
    Com() = default;
    ~Com() { reset(); }
    Com(Com &&other) : m_p(other.m_p) { other.m_p = nullptr; }
    Com &operator=(Com &&other) {
        std::swap(m_p, other.m_p);
        return *this;
    }
    Com(const Com &) = delete;
    Com &operator=(const Com &) = delete;
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    T **put() {
        reset();
        return &m_p;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }
    // The object's interface iid; empty when it has none.
    template <class U> Com<U> as(REFIID iid) const {
        Com<U> other;
        if (m_p) m_p->QueryInterface(iid, other.putVoid());
        return other;
    }
    void reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T *m_p = nullptr;
};

struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
};

struct Bstr {
    explicit Bstr(const std::wstring &text)
        : p(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(p); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR p;
};

inline std::wstring textOf(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

inline std::string bytesOf(SAFEARRAY *array) {
    void *data = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array, &data))) return "<no array>";
    std::string bytes(static_cast<const char *>(data), array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return bytes;
}

// TarnixFileAccess.dll, loaded once for the whole run in a single-threaded apartment.
class Server {
public:
    static Server &get() {
        static Server server;
        return server;
    }
    HMODULE module() const { return m_module; }
    // An object of the class through its class factory, as riid.
    template <class T> HRESULT create(REFCLSID clsid, REFIID riid, Com<T> &out) const {
        Com<IClassFactory> factory;
        HRESULT hr = classObject(clsid, factory);
        return FAILED(hr) ? hr : factory->CreateInstance(nullptr, riid, out.putVoid());
    }
    HRESULT classObject(REFCLSID clsid, Com<IClassFactory> &out) const {
        auto fn = entry<HRESULT(WINAPI *)(REFCLSID, REFIID, void **)>("DllGetClassObject");
        return fn(clsid, IID_IClassFactory, out.putVoid());
    }
    // DllCanUnloadNow, DllRegisterServer or DllUnregisterServer.
    HRESULT call(const char *exported) const { return entry<HRESULT(WINAPI *)()>(exported)(); }

private:
    Server() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dir(path, n);
        dir.resize(dir.find_last_of(L'\\') + 1);
        m_module = LoadLibraryW((dir + L"TarnixFileAccess.dll").c_str());
    }
    template <class Fn> Fn entry(const char *name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(m_module, name)));
    }
    HMODULE m_module;
};

} // namespace comtest
