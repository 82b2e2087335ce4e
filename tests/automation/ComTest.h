// Shared by the COM client tests: owners, the server DLL loaded in-process from beside the
// test program, and one table of calls that drives a dual interface by name and through
// the vtable.
#pragma once

#include "automation/TarnixFileAccess_h.h"
#include "tests/support/Win32TestSupport.h"

#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace comtest {

template <class T> class Com {
public:
    Com() = default;
    Com(Com &&other) : m_p(std::exchange(other.m_p, nullptr)) {}
    ~Com() { reset(); }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    T **put() {
        reset();
        return &m_p;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }
    // Empty when the object lacks iid.
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
};

inline std::wstring textOf(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

inline std::string hex(const std::string &bytes) {
    std::string out;
    char digits[4];
    for (unsigned char b : bytes) {
        snprintf(digits, sizeof digits, out.empty() ? "%02X" : " %02X", b);
        out += digits;
    }
    return out;
}

// TarnixFileAccess.dll, loaded once for the whole run in a single-threaded apartment.
class Server {
public:
    static Server &get() {
        static Server server;
        return server;
    }
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
        std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
        dir.resize(dir.find_last_of(L'\\') + 1);
        m_module = LoadLibraryW((dir + L"TarnixFileAccess.dll").c_str());
    }
    template <class Fn> Fn entry(const char *name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(m_module, name)));
    }
    HMODULE m_module;
};

// An argument or an expected result. Texts may hold %T, the test's directory.
struct Val {
    enum Kind { None, Long, Text, NullText, Bytes, Has, Prefix } kind = None;
    long number = 0;
    std::wstring text;
    std::string bytes;
};
inline const auto L = [](long n) { return Val{Val::Long, n, {}, {}}; };
inline const auto S = [](const std::wstring &s) { return Val{Val::Text, 0, s, {}}; };
inline const auto B = [](const std::string &b) { return Val{Val::Bytes, 0, {}, b}; };
inline const auto Has = [](const std::wstring &s) { return Val{Val::Has, 0, s, {}}; };
inline const auto Prefix = [](const std::wstring &s) { return Val{Val::Prefix, 0, s, {}}; };
inline const auto Null = [] { return Val{Val::NullText, 0, {}, {}}; };
inline const auto NoResult = [] { return Val{}; };

// The arguments of one call as VARIANTs, in the order the method declares them.
class Args {
public:
    Args(const std::vector<Val> &values, const std::wstring &dir);
    ~Args();
    BSTR s(size_t i) const { return V_BSTR(&m_values[i]); }
    LONG l(size_t i) const { return V_I4(&m_values[i]); }
    VARIANT v(size_t i) const { return m_values[i]; }
    std::vector<VARIANT> &all() { return m_values; }

private:
    std::vector<VARIANT> m_values;
};

// The result slot as the vtable method's out parameter of each kind.
inline const auto lng = [](VARIANT *r) { return V_VT(r) = VT_I4, &V_I4(r); };
inline const auto str = [](VARIANT *r) { return V_VT(r) = VT_BSTR, &V_BSTR(r); };

enum Kind : WORD { M = DISPATCH_METHOD, G = DISPATCH_PROPERTYGET, P = DISPATCH_PROPERTYPUT };
enum Check { Open, Browser };

// One entry of a dual interface: how it is called by name and through the vtable.
template <class I> struct Method {
    const wchar_t *name;
    Kind kind;
    DISPID id;
    Check check;
    HRESULT (*vtable)(I *, Args &, VARIANT *);
};
extern const std::vector<Method<ITxFileAccess>> fileAccessMethods;
extern const std::vector<Method<ITxDirTree>> dirTreeMethods;

// One call of a method with its arguments and the result it should give.
struct Call {
    const wchar_t *name;
    Kind kind;
    std::vector<Val> args;
    Val expected;
};

template <class I>
const Method<I> &methodOf(const std::vector<Method<I>> &methods, const Call &call) {
    for (const Method<I> &method : methods) {
        if (method.kind == call.kind && std::wstring(method.name) == call.name) return method;
    }
    ADD_FAILURE() << toUtf8(call.name) << " is not in the interface's table";
    return methods.front();
}

HRESULT invokeByName(IDispatch *object, const wchar_t *name, WORD flags, Args &args,
                     VARIANT *result, EXCEPINFO *exception = nullptr, UINT *argError = nullptr);
// "" when the result is what the row expects, else what differs.
std::string mismatch(const VARIANT &result, const Val &expected, const std::wstring &dir);

// Runs the calls in order on one object; through IDispatch when byName, else the vtable.
template <class I>
void runCalls(I *object, const std::vector<Method<I>> &methods, const std::vector<Call> &calls,
              const std::wstring &dir, bool byName) {
    for (const Call &call : calls) {
        Args args(call.args, dir);
        Variant result;
        HRESULT hr = byName ? invokeByName(object, call.name, call.kind, args, &result)
                            : methodOf(methods, call).vtable(object, args, &result);
        EXPECT_EQ(hr, S_OK) << toUtf8(call.name);
        // Wine's ITypeInfo::Invoke copies a null string result into an empty one.
        bool nullBecomesEmpty = byName && runningUnderWine() && call.expected.kind == Val::NullText;
        EXPECT_EQ(mismatch(result, nullBecomesEmpty ? S(L"") : call.expected, dir), "")
            << toUtf8(call.name) << (byName ? " by name" : " through the vtable");
    }
}

} // namespace comtest
