// The skin's life: attaching to the host form and the control, its own
// activation, focus, resizing and unloading.
#include "frm.h"

#include <cmath>

#include "../com/LateBound.h"
#include "../subclass/basForm.h"

namespace nimbra {

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
    PutByName(HostForm.Get(), property, Int32(value));
}

SkinOwner& frm::Owner() {
    if (!OwnerControl) Raise(91);
    return *OwnerControl.Get();
}

ComPtr<SkinOwner> frm::HeldOwner() {
    if (!OwnerControl) Raise(91);
    return OwnerControl;
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
            const HWND control = reinterpret_cast<HWND>(static_cast<LONG_PTR>(CLng(Tag)));
            ComPtr<IUnknown> found;
            if (ControlFromhWnd(control, found)) Check(found.As(&OwnerControl));
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
              Check(Owner().get_Transparency(&t));
              // 0 gives 252, never quite opaque; 99 gives 0. Ties go to the even neighbour.
              const double alpha = std::nearbyint((99.0 - t) / 100.0 * 255.0);
              SetTransparency(hWnd(), static_cast<short>(alpha));
          });
}

void frm::MeFocus() {
    if (!Loaded()) return;
    Guard(InSkin(L"MeFocus")).Run([&] { WindowActive = true; }, [&] { DrawXP(); }, [&] { DrawButtons(); },
                                  [&] { SetFocus(HostHwnd()); });
}

void frm::SetFormFocus() {
    Guard(InSkin(L"SetFormFocus")).Run([&] {
        ComPtr<IDispatch> form = Owner().GetParent();
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
    // An unloaded skin keeps neither its host form nor its control alive, and
    // runs nothing: a menu request or a hover poll may still be pending.
    tmrSysMenu.SetEnabled(false);
    tmrButtons.SetEnabled(false);
    // The window goes next and takes its tooltips along; gone now, they leave
    // no handle behind that a later window could be given.
    tooltips_.reset();
    HostForm.Reset();
    OwnerControl.Reset();
}

void frm::Form_Resize() {
    if (!Loaded()) return;
    if (InSetMePos) return;
    Guard(InSkin(L"Form_Resize"))
        .Run([&] { SetCornersTransparency(); },
             [&] {
                 if (!KeepHostPos) PlaceHostForm();
             },
             [&] { DrawButtons(); }, [&] { DrawXP(); }, [&] { LayoutButtons(); }, [&] { RoundButtons(); });
}

}  // namespace nimbra
