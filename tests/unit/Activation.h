// The skin's active and inactive looks, reached the way a person reaches them:
// by activating the skinned form, or another window.
#pragma once
#include <windows.h>

#include "../../src/forms/Units.h"
#include "../../src/skin/frm.h"

namespace test {

// Runs messages until the skin shows the look asked for (2 s at most).
inline bool WaitForLook(nimbra::frm* skin, bool active) {
    for (const DWORD start = GetTickCount(); skin->IsWindowActive() != active && GetTickCount() - start < 2000;)
        nimbra::forms::RunUntilQuiet(20, 200);
    return skin->IsWindowActive() == active;
}

// Activates the skinned form's host, as a click on it would.
inline bool Activate(nimbra::frm* skin) {
    SetForegroundWindow(skin->HostHwnd());
    return WaitForLook(skin, true);
}

// Another top-level window, holding the activation while it lives.
class Elsewhere {
public:
    explicit Elsewhere(nimbra::frm* skin)
        : hwnd_(CreateWindowExW(0, L"STATIC", L"anderswo", WS_POPUP, 1200, 950, 20, 20, nullptr, nullptr, nullptr,
                                nullptr)) {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        inactive = WaitForLook(skin, false);
    }
    ~Elsewhere() { DestroyWindow(hwnd_); }
    Elsewhere(const Elsewhere&) = delete;
    Elsewhere& operator=(const Elsewhere&) = delete;

    bool inactive = false;

private:
    HWND hwnd_;
};

}  // namespace test
