// The control interfaces both classes offer a container, and the placeholder they draw.
#include "tests/automation/ComTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace comtest {
namespace {

struct ClassCase {
    const CLSID &clsid;
    const IID &dual;
    const char *designText;
};
const ClassCase classes[] = {
    {CLSID_TxFileAccess, IID_ITxFileAccess, "TxFileAccess"},
    {CLSID_TxDirTree, IID_ITxDirTree, "ATL 3.0 : TxDirTree"},
};

Com<IUnknown> create(const ClassCase &c) {
    Com<IUnknown> object;
    EXPECT_EQ(Server::get().create(c.clsid, IID_IUnknown, object), S_OK);
    return object;
}

const IID *const controlInterfaces[] = {
    &IID_IDispatch,
    &IID_IViewObjectEx,
    &IID_IViewObject2,
    &IID_IViewObject,
    &IID_IOleInPlaceObjectWindowless,
    &IID_IOleInPlaceObject,
    &IID_IOleWindow,
    &IID_IOleInPlaceActiveObject,
    &IID_IOleControl,
    &IID_IOleObject,
    &IID_IPersistStreamInit,
    &IID_IPersist,
    &IID_ISpecifyPropertyPages,
    &IID_IQuickActivate,
    &IID_IPersistStorage,
    &IID_IDataObject,
    &IID_IProvideClassInfo,
    &IID_IProvideClassInfo2,
};

TEST(Control, EachInterfaceLeadsBackToTheSameObject) {
    for (const ClassCase &c : classes) {
        Com<IUnknown> object = create(c);
        for (const IID *iid : controlInterfaces) {
            Com<IUnknown> face = object.as<IUnknown>(*iid);
            ASSERT_TRUE(face.get()) << c.designText;
            EXPECT_EQ(face.as<IUnknown>(IID_IUnknown).get(), object.get());
            EXPECT_TRUE(face.as<IUnknown>(c.dual).get());
        }
        EXPECT_FALSE(object.as<IUnknown>(IID_IPersistPropertyBag).get());
        EXPECT_FALSE(object.as<IUnknown>(IID_IConnectionPointContainer).get());
    }
}

// A sink the view reports changes to; only counted.
struct Sink : IAdviseSinkEx {
    STDMETHODIMP QueryInterface(REFIID, void **out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP_(void) OnDataChange(FORMATETC *, STGMEDIUM *) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
    STDMETHODIMP_(void) OnRename(IMoniker *) override {}
    STDMETHODIMP_(void) OnSave() override {}
    STDMETHODIMP_(void) OnClose() override {}
    STDMETHODIMP_(void) OnViewStatusChange(DWORD) override {}
    ULONG references = 1;
};

// What an invisible-at-runtime, windowless control answers its container.
const std::pair<const char *, std::function<void(const Com<IUnknown> &, const ClassCase &)>>
    containerCalls[] = {
        {"misc status and class",
         [](const Com<IUnknown> &o, const ClassCase &c) {
             DWORD status = 0;
             CLSID clsid = CLSID_NULL, persisted = CLSID_NULL;
             EXPECT_EQ(o.as<IOleObject>(IID_IOleObject)->GetMiscStatus(DVASPECT_CONTENT, &status),
                       S_OK);
             EXPECT_EQ(status, 0x20591u);
             o.as<IOleObject>(IID_IOleObject)->GetUserClassID(&clsid);
             o.as<IPersist>(IID_IPersist)->GetClassID(&persisted);
             EXPECT_TRUE(clsid == c.clsid && persisted == c.clsid);
         }},
        {"class information",
         [](const Com<IUnknown> &o, const ClassCase &c) {
             Com<ITypeInfo> info;
             auto provider = o.as<IProvideClassInfo2>(IID_IProvideClassInfo2);
             ASSERT_EQ(provider->GetClassInfo(info.put()), S_OK);
             TYPEATTR *attributes = nullptr;
             ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
             EXPECT_TRUE(attributes->guid == c.clsid && attributes->typekind == TKIND_COCLASS);
             info->ReleaseTypeAttr(attributes);
         }},
        {"quick activation",
         [](const Com<IUnknown> &o, const ClassCase &) {
             Sink sink;
             QACONTAINER container = {};
             container.cbSize = sizeof container;
             container.pAdviseSink = &sink;
             QACONTROL control = {};
             control.cbSize = sizeof control;
             EXPECT_EQ(
                 o.as<IQuickActivate>(IID_IQuickActivate)->QuickActivate(&container, &control),
                 S_OK);
             EXPECT_EQ(control.dwMiscStatus, 0x20591u);
             EXPECT_EQ(control.dwEventCookie, 0u);
             EXPECT_EQ(sink.references, 2u);
             QACONTROL old = {};
             old.cbSize = sizeof old - 4;
             EXPECT_EQ(o.as<IQuickActivate>(IID_IQuickActivate)->QuickActivate(&container, &old),
                       E_INVALIDARG);
             o.as<IViewObject>(IID_IViewObject)->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
             EXPECT_EQ(sink.references, 1u);
         }},
        {"windowless and without pages",
         [](const Com<IUnknown> &o, const ClassCase &) {
             HWND window = HWND_BROADCAST;
             EXPECT_EQ(o.as<IOleWindow>(IID_IOleWindow)->GetWindow(&window), E_FAIL);
             EXPECT_EQ(window, nullptr);
             LRESULT result = 1;
             auto windowless = o.as<IOleInPlaceObjectWindowless>(IID_IOleInPlaceObjectWindowless);
             EXPECT_EQ(windowless->OnWindowMessage(WM_KEYDOWN, 0, 0, &result), S_FALSE);
             MSG message = {};
             EXPECT_EQ(o.as<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject)
                           ->TranslateAccelerator(&message),
                       S_FALSE);
             CAUUID pages = {7, nullptr};
             EXPECT_EQ(o.as<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages)->GetPages(&pages),
                       S_OK);
             EXPECT_EQ(pages.cElems, 0u);
         }},
        {"a picture only",
         [](const Com<IUnknown> &o, const ClassCase &) {
             auto data = o.as<IDataObject>(IID_IDataObject);
             FORMATETC picture = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
             FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
             EXPECT_EQ(data->QueryGetData(&picture), S_OK);
             EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
             STGMEDIUM medium = {};
             EXPECT_EQ(data->GetData(&text, &medium), DV_E_FORMATETC);
         }},
};

