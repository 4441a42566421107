// The window's shape: the host form loses its own border, the skin gets its
// rounded outline with the hole for the host form, and the buttons their round corners.
#include "frm.h"

#include <cmath>

#include "../forms/Region.h"
#include "../forms/Units.h"
#include "../subclass/basForm.h"

namespace nimbra {

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
    if (!Loaded()) return;
    Guard(InSkin(L"SetCornersTransparency")).Run([&] {
        const int sw = static_cast<int>(ScaleWidth()), sh = static_cast<int>(ScaleHeight());
        const int t = static_cast<int>(std::lround(TitleHeight)), b = static_cast<int>(std::lround(BorderWidth));
        const int state = WindowState();
        cFormBorderStyle style{};
        Check(Owner().get_BorderStyle(&style));
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
        if (!SetWindowRgn(hWnd(), outline.Get(), TRUE)) Raise(5);
        outline.Release();
        Refresh();
    });
}

void frm::RoundButtons() {
    if (!Loaded()) return;
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

}  // namespace nimbra
