#include "automation/ComControl.h"

#include <cstring>

// The design-time view: the placeholder a form designer shows, drawn into a device
// context or handed over as a picture.

STDMETHODIMP ComControl::Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC hdc,
                              LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR),
                              ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdc || !bounds) return E_INVALIDARG;
    Rectangle(hdc, bounds->left, bounds->top, bounds->right, bounds->bottom);
    UINT oldAlign = SetTextAlign(hdc, TA_CENTER | TA_BASELINE);
    const char *text = m_identity.designText;
    TextOutA(hdc, (bounds->left + bounds->right) / 2, (bounds->top + bounds->bottom) / 2, text,
             static_cast<int>(strlen(text)));
    SetTextAlign(hdc, oldAlign);
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

STDMETHODIMP ComControl::QueryGetData(FORMATETC *format) {
    if (!format) return E_POINTER;
    if (format->cfFormat != CF_ENHMETAFILE) return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_ENHMF)) return DV_E_TYMED;
    return format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

STDMETHODIMP ComControl::GetData(FORMATETC *format, STGMEDIUM *medium) {
    if (!medium) return E_POINTER;
    HRESULT hr = QueryGetData(format);
    if (hr != S_OK) return hr;
    // The frame is the extent in HIMETRIC; the drawing is in the pixels of the reference
    // device, whose physical size (not its logical inch) maps one onto the other.
    RECT frame = {0, 0, m_extent.cx, m_extent.cy};
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    if (!dc) return E_OUTOFMEMORY;
    // The default font, selected outright: Wine's recorder measures no text without it.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    RECTL bounds = {
        0, 0, MulDiv(m_extent.cx, GetDeviceCaps(dc, HORZRES), 100 * GetDeviceCaps(dc, HORZSIZE)),
        MulDiv(m_extent.cy, GetDeviceCaps(dc, VERTRES), 100 * GetDeviceCaps(dc, VERTSIZE))};
    Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
    HENHMETAFILE picture = CloseEnhMetaFile(dc);
    if (!picture) return E_OUTOFMEMORY;
    medium->tymed = TYMED_ENHMF;
    medium->hEnhMetaFile = picture;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP ComControl::GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) {
    if (!out) return E_POINTER;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}
