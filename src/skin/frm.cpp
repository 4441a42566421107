#include "frm.h"

#include <cmath>

#include "../com/LateBound.h"
#include "../control/xpForm.h"
#include "../errors/basError.h"
#include "../forms/Region.h"
#include "../forms/Units.h"
#include "../subclass/basForm.h"

namespace nimbra {
namespace {

Procedure InSkin(const wchar_t* procedure) { return {procedure, kFormModule, L"frm"}; }

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
        SetWindowRgn(hWnd(), nullptr, TRUE);
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
        }
        if (state == forms::vbNormal) {
            outline.Combine(forms::Region::Rect(0, 0, sw, sh), RGN_AND);
            outline.Combine(forms::Region::Rect(b, t, sw - b, sh - b), RGN_DIFF);  // the host lies in the hole
        } else if (state == forms::vbMaximized) {
            outline.Combine(forms::Region::Rect(0, 0, sw, sh), RGN_AND);
            outline.Combine(forms::Region::Rect(0, t, sw, sh), RGN_DIFF);
        }
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
