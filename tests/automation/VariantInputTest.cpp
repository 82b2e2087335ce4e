// What each kind of VARIANT contributes to FileWrite and WriteEntireFile.
#include "tests/automation/ComTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace comtest {
namespace {

// An object whose default value is value; it fails unless asked exactly as a script
// host asks for a default value.
class DefaultValue : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        *out = riid == IID_IUnknown || riid == IID_IDispatch ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override { return --m_references; }
    STDMETHODIMP GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
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
        return VariantCopy(result, &value);
    }
    Variant value;
    bool fails = false;

private:
    ULONG m_references = 1;
};

// One argument with what it refers to; the referenced parts are freed here, the
// argument's own by VariantClear.
struct Value {
    ~Value() {
        SysFreeString(string);
        if (array) SafeArrayDestroy(array);
    }
    VARIANT &set(VARTYPE type) {
        V_VT(&v) = type;
        return v;
    }
    Variant v, referenced;
    BSTR string = nullptr;
    SAFEARRAY *array = nullptr;
    DefaultValue object;
    std::string rawBlock;
};

SAFEARRAY *byteArray(const std::string &bytes) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!bytes.empty()) memcpy(array->pvData, bytes.data(), bytes.size());
    return array;
}

// A vector of variants, each made by one of the makers.
SAFEARRAY *variantArray(std::initializer_list<void (*)(VARIANT &)> makers) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(makers.size()));
    LONG i = 0;
    for (auto make : makers) {
        Variant element;
        make(element);
        SafeArrayPutElement(array, &i, &element);
        ++i;
    }
    return array;
}

// An array of the type with dims dimensions of 2 and 3 elements, holding 1, 2, 3...
SAFEARRAY *counted(VARTYPE type, UINT dims) {
    SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 1}};
    SAFEARRAY *array = SafeArrayCreate(type, dims, bounds);
    for (int i = 0; i < 6 / (dims == 1 ? 3 : 1); ++i) {
        if (type == VT_I2) static_cast<short *>(array->pvData)[i] = static_cast<short>(i + 1);
        if (type == VT_VARIANT) {
            VARIANT &v = static_cast<VARIANT *>(array->pvData)[i];
            v.vt = VT_UI1, v.bVal = static_cast<BYTE>(i + 1);
        }
        if (type == VT_BSTR) static_cast<BSTR *>(array->pvData)[i] = SysAllocString(L"B");
    }
    return array;
}

IDispatch *withDefault(Value &x, LONG number, bool fails = false) {
    V_VT(&x.object.value) = VT_I4;
    V_I4(&x.object.value) = number;
    x.object.fails = fails;
    x.object.AddRef();
    return &x.object;
}

// Expected bytes as hex; "raw" stands for the array's own data block.
struct VariantCase {
    const char *what;
    void (*make)(Value &);
    const char *bytes;
};

