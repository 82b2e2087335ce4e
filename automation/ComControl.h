#pragma once

#include "automation/Module.h"

#include <ocidl.h>

// What both classes share: reference counting and QueryInterface over the interfaces
// an invisible-at-runtime control offers its container, the client site, the
// design-time drawing and the browser-host check. The class's own dual interface
// comes from the derived class through dual(). The control is windowless and keeps
// no state worth persisting, so activation and persistence succeed doing nothing.
class ComControl : public IOleObject,
                   public IOleControl,
                   public IOleInPlaceObjectWindowless,
                   public IOleInPlaceActiveObject,
                   public IViewObjectEx,
                   public IDataObject,
                   public IPersistStreamInit,
                   public IPersistStorage,
                   public IQuickActivate,
                   public ISpecifyPropertyPages,
                   public IProvideClassInfo2 {
public:
    struct Identity {
        const CLSID &clsid;
        const IID &dualIid;
        const char *designText;
    };

    explicit ComControl(const Identity &identity);
    virtual ~ComControl();
    ComControl(const ComControl &) = delete;
    ComControl &operator=(const ComControl &) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite *site) override;
    STDMETHODIMP GetClientSite(IOleClientSite **site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject **) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) override {
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB **) override { return OLEOBJ_E_NOVERBS; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID *clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR *type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL *size) override;
    STDMETHODIMP Advise(IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD *status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }

    // IOleControl: no mnemonics, no events to freeze.
    STDMETHODIMP GetControlInfo(CONTROLINFO *info) override;
    STDMETHODIMP OnMnemonic(MSG *) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject: a windowless
    // control has no window to give and no message or accelerator of its own.
    STDMETHODIMP GetWindow(HWND *window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
    STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT *result) override;
    STDMETHODIMP GetDropTarget(IDropTarget **target) override;
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IViewObjectEx and its bases
    STDMETHODIMP Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC hdc, LPCRECTL bounds,
                      LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink *sink) override;
    STDMETHODIMP GetAdvise(DWORD *aspects, DWORD *flags, IAdviseSink **sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE *, LPSIZEL size) override {
        return GetExtent(aspect, size);
    }
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
    STDMETHODIMP GetViewStatus(DWORD *status) override;
    STDMETHODIMP QueryHitPoint(DWORD, LPCRECT bounds, POINT where, LONG, DWORD *hit) override;
    STDMETHODIMP QueryHitRect(DWORD, LPCRECT bounds, LPCRECT rect, LONG, DWORD *hit) override;
    STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE *, HDC, DVEXTENTINFO *,
                                  LPSIZEL) override {
        return E_NOTIMPL;
    }

    // IDataObject: the design-time placeholder as an enhanced metafile, nothing else.
    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override;
    STDMETHODIMP GetDataHere(FORMATETC *, STGMEDIUM *) override { return DATA_E_FORMATETC; }
    STDMETHODIMP QueryGetData(FORMATETC *format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) override;
    STDMETHODIMP SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }

    // IPersist, IPersistStreamInit, IPersistStorage: nothing to load or save.
    STDMETHODIMP GetClassID(CLSID *clsid) override { return GetUserClassID(clsid); }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *size) override;
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP InitNew(IStorage *) override { return S_OK; }
    STDMETHODIMP Load(IStorage *) override { return S_OK; }
    STDMETHODIMP Save(IStorage *, BOOL) override { return S_OK; }
    STDMETHODIMP SaveCompleted(IStorage *) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

    // IQuickActivate: the site and the view sink in one call, no events to connect.
    STDMETHODIMP QuickActivate(QACONTAINER *container, QACONTROL *control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override {
        return SetExtent(DVASPECT_CONTENT, size);
    }
    STDMETHODIMP GetContentExtent(LPSIZEL size) override {
        return GetExtent(DVASPECT_CONTENT, size);
    }

    // ISpecifyPropertyPages: the properties are set by script, no page shows them.
    STDMETHODIMP GetPages(CAUUID *pages) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo **info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID *guid) override;

protected:
    virtual IDispatch *dual() = 0;
    // True when the client site says the object runs inside a web browser; methods
    // that touch the file system then refuse with E_FAIL.
    bool hostedInBrowser() const;

private:
    const Identity &m_identity;
    LONG m_references;
    IOleClientSite *m_clientSite;
    IAdviseSink *m_viewSink;
    SIZEL m_extent;
};
