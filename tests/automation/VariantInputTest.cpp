// What each kind of VARIANT contributes to WriteEntireFile.
#include "tests/automation/ComTest.h"
#include "tests/support/TempDir.h"

#include <functional>

namespace comtest {
namespace {

// An object whose default value is value; it fails unless asked exactly as a script
// host asks for a default value.
struct DefaultValue : IDispatch {
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        *out = riid == IID_IUnknown || riid == IID_IDispatch ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT *count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *, UINT *) override {
        if (fails || id != DISPID_VALUE || riid != IID_NULL || locale != 2048 ||
            flags != (DISPATCH_METHOD | DISPATCH_PROPERTYGET) || !params || params->cArgs != 0 ||
            !result)
            return DISP_E_MEMBERNOTFOUND;
        return V_VT(result) = VT_I4, V_I4(result) = value, S_OK;
    }
    LONG value = 0;
    bool fails = false;
    ULONG references = 1;
};

// One argument with what it refers to; the referenced parts are freed here, the
// argument's own by VariantClear.
struct Value {
    ~Value() {
        SysFreeString(string);
        if (array) SafeArrayDestroy(array);
    }
    VARIANT &set(VARTYPE type) { return V_VT(&v) = type, v; }
    IDispatch *object(LONG value, bool fails = false) {
        dispatch.value = value, dispatch.fails = fails;
        dispatch.AddRef();
        return &dispatch;
    }
    Variant v, referenced;
    BSTR string = nullptr;
    SAFEARRAY *array = nullptr;
    DefaultValue dispatch;
};

SAFEARRAY *byteArray(const std::string &bytes) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!bytes.empty()) memcpy(array->pvData, bytes.data(), bytes.size());
    return array;
}

// An array of the type with dims dimensions of 2 and 3 elements, holding 1, 2, 3...
SAFEARRAY *counted(VARTYPE type, UINT dims) {
    SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 1}};
    SAFEARRAY *array = SafeArrayCreate(type, dims, bounds);
    for (int i = 0; i < (dims == 1 ? 2 : 6); ++i) {
        if (type == VT_I2) static_cast<short *>(array->pvData)[i] = static_cast<short>(i + 1);
        if (type == VT_VARIANT) {
            VARIANT &v = static_cast<VARIANT *>(array->pvData)[i];
            v.vt = VT_UI1, v.bVal = static_cast<BYTE>(i + 1);
        }
    }
    return array;
}

// A vector of variants, each made by one of the makers.
SAFEARRAY *variantArray(std::initializer_list<std::function<void(VARIANT &)>> makers) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(makers.size()));
    LONG i = 0;
    for (const auto &make : makers) {
        Variant element;
        make(element);
        SafeArrayPutElement(array, &i, &element);
        ++i;
    }
    return array;
}

// A value that fits in the variant itself, given by the bits of its union.
std::function<void(Value &)> scalar(VARTYPE type, LONGLONG bits) {
    return [=](Value &x) { x.set(type).llVal = bits; };
}

