#include "frm.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "../com/LateBound.h"
#include "../control/xpForm.h"
#include "../errors/basError.h"
#include "../Resources.h"
#include "../com/Module.h"
#include "../forms/Region.h"
#include "../forms/Units.h"
#include "../subclass/basForm.h"

namespace nimbra {
namespace {

// Frame metrics by BorderStyle: title bar height normal and maximised, frame width (pixels).
struct Metrics {
    float title, titleMaximised, border;
};
constexpr Metrics kMetrics[] = {{0, 0, 0}, {29, 26, 3}, {30, 26, 4}, {29, 26, 3}, {21, 18, 3}, {22, 18, 4}};

long Twips(float pixels, bool horizontal) {
    const long px = static_cast<long>(pixels);
    return horizontal ? forms::PixelsToTwipsX(px) : forms::PixelsToTwipsY(px);
}

}  // namespace

frm::frm() = default;

frm::~frm() {
    // The host form gets its own window procedure back before anything goes.
    if (oSubClass) {
        VARIANT_BOOL ignored;
        oSubClass->StopSubClass(&ignored);
    }
}

long frm::HostLong(const wchar_t* property) {
    Variant v, n;
    GetByName(HostForm.Get(), property, &v);
    Check(VariantChangeType(&n, &v, 0, VT_I4));
    return n.lVal;
}

void frm::SetHostLong(const wchar_t* property, long value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    PutByName(HostForm.Get(), property, v);
}

HWND frm::HostHwnd() {
    // Handles travel as 32-bit numbers through the late-bound face.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(HostLong(L"hWnd")));
}

void frm::SetUCParent(IDispatch* prnt) {
    Guard(InSkin(L"SetUCParent")).Run([&] { HostForm = prnt; });
}

void frm::LoadForm() {
    Guard g(InSkin(L"LoadForm"));
    if (!HostForm) {
        g.Run([&] { Unload(forms::vbFormCode); });
        return;
    }
    g.Run(
        [&] {
            // An MDI child's skin lives in the same client window.
            HWND parent = ::GetParent(HostHwnd());
            if (parent) {
                SetWindowLongPtrW(hWnd(), GWL_STYLE, (GetWindowLongPtrW(hWnd(), GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
                SetParent(hWnd(), parent);
            }
        },
        [&] {
            oSubClass = Make<clsFormSubclass>(static_cast<MessageSink*>(this));
            VARIANT_BOOL started;
            oSubClass->StartSubclass(static_cast<LONG>(reinterpret_cast<LONG_PTR>(HostHwnd())), &started);
        },
        [&] {
            const HWND control = reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::stol(Tag.empty() ? L"0" : Tag)));
            ComPtr<xpForm> found;
            if (ControlFromhWnd(control, found)) OwnerControl = found;
        },
        [&] { SetFrameMetrics(); }, [&] { InitButtons(); }, [&] { SetCornersTransparency(); },
        [&] { SetDrawObj(); }, [&] { RoundButtons(); }, [&] { LayoutButtons(); }, [&] { DrawButtons(); });
}

void frm::RefreshForm() {
    Guard g(InSkin(L"RefreshForm"));
    if (!HostForm) return;
    g.Run([&] { SetFrameMetrics(); },
          [&] {
              BYTE t = 0;
              Check(OwnerControl ? OwnerControl->get_Transparency(&t) : E_POINTER);
              // 0 gives 252, never quite opaque; 99 gives 0. Ties go to the even neighbour.
              const double alpha = std::nearbyint((99.0 - t) / 100.0 * 255.0);
              SetTransparency(hWnd(), static_cast<short>(alpha));
          });
}

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

void frm::SetDrawObj() {
    Guard(InSkin(L"SetDrawObj")).Run([&] {
        cColorStyle scheme{};
        Check(OwnerControl ? OwnerControl->get_ColorStyle(&scheme) : E_POINTER);
        switch (scheme) {
        case cXPBlue:
            DrawObj = &b();
            CaptionColor = RGB(255, 255, 255), InactiveCaptionColor = RGB(216, 228, 248);
            CaptionShadowColor = RGB(10, 24, 131);
            break;
        case cXPSilver:
            DrawObj = &s();
            CaptionColor = RGB(0, 0, 0), InactiveCaptionColor = RGB(162, 161, 161);
            CaptionShadowColor = RGB(199, 194, 209);
            break;
        case cXPOlive:
            DrawObj = &o();
            CaptionColor = RGB(255, 255, 255), InactiveCaptionColor = RGB(255, 255, 255);
            CaptionShadowColor = RGB(65, 64, 10);
            break;
        default: break;  // nothing selected: the pieces fail in DrawXP, the caption stays black
        }
    });
}

void frm::DrawXP() {
    forms::Surface& d = Draw();
    const int sw = static_cast<int>(ScaleWidth()), sh = static_cast<int>(ScaleHeight());
    const int state = WindowState();
    int piece = 3;
    float captionX = 0, captionY = 0;
    bool tool = false;
    // A piece from the store, its half for the activation (top active, bottom inactive).
    auto half = [&](int index, int& w, int& h, int& sy) -> const forms::Picture& {
        if (!DrawObj || DrawObj->piece[index].Empty()) Raise(91, L"Object variable or With block variable not set");
        const forms::Picture& p = DrawObj->piece[index];
        w = p.Width();
        h = p.Height() / 2;
        sy = WindowActive ? 0 : h;
        return p;
    };
    auto property = [&](auto get, auto& value) { Check(OwnerControl ? (OwnerControl.Get()->*get)(&value) : E_POINTER); };
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
                 HBRUSH back = CreateSolidBrush(d.BackColor);
                 for (const RECT& r : strips) FillRect(d.hDC(), &r, back);
                 DeleteObject(back);
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
                 property(&xpForm::get_BorderStyle, style);
                 if (tool) {
                     const float a = style == cBorderFixedToolBox ? 4 : 3;
                     captionX = state == forms::vbNormal ? 3 : 0;
                     captionY = state == forms::vbNormal ? 8 - a : 5 - a;
                     return;
                 }
                 VARIANT_BOOL iconShow = VARIANT_FALSE;
                 property(&xpForm::get_IconShow, iconShow);
                 captionX = iconShow ? 26 : 6;
                 cColorStyle scheme{};
                 property(&xpForm::get_ColorStyle, scheme);
                 captionY = state == forms::vbMaximized ? 4 : scheme == cXPSilver ? 6 : 8;
             },
             [&] {
                 d.FontName = L"Trebuchet MS";
                 d.FontBold = true;
                 d.FontSize = tool ? 8.0f : 10.0f;
             },
             [&] {
                 Variant caption;
                 caption.vt = VT_BSTR;
                 property(&xpForm::get_Caption, caption.bstrVal);
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
                 property(&xpForm::get_IconShow, iconShow);
                 ComPtr<IPictureDisp> icon;
                 property(&xpForm::get_Icon, *icon.GetAddressOf());
                 ComPtr<IPicture> picture;
                 if (!iconShow || tool || !icon || FAILED(icon.As(&picture))) return;
                 OLE_HANDLE handle = 0;
                 SHORT type = 0;
                 Check(picture->get_Type(&type));
                 Check(picture->get_Handle(&handle));
                 const HANDLE h = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
                 if (type == PICTYPE_ICON)
                     DrawIconEx(d.hDC(), 6, static_cast<int>(captionY), static_cast<HICON>(h), 16, 16, 0, nullptr,
                                DI_NORMAL);
                 else if (type == PICTYPE_BITMAP)
                     d.PaintPicture(forms::Picture::FromBitmap(static_cast<HBITMAP>(CopyImage(h, IMAGE_BITMAP, 0, 0, 0))),
                                    6, static_cast<int>(captionY), 16, 16);
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

// ---- caption buttons ---------------------------------------------------------

void frm::Form_Load() {
    // The five buttons are made with the window: borderless picture boxes in
    // magenta (the strips' corner colour), 255 twips (17 pixels at 96 dpi) square.
    const int size = static_cast<int>(forms::TwipsToPixelsX(255));
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(), nullptr, nullptr, nullptr);
    struct Made {
        forms::PictureBox& box;
        const wchar_t* tip;
        HRESULT (STDMETHODCALLTYPE xpForm::*enabled)(VARIANT_BOOL*);
        const wchar_t* name;
        const wchar_t* prefix;
        void (frm::*click)();
    } made[] = {{bClose, L"Schließen", &xpForm::get_CloseButtonEnabled, L"close", L"bClose", &frm::bClose_Click},
                {bRestore, nullptr, &xpForm::get_MaxButtonEnabled, L"restore", L"bRestore", &frm::bRestore_Click},
                {bMinimize, L"Minimieren", &xpForm::get_MinButtonEnabled, L"minimize", L"bMinimize",
                 &frm::bMinimize_Click},
                {bHelp, L"Hilfe", &xpForm::get_HelpButtonEnabled, L"help", L"bHelp", &frm::bHelp_Click},
                {bTray, L"Tray", &xpForm::get_TrayButtonEnabled, L"tray", L"bTray", &frm::bTray_Click}};
    for (Made& m : made) {
        m.box.Create(hWnd(), 0, 0, size, size);
        m.box.Draw().BackColor = RGB(255, 0, 255);
        m.box.Cls();
        if (m.tip) SetTooltip(m.box, m.tip);
        const std::wstring prefix = m.prefix;
        auto enabled = m.enabled;
        const wchar_t* name = m.name;
        m.box.MouseDown = [this, enabled, name, prefix](int button, int, float, float) {
            Button_MouseDown(enabled, name, (prefix + L"_MouseDown").c_str(), button);
        };
        m.box.MouseMove = [this, enabled, prefix](int, int, float, float) {
            Button_MouseMove(enabled, (prefix + L"_MouseMove").c_str());
        };
        m.box.MouseUp = [this, enabled, prefix](int button, int, float, float) {
            Button_MouseUp(enabled, (prefix + L"_MouseUp").c_str(), button);
        };
        m.box.Click = [this, click = m.click] { (this->*click)(); };
        m.box.GotFocus = [this, prefix] { Button_GotFocus((prefix + L"_GotFocus").c_str()); };
    }
    tmrButtons.SetInterval(1);
    tmrButtons.SetEnabled(false);
    tmrButtons.Tick = [this] { tmrButtons_Timer(); };
}

void frm::SetTooltip(forms::PictureBox& button, const wchar_t* text) {
    if (!tooltips_ || !button.hWnd()) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hWnd();
    tool.uId = reinterpret_cast<UINT_PTR>(button.hWnd());
    tool.lpszText = const_cast<LPWSTR>(text);
    // One tool per button: an existing one only gets its new text (every
    // DrawButtons sets the restore button's, and a tool added each time would
    // pile up in the tooltip control).
    TOOLINFOW known = tool;
    known.lpszText = nullptr;
    if (SendMessageW(tooltips_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)))
        SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    else
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void frm::InitButtons() {
    Guard(InSkin(L"InitButtons")).Run([&] {
        const CaptionButton rows[] = {{},
                                      {5, &bClose, L"close"},
                                      {6, &bHelp, L"help"},
                                      {7, &bRestore, L"restore"},
                                      {8, &bMinimize, L"minimize"},
                                      {9, &bRestore, L"restore"},
                                      {10, &bTray, L"tray"}};
        for (int i = 1; i <= 6; ++i) Buttons[i] = rows[i];
    });
}

void frm::SetButtonProperties() {
    using Getter = HRESULT (STDMETHODCALLTYPE xpForm::*)(VARIANT_BOOL*);
    const std::pair<Getter, Getter> properties[] = {
        {},
        {&xpForm::get_CloseButtonEnabled, &xpForm::get_CloseButtonVisible},
        {&xpForm::get_HelpButtonEnabled, &xpForm::get_HelpButtonVisible},
        {&xpForm::get_MaxButtonEnabled, &xpForm::get_MaxButtonVisible},
        {&xpForm::get_MinButtonEnabled, &xpForm::get_MinButtonVisible},
        {&xpForm::get_MaxButtonEnabled, &xpForm::get_MaxButtonVisible},
        {&xpForm::get_TrayButtonEnabled, &xpForm::get_TrayButtonVisible}};
    Guard(InSkin(L"SetButtonProperties")).Run([&] {
        for (int i = 1; i <= 6; ++i) {
            VARIANT_BOOL enabled = VARIANT_FALSE, visible = VARIANT_FALSE;
            Check(OwnerControl ? (OwnerControl.Get()->*properties[i].first)(&enabled) : E_POINTER);
            Check((OwnerControl.Get()->*properties[i].second)(&visible));
            Buttons[i].Enabled = enabled != VARIANT_FALSE;
            Buttons[i].Visible = visible != VARIANT_FALSE;
        }
    });
}

void frm::LayoutButtons() {
    // No report: a failing step is skipped and the next one runs.
    const int t = WindowState() == forms::vbMaximized ? 2 : 6;
    auto top = [&](forms::PictureBox& b, int y) { IgnoreErrors([&] { b.Move(b.Left(), y, b.Width(), b.Height()); }); };
    top(bClose, t);
    for (forms::PictureBox* b : {&bRestore, &bMinimize, &bHelp, &bTray}) top(*b, bClose.Top());
    int x = static_cast<int>(ScaleWidth()), gap = t;
    for (int row : {1, 5, 4, 2, 6}) {
        IgnoreErrors([&] {
            forms::PictureBox& b = *Buttons[row].Control;
            b.Move(x - gap - b.Width(), b.Top(), b.Width(), b.Height());
            x = b.Left();
            gap = 2;
        });
    }
    ButtonsLeft = static_cast<float>(x);
}

void frm::SetButtonData() {
    Guard(InSkin(L"SetButtonData"))
        .Run([&] { SetCornersTransparency(); }, [&] { SetButtonProperties(); }, [&] { RoundButtons(); },
             [&] { LayoutButtons(); }, [&] { DrawButtons(); });
}

void frm::RoundButtons() {
    Guard(InSkin(L"RoundButtons")).Run([&] {
        for (forms::PictureBox* b : {&bClose, &bHelp, &bTray, &bMinimize, &bRestore}) {
            if (!b->hWnd()) continue;
            RECT client;
            GetClientRect(b->hWnd(), &client);
            forms::Region corners = forms::Region::RoundRect(0, 0, client.right + 1, client.bottom + 1, 2, 2);
            // The strips paint each frame's four corner pixels magenta; a 2-pixel
            // ellipse may cut none of them (Wine's does not), so they are cut too.
            const LONG right = client.right - 1, bottom = client.bottom - 1;
            for (POINT p : {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}})
                corners.Combine(forms::Region::Rect(p.x, p.y, p.x + 1, p.y + 1), RGN_DIFF);
            if (corners.IsShapeOf(b->hWnd())) continue;  // cut already: the buttons keep their size
            if (SetWindowRgn(b->hWnd(), corners.Get(), TRUE)) corners.Release();  // the button owns it now
        }
    });
}

frm::ButtonLook& frm::DrawnLook(const forms::PictureBox& box) {
    const forms::PictureBox* const controls[] = {&bClose, &bRestore, &bMinimize, &bHelp, &bTray};
    return drawn_[std::find(std::begin(controls), std::end(controls), &box) - std::begin(controls)];
}

bool frm::MouseIn(forms::PictureBox& button) {
    bool inside = false;
    Guard(InSkin(L"MouseIn")).Run([&] {
        if (!button.Enabled()) return;
        RECT r;
        POINT p;
        CheckWin32(GetWindowRect(button.hWnd(), &r));
        CheckWin32(GetCursorPos(&p));
        // The left column and the top row count as outside.
        inside = r.left < p.x && r.top < p.y && r.right > p.x && r.bottom > p.y;
    });
    return inside;
}

void frm::DrawButtons() {
    Guard(InSkin(L"DrawButtons")).Run([&] {
        if (!DrawObj) Raise(91, L"Object variable or With block variable not set");
        const bool tool = IsTool();
        const int state = WindowState();
        for (int i = 1; i <= 6; ++i) {
            CaptionButton& row = Buttons[i];
            if (!row.Control) continue;
            forms::PictureBox& box = *row.Control;
            const forms::Picture& strip = DrawObj->piece[row.PictureIndex];
            const int w = strip.Width(), h = strip.Height() / 8;
            // Hidden buttons take their size too: the layout keeps their slots at
            // the drawn width (21, or 13 in tool windows).
            if (tool) box.Move(box.Left(), box.Top(), 13, 13);
            else box.Move(box.Left(), box.Top(), w, h);
            // A tool window shows its close button only, whatever the other properties say.
            box.SetVisible(row.Visible && (!tool || &box == &bClose));
            if (!box.Visible()) continue;
            if ((state == forms::vbMaximized && i == 3) || (state == forms::vbNormal && i == 5)) continue;
            const bool inside = MouseIn(box);
            int frame = !row.Enabled                   ? 3
                        : !inside                      ? 0
                        : row.Name == PressedButton    ? 2
                        : PressedButton.empty()        ? 1
                                                       : 0;
            if (!WindowActive) frame += 4;
            // A button that shows this very frame already is left alone: the
            // hover timer and every re-layout call this, and each repaint is a
            // synchronous paint of the button.
            const ButtonLook look{&strip, frame, box.Width(), box.Height()};
            ButtonLook& drawn = DrawnLook(box);
            if (look == drawn) continue;
            box.Cls();
            box.PaintPicture(strip, 0, 0, box.Width(), box.Height(), 0, frame * h, w, h);
            box.Refresh();
            drawn = look;
        }
        SetTooltip(bRestore, state == forms::vbNormal ? L"Maximieren" : L"Verkleinern");
    });
}

void frm::tmrButtons_Timer() {
    Guard(InSkin(L"tmrButtons_Timer")).Run([&] {
        bool over = false;
        for (int i = 1; i <= 6; ++i)
            if (Buttons[i].Control && MouseIn(*Buttons[i].Control)) over = true;
        if (MousePointer() != forms::vbDefault) SetMousePointer(forms::vbDefault);
        DrawButtons();
        if (!over) tmrButtons.SetEnabled(false);
    });
}

void frm::Button_MouseDown(HRESULT (STDMETHODCALLTYPE xpForm::*enabled)(VARIANT_BOOL*), const wchar_t* name,
                           const wchar_t* procedure, int button) {
    Guard(InSkin(procedure)).Run([&] { SetFormFocus(); }, [&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check(OwnerControl ? (OwnerControl.Get()->*enabled)(&on) : E_POINTER);
        if (on && button == forms::vbLeftButton) PressedButton = name;
    });
}

void frm::Button_MouseMove(HRESULT (STDMETHODCALLTYPE xpForm::*enabled)(VARIANT_BOOL*), const wchar_t* procedure) {
    Guard(InSkin(procedure)).Run([&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check(OwnerControl ? (OwnerControl.Get()->*enabled)(&on) : E_POINTER);
        if (on) tmrButtons.SetEnabled(true);
    });
}

void frm::Button_MouseUp(HRESULT (STDMETHODCALLTYPE xpForm::*enabled)(VARIANT_BOOL*), const wchar_t* procedure,
                         int button) {
    Guard(InSkin(procedure)).Run([&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check(OwnerControl ? (OwnerControl.Get()->*enabled)(&on) : E_POINTER);
        if (on && button == forms::vbLeftButton) PressedButton.clear();
    });
}

forms::PictureBox* frm::ButtonOf(DISPID enabledProperty) {
    switch (enabledProperty) {
    case _xpFormId::CloseButtonEnabled: return &bClose;
    case _xpFormId::MaxButtonEnabled: return &bRestore;
    case _xpFormId::MinButtonEnabled: return &bMinimize;
    case _xpFormId::HelpButtonEnabled: return &bHelp;
    case _xpFormId::TrayButtonEnabled: return &bTray;
    default: return nullptr;
    }
}

void frm::KillBorder() {
    // The host's outer size becomes its former inside (both in twips).
    IgnoreErrors([&] { SetHostLong(L"Width", HostLong(L"ScaleWidth")); },
                 [&] { SetHostLong(L"Height", HostLong(L"ScaleHeight")); });
    Guard(InSkin(L"KillBorder")).Run([&] {
        const HWND host = HostHwnd();
        const LONG_PTR style = GetWindowLongPtrW(host, GWL_STYLE);
        // No frame change is announced: the next placement of the host applies it.
        SetWindowLongPtrW(host, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME));
    });
}

