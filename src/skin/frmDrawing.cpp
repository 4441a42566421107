// The skin's drawing: the colour schemes' picture stores, the frame metrics
// of each border style, and the title bar, frame, caption and icon.
#include "frm.h"
#include "frmGeometry.h"

#include <cmath>

#include "../Resources.h"
#include "../com/LateBound.h"
#include "../com/Module.h"
#include "../forms/Handles.h"
#include "../forms/Units.h"

namespace nimbra {

namespace {

frm::PictureStore LoadStore(int scheme) {
    frm::PictureStore store;
    for (int i = 0; i < 11; ++i)
        store.piece[i] = forms::Picture::BitmapResource(ModuleHandle(), IDB_PICTURE(scheme, i));
    return store;
}

}  // namespace

const frm::PictureStore& frm::b() {
    static const PictureStore store = LoadStore(0);
    return store;
}

const frm::PictureStore& frm::s() {
    static const PictureStore store = LoadStore(1);
    return store;
}

const frm::PictureStore& frm::o() {
    static const PictureStore store = LoadStore(2);
    return store;
}

const forms::Picture& frm::Strip(short index) {
    if (!DrawObj) Raise(91);
    if (index < 0 || index >= static_cast<short>(std::size(DrawObj->piece))) Raise(9);
    return DrawObj->piece[index];
}

void frm::SetDrawObj() {
    Guard(InSkin(L"SetDrawObj")).Run([&] {
        cColorStyle scheme{};
        Check(Owner().get_ColorStyle(&scheme));
        // An unknown scheme selects nothing: the pieces fail in DrawXP, the caption stays black.
        if (!skin::KnownScheme(scheme)) return;
        static const PictureStore& (*const stores[])() = {&b, &s, &o};
        DrawObj = &stores[scheme]();
        const skin::SchemeLook& look = skin::kSchemes[scheme];
        CaptionColor = look.caption, InactiveCaptionColor = look.inactiveCaption;
        CaptionShadowColor = look.captionShadow;
    });
}

void frm::DrawXP() {
    if (!Loaded()) return;
    forms::Surface& d = Draw();
    const int sw = static_cast<int>(ScaleWidth()), sh = static_cast<int>(ScaleHeight());
    const int state = WindowState();
    int piece = 3;
    float captionX = 0, captionY = 0;
    bool tool = false;
    // A piece from the store, its half for the activation (top active, bottom inactive).
    auto half = [&](int index, int& w, int& h, int& sy) -> const forms::Picture& {
        const forms::Picture& p = Strip(static_cast<short>(index));
        if (p.Empty()) Raise(91);
        w = p.Width();
        h = p.Height() / 2;
        sy = WindowActive ? 0 : h;
        return p;
    };
    auto property = [&](auto get, auto& value) { Check((Owner().*get)(&value)); };
    // What of the surface can show: the window's outline leaves the host's place
    // open, so a clear needs only the title bar and the frame strips (clearing
    // the whole surface costs several times more).
    std::vector<RECT> strips;
    {
        const int t = static_cast<int>(TitleHeight), bw = static_cast<int>(BorderWidth);
        if (state == forms::vbNormal)
            strips = {{0, 0, sw, t}, {0, t, bw, sh}, {sw - bw, t, sw, sh}, {0, sh - bw, sw, sh}};
        else if (state == forms::vbMaximized)
            strips = {{0, 0, sw, t}};
        else
            strips = {{0, 0, sw, sh}};
    }
    Guard(InSkin(L"DrawXP"))
        .Run([&] {
                 d.CurrentX = d.CurrentY = 0;
                 // Normal and maximised, the copies below cover every pixel of
                 // the strips: clearing them first would paint them twice.
                 const bool covered = DrawObj && state != forms::vbMinimized &&
                                      std::none_of(std::begin(DrawObj->piece), std::begin(DrawObj->piece) + 5,
                                                   [](const forms::Picture& p) { return p.Empty(); });
                 if (covered) return;
                 const forms::GdiObject<HBRUSH> back(CreateSolidBrush(d.BackColor));
                 for (const RECT& r : strips) FillRect(d.hDC(), &r, back.get());
             },
             [&] {
                 tool = IsTool();
                 piece = tool || state != forms::vbNormal ? 4 : 3;
             },
             [&] {
                 int w, h, sy;
                 const forms::Picture& p = half(piece, w, h, sy);
                 const int t = static_cast<int>(TitleHeight);
                 d.PaintPicture(p, 0, 0, w / 2, t, 0, sy, w / 2, h);
                 d.PaintPicture(p, w / 2, 0, sw - w, t, w / 2 - 2, sy, 4, h);
                 d.PaintPicture(p, sw - w / 2, 0, w / 2, t, w / 2, sy, w / 2, h);
             },
             [&] {
                 if (state != forms::vbNormal) return;
                 const int t = static_cast<int>(TitleHeight), bw = static_cast<int>(BorderWidth);
                 int w, h, sy;
                 const forms::Picture& left = half(1, w, h, sy);
                 d.PaintPicture(left, 0, t, bw, sh - t - bw, 0, sy, w, bw);
                 const forms::Picture& right = half(2, w, h, sy);
                 d.PaintPicture(right, sw - bw, t, bw, sh - t - bw, 0, sy, w, bw);
                 const forms::Picture& bottom = half(0, w, h, sy);
                 d.PaintPicture(bottom, 0, sh - bw, w / 2, bw, 0, sy, w / 2, h);
                 d.PaintPicture(bottom, w / 2, sh - bw, sw - w + 1, bw, w / 2 - 2, sy, 4, h);
                 d.PaintPicture(bottom, sw - w / 2, sh - bw, w / 2, bw, w / 2, sy, w / 2, h);
             },
             [&] {
                 cFormBorderStyle style{};
                 property(&SkinOwner::get_BorderStyle, style);
                 if (tool) {
                     captionX = skin::ToolCaptionLeft(state == forms::vbNormal);
                     captionY = skin::ToolCaptionTop(state == forms::vbNormal, style == cBorderFixedToolBox);
                     return;
                 }
                 VARIANT_BOOL iconShow = VARIANT_FALSE;
                 property(&SkinOwner::get_IconShow, iconShow);
                 captionX = iconShow ? skin::kCaptionLeftAfterIcon : skin::kCaptionLeft;
                 cColorStyle scheme{};
                 property(&SkinOwner::get_ColorStyle, scheme);
                 captionY = skin::CaptionTop(scheme, state == forms::vbMaximized);
             },
             [&] {
                 d.FontName = L"Trebuchet MS";
                 d.FontBold = true;
                 d.FontSize = tool ? 8.0f : 10.0f;
             },
             [&] {
                 Variant caption;
                 caption.vt = VT_BSTR;
                 property(&SkinOwner::get_Caption, caption.bstrVal);
                 const std::wstring text(caption.bstrVal ? caption.bstrVal : L"", SysStringLen(caption.bstrVal));
                 if (WindowActive) {
                     if (!tool || state == forms::vbMaximized) {
                         d.ForeColor = CaptionShadowColor;
                         d.CurrentX = captionX + 1;
                         d.CurrentY = captionY + 1;
                         d.Print(text);
                     }
                     d.ForeColor = CaptionColor;
                 } else {
                     d.ForeColor = InactiveCaptionColor;
                 }
                 d.CurrentX = captionX;
                 d.CurrentY = captionY;
                 d.Print(text);
             },
             [&] {
                 VARIANT_BOOL iconShow = VARIANT_FALSE;
                 property(&SkinOwner::get_IconShow, iconShow);
                 ComPtr<IPictureDisp> icon;
                 property(&SkinOwner::get_Icon, *icon.GetAddressOf());
                 ComPtr<IPicture> picture;
                 if (!iconShow || tool || !icon || FAILED(icon.As(&picture))) return;
                 OLE_HANDLE handle = 0;
                 SHORT type = 0;
                 Check(picture->get_Type(&type));
                 Check(picture->get_Handle(&handle));
                 const HANDLE h = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
                 // The icon shares the caption's top.
                 const int x = static_cast<int>(skin::kIconLeft), y = static_cast<int>(captionY);
                 const int size = static_cast<int>(skin::kIconSize);
                 if (type == PICTYPE_ICON)
                     DrawIconEx(d.hDC(), x, y, static_cast<HICON>(h), size, size, 0, nullptr, DI_NORMAL);
                 else if (type == PICTYPE_BITMAP)
                     d.PaintPicture(forms::Picture::FromBitmap(static_cast<HBITMAP>(CopyImage(h, IMAGE_BITMAP, 0, 0, 0))),
                                    x, y, size, size);
             },
             [&] {
                 // Tool windows keep only their close button.
                 if (!tool) return;
                 for (forms::PictureBox* b : {&bRestore, &bHelp, &bMinimize, &bTray}) b->SetVisible(false);
             },
             [&] {
                 // As a persistent surface does: the screen follows at the next
                 // paint. The window's outline already leaves out all but the
                 // strips, and one invalidation of the whole window is one
                 // round trip to the window server instead of a region's.
                 InvalidateRect(hWnd(), nullptr, FALSE);
             });
}

void frm::SetFrameMetrics() {
    IgnoreErrors([&] {
        cFormBorderStyle style{};
        Check(Owner().get_BorderStyle(&style));
        if (style < 0 || style > 5) return;  // unknown styles keep what was there
        const skin::Metrics& m = skin::kMetrics[style];
        TitleHeight = WindowState() == forms::vbMaximized ? m.titleMaximised : m.title;
        BorderWidth = m.border;
    });
}

bool frm::IsTool() {
    bool tool = false;
    Guard(InSkin(L"IsTool")).Run([&] {
        cFormBorderStyle style{};
        Check(Owner().get_BorderStyle(&style));
        tool = style == cBorderFixedToolBox || style == cBorderSizeableToolBox;
    });
    return tool;
}

}  // namespace nimbra