TEST(Control, AContainerGetsWhatAWindowlessInvisibleControlGives) {
    for (const ClassCase &c : classes) {
        Com<IUnknown> object = create(c);
        for (const auto &call : containerCalls) {
            SCOPED_TRACE(std::string(c.designText) + ": " + call.first);
            call.second(object, c);
        }
    }
}

// A 32-bit white bitmap selected into a memory device context.
class Canvas {
public:
    static const int width = 240, height = 120;
    Canvas() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS,
                                    reinterpret_cast<void **>(&m_pixels), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        PatBlt(m_dc, 0, 0, width, height, WHITENESS);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    HDC dc() const { return m_dc; }
    bool dark(int x, int y) {
        GdiFlush();
        return (m_pixels[y * width + x] & 0xffffff) != 0xffffff;
    }
    // The box of the dark pixels strictly inside r.
    RECT ink(const RECT &r) {
        RECT box = {r.right, r.bottom, r.left, r.top};
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                if (!dark(x, y)) continue;
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
            }
        }
        return box;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD *m_pixels = nullptr;
};

bool framed(Canvas &canvas, const RECT &r) {
    return canvas.dark(r.left, r.top + 5) && canvas.dark(r.right - 1, r.bottom - 5) &&
           canvas.dark(r.left + 5, r.top) && canvas.dark(r.right - 5, r.bottom - 1) &&
           !canvas.dark(r.left - 1, r.top - 1) && !canvas.dark(r.right, r.bottom);
}

TEST(Control, DrawsItsBoundsAndItsNameCentredOnTheBaseline) {
    for (const ClassCase &c : classes) {
        Com<IUnknown> object = create(c);
        Canvas canvas;
        const RECT r = {10, 10, 230, 110};
        const RECTL bounds = {r.left, r.top, r.right, r.bottom};
        SetTextAlign(canvas.dc(), TA_RIGHT);
        EXPECT_EQ(object.as<IViewObject>(IID_IViewObject)
                      ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                             nullptr, nullptr, 0),
                  S_OK);
        EXPECT_EQ(GetTextAlign(canvas.dc()), static_cast<UINT>(TA_RIGHT)) << c.designText;
        EXPECT_TRUE(framed(canvas, r)) << c.designText;
        SIZE text = {};
        TEXTMETRICA metrics = {};
        GetTextExtentPoint32A(canvas.dc(), c.designText, lstrlenA(c.designText), &text);
        GetTextMetricsA(canvas.dc(), &metrics);
        RECT ink = canvas.ink(r);
        const int centre = 120, baseline = 60;
        EXPECT_NEAR(ink.left + ink.right, 2 * centre, 4) << c.designText;
        EXPECT_NEAR(ink.right - ink.left, text.cx, 4) << c.designText;
        EXPECT_GE(ink.top, baseline - metrics.tmAscent) << c.designText;
        EXPECT_LE(ink.bottom, baseline + metrics.tmDescent) << c.designText;
        EXPECT_GE(ink.bottom, baseline - 2) << c.designText;
    }
}

TEST(Control, GivesThePlaceholderAsAPictureOfItsExtent) {
    for (const ClassCase &c : classes) {
        Com<IUnknown> object = create(c);
        SIZEL extent = {5080, 2540};
        ASSERT_EQ(object.as<IQuickActivate>(IID_IQuickActivate)->SetContentExtent(&extent), S_OK);
        FORMATETC format = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
        STGMEDIUM medium = {};
        ASSERT_EQ(object.as<IDataObject>(IID_IDataObject)->GetData(&format, &medium), S_OK);
        ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_ENHMF));
        ENHMETAHEADER header = {};
        GetEnhMetaFileHeader(medium.hEnhMetaFile, sizeof header, &header);
        EXPECT_TRUE(header.rclFrame.right == 5080 && header.rclFrame.bottom == 2540);
        // Played at the size it was drawn at, on the device it was drawn for.
        Canvas canvas;
        const RECT r = {10, 10,
                        10 + MulDiv(5080, header.szlDevice.cx, 100 * header.szlMillimeters.cx),
                        10 + MulDiv(2540, header.szlDevice.cy, 100 * header.szlMillimeters.cy)};
        EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), medium.hEnhMetaFile, &r));
        ReleaseStgMedium(&medium);
        EXPECT_TRUE(framed(canvas, r)) << c.designText;
        SIZE text = {};
        GetTextExtentPoint32A(canvas.dc(), c.designText, lstrlenA(c.designText), &text);
        RECT ink = canvas.ink(r);
        EXPECT_NEAR(ink.left + ink.right, r.left + r.right, 4) << c.designText;
        EXPECT_NEAR(ink.right - ink.left, text.cx, 8) << c.designText;
    }
}

} // namespace
} // namespace comtest
