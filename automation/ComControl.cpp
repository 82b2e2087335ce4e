#include "automation/ComControl.h"

#include <exdisp.h>
#include <shlguid.h>

namespace {

// OLEMISC_SETCLIENTSITEFIRST | INVISIBLEATRUNTIME | ACTIVATEWHENVISIBLE | INSIDEOUT |
// CANTLINKINSIDE | RECOMPOSEONRESIZE, as registered under MiscStatus.
const DWORD miscStatus = 0x20591;
// 1 inch by 1 inch in HIMETRIC until the container says otherwise.
const LONG defaultExtent = 2540;

template <class Interface> void release(Interface *&p) {
    if (p) p->Release();
    p = nullptr;
}

template <class Interface> IUnknown *as(ComControl &control) {
    return static_cast<Interface *>(&control);
}

struct ControlInterface {
    const IID &iid;
    IUnknown *(*from)(ComControl &);
};

// Each interface id with the base class that answers it.
const ControlInterface controlInterfaces[] = {
    {IID_IOleObject, as<IOleObject>},
    {IID_IOleControl, as<IOleControl>},
    {IID_IOleWindow, as<IOleInPlaceObjectWindowless>},
    {IID_IOleInPlaceObject, as<IOleInPlaceObjectWindowless>},
    {IID_IOleInPlaceObjectWindowless, as<IOleInPlaceObjectWindowless>},
    {IID_IOleInPlaceActiveObject, as<IOleInPlaceActiveObject>},
    {IID_IViewObject, as<IViewObjectEx>},
    {IID_IViewObject2, as<IViewObjectEx>},
    {IID_IViewObjectEx, as<IViewObjectEx>},
    {IID_IDataObject, as<IDataObject>},
    {IID_IPersist, as<IPersistStreamInit>},
    {IID_IPersistStreamInit, as<IPersistStreamInit>},
    {IID_IPersistStorage, as<IPersistStorage>},
    {IID_IQuickActivate, as<IQuickActivate>},
    {IID_ISpecifyPropertyPages, as<ISpecifyPropertyPages>},
    {IID_IProvideClassInfo, as<IProvideClassInfo2>},
    {IID_IProvideClassInfo2, as<IProvideClassInfo2>},
};

} // namespace

ComControl::ComControl(const Identity &identity)
    : m_identity(identity), m_references(1), m_clientSite(nullptr),
      m_viewSink(nullptr), m_extent{defaultExtent, defaultExtent} {
    module::lock();
}

ComControl::~ComControl() {
    release(m_clientSite);
    release(m_viewSink);
    module::unlock();
}

STDMETHODIMP ComControl::QueryInterface(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_identity.dualIid) *out = dual();
    for (const ControlInterface &entry : controlInterfaces) {
        if (!*out && riid == entry.iid) *out = entry.from(*this);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ComControl::AddRef() {
    return InterlockedIncrement(&m_references);
}

STDMETHODIMP_(ULONG) ComControl::Release() {
    LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP ComControl::SetClientSite(IOleClientSite *site) {
    if (site) site->AddRef();
    release(m_clientSite);
    m_clientSite = site;
    return S_OK;
}

STDMETHODIMP ComControl::GetClientSite(IOleClientSite **site) {
    if (!site) return E_POINTER;
    *site = m_clientSite;
    if (m_clientSite) m_clientSite->AddRef();
    return S_OK;
}

STDMETHODIMP ComControl::SetAdvise(DWORD, DWORD, IAdviseSink *sink) {
    if (sink) sink->AddRef();
    release(m_viewSink);
    m_viewSink = sink;
    return S_OK;
}

STDMETHODIMP ComControl::GetAdvise(DWORD *aspects, DWORD *flags, IAdviseSink **sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        *sink = m_viewSink;
        if (m_viewSink) m_viewSink->AddRef();
    }
    return S_OK;
}

STDMETHODIMP ComControl::GetUserClassID(CLSID *clsid) {
    if (!clsid) return E_POINTER;
    *clsid = m_identity.clsid;
    return S_OK;
}

STDMETHODIMP ComControl::GetUserType(DWORD form, LPOLESTR *type) {
    return OleRegGetUserType(m_identity.clsid, form, type);
}

STDMETHODIMP ComControl::SetExtent(DWORD aspect, SIZEL *size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP ComControl::GetExtent(DWORD aspect, SIZEL *size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP ComControl::GetMiscStatus(DWORD, DWORD *status) {
    if (!status) return E_POINTER;
    *status = miscStatus;
    return S_OK;
}

STDMETHODIMP ComControl::GetWindow(HWND *window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    return E_FAIL;
}

STDMETHODIMP ComControl::SetObjectRects(LPCRECT position, LPCRECT clip) {
    return position && clip ? S_OK : E_POINTER;
}

STDMETHODIMP ComControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT *result) {
    if (!result) return E_POINTER;
    *result = 0;
    return S_FALSE;
}

STDMETHODIMP ComControl::GetDropTarget(IDropTarget **target) {
    if (!target) return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ComControl::QuickActivate(QACONTAINER *container, QACONTROL *control) {
    if (!container || !control) return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    ULONG size = control->cbSize;
    *control = {};
    control->cbSize = size;
    GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
    GetViewStatus(&control->dwViewStatus);
    return S_OK;
}

STDMETHODIMP ComControl::GetPages(CAUUID *pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

STDMETHODIMP ComControl::GetSizeMax(ULARGE_INTEGER *size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP ComControl::GetControlInfo(CONTROLINFO *info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP ComControl::GetClassInfo(ITypeInfo **info) {
    if (!info) return E_POINTER;
    return module::typeInfo(m_identity.clsid, info);
}

STDMETHODIMP ComControl::GetGUID(DWORD kind, GUID *guid) {
    if (!guid) return E_POINTER;
    // The controls fire no events, so there is no source interface to name.
    *guid = GUID_NULL;
    return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_NOTIMPL : E_INVALIDARG;
}

bool ComControl::hostedInBrowser() const {
    if (!m_clientSite) return false;
    IServiceProvider *provider = nullptr;
    if (FAILED(m_clientSite->QueryInterface(IID_IServiceProvider,
                                            reinterpret_cast<void **>(&provider))))
        return false;
    IWebBrowser2 *browser = nullptr;
    HRESULT hr = provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                        reinterpret_cast<void **>(&browser));
    release(provider);
    if (FAILED(hr) || !browser) return false;
    release(browser);
    return true;
}
