#include "tests/automation/CallTable.h"

#include <cstdio>

namespace comtest {

Args::Args(const std::vector<Val> &values, const std::wstring &dir) : m_values(values.size()) {
    for (size_t i = 0; i < values.size(); ++i) {
        VARIANT &v = m_values[i];
        VariantInit(&v);
        const Val &value = values[i];
        std::wstring text = expand(value.text, dir);
        if (value.kind == Val::Long) {
            V_VT(&v) = VT_I4;
            V_I4(&v) = value.number;
        } else if (value.kind == Val::Text || value.kind == Val::NullText) {
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = value.kind == Val::NullText
                             ? nullptr
                             : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        } else if (value.kind == Val::Bytes) {
            V_VT(&v) = VT_ARRAY | VT_UI1;
            V_ARRAY(&v) = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.bytes.size()));
            void *data = nullptr;
            SafeArrayAccessData(V_ARRAY(&v), &data);
            if (!value.bytes.empty()) memcpy(data, value.bytes.data(), value.bytes.size());
            SafeArrayUnaccessData(V_ARRAY(&v));
        }
    }
}

Args::~Args() {
    for (VARIANT &v : m_values)
        VariantClear(&v);
}

HRESULT invokeByName(IDispatch *object, const wchar_t *name, WORD flags, Args &args,
                     VARIANT *result, EXCEPINFO *exception, UINT *argError) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // Invoke takes the arguments last to first.
    std::vector<VARIANT> reversed(args.all().rbegin(), args.all().rend());
    DISPID putId = DISPID_PROPERTYPUT;
    bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), put ? &putId : nullptr,
                         static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    // Scripts ask for a method's result as method or property at once.
    if (flags == DISPATCH_METHOD) flags |= DISPATCH_PROPERTYGET;
    EXCEPINFO ignored;
    UINT ignoredIndex;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : result,
                          exception ? exception : &ignored, argError ? argError : &ignoredIndex);
}

namespace {

std::string hex(const std::string &bytes) {
    std::string out;
    char digits[4];
    for (unsigned char b : bytes) {
        snprintf(digits, sizeof digits, "%02X ", b);
        out += digits;
    }
    return out;
}

std::string describe(const VARIANT &v) {
    switch (V_VT(&v)) {
    case VT_EMPTY:
        return "nothing";
    case VT_I4:
        return "long " + std::to_string(V_I4(&v));
    case VT_BSTR:
        return V_BSTR(&v) ? "text \"" + toUtf8(textOf(V_BSTR(&v))) + "\"" : "null string";
    case VT_ARRAY | VT_UI1: {
        SAFEARRAY *a = V_ARRAY(&v);
        if (!a || SafeArrayGetDim(a) != 1 || a->rgsabound[0].lLbound != 0) return "bad array";
        return "bytes " + hex(bytesOf(a));
    }
    default:
        return "type " + std::to_string(V_VT(&v));
    }
}

} // namespace

std::string mismatch(const VARIANT &result, const Val &expected, const std::wstring &dir) {
    std::string got = describe(result);
    if (expected.kind == Val::Has || expected.kind == Val::Prefix) {
        std::wstring text = V_VT(&result) == VT_BSTR ? textOf(V_BSTR(&result)) : L"";
        size_t at = text.find(expand(expected.text, dir));
        bool ok = expected.kind == Val::Has ? at != std::wstring::npos : at == 0;
        return ok ? "" : "got " + got + ", wanted it to hold \"" + toUtf8(expected.text) + "\"";
    }
    Args wanted({expected}, dir);
    std::string want = describe(wanted.all()[0]);
    return got == want ? "" : "got " + got + ", wanted " + want;
}

} // namespace comtest
