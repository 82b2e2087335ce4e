#include "automation/ComControl.h"

#include <exdisp.h>
#include <shlguid.h>

#include <cstring>

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
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_identity.dualIid)
        *out = dual();
    else if (riid == IID_IOleObject)
        *out = static_cast<IOleObject *>(this);
    else if (riid == IID_IViewObject || riid == IID_IViewObject2 || riid == IID_IViewObjectEx)
        *out = static_cast<IViewObjectEx *>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
        *out = static_cast<IPersistStreamInit *>(this);
    else if (riid == IID_IOleControl)
        *out = static_cast<IOleControl *>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        *out = static_cast<IProvideClassInfo2 *>(this);
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

STDMETHODIMP ComControl::Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC hdc,
                              LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR),
                              ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdc || !bounds) return E_INVALIDARG;
    // The placeholder a form designer shows: the bounds and the class's name.
    Rectangle(hdc, bounds->left, bounds->top, bounds->right, bounds->bottom);
    UINT oldAlign = SetTextAlign(hdc, TA_CENTER | TA_BASELINE);
    const char *text = m_identity.designText;
    TextOutA(hdc, (bounds->left + bounds->right) / 2, (bounds->top + bounds->bottom) / 2, text,
             static_cast<int>(strlen(text)));
    SetTextAlign(hdc, oldAlign);
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

STDMETHODIMP ComControl::GetRect(DWORD aspect, LPRECTL rect) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!rect) return E_POINTER;
    *rect = {0, 0, m_extent.cx, m_extent.cy};
    return S_OK;
}

STDMETHODIMP ComControl::GetViewStatus(DWORD *status) {
    if (!status) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
}

STDMETHODIMP ComControl::QueryHitPoint(DWORD, LPCRECT bounds, POINT where, LONG, DWORD *hit) {
    if (!bounds || !hit) return E_POINTER;
    *hit = PtInRect(bounds, where) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP ComControl::QueryHitRect(DWORD, LPCRECT bounds, LPCRECT rect, LONG, DWORD *hit) {
    if (!bounds || !rect || !hit) return E_POINTER;
    RECT common;
    *hit = IntersectRect(&common, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
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
