// Every method and property of both dual interfaces, by name and through the vtable,
// in working order, with bad input, behind a web-browser client site and in a loop.
#include "tests/automation/ComTest.h"
#include "tests/support/TempDir.h"

#include <psapi.h>
#include <servprov.h>

#include <shlguid.h>

namespace comtest {
namespace {

// clang-format off
// Written by the open-file rows: both marks, AppendText, AppendAnsi, FileWrite, a string.
const std::string writtenBytes("\xEF\xBB\xBF\xFF\xFE\x00\xE9\x41\x00\x07\x5A\x00", 12);

const std::vector<Call> fileAccessCalls = {
    {L"DirCreate", M, {S(L"%T\\d")}, L(1)}, {L"DirCreate", M, {S(L"%T\\d")}, L(0)},
    {L"DirAutoCreate", M, {S(L"%T\\a\\b")}, L(1)},
    {L"DirEnsureExists", M, {S(L"%T\\e\\f.txt")}, L(1)},
    // Existence is 1, never VARIANT_TRUE.
    {L"FileExists", M, {S(L"%T\\e")}, L(1)},
    {L"WriteEntireTextFile", M, {S(L"%T\\t.txt"), S(L"h\u00e9llo"), S(L"utf-8"), L(7)}, L(1)},
    {L"FileSize", M, {S(L"%T\\t.txt")}, L(9)},
    {L"ReadEntireFile", M, {S(L"%T\\t.txt")}, B("\xEF\xBB\xBFh\xC3\xA9llo")},
    {L"ReadEntireTextFile", M, {S(L"%T\\t.txt"), S(L"utf-8")}, S(L"h\u00e9llo")},
    {L"ReadBinaryToEncoded", M, {S(L"%T\\t.txt"), S(L"hex")}, S(L"EFBBBF68C3A96C6C6F")},
    {L"ReplaceStrings", M, {S(L"%T\\t.txt"), S(L"utf-8"), S(L"l"), S(L"L")}, L(2)},
    {L"FileCopy", M, {S(L"%T\\t.txt"), S(L"%T\\c.txt"), L(0)}, L(1)},
    {L"FileCopy", M, {S(L"%T\\t.txt"), S(L"%T\\c.txt"), L(-1)}, L(0)},
    {L"LastErrorText", G, {}, Has(L"Failed to copy file")},
    {L"LastErrorXml", G, {}, Has(L"Failed to copy file")},
    {L"LastErrorHtml", G, {}, Has(L"Failed to copy file")},
    {L"SaveLastError", M, {S(L"%T\\e\\error.xml")}, L(1)},
    {L"FileRename", M, {S(L"%T\\c.txt"), S(L"%T\\r.txt")}, L(1)},
    {L"FileDelete", M, {S(L"%T\\r.txt")}, L(1)},
    {L"WriteEntireFile", M, {S(L"%T\\b.bin"), B("\x01\x02\x03")}, L(1)},
    {L"OpenForRead", M, {S(L"%T\\b.bin")}, L(1)}, {L"FileOpenError", G, {}, L(0)},
    {L"FileOpenErrorMsg", G, {}, S(L"Success.")}, {L"FileRead", M, {L(2)}, B("\x01\x02")},
    {L"EndOfFile", G, {}, L(0)}, {L"FileRead", M, {L(5)}, B("\x03")}, {L"EndOfFile", G, {}, L(1)},
    {L"FileSeek", M, {L(1), L(0)}, L(1)}, {L"FileRead", M, {L(1)}, B("\x02")},
    {L"FileClose", M, {}, NoResult()}, {L"FileRead", M, {L(4)}, B("")},
    {L"OpenForWrite", M, {S(L"%T\\w.bin")}, L(1)}, {L"AppendUtf8BOM", M, {}, L(1)},
    {L"AppendUnicodeBOM", M, {}, L(1)}, {L"AppendText", M, {S(L"\u00e9"), S(L"utf-16be")}, L(1)},
    {L"AppendAnsi", M, {S(L"A")}, L(1)}, {L"FileWrite", M, {B(std::string("\0\x07", 2))}, L(1)},
    {L"OpenForAppend", M, {S(L"%T\\w.bin")}, L(1)}, {L"FileWrite", M, {S(L"Z")}, L(1)},
    {L"OpenForReadWrite", M, {S(L"%T\\w.bin")}, L(1)}, {L"FileRead", M, {L(100)}, B(writtenBytes)},
    {L"FileOpen", M, {S(L"%T\\none"), L(GENERIC_READ), L(0), L(OPEN_EXISTING), L(0)}, L(0)},
    {L"FileOpenError", G, {}, L(2)}, {L"FileOpenErrorMsg", G, {}, S(L"File not found.")},
    {L"FileOpen", M, {S(L"%T\\b.bin"), L(GENERIC_READ), L(1), L(OPEN_EXISTING), L(0)}, L(1)},
    {L"FileClose", M, {}, NoResult()},
    {L"SplitFile", M, {S(L"%T\\w.bin"), S(L"p"), S(L"part"), L(5), S(L"%T\\a")}, L(1)},
    {L"ReassembleFile", M, {S(L"%T\\a"), S(L"p"), S(L"part"), S(L"%T\\re.bin")}, L(1)},
    {L"ReadEntireFile", M, {S(L"%T\\re.bin")}, B(writtenBytes)},
    {L"TreeDelete", M, {S(L"%T\\a")}, L(1)}, {L"DirDelete", M, {S(L"%T\\a")}, L(1)},
    {L"GetTempFilename", M, {S(L"%T"), S(L"tx.dat")}, Prefix(L"%T\\tx_")},
    {L"SetCurrentDir", M, {S(L"%T\\e")}, L(1)}, {L"CurrentDir", G, {}, Has(L"%T\\e")},
    {L"DebugLogFilePath", P, {S(L"%T\\debug.log")}, NoResult()},
    {L"DebugLogFilePath", G, {}, S(L"%T\\debug.log")}, {L"VerboseLogging", P, {L(5)}, NoResult()},
    {L"VerboseLogging", G, {}, L(1)},
};

// Run in a directory holding sub\f.txt of three bytes.
const std::vector<Call> dirTreeCalls = {
    {L"DoneIterating", G, {}, L(1)}, {L"Recurse", G, {}, L(1)},
    {L"BaseDir", P, {S(L"%T")}, NoResult()}, {L"BaseDir", G, {}, S(L"%T")},
    {L"Recurse", P, {L(9)}, NoResult()}, {L"Recurse", G, {}, L(1)}, {L"BeginIterate", M, {}, L(1)},
    {L"DoneIterating", G, {}, L(0)}, {L"RelativePath", G, {}, S(L"sub")},
    {L"IsDirectory", G, {}, L(1)}, {L"FullPath", G, {}, S(L"%T\\sub")},
    {L"FullUncPath", G, {}, S(L"\\\\?\\%T\\sub")}, {L"AdvancePosition", M, {}, L(1)},
    {L"RelativePath", G, {}, S(L"sub\\f.txt")}, {L"IsDirectory", G, {}, L(0)},
    {L"FileSize32", G, {}, L(3)}, {L"AdvancePosition", M, {}, L(0)},
    {L"DoneIterating", G, {}, L(1)}, {L"FullPath", G, {}, S(L"")},
    {L"AdvancePosition", M, {}, L(0)},
    {L"LastErrorText", G, {}, Has(L"Already finished iterating directory tree.")},
    {L"LastErrorXml", G, {}, Has(L"Already finished iterating")},
    {L"LastErrorHtml", G, {}, Has(L"Already finished iterating")},
    {L"SaveLastError", M, {S(L"%T\\sub\\error.xml")}, L(1)}, {L"Recurse", P, {L(0)}, NoResult()},
    {L"BeginIterate", M, {}, L(1)}, {L"AdvancePosition", M, {}, L(0)},
    {L"DebugLogFilePath", P, {S(L"%T\\debug.log")}, NoResult()},
    {L"DebugLogFilePath", G, {}, S(L"%T\\debug.log")}, {L"VerboseLogging", P, {L(-1)}, NoResult()},
    {L"VerboseLogging", G, {}, L(1)},
};

// Failures reach the caller as results, never as HRESULTs.
const std::vector<Call> badFileAccessCalls = {
    {L"FileSize", M, {S(L"%T\\none")}, L(0)}, {L"FileExists", M, {Null()}, L(0)},
    {L"OpenForRead", M, {S(L"%T\\none")}, L(0)}, {L"FileOpenError", G, {}, L(2)},
    {L"OpenForWrite", M, {S(L"%T\\none\\x")}, L(0)},
    {L"FileOpen", M, {S(L""), L(GENERIC_READ), L(0), L(OPEN_EXISTING), L(0)}, L(0)},
    {L"FileRead", M, {L(0)}, B("")}, {L"FileWrite", M, {B("x")}, L(0)},
    {L"AppendText", M, {S(L"x"), S(L"utf-8")}, L(0)}, {L"AppendUtf8BOM", M, {}, L(0)},
    {L"FileSeek", M, {L(1), L(0)}, L(0)}, {L"ReadEntireFile", M, {Null()}, B("")},
    {L"ReadEntireTextFile", M, {S(L"%T\\none"), S(L"utf-8")}, S(L"")},
    {L"ReadBinaryToEncoded", M, {S(L"%T\\none"), S(L"base64")}, Null()},
    {L"WriteEntireFile", M, {S(L"%T\\none\\x"), B("x")}, L(0)},
    {L"WriteEntireTextFile", M, {S(L"%T\\none\\x"), S(L"x"), S(L"utf-8"), L(1)}, L(0)},
    {L"ReplaceStrings", M, {S(L"%T\\none"), S(L"utf-8"), S(L""), S(L"b")}, L(-1)},
    {L"LastErrorText", G, {}, Has(L"str1 is empty.")},
    {L"FileCopy", M, {S(L"%T\\none"), S(L"%T\\c"), L(0)}, L(0)},
    {L"FileRename", M, {S(L"%T\\none"), S(L"%T\\c")}, L(0)},
    // A file that is not there counts as deleted; a missing directory does not.
    {L"FileDelete", M, {S(L"%T\\none")}, L(1)}, {L"FileDelete", M, {S(L"%T\\none\\x")}, L(0)},
    {L"DirCreate", M, {S(L"%T\\none\\x")}, L(0)}, {L"DirDelete", M, {S(L"%T\\none")}, L(0)},
    {L"TreeDelete", M, {S(L"%T\\none")}, L(1)},
    {L"SplitFile", M, {S(L"%T\\none"), S(L"p"), S(L"e"), L(0), S(L"%T")}, L(0)},
    {L"SetCurrentDir", M, {S(L"%T\\none")}, L(0)}, {L"SaveLastError", M, {Null()}, L(0)},
    {L"GetTempFilename", M, {S(L"%T\\"), Null()}, Prefix(L"%T\\x_")},
};
// clang-format on

// A container's site; with a provider it offers services, with browser the web browser.
// The object only asks whether the browser is there, so the site stands in for it.
struct Site : IOleClientSite, IServiceProvider {
    Site(bool provider, bool browser) : provider(provider), browser(browser) {}
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        *out = riid == IID_IUnknown || riid == IID_IOleClientSite
                   ? static_cast<void *>(static_cast<IOleClientSite *>(this))
               : riid == IID_IServiceProvider && provider ? static_cast<IServiceProvider *>(this)
                                                          : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void **out) override {
        bool offered = browser && service == SID_SWebBrowserApp && riid == IID_IWebBrowser2;
        *out = offered ? static_cast<IServiceProvider *>(this) : nullptr;
        return offered ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    bool provider, browser;
    ULONG references = 1;
};

template <class I> std::wstring lastErrorText(I *object) {
    BSTR text = nullptr;
    object->get_LastErrorText(&text);
    std::wstring result = textOf(text);
    SysFreeString(text);
    return result;
}

// Behind a site offering the web browser the checked calls refuse with E_FAIL, their out
// parameter and the last error as they were; the others run.
template <class I>
void runRefused(I *object, const std::vector<Method<I>> &methods, const std::vector<Call> &calls,
                const std::wstring &dir, bool byName) {
    const LONGLONG untouched = 0x5eed5eed5eed5eedLL;
    for (const Call &call : calls) {
        const Method<I> &method = methodOf(methods, call);
        Args args(call.args, dir);
        std::wstring before = lastErrorText(object);
        VARIANT result;
        VariantInit(&result);
        result.llVal = untouched;
        EXCEPINFO exception = {};
        HRESULT hr = byName ? invokeByName(object, call.name, call.kind, args, &result, &exception)
                            : method.vtable(object, args, &result);
        for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
            SysFreeString(text);
        if (method.check == Open) {
            EXPECT_EQ(hr, S_OK) << toUtf8(call.name);
            VariantClear(&result);
            continue;
        }
        EXPECT_EQ(hr, byName ? DISP_E_EXCEPTION : E_FAIL) << toUtf8(call.name);
        // Invoke resets its result; the vtable leaves the out parameter alone.
        if (byName) {
            EXPECT_EQ(exception.scode, E_FAIL) << toUtf8(call.name);
        } else {
            EXPECT_EQ(result.llVal, untouched) << toUtf8(call.name);
        }
        EXPECT_EQ(lastErrorText(object), before) << toUtf8(call.name);
    }
}

// Each way of calling, with no site, a plain site, a service provider without the browser
// and one with it, starts in a fresh directory holding sub\f.txt of three bytes. No
// reference to the site, its provider or its browser is kept.
template <class I>
void runTables(REFCLSID clsid, REFIID iid, const std::vector<Method<I>> &methods,
               std::initializer_list<const std::vector<Call> *> tables) {
    for (int kind = 0; kind < 8; ++kind) {
        bool byName = kind & 1, hasSite = kind >= 2, browser = kind >= 6;
        TempDir dir;
        CurrentDirectoryGuard keepCurrentDir;
        CreateDirectoryA(dir.file("sub").c_str(), nullptr);
        ASSERT_TRUE(writeTestFile(dir.file("sub\\f.txt"), "abc"));
        Site site(kind >= 4, browser);
        {
            Com<I> object;
            ASSERT_EQ(Server::get().create(clsid, iid, object), S_OK);
            Com<IOleObject> control = object.template as<IOleObject>(IID_IOleObject);
            if (hasSite) {
                ASSERT_EQ(control->SetClientSite(&site), S_OK);
            }
            for (const Method<I> &method : methods) {
                DISPID id = DISPID_UNKNOWN;
                LPOLESTR name = const_cast<LPOLESTR>(method.name);
                EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
                EXPECT_EQ(id, method.id) << toUtf8(method.name);
            }
            for (const std::vector<Call> *calls : tables) {
                (browser ? runRefused<I> : runCalls<I>)(object.get(), methods, *calls,
                                                        toWide(dir.path()), byName);
            }
            if (hasSite) {
                ASSERT_EQ(control->SetClientSite(nullptr), S_OK);
            }
        }
        EXPECT_EQ(site.references, 1u) << "site of kind " << kind;
    }
}

TEST(DualInterface, EachCallGivesItsResultAndOnlyABrowserSiteStopsTheCheckedOnes) {
    runTables(CLSID_TxFileAccess, IID_ITxFileAccess, fileAccessMethods,
              {&fileAccessCalls, &badFileAccessCalls});
    runTables(CLSID_TxDirTree, IID_ITxDirTree, dirTreeMethods, {&dirTreeCalls});
}

// Handles open and bytes committed by the process.
std::pair<DWORD, SIZE_T> processUsage() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    // Wine counts no handles at all; there the handle values in use are probed.
    bool probe = handles == 0;
    for (ULONG_PTR value = 4; probe && value < 0x10000; value += 4) {
        DWORD flags;
        handles += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                         sizeof memory);
    // Wine leaves PrivateUsage at 0 and reports the committed bytes as PagefileUsage.
    return {handles, memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage};
}

TEST(DualInterface, FailingCallsOverAndOverHoldNoHandlesOrMemory) {
    TempDir dir;
    Com<ITxFileAccess> object;
    ASSERT_EQ(Server::get().create(CLSID_TxFileAccess, IID_ITxFileAccess, object), S_OK);
    auto pass = [&] {
        runCalls(object.get(), fileAccessMethods, badFileAccessCalls, toWide(dir.path()), true);
        runCalls(object.get(), fileAccessMethods, badFileAccessCalls, toWide(dir.path()), false);
    };
    // The first pass builds what lives until the process ends (tables, the type library).
    pass();
    auto before = processUsage();
    for (int i = 0; i < 300 && !HasFailure(); ++i)
        pass();
    auto after = processUsage();
    EXPECT_GT(before.first, 0u);
    EXPECT_LE(after.first, before.first + 2);
    EXPECT_GT(before.second, 0u);
    EXPECT_LE(after.second, before.second + 128 * 1024);
}

} // namespace
} // namespace comtest
