// The control interfaces both classes offer a container, and the placeholder they draw.
#include "tests/automation/ComTest.h"

namespace comtest {
namespace {

const struct {
    const CLSID &clsid;
    const IID &dual;
    const char *designText;
} classes[] = {
    {CLSID_TxFileAccess, IID_ITxFileAccess, "TxFileAccess"},
    {CLSID_TxDirTree, IID_ITxDirTree, "ATL 3.0 : TxDirTree"},
};

TEST(Control, EachInterfaceLeadsBackToTheSameObject) {
    // clang-format off
    const IID *const controlInterfaces[] = {
        &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
        &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow,
        &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject, &IID_IPersistStreamInit,
        &IID_IPersist, &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IPersistStorage,
        &IID_IDataObject, &IID_IProvideClassInfo, &IID_IProvideClassInfo2};
    // clang-format on
    for (const auto &c : classes) {
        Com<IUnknown> object;
        ASSERT_EQ(Server::get().create(c.clsid, IID_IUnknown, object), S_OK);
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

// A 32-bit white bitmap selected into a memory device context.
class Canvas {
public:
    static const int width = 240, height = 120;
    Canvas() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
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
    bool framed(const RECT &r) {
        return dark(r.left, r.top + 5) && dark(r.right - 1, r.bottom - 5) &&
               dark(r.left + 5, r.top) && dark(r.right - 5, r.bottom - 1) &&
               !dark(r.left - 1, r.top - 1) && !dark(r.right, r.bottom);
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD *m_pixels = nullptr;
};

TEST(Control, DrawsItsBoundsAndItsNameCentredOnTheBaseline) {
    for (const auto &c : classes) {
        Com<IViewObject> view;
        ASSERT_EQ(Server::get().create(c.clsid, IID_IViewObject, view), S_OK);
        Canvas canvas;
        const RECT r = {10, 10, 230, 110};
        const RECTL bounds = {r.left, r.top, r.right, r.bottom};
        SetTextAlign(canvas.dc(), TA_RIGHT);
        EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                             nullptr, nullptr, 0),
                  S_OK);
        EXPECT_EQ(GetTextAlign(canvas.dc()), static_cast<UINT>(TA_RIGHT)) << c.designText;
        EXPECT_TRUE(canvas.framed(r)) << c.designText;
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

} // namespace
} // namespace comtest
