// One step of a title drag: the skinned pair (the skin moved, the host placed
// after it) against moving a plain window of the same size, side by side.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchForm.h"
#include "FormFile.h"
#include "HostForm.h"
#include "forms/Units.h"

using namespace nimbra;
using namespace nimbra::host;

namespace {

// Seconds per step, each step one pixel right and back, with what it makes
// the window server do pumped after each round.
template <class F>
double PerStep(int count, F step) {
    return Best(5, count, [&](int i) { step(i % 2 ? -1 : 1); }, [] { forms::DoEvents(); });
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    std::vector<std::wstring> errors;
    FormFile skinnedFile = FormFile::Parse(FormText(0, true), L"Bench.frm");
    FormFile plainFile = FormFile::Parse(FormText(1, false), L"Bench.frm");
    HostForm skinned(skinnedFile.Form(), HostOptions{}), plain(plainFile.Form(), HostOptions{});
    skinned.Create(errors);
    plain.Create(errors);
    skinned.Show();
    plain.Show();
    forms::RunUntilQuiet(200, 5000);
    for (const auto& e : errors) std::fwprintf(stderr, L"%ls\n", e.c_str());

    // The skin is the window under the host's title bar, above the host.
    RECT host{};
    GetWindowRect(skinned.hWnd(), &host);
    const HWND skin = WindowFromPoint(POINT{host.left + 50, host.top - 15});
    if (!skin || skin == skinned.hWnd()) {
        std::printf("drag: no skin around the form (is the server registered?)\n");
        return 1;
    }
    // A held left press in the title band, then moves: each one a step of the drag.
    SendMessageW(skin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 15));
    forms::RunUntilQuiet(50, 2000);
    RECT outer{};
    GetWindowRect(skin, &outer);
    const int x = 50;
    const double drag = PerStep(200, [&](int dx) {
        SendMessageW(skin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, 15));
    });
    // One step more, kept: the pair must have moved by it, together.
    SendMessageW(skin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 7, 15));
    SendMessageW(skin, WM_LBUTTONUP, 0, MAKELPARAM(x, 15));
    RECT after{}, hostAfter{};
    GetWindowRect(skin, &after);
    GetWindowRect(skinned.hWnd(), &hostAfter);

    // The plain window moved as far, as a person's drag of a window moves it.
    RECT p{};
    GetWindowRect(plain.hWnd(), &p);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    SetWindowPos(plain.hWnd(), nullptr, p.left, p.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    int left = p.left;
    const double move = PerStep(200, [&](int dx) {
        left += dx;
        SetWindowPos(plain.hWnd(), nullptr, left, p.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
    std::printf("drag: one step of the skinned pair %.0f us, of a plain window %.0f us (a last step of 7 moved skin %ld, host %ld)\n",
                drag * 1e6, move * 1e6, after.left - outer.left, hostAfter.left - host.left);
    std::printf("drag ratio (skinned pair / plain window): %.2f (target <= 2.0)\n", drag / move);
    skinned.Unload();
    plain.Unload();
    forms::DoEvents();
    OleUninitialize();
    return 0;
}
