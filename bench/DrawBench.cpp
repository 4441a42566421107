// The cost of one full repaint of the skin: DrawXP on a 1280 x 1024 skin and
// the paint the system then runs for the invalidated window (pumped inside
// the timed region, so nothing is left for later), against a plain form of
// the forms engine of the same size repainting itself (invalidated and
// updated), and against one BitBlt of a 1280 x 1024 surface for reference,
// side by side in one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "BenchClock.h"
#include "../src/control/xpForm.h"
#include "../src/forms/Units.h"
#include "../src/skin/SkinWindow.h"
#include "../src/skin/frm.h"
#include "../src/skin/SkinTestApi.h"

using namespace nimbra;

int main() {
    CoInitialize(nullptr);
    constexpr int kWidth = 1280, kHeight = 1024, kRounds = 5, kCount = 40;

    auto control = Make<xpForm>();
    control->InitNew();  // no container: design time, nothing starts
    BSTR caption = SysAllocString(L"Kundendaten \x2013 \xdc" L"bersicht");
    control->put_Caption(caption);
    SysFreeString(caption);

    frm* skin = NewSkinWindow();
    if (!skin->Load(WS_POPUP | WS_CLIPCHILDREN)) {  // as the control starts it
        std::printf("repaint: the skin window could not be created (no display?)\n");
        return 1;
    }
    SkinTestApi::SwapOwner(*skin, control);
    skin->SetDrawObj();
    skin->Move(0, 0, forms::PixelsToTwipsX(kWidth), forms::PixelsToTwipsY(kHeight));
    skin->SetFrameMetrics();
    skin->SetCornersTransparency();
    // Shown without activation: there is no host form to hand the focus to,
    // so the skin paints its inactive look (the same pieces, no caption shadow).
    ShowWindow(skin->hWnd(), SW_SHOWNOACTIVATE);

    // A plain form of the same size beside it, its back buffer drawn once.
    forms::Form plain;
    plain.Load(WS_POPUP | WS_CLIPCHILDREN);
    plain.Move(0, 0, forms::PixelsToTwipsX(kWidth), forms::PixelsToTwipsY(kHeight));
    plain.Draw().Print(L"Kundendaten");
    ShowWindow(plain.hWnd(), SW_SHOWNOACTIVATE);
    forms::DoEvents();

    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen), target = CreateCompatibleDC(screen);
    HBITMAP a = CreateCompatibleBitmap(screen, kWidth, kHeight), b = CreateCompatibleBitmap(screen, kWidth, kHeight);
    HGDIOBJ oldA = SelectObject(source, a), oldB = SelectObject(target, b);

    double draw = 0, form = 0, blit = 0;
    // Interleaved rounds, so both see the same machine.
    for (int r = 0; r < kRounds; ++r) {
        const double d = Best(1, kCount, [&](int) {
            skin->DrawXP();
            UpdateWindow(skin->hWnd());  // the WM_PAINT the invalidation asks for, now
        });
        const double f = Best(1, kCount, [&](int) {
            InvalidateRect(plain.hWnd(), nullptr, FALSE);
            UpdateWindow(plain.hWnd());
        });
        const double c = Best(1, kCount, [&](int) { BitBlt(target, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY); });
        draw = r == 0 ? d : std::min(draw, d);
        form = r == 0 ? f : std::min(form, f);
        blit = r == 0 ? c : std::min(blit, c);
    }
    std::printf("repaint: DrawXP and its paint %.1f us, a plain form's repaint %.1f us, BitBlt 1280x1024 %.1f us\n",
                draw * 1e6, form * 1e6, blit * 1e6);
    std::printf("repaint ratio (DrawXP / plain form): %.2f (target <= 1.5)\n", draw / form);
    std::printf("repaint ratio (DrawXP / BitBlt, for reference): %.2f (target <= 0.50)\n", draw / blit);

    SelectObject(source, oldA);
    SelectObject(target, oldB);
    DeleteObject(a);
    DeleteObject(b);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    plain.Unload();
    skin->Unload();
    return 0;
}
