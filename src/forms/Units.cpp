#include "Units.h"

#include <algorithm>
#include <cmath>

#include "Handles.h"

namespace nimbra::forms {

namespace {

int ScreenDpi(int index) {
    const WindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), index) : 0;
    return dpi > 0 ? dpi : 96;
}

// Read once, as classic runtimes do: a form's twips and a container's HIMETRIC
// must not change meaning while it is open, even if the user changes the
// display scaling meanwhile.
int DpiX() {
    static const int dpi = ScreenDpi(LOGPIXELSX);
    return dpi;
}
int DpiY() {
    static const int dpi = ScreenDpi(LOGPIXELSY);
    return dpi;
}

long RoundDiv(long value, int divisor) {
    return std::lround(static_cast<double>(value) / divisor);
}

}  // namespace

int TwipsPerPixelX() { return 1440 / DpiX(); }
int TwipsPerPixelY() { return 1440 / DpiY(); }

long TwipsToPixelsX(long twips) { return RoundDiv(twips, TwipsPerPixelX()); }
long TwipsToPixelsY(long twips) { return RoundDiv(twips, TwipsPerPixelY()); }

long PixelsToHimetricX(long pixels) { return MulDiv(pixels, 2540, DpiX()); }
long PixelsToHimetricY(long pixels) { return MulDiv(pixels, 2540, DpiY()); }
long HimetricToPixelsX(long himetric) { return MulDiv(himetric, DpiX(), 2540); }
long HimetricToPixelsY(long himetric) { return MulDiv(himetric, DpiY(), 2540); }

long ScreenWidth() { return PixelsToTwipsX(GetSystemMetrics(SM_CXSCREEN)); }
long ScreenHeight() { return PixelsToTwipsY(GetSystemMetrics(SM_CYSCREEN)); }

namespace {

// Runs what is waiting; false when a WM_QUIT came (and was put back).
bool RunPending(DWORD* lastMessage = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the real message loop further up; put it back
            // so that loop still ends.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (lastMessage) *lastMessage = GetTickCount();
    }
    return true;
}

}  // namespace

void DoEvents() { RunPending(); }

bool RunUntilQuiet(DWORD quietMs, DWORD capMs) {
    const DWORD start = GetTickCount();
    DWORD last = start;
    for (;;) {
        if (!RunPending(&last)) return false;
        const DWORD now = GetTickCount(), quiet = now - last, spent = now - start;
        if (quiet >= quietMs) return true;
        if (spent >= capMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(quietMs - quiet, capMs - spent), QS_ALLINPUT);
    }
}

void RunFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        if (!RunPending()) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

}  // namespace nimbra::forms