void frm::SetCornersTransparency() {
    Guard(InSkin(L"SetCornersTransparency")).Run([&] {
        const int sw = static_cast<int>(ScaleWidth()), sh = static_cast<int>(ScaleHeight());
        const int t = static_cast<int>(std::lround(TitleHeight)), b = static_cast<int>(std::lround(BorderWidth));
        const int state = WindowState();
        cFormBorderStyle style{};
        Check(OwnerControl ? OwnerControl->get_BorderStyle(&style) : E_POINTER);
        forms::Region outline = forms::Region::Rect(0, 0, sw, sh);
        if (state == forms::vbNormal && style >= cBorderFixed && style <= cBorderFixedDialog) {
            // Only the two top corners are rounded: the lower ones lie inside the rectangle.
            outline = forms::Region::RoundRect(0, 0, sw + 1, sh - 10, 11, 11);
            outline.Combine(forms::Region::Rect(0, 10, sw, sh), RGN_OR);
            // The title piece paints its corners magenta in steps of 5, 3, 2, 1
            // and 1 pixels. A platform's elliptic rounding may keep some of
            // them (Wine's cuts 3, 2, 1); those steps are cut as well, so no
            // magenta pixel shows on any platform.
            const int steps[] = {5, 3, 2, 1, 1};
            for (int y = 0; y < 5; ++y) {
                outline.Combine(forms::Region::Rect(0, y, steps[y], y + 1), RGN_DIFF);
                outline.Combine(forms::Region::Rect(sw - steps[y], y, sw, y + 1), RGN_DIFF);
            }
        }
        if (state == forms::vbNormal) {
            outline.Combine(forms::Region::Rect(0, 0, sw, sh), RGN_AND);
            outline.Combine(forms::Region::Rect(b, t, sw - b, sh - b), RGN_DIFF);  // the host lies in the hole
        } else if (state == forms::vbMaximized) {
            outline.Combine(forms::Region::Rect(0, 0, sw, sh), RGN_AND);
            outline.Combine(forms::Region::Rect(0, t, sw, sh), RGN_DIFF);
        }
        // A re-layout at the same size keeps the outline it has: no new shape, no repaint.
        if (outline.IsShapeOf(hWnd())) return;
        SetWindowRgn(hWnd(), nullptr, TRUE);
        // The window owns the region from here on.
        if (!SetWindowRgn(hWnd(), outline.Get(), TRUE)) Raise(5, L"Invalid procedure call or argument");
        outline.Release();
        Refresh();
    });
}