// clang-format off
const VariantCase variantCases[] = {
    {"VT_I4", [](Value &x) { x.set(VT_I4).lVal = 1; }, "01 00 00 00"},
    {"VT_UI4", [](Value &x) { x.set(VT_UI4).ulVal = 0x04030201; }, "01 02 03 04"},
    {"VT_I2", [](Value &x) { x.set(VT_I2).iVal = -2; }, "FE FF"},
    {"VT_UI2", [](Value &x) { x.set(VT_UI2).uiVal = 0x0102; }, "02 01"},
    {"VT_I1", [](Value &x) { x.set(VT_I1).cVal = 'A'; }, "41"},
    {"VT_UI1", [](Value &x) { x.set(VT_UI1).bVal = 0x80; }, "80"},
    {"VT_BOOL true", [](Value &x) { x.set(VT_BOOL).boolVal = VARIANT_TRUE; }, "FF"},
    {"VT_BOOL false", [](Value &x) { x.set(VT_BOOL).boolVal = VARIANT_FALSE; }, "00"},
    {"VT_BSTR", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocString(L"AB"); }, "41 00 42 00"},
    {"VT_BSTR with a zero", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocStringLen(L"A\0B", 3); },
     "41 00 00 00 42 00"},
    {"VT_BSTR empty", [](Value &x) { x.set(VT_BSTR).bstrVal = SysAllocString(L""); }, ""},
    {"VT_BSTR null", [](Value &x) { x.set(VT_BSTR).bstrVal = nullptr; }, ""},
    {"VT_BYREF | VT_BSTR", [](Value &x) { x.string = SysAllocString(L"C"); x.set(VT_BYREF | VT_BSTR).pbstrVal = &x.string; },
     "43 00"},
    {"VT_BYREF | VT_BSTR null", [](Value &x) { x.set(VT_BYREF | VT_BSTR).pbstrVal = &x.string; }, ""},
    {"VT_BYREF | VT_VARIANT", [](Value &x) { x.referenced.vt = VT_I2, x.referenced.iVal = 0x0201;
                                             x.set(VT_BYREF | VT_VARIANT).pvarVal = &x.referenced; }, "01 02"},
    {"VT_BYREF | VT_VARIANT of a variant array",
     [](Value &x) { x.referenced.vt = VT_ARRAY | VT_VARIANT, x.referenced.parray = counted(VT_VARIANT, 1);
                    x.set(VT_BYREF | VT_VARIANT).pvarVal = &x.referenced; }, "01 02"},
    {"VT_BYREF | VT_I4", [](Value &x) { x.set(VT_BYREF | VT_I4).plVal = &x.referenced.lVal; }, ""},
    {"VT_ARRAY | VT_UI1", [](Value &x) { x.set(VT_ARRAY | VT_UI1).parray = byteArray("\1\2\3"); }, "01 02 03"},
    {"VT_ARRAY | VT_UI1 empty", [](Value &x) { x.set(VT_ARRAY | VT_UI1).parray = byteArray(""); }, ""},
    {"VT_ARRAY | VT_UI1 null", [](Value &x) { x.set(VT_ARRAY | VT_UI1).parray = nullptr; }, ""},
    {"VT_BYREF | VT_ARRAY | VT_UI1", [](Value &x) { x.array = byteArray("\x09\x08");
                                                    x.set(VT_BYREF | VT_ARRAY | VT_UI1).pparray = &x.array; }, "09 08"},
    {"VT_BYREF | VT_ARRAY | VT_UI1 null", [](Value &x) { x.set(VT_BYREF | VT_ARRAY | VT_UI1).pparray = nullptr; }, ""},
    {"VT_ARRAY | VT_I2 of 2 x 3", [](Value &x) { x.set(VT_ARRAY | VT_I2).parray = counted(VT_I2, 2); },
     "01 00 02 00 03 00 04 00 05 00 06 00"},
    {"VT_ARRAY | VT_I4 from 5", [](Value &x) { x.set(VT_ARRAY | VT_I4).parray = SafeArrayCreateVector(VT_I4, 5, 1);
                                               static_cast<LONG *>(x.v.parray->pvData)[0] = 7; }, "07 00 00 00"},
    {"VT_ARRAY | VT_BSTR", [](Value &x) { x.set(VT_ARRAY | VT_BSTR).parray = counted(VT_BSTR, 1);
                                          x.rawBlock.assign(static_cast<char *>(x.v.parray->pvData), 2 * sizeof(BSTR)); }, "raw"},
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
    {"VT_DISPATCH", [](Value &x) { x.set(VT_DISPATCH).pdispVal = withDefault(x, 7); }, "07 00 00 00"},
    {"VT_DISPATCH without a default", [](Value &x) { x.set(VT_DISPATCH).pdispVal = withDefault(x, 7, true); }, ""},
    {"VT_DISPATCH null", [](Value &x) { x.set(VT_DISPATCH).pdispVal = nullptr; }, ""},
    {"VT_BYREF | VT_DISPATCH", [](Value &x) { x.referenced.vt = VT_DISPATCH, x.referenced.pdispVal = withDefault(x, 0x0102);
                                              x.set(VT_BYREF | VT_DISPATCH).ppdispVal = &x.referenced.pdispVal; }, "02 01 00 00"},
    {"VT_ARRAY | VT_VARIANT of a dispatch object", [](Value &x) { x.referenced.vt = VT_DISPATCH, x.referenced.pdispVal = withDefault(x, 3);
         x.set(VT_ARRAY | VT_VARIANT).parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
         LONG at = 0; SafeArrayPutElement(x.v.parray, &at, &x.referenced); }, "03 00 00 00"},
    {"VT_UNKNOWN of a dispatch object", [](Value &x) { x.set(VT_UNKNOWN).punkVal = withDefault(x, 7); }, ""},
    {"VT_R8", [](Value &x) { x.set(VT_R8).dblVal = 1.5; }, ""},
    {"VT_DATE", [](Value &x) { x.set(VT_DATE).date = 1.0; }, ""},
    {"VT_CY", [](Value &x) { x.set(VT_CY).cyVal.int64 = 10000; }, ""},
    {"VT_I8", [](Value &x) { x.set(VT_I8).llVal = 1; }, ""},
    {"VT_ERROR", [](Value &x) { x.set(VT_ERROR).scode = DISP_E_PARAMNOTFOUND; }, ""},
    {"VT_NULL", [](Value &x) { x.set(VT_NULL); }, ""},
    {"VT_EMPTY", [](Value &) {}, ""},
};
// clang-format on

std::string hex(const std::string &bytes) {
    std::string out;
    char digits[4];
    for (unsigned char b : bytes) {
        snprintf(digits, sizeof digits, out.empty() ? "%02X" : " %02X", b);
        out += digits;
    }
    return out;
}

TEST(VariantInput, EachKindOfValueGivesItsBytesThroughTheVtableAndByName) {
    TempDir dir;
    std::string path = dir.file("value.bin");
    Bstr pathArg(toWide(path));
    Com<ITxFileAccess> object;
    ASSERT_EQ(Server::get().create(CLSID_TxFileAccess, IID_ITxFileAccess, object), S_OK);
    for (const VariantCase &c : variantCases) {
        for (bool byName : {false, true}) {
            Value x;
            c.make(x);
            LONG written = 0;
            if (byName) {
                DISPID id;
                LPOLESTR name = const_cast<LPOLESTR>(L"WriteEntireFile");
                ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
                VARIANT args[2] = {x.v, {}};
                V_VT(&args[1]) = VT_BSTR, V_BSTR(&args[1]) = pathArg.p;
                DISPPARAMS params = {args, nullptr, 2, 0};
                Variant result;
                EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result,
                                         nullptr, nullptr),
                          S_OK);
                written = V_VT(&result) == VT_I4 ? V_I4(&result) : -1;
            } else {
                EXPECT_EQ(object->WriteEntireFile(pathArg.p, x.v, &written), S_OK);
            }
            EXPECT_EQ(written, 1) << c.what;
            std::string bytes = readTestFile(path);
            if (c.bytes != std::string("raw")) {
                EXPECT_EQ(hex(bytes), c.bytes) << c.what << (byName ? " by name" : "");
            } else if (byName) {
                // Invoke hands the method a copy of the array, with pointers of its own.
                EXPECT_EQ(bytes.size(), x.rawBlock.size()) << c.what;
            } else {
                EXPECT_EQ(hex(bytes), hex(x.rawBlock)) << c.what;
            }
        }
    }
}

} // namespace
} // namespace comtest
