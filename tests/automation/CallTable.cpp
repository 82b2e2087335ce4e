// The calls of both dual interfaces through their vtables, and the plumbing that runs a
// table of calls by name.
#include "tests/automation/ComTest.h"

namespace comtest {

#define WIDE(text) L##text
// An entry per method or property: its name, DISPID, whether the browser-host check
// applies, and the call through the vtable.
#define MTH(name, id, check, ...)                                                                  \
    {                                                                                              \
        WIDE(#name), M, id, check,                                                                 \
            [](auto *o, Args &a, VARIANT *r) { return o->name(__VA_ARGS__); }                      \
    }
#define GET(name, id, check, out)                                                                  \
    {                                                                                              \
        WIDE(#name), G, id, check, [](auto *o, Args &a, VARIANT *r) { return o->get_##name(out); } \
    }
#define PUT(name, id, in)                                                                          \
    {                                                                                              \
        WIDE(#name), P, id, Open, [](auto *o, Args &a, VARIANT *r) { return o->put_##name(in); }   \
    }

// clang-format off
const std::vector<Method<ITxFileAccess>> fileAccessMethods = {
    MTH(GetTempFilename, 1, Browser, a.s(0), a.s(1), str(r)),
    MTH(FileSize, 2, Browser, a.s(0), lng(r)),
    MTH(FileOpen, 3, Browser, a.s(0), a.l(1), a.l(2), a.l(3), a.l(4), lng(r)),
    MTH(FileClose, 4, Open), MTH(FileRead, 5, Browser, a.l(0), r),
    MTH(FileWrite, 6, Browser, a.v(0), lng(r)), MTH(AppendText, 7, Browser, a.s(0), a.s(1), lng(r)),
    MTH(AppendAnsi, 8, Browser, a.s(0), lng(r)), MTH(DirCreate, 9, Browser, a.s(0), lng(r)),
    MTH(FileExists, 10, Browser, a.s(0), lng(r)), MTH(FileDelete, 11, Browser, a.s(0), lng(r)),
    MTH(FileRename, 12, Browser, a.s(0), a.s(1), lng(r)),
    MTH(FileSeek, 13, Browser, a.l(0), a.l(1), lng(r)),
    MTH(DirAutoCreate, 14, Browser, a.s(0), lng(r)),
    MTH(DirEnsureExists, 15, Browser, a.s(0), lng(r)), MTH(TreeDelete, 16, Browser, a.s(0), lng(r)),
    GET(LastErrorText, 17, Open, str(r)), GET(LastErrorXml, 18, Open, str(r)),
    GET(LastErrorHtml, 19, Open, str(r)), MTH(SaveLastError, 20, Browser, a.s(0), lng(r)),
    MTH(DirDelete, 21, Browser, a.s(0), lng(r)), MTH(AppendUnicodeBOM, 22, Browser, lng(r)),
    MTH(AppendUtf8BOM, 23, Browser, lng(r)), GET(EndOfFile, 24, Browser, lng(r)),
    MTH(ReadEntireFile, 25, Browser, a.s(0), r),
    MTH(WriteEntireFile, 26, Browser, a.s(0), a.v(1), lng(r)),
    MTH(FileCopy, 27, Browser, a.s(0), a.s(1), a.l(2), lng(r)), GET(CurrentDir, 28, Open, str(r)),
    MTH(ReadEntireTextFile, 29, Browser, a.s(0), a.s(1), str(r)),
    MTH(WriteEntireTextFile, 30, Browser, a.s(0), a.s(1), a.s(2), a.l(3), lng(r)),
    MTH(SetCurrentDir, 31, Browser, a.s(0), lng(r)),
    MTH(SplitFile, 32, Browser, a.s(0), a.s(1), a.s(2), a.l(3), a.s(4), lng(r)),
    MTH(ReassembleFile, 33, Browser, a.s(0), a.s(1), a.s(2), a.s(3), lng(r)),
    MTH(ReadBinaryToEncoded, 34, Browser, a.s(0), a.s(1), str(r)),
    GET(FileOpenError, 35, Open, lng(r)), GET(FileOpenErrorMsg, 36, Open, str(r)),
    MTH(OpenForRead, 37, Browser, a.s(0), lng(r)), MTH(OpenForWrite, 38, Browser, a.s(0), lng(r)),
    MTH(OpenForReadWrite, 39, Browser, a.s(0), lng(r)),
    MTH(OpenForAppend, 40, Browser, a.s(0), lng(r)),
    MTH(ReplaceStrings, 41, Browser, a.s(0), a.s(1), a.s(2), a.s(3), lng(r)),
    GET(DebugLogFilePath, 42, Open, str(r)), PUT(DebugLogFilePath, 42, a.s(0)),
    GET(VerboseLogging, 43, Open, lng(r)), PUT(VerboseLogging, 43, a.l(0)),
};

const std::vector<Method<ITxDirTree>> dirTreeMethods = {
    GET(LastErrorText, 1, Open, str(r)), GET(LastErrorXml, 2, Open, str(r)),
    GET(LastErrorHtml, 3, Open, str(r)), MTH(SaveLastError, 4, Browser, a.s(0), lng(r)),
    GET(BaseDir, 5, Open, str(r)), PUT(BaseDir, 5, a.s(0)), GET(Recurse, 6, Open, lng(r)),
    PUT(Recurse, 6, a.l(0)), GET(DoneIterating, 7, Open, lng(r)),
    MTH(BeginIterate, 8, Browser, lng(r)), MTH(AdvancePosition, 9, Browser, lng(r)),
    GET(IsDirectory, 10, Open, lng(r)), GET(RelativePath, 11, Open, str(r)),
    GET(FullPath, 12, Open, str(r)), GET(FullUncPath, 13, Open, str(r)),
    GET(FileSize32, 14, Open, lng(r)), GET(DebugLogFilePath, 15, Open, str(r)),
    PUT(DebugLogFilePath, 15, a.s(0)), GET(VerboseLogging, 16, Open, lng(r)),
    PUT(VerboseLogging, 16, a.l(0)),
};
// clang-format on

Args::Args(const std::vector<Val> &values, const std::wstring &dir) : m_values(values.size()) {
    for (size_t i = 0; i < values.size(); ++i) {
        VARIANT &v = m_values[i];
        VariantInit(&v);
        const Val &value = values[i];
        std::wstring text = value.text;
        for (size_t at; (at = text.find(L"%T")) != std::wstring::npos;)
            text.replace(at, 2, dir);
        if (value.kind == Val::Long) {
            V_VT(&v) = VT_I4;
            V_I4(&v) = value.number;
        } else if (value.kind == Val::Bytes) {
            V_VT(&v) = VT_ARRAY | VT_UI1;
            V_ARRAY(&v) = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.bytes.size()));
            if (!value.bytes.empty())
                memcpy(V_ARRAY(&v)->pvData, value.bytes.data(), value.bytes.size());
        } else if (value.kind != Val::None) {
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = value.kind == Val::NullText
                             ? nullptr
                             : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
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

static std::string describe(const VARIANT &v) {
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
        return "bytes " +
               hex(std::string(static_cast<char *>(a->pvData), a->rgsabound[0].cElements));
    }
    default:
        return "type " + std::to_string(V_VT(&v));
    }
}

std::string mismatch(const VARIANT &result, const Val &expected, const std::wstring &dir) {
    Args wanted({expected}, dir);
    std::string got = describe(result);
    if (expected.kind == Val::Has || expected.kind == Val::Prefix) {
        std::wstring text = V_VT(&result) == VT_BSTR ? textOf(V_BSTR(&result)) : L"";
        size_t at = text.find(textOf(wanted.s(0)));
        bool ok = expected.kind == Val::Has ? at != std::wstring::npos : at == 0;
        return ok ? "" : "got " + got + ", wanted it to hold " + describe(wanted.all()[0]);
    }
    std::string want = describe(wanted.all()[0]);
    return got == want ? "" : "got " + got + ", wanted " + want;
}

} // namespace comtest