void frm::SetFrameMetrics() {
    IgnoreErrors([&] {
        cFormBorderStyle style{};
        Check(OwnerControl ? OwnerControl->get_BorderStyle(&style) : E_POINTER);
        if (style < 0 || style > 5) return;  // unknown styles keep what was there
        const Metrics& m = kMetrics[style];
        TitleHeight = WindowState() == forms::vbMaximized ? m.titleMaximised : m.title;
        BorderWidth = m.border;
    });
}

bool frm::IsTool() {
    bool tool = false;
    Guard(InSkin(L"IsTool")).Run([&] {
        cFormBorderStyle style{};
        Check(OwnerControl ? OwnerControl->get_BorderStyle(&style) : E_POINTER);
        tool = style == cBorderFixedToolBox || style == cBorderSizeableToolBox;
    });
    return tool;
}

void frm::PlaceHostForm() {
    // Every step runs, whatever the host refuses.
    IgnoreErrors([&] { SetHostLong(L"Top", Top() + Twips(TitleHeight, false)); });
    if (WindowState() == forms::vbNormal) {
        IgnoreErrors([&] { SetHostLong(L"Left", Left() + Twips(BorderWidth, true)); },
                     [&] { SetHostLong(L"Height", Twips(ScaleHeight() - TitleHeight - BorderWidth, false)); },
                     [&] { SetHostLong(L"Width", Twips(ScaleWidth() - 2 * BorderWidth, true)); });
    } else if (WindowState() == forms::vbMaximized) {
        IgnoreErrors([&] { SetHostLong(L"Left", 0); },
                     [&] { SetHostLong(L"Height", Twips(ScaleHeight() - TitleHeight, false)); },
                     [&] { SetHostLong(L"Width", Twips(static_cast<float>(ScaleWidth()), true)); });
    }
}

