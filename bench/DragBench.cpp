// One step of a title drag, and one applied resize by the frame: the skinned
// pair (the skin moved or resized, the host placed after it) against moving or
// resizing a plain window of the same size, side by side.
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

    // One applied resize: a press on the right edge and its release a pixel
    // further out or back in, with the cursor where the real mouse would put
    // it (the skin reads it at both ends), each round's pending paints pumped
    // inside the timing. Press and release are timed apart: the press gives
    // the skin the focus and draws it active, the release resizes.
    GetWindowRect(skin, &outer);
    int width = outer.right - outer.left;
    const int y = 100;
    double best = 1e30, bestPress = 0, bestRelease = 0;
    for (int round = 0; round < 5; ++round) {
        double press = 0, release = 0;
        const double start = Now();
        for (int i = 0; i < 100; ++i) {
            const int dx = i % 2 ? -1 : 1, at = width - 2;
            SetCursorPos(outer.left + at, outer.top + y);
            double t = Now();
            SendMessageW(skin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at, y));
            press += Now() - t;
            SetCursorPos(outer.left + at + dx, outer.top + y);
            t = Now();
            SendMessageW(skin, WM_LBUTTONUP, 0, MAKELPARAM(at + dx, y));
            release += Now() - t;
            width += dx;
        }
        forms::DoEvents();
        const double per = (Now() - start) / 100;
        if (per < best) best = per, bestPress = press / 100, bestRelease = release / 100;
    }
    RECT resized{}, hostResized{};
    GetWindowRect(skin, &resized);
    GetWindowRect(skinned.hWnd(), &hostResized);
    GetWindowRect(plain.hWnd(), &p);
    int plainWidth = p.right - p.left;
    const double plainResize = Best(5, 100, [&](int i) {
        plainWidth += i % 2 ? -1 : 1;
        SetWindowPos(plain.hWnd(), nullptr, 0, 0, plainWidth, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }, [] { forms::DoEvents(); });
    std::printf("resize: one applied resize of the skinned pair %.0f us (press %.0f, release %.0f), of a plain window "
                "%.0f us (after it the skin is %ld wide, its host %ld)\n",
                best * 1e6, bestPress * 1e6, bestRelease * 1e6, plainResize * 1e6, resized.right - resized.left,
                hostResized.right - hostResized.left);
    std::printf("resize ratio (skinned pair / plain window): %.2f (target <= 3.0)\n", best / plainResize);
    skinned.Unload();
    plain.Unload();
    forms::DoEvents();
    OleUninitialize();
    return 0;
}
