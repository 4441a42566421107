// Placement: the host form follows the skin, the skin wraps the host form, and
// a full re-layout with the host's redrawing off.
#include "frm.h"

#include "../forms/Units.h"
#include "../subclass/basForm.h"

namespace nimbra {

void frm::PlaceHostForm() {
    if (!Loaded()) return;
    // Every step runs, whatever the host refuses.
    IgnoreErrors([&] { SetHostLong(L"Top", Top() + forms::PixelsToTwipsY(TitleHeight)); });
    if (WindowState() == forms::vbNormal) {
        IgnoreErrors([&] { SetHostLong(L"Left", Left() + forms::PixelsToTwipsX(BorderWidth)); },
                     [&] { SetHostLong(L"Height", forms::PixelsToTwipsY(ScaleHeight() - TitleHeight - BorderWidth)); },
                     [&] { SetHostLong(L"Width", forms::PixelsToTwipsX(ScaleWidth() - 2 * BorderWidth)); });
    } else if (WindowState() == forms::vbMaximized) {
        IgnoreErrors([&] { SetHostLong(L"Left", 0); },
                     [&] { SetHostLong(L"Height", forms::PixelsToTwipsY(ScaleHeight() - TitleHeight)); },
                     [&] { SetHostLong(L"Width", forms::PixelsToTwipsX(ScaleWidth())); });
    }
}

void frm::SetMePos() {
    if (!Loaded()) return;
    int hostState = 0;
    IgnoreErrors([&] { hostState = HostLong(L"WindowState"); });
    // A maximised top-level pair is where the system put it; a maximised pair
    // inside a parent (an MDI child's) fills the parent's inside the same way.
    if (hostState == forms::vbMaximized || WindowState() == forms::vbMaximized) return;
    InSetMePos = true;
    IgnoreErrors([&] { SetLeft(HostLong(L"Left") - forms::PixelsToTwipsX(BorderWidth)); },
                 [&] { SetTop(HostLong(L"Top") - forms::PixelsToTwipsY(TitleHeight)); },
                 [&] { SetHeight(HostLong(L"Height") + forms::PixelsToTwipsY(TitleHeight + BorderWidth)); },
                 [&] { SetWidth(HostLong(L"Width") + forms::PixelsToTwipsX(2 * BorderWidth)); });
    InSetMePos = false;
}

void frm::LockWinPos() {
    if (!Loaded()) return;
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

}  // namespace nimbra
