// One table of calls drives each dual interface twice: by name through
// IDispatch::Invoke and through the vtable the generated header declares.
#pragma once

#include "tests/automation/ComTestSupport.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

namespace comtest {

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

inline std::wstring expand(std::wstring text, const std::wstring &dir) {
    for (size_t at; (at = text.find(L"%T")) != std::wstring::npos;)
        text.replace(at, 2, dir);
    return text;
}

// The arguments of one call as VARIANTs, in the order the method declares them.
class Args {
public:
    Args(const std::vector<Val> &values, const std::wstring &dir);
    ~Args();
    Args(const Args &) = delete;
    Args &operator=(const Args &) = delete;
    BSTR s(size_t i) const { return V_BSTR(&m_values[i]); }
    LONG l(size_t i) const { return V_I4(&m_values[i]); }
    VARIANT v(size_t i) const { return m_values[i]; }
    std::vector<VARIANT> &all() { return m_values; }

private:
    std::vector<VARIANT> m_values;
};

// The result slot as the vtable method's out parameter of each kind.
inline LONG *lng(VARIANT *r) {
    V_VT(r) = VT_I4;
    return &V_I4(r);
}
inline BSTR *str(VARIANT *r) {
    V_VT(r) = VT_BSTR;
    return &V_BSTR(r);
}

enum Kind : WORD { M = DISPATCH_METHOD, G = DISPATCH_PROPERTYGET, P = DISPATCH_PROPERTYPUT };
enum Check { Open = 0, Browser = 1 };

// One entry of a dual interface: how it is called by name and through the vtable.
template <class I> struct Method {
    const wchar_t *name;
    Kind kind;
    DISPID id;
    Check check;
    HRESULT (*vtable)(I *, Args &, VARIANT *);
};
#define VTBL(expr) [](auto *o, Args &a, VARIANT *r) -> HRESULT { return o->expr; }

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