void frm::SetMePos() {
    bool topLevel = true;
    int hostState = 0;
    IgnoreErrors([&] { topLevel = ::GetParent(HostHwnd()) == nullptr; },
                 [&] { hostState = HostLong(L"WindowState"); });
    // A maximised top-level pair is where the system put it.
    if (topLevel && (hostState == forms::vbMaximized || WindowState() == forms::vbMaximized)) return;
    InSetMePos = true;
    IgnoreErrors([&] { SetLeft(HostLong(L"Left") - Twips(BorderWidth, true)); },
                 [&] { SetTop(HostLong(L"Top") - Twips(TitleHeight, false)); },
                 [&] { SetHeight(HostLong(L"Height") + Twips(TitleHeight + BorderWidth, false)); },
                 [&] { SetWidth(HostLong(L"Width") + Twips(2 * BorderWidth, true)); });
    InSetMePos = false;
}

void frm::LockWinPos() {
    HWND host = nullptr;
    Guard(InSkin(L"LockWinPos"))
        .Run([&] { host = HostHwnd(); }, [&] { LockWindow(host, true); },
             [&] {
                 // Two width changes run the resize handling twice: a full re-layout, same size.
                 if (WindowState() != forms::vbNormal) return;
                 SetWidth(Width() + 120);
                 SetWidth(Width() - 120);
             },
             [&] { LockWindow(host, false); });
}

