// The module: when it may unload, its class objects, creation by ProgID and CLSID once
// registered, and the errors IDispatch reports from the type information.
#include "tests/automation/ComTest.h"

namespace comtest {
namespace {

TEST(Server, MayUnloadOnlyWithNoObjectAndNoLock) {
    auto canUnload = [] { return Server::get().call("DllCanUnloadNow"); };
    Com<IClassFactory> factory;
    Com<IUnknown> fileAccess, dirTree, refused;
    EXPECT_EQ(canUnload(), S_OK);
    ASSERT_EQ(Server::get().classObject(CLSID_TxFileAccess, factory), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, fileAccess.putVoid()), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(Server::get().create(CLSID_TxDirTree, IID_IUnknown, dirTree), S_OK);
    fileAccess.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    // One interface other than the object's IUnknown keeps it alive.
    Com<IUnknown> view = dirTree.as<IUnknown>(IID_IViewObject);
    dirTree.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    view.reset();
    EXPECT_EQ(canUnload(), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(canUnload(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersistPropertyBag, refused.putVoid()),
              E_NOINTERFACE);
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, refused.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_EQ(Server::get().classObject(CLSID_TxDirTree, factory), S_OK);
    EXPECT_EQ(Server::get().classObject(IID_ITxFileAccess, factory), CLASS_E_CLASSNOTAVAILABLE);
}

TEST(Server, OnceRegisteredIsCreatedByEachProgIdAndClsid) {
    const struct {
        const wchar_t *name;
        const CLSID &clsid;
        const IID &dual;
    } progIds[] = {
        {L"TarnixFileAccess.TxFileAccess.1", CLSID_TxFileAccess, IID_ITxFileAccess},
        {L"TarnixFileAccess.TxFileAccess", CLSID_TxFileAccess, IID_ITxFileAccess},
        {L"Tarnix.FileAccess.1", CLSID_TxFileAccess, IID_ITxFileAccess},
        {L"Tarnix.FileAccess", CLSID_TxFileAccess, IID_ITxFileAccess},
        {L"Tarnix.DirTree.1", CLSID_TxDirTree, IID_ITxDirTree},
        {L"Tarnix.DirTree", CLSID_TxDirTree, IID_ITxDirTree},
    };
    CLSID clsid;
    for (const auto &p : progIds)
        ASSERT_NE(CLSIDFromProgID(p.name, &clsid), S_OK) << toUtf8(p.name) << " was registered";
    // Wine has no per-user view of the classes, so the test registers for the machine.
    ASSERT_EQ(Server::get().call("DllRegisterServer"), S_OK);
    for (const auto &p : progIds) {
        clsid = CLSID_NULL;
        EXPECT_EQ(CLSIDFromProgID(p.name, &clsid), S_OK) << toUtf8(p.name);
        EXPECT_TRUE(clsid == p.clsid) << toUtf8(p.name);
        Com<IDispatch> object;
        EXPECT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid()),
            S_OK);
        EXPECT_TRUE(object.as<IUnknown>(p.dual).get()) << toUtf8(p.name);
    }
    EXPECT_EQ(Server::get().call("DllUnregisterServer"), S_OK);
    for (const auto &p : progIds)
        EXPECT_NE(CLSIDFromProgID(p.name, &clsid), S_OK) << toUtf8(p.name) << " is left";
}

TEST(Server, DispatchRefusesWhatTheTypeLibraryDoesNotAllow) {
    const UINT anyArg = ~0u;
    // Arguments are counted and coerced by the type information, before the method runs.
    const struct {
        const wchar_t *name;
        Kind kind;
        std::vector<Val> args;
        HRESULT hr;
        UINT argError;
    } badInvokes[] = {
        {L"FileSize", M, {}, DISP_E_BADPARAMCOUNT, anyArg},
        {L"FileSize", M, {S(L"a"), S(L"b")}, DISP_E_BADPARAMCOUNT, anyArg},
        {L"FileSeek", M, {S(L"abc"), L(0)}, DISP_E_TYPEMISMATCH, 1},
        {L"FileSeek", M, {L(0), S(L"abc")}, DISP_E_TYPEMISMATCH, 0},
        {L"FileSeek", M, {S(L"12"), S(L"0")}, S_OK, anyArg},
        {L"fileexists", M, {S(L"")}, S_OK, anyArg},
        {L"LastErrorText", P, {S(L"x")}, DISP_E_MEMBERNOTFOUND, anyArg},
        {L"NoSuchMethod", M, {}, DISP_E_UNKNOWNNAME, anyArg},
    };
    Com<ITxFileAccess> object;
    ASSERT_EQ(Server::get().create(CLSID_TxFileAccess, IID_ITxFileAccess, object), S_OK);
    for (const auto &bad : badInvokes) {
        Args args(bad.args, L"");
        Variant result;
        UINT argError = anyArg;
        EXPECT_EQ(invokeByName(object.get(), bad.name, bad.kind, args, &result, nullptr, &argError),
                  bad.hr)
            << toUtf8(bad.name);
        // Wine does not say which argument failed.
        if (bad.argError != anyArg && !runningUnderWine()) {
            EXPECT_EQ(argError, bad.argError) << toUtf8(bad.name);
        }
    }
    DISPPARAMS none = {};
    DISPID id;
    LPOLESTR name = const_cast<LPOLESTR>(L"FileClose");
    EXPECT_EQ(object->Invoke(999, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(object->Invoke(4, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(object->GetIDsOfNames(IID_IUnknown, &name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    Com<ITypeInfo> info;
    EXPECT_EQ(object->GetTypeInfo(1, 0, info.put()), DISP_E_BADINDEX);
    ASSERT_EQ(object->GetTypeInfo(0, 0, info.put()), S_OK);
    BSTR interfaceName = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &interfaceName, nullptr, nullptr, nullptr);
    EXPECT_EQ(textOf(interfaceName), L"ITxFileAccess");
    SysFreeString(interfaceName);
}

} // namespace
} // namespace comtest
