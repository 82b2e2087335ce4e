#include "automation/Module.h"

#include "automation/Classes.h"
#include "automation/Registrar.h"
#include "automation/TarnixFileAccess_h.h"

#include <new>

namespace {

HINSTANCE g_instance;
LONG g_lockCount;
CRITICAL_SECTION g_typeLibLock;
ITypeLib *g_typeLib;

class ClassFactory : public IClassFactory {
public:
    using Creator = HRESULT (*)(REFIID, void **);
    explicit ClassFactory(Creator creator) : m_creator(creator) {}

    // The factories are static; only LockServer keeps the module loaded.
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID riid, void **out) override {
        if (out) *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return m_creator(riid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            module::lock();
        else
            module::unlock();
        return S_OK;
    }

private:
    Creator m_creator;
};

ClassFactory g_fileAccessFactory(createTxFileAccess);
ClassFactory g_dirTreeFactory(createTxDirTree);

struct ClassEntry {
    const CLSID &clsid;
    ClassFactory &factory;
    int registryScript;
};

const ClassEntry g_classes[] = {
    {CLSID_TxFileAccess, g_fileAccessFactory, 102},
    {CLSID_TxDirTree, g_dirTreeFactory, 104},
};

bool modulePath(wchar_t (&path)[MAX_PATH + 1]) {
    DWORD n = GetModuleFileNameW(g_instance, path, MAX_PATH + 1);
    return n > 0 && n <= MAX_PATH;
}

HRESULT runScripts(HKEY classesRoot, bool install) {
    wchar_t path[MAX_PATH + 1];
    if (!modulePath(path)) return E_UNEXPECTED;
    wchar_t libid[40];
    StringFromGUID2(LIBID_TARNIXFILEACCESSLib, libid, 40);
    HRESULT result = S_OK;
    for (const ClassEntry &entry : g_classes) {
        HRSRC found =
            FindResourceW(g_instance, MAKEINTRESOURCEW(entry.registryScript), L"REGISTRY");
        HGLOBAL loaded = found ? LoadResource(g_instance, found) : nullptr;
        const char *script = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
        if (!script) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
        wchar_t clsid[40];
        StringFromGUID2(entry.clsid, clsid, 40);
        Registrar registrar(classesRoot);
        registrar.addReplacement(L"MODULE", path);
        registrar.addReplacement(L"CLSID", clsid);
        registrar.addReplacement(L"LIBID", libid);
        HRESULT hr = registrar.run(script, SizeofResource(g_instance, found), install);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

using RegisterFn = HRESULT(WINAPI *)(ITypeLib *, OLECHAR *, OLECHAR *);
using UnregisterFn = HRESULT(WINAPI *)(REFGUID, WORD, WORD, LCID, SYSKIND);

// The per-user variants exist only on newer systems, so all are looked up by name.
template <class Fn> Fn oleAutomation(const char *name) {
    HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    FARPROC found = oleaut ? GetProcAddress(oleaut, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(found));
}

// While one user is being registered, HKEY_CLASSES_ROOT stands for that user's
// classes, so a type library call that writes there (Wine's per-user calls do)
// still lands in the user's hive.
class ClassesRootOverride {
public:
    explicit ClassesRootOverride(HKEY userClasses) : m_active(userClasses != nullptr) {
        if (m_active) RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses);
    }
    ~ClassesRootOverride() {
        if (m_active) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    ClassesRootOverride(const ClassesRootOverride &) = delete;
    ClassesRootOverride &operator=(const ClassesRootOverride &) = delete;

private:
    bool m_active;
};

HRESULT registerTypeLib(bool perUser) {
    wchar_t path[MAX_PATH + 1];
    if (!modulePath(path)) return E_UNEXPECTED;
    ITypeLib *typeLib = nullptr;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &typeLib);
    if (FAILED(hr)) return hr;
    auto fn = oleAutomation<RegisterFn>(perUser ? "RegisterTypeLibForUser" : "RegisterTypeLib");
    hr = fn ? fn(typeLib, path, nullptr) : E_NOTIMPL;
    typeLib->Release();
    return hr;
}

bool typeLibRegistered(HKEY classesRoot) {
    wchar_t libid[40];
    StringFromGUID2(LIBID_TARNIXFILEACCESSLib, libid, 40);
    wchar_t key[64] = L"TypeLib\\";
    wcscat(key, libid);
    wcscat(key, L"\\1.0");
    HKEY opened;
    if (RegOpenKeyExW(classesRoot, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

HRESULT unregisterTypeLib(HKEY classesRoot, bool perUser) {
    // Unregistering twice is not an error; the calls themselves disagree on what an
    // absent library returns (Wine gives E_INVALIDARG), so look first.
    if (!typeLibRegistered(classesRoot)) return S_OK;
    auto fn =
        oleAutomation<UnregisterFn>(perUser ? "UnRegisterTypeLibForUser" : "UnRegisterTypeLib");
    if (!fn) return E_NOTIMPL;
    SYSKIND kind = sizeof(void *) == 8 ? SYS_WIN64 : SYS_WIN32;
    HRESULT hr = fn(LIBID_TARNIXFILEACCESSLib, 1, 0, LOCALE_NEUTRAL, kind);
    // The key may stay for the other bitness's registration alone.
    return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY ? S_OK : hr;
}

HRESULT registerAll(HKEY classesRoot, bool perUser) {
    ClassesRootOverride userRoot(perUser ? classesRoot : nullptr);
    HRESULT hr = runScripts(classesRoot, true);
    if (SUCCEEDED(hr)) hr = registerTypeLib(perUser);
    return hr;
}

HRESULT unregisterAll(HKEY classesRoot, bool perUser) {
    ClassesRootOverride userRoot(perUser ? classesRoot : nullptr);
    HRESULT scripts = runScripts(classesRoot, false);
    HRESULT typeLib = unregisterTypeLib(classesRoot, perUser);
    return FAILED(scripts) ? scripts : typeLib;
}

} // namespace

namespace module {

HINSTANCE instance() {
    return g_instance;
}
void lock() {
    InterlockedIncrement(&g_lockCount);
}
void unlock() {
    InterlockedDecrement(&g_lockCount);
}
LONG lockCount() {
    return InterlockedCompareExchange(&g_lockCount, 0, 0);
}

HRESULT typeInfo(REFGUID guid, ITypeInfo **out) {
    *out = nullptr;
    EnterCriticalSection(&g_typeLibLock);
    HRESULT hr = S_OK;
    if (!g_typeLib) {
        wchar_t path[MAX_PATH + 1];
        hr = modulePath(path) ? LoadTypeLibEx(path, REGKIND_NONE, &g_typeLib) : E_UNEXPECTED;
    }
    if (SUCCEEDED(hr)) hr = g_typeLib->GetTypeInfoOfGuid(guid, out);
    LeaveCriticalSection(&g_typeLibLock);
    return hr;
}

} // namespace module

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        InitializeCriticalSection(&g_typeLibLock);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process exit other DLLs may be gone already; only an unload frees.
        if (!reserved && g_typeLib) g_typeLib->Release();
        g_typeLib = nullptr;
        DeleteCriticalSection(&g_typeLibLock);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ClassEntry &entry : g_classes) {
        if (clsid == entry.clsid) return entry.factory.QueryInterface(riid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return module::lockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return registerAll(HKEY_CLASSES_ROOT, false);
}

STDAPI DllUnregisterServer() {
    return unregisterAll(HKEY_CLASSES_ROOT, false);
}

// regsvr32 /n /i:user registers for the current user only, under
// HKCU\Software\Classes, so no administrator rights are needed.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    bool perUser = commandLine && _wcsicmp(commandLine, L"user") == 0;
    if (!perUser) return install ? DllRegisterServer() : DllUnregisterServer();
    HKEY classes;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &classes, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    HRESULT hr = install ? registerAll(classes, true) : unregisterAll(classes, true);
    RegCloseKey(classes);
    return hr;
}

} // extern "C"