// clang-format off
const struct {
    const char *what;
    std::function<void(Value &)> make;
    const char *bytes;
} variantCases[] = {
    {"VT_I4", scalar(VT_I4, 1), "01 00 00 00"},
    {"VT_UI4", scalar(VT_UI4, 0x04030201), "01 02 03 04"},
    {"VT_I2", scalar(VT_I2, 0xFFFE), "FE FF"},
    {"VT_UI2", scalar(VT_UI2, 0x0102), "02 01"},
    {"VT_I1", scalar(VT_I1, 'A'), "41"},
    {"VT_UI1", scalar(VT_UI1, 0x80), "80"},
    {"VT_BOOL true", scalar(VT_BOOL, 0xFFFF), "FF"},
    {"VT_BOOL false", scalar(VT_BOOL, 0), "00"},
    // Types with no bytes of their own.
    {"VT_R8", scalar(VT_R8, 1), ""},
    {"VT_DATE", scalar(VT_DATE, 1), ""},
    {"VT_CY", scalar(VT_CY, 10000), ""},
    {"VT_I8", scalar(VT_I8, 1), ""},
    {"VT_ERROR", scalar(VT_ERROR, DISP_E_PARAMNOTFOUND), ""},
    {"VT_NULL", scalar(VT_NULL, 0), ""},
    {"VT_EMPTY", scalar(VT_EMPTY, 0), ""},
    {"VT_DISPATCH null", scalar(VT_DISPATCH, 0), ""},
    {"VT_ARRAY | VT_UI1 null", scalar(VT_ARRAY | VT_UI1, 0), ""},
    {"VT_BYREF | VT_ARRAY | VT_UI1 null", scalar(VT_BYREF | VT_ARRAY | VT_UI1, 0), ""},
    {"VT_BSTR null", scalar(VT_BSTR, 0), ""},
    {"VT_BSTR", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocString(L"AB"); }, "41 00 42 00"},
    {"VT_BSTR with a zero", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocStringLen(L"A\0B", 3); }, "41 00 00 00 42 00"},
    {"VT_BSTR empty", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocString(L""); }, ""},
    {"VT_BYREF | VT_BSTR", [](Value &x) { x.string = SysAllocString(L"C"); x.set(VT_BYREF | VT_BSTR).pbstrVal = &x.string; }, "43 00"},
    {"VT_BYREF | VT_BSTR null", [](Value &x) { x.set(VT_BYREF | VT_BSTR).pbstrVal = &x.string; }, ""},
    {"VT_BYREF | VT_VARIANT", [](Value &x) { x.referenced.vt = VT_I2, x.referenced.iVal = 0x0201;
                                             x.set(VT_BYREF | VT_VARIANT).pvarVal = &x.referenced; }, "01 02"},
    {"VT_BYREF | VT_VARIANT of a variant array", [](Value &x) {
         x.referenced.vt = VT_ARRAY | VT_VARIANT, x.referenced.parray = counted(VT_VARIANT, 1);
         x.set(VT_BYREF | VT_VARIANT).pvarVal = &x.referenced; }, "01 02"},
    {"VT_BYREF | VT_I4", [](Value &x) { x.set(VT_BYREF | VT_I4).plVal = &x.referenced.lVal; }, ""},
    {"VT_ARRAY | VT_UI1", [](Value &x) { x.set(VT_ARRAY | VT_UI1).parray = byteArray("\1\2\3"); }, "01 02 03"},
    {"VT_ARRAY | VT_UI1 empty", [](Value &x) { x.set(VT_ARRAY | VT_UI1).parray = byteArray(""); }, ""},
    {"VT_BYREF | VT_ARRAY | VT_UI1", [](Value &x) { x.array = byteArray("\x09\x08");
                                                    x.set(VT_BYREF | VT_ARRAY | VT_UI1).pparray = &x.array; }, "09 08"},
    {"VT_ARRAY | VT_I2 of 2 x 3", [](Value &x) { x.set(VT_ARRAY | VT_I2).parray = counted(VT_I2, 2); },
     "01 00 02 00 03 00 04 00 05 00 06 00"},
    {"VT_ARRAY | VT_I4 from 5", [](Value &x) { x.set(VT_ARRAY | VT_I4).parray = SafeArrayCreateVector(VT_I4, 5, 1);
                                               static_cast<LONG *>(x.v.parray->pvData)[0] = 7; }, "07 00 00 00"},
    {"VT_ARRAY | VT_VARIANT", [](Value &x) { x.set(VT_ARRAY | VT_VARIANT).parray = variantArray({
         [](VARIANT &v) { v.vt = VT_I4, v.lVal = 1; }, [](VARIANT &v) { v.vt = VT_BSTR, v.bstrVal = SysAllocString(L"A"); },
         [](VARIANT &v) { v.vt = VT_BOOL, v.boolVal = VARIANT_TRUE; }, [](VARIANT &v) { v.vt = VT_R8, v.dblVal = 2.5; },
         [](VARIANT &) {}}); }, "01 00 00 00 41 00 FF"},
    {"VT_ARRAY | VT_VARIANT holding arrays", [](Value &x) { x.set(VT_ARRAY | VT_VARIANT).parray = variantArray({
         [](VARIANT &v) { v.vt = VT_ARRAY | VT_UI1, v.parray = byteArray("\x09\x08"); },
         [](VARIANT &v) { v.vt = VT_ARRAY | VT_VARIANT, v.parray = counted(VT_VARIANT, 1); }}); }, "09 08 01 02"},
    {"VT_BYREF | VT_ARRAY | VT_VARIANT", [](Value &x) { x.array = counted(VT_VARIANT, 1);
                                                        x.set(VT_BYREF | VT_ARRAY | VT_VARIANT).pparray = &x.array; }, "01 02"},
    {"VT_ARRAY | VT_VARIANT of 2 x 3", [](Value &x) { x.set(VT_ARRAY | VT_VARIANT).parray = counted(VT_VARIANT, 2); },
     "01 02 03 04 05 06"},
    {"VT_DISPATCH", [](Value &x) { x.set(VT_DISPATCH).pdispVal = x.object(7); }, "07 00 00 00"},
    {"VT_DISPATCH without a default", [](Value &x) { x.set(VT_DISPATCH).pdispVal = x.object(7, true); }, ""},
    {"VT_BYREF | VT_DISPATCH", [](Value &x) { x.referenced.vt = VT_DISPATCH, x.referenced.pdispVal = x.object(0x0102);
                                              x.set(VT_BYREF | VT_DISPATCH).ppdispVal = &x.referenced.pdispVal; }, "02 01 00 00"},
    {"VT_ARRAY | VT_VARIANT of a dispatch object", [](Value &x) { IDispatch *o = x.object(3);
         x.set(VT_ARRAY | VT_VARIANT).parray = variantArray({[o](VARIANT &v) { v.vt = VT_DISPATCH, v.pdispVal = o; }}); },
     "03 00 00 00"},
    {"VT_UNKNOWN of a dispatch object", [](Value &x) { x.set(VT_UNKNOWN).punkVal = x.object(7); }, ""},
};
// clang-format on

TEST(VariantInput, EachKindOfValueGivesItsBytesThroughTheVtableAndByName) {
    TempDir dir;
    std::string path = dir.file("value.bin");
    Com<ITxFileAccess> object;
    ASSERT_EQ(Server::get().create(CLSID_TxFileAccess, IID_ITxFileAccess, object), S_OK);
    DISPID id;
    LPOLESTR name = const_cast<LPOLESTR>(L"WriteEntireFile");
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    for (const auto &c : variantCases) {
        for (bool byName : {false, true}) {
            Value x;
            c.make(x);
            Args pathArg({S(toWide(path))}, L"");
            Variant result;
            if (byName) {
                VARIANT args[2] = {x.v, pathArg.v(0)};
                DISPPARAMS params = {args, nullptr, 2, 0};
                EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result,
                                         nullptr, nullptr),
                          S_OK);
            } else {
                EXPECT_EQ(object->WriteEntireFile(pathArg.s(0), x.v, lng(&result)), S_OK);
            }
            EXPECT_EQ(mismatch(result, L(1), L""), "") << c.what;
            EXPECT_EQ(hex(readTestFile(path)), c.bytes) << c.what << (byName ? " by name" : "");
        }
    }
}

} // namespace
} // namespace comtest