void frm::MeFocus() {
    Guard(InSkin(L"MeFocus")).Run([&] { WindowActive = true; }, [&] { DrawXP(); }, [&] { DrawButtons(); },
                                  [&] { SetFocus(HostHwnd()); });
}

void frm::SetFormFocus() {
    Guard(InSkin(L"SetFormFocus")).Run([&] {
        ComPtr<IDispatch> form = OwnerControl ? OwnerControl->GetParent() : nullptr;
        if (!form) return;
        Variant h, n;
        GetByName(form.Get(), L"hWnd", &h);
        Check(VariantChangeType(&n, &h, 0, VT_I4));
        SetFocus(reinterpret_cast<HWND>(static_cast<LONG_PTR>(n.lVal)));
        WindowActive = true;
    });
}

void frm::Form_Activate() {
    Guard(InSkin(L"Form_Activate"))
        .Run([&] { KillBorder(); }, [&] { SetFrameMetrics(); },
             [&] {
                 KeepHostPos = true;
                 SetMePos();
                 KeepHostPos = false;
             },
             [&] { MeFocus(); }, [&] { SetButtonData(); }, [&] { LockWinPos(); }, [&] { DrawXP(); });
}

void frm::Form_GotFocus() { Guard(InSkin(L"Form_GotFocus")).Run([&] { MeFocus(); }); }

void frm::Form_QueryUnload(int&, int) {
    // The host form always gets its own window procedure back first; never cancelled.
    Guard(InSkin(L"Form_QueryUnload")).Run([&] {
        if (!oSubClass) return;
        VARIANT_BOOL ignored;
        oSubClass->StopSubClass(&ignored);
    });
}

void frm::Form_Unload(int&) {
    // An unloaded skin keeps neither its host form nor its control alive.
    HostForm.Reset();
    OwnerControl.Reset();
}

void frm::Form_Resize() {
    if (InSetMePos) return;
    Guard(InSkin(L"Form_Resize"))
        .Run([&] { SetCornersTransparency(); },
             [&] {
                 if (!KeepHostPos) PlaceHostForm();
             },
             [&] { DrawButtons(); }, [&] { DrawXP(); }, [&] { LayoutButtons(); }, [&] { RoundButtons(); });
}

}  // namespace nimbra
