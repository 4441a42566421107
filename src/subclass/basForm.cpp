#include "basForm.h"

#include <cmath>

namespace nimbra {
namespace {

constexpr wchar_t kControlProperty[] = L"xpForm:Control";

Procedure InModule(const wchar_t* procedure) { return {procedure, kStdModule, L"basForm"}; }

}  // namespace

bool TagControl(HWND hwnd, IUnknown* control, bool tag) {
    bool done = false;
    // A window that refuses the property leaves the skin unable to find its
    // control later: reported here, where it happens.
    Guard(InModule(L"TagControl")).Run([&] {
        if (!hwnd || !IsWindow(hwnd)) return;
        if (tag)
            CheckWin32(SetPropW(hwnd, kControlProperty, control) != FALSE);
        else
            RemovePropW(hwnd, kControlProperty);
        done = true;
    });
    return done;
}

IUnknown* ControlFromhWnd(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    return static_cast<IUnknown*>(GetPropW(hwnd, kControlProperty));
}

bool ControlFromhWnd(HWND hwnd, ComPtr<IUnknown>& control) {
    bool found = false;
    Guard(InModule(L"ControlFromhWnd")).Run([&] {
        IUnknown* tagged = ControlFromhWnd(hwnd);
        if (!tagged) return;
        control = ObjectFromPtr<IUnknown>(reinterpret_cast<LONG_PTR>(tagged));
        found = true;
    });
    return found;
}

void LockWindow(HWND hwnd, bool lock) {
    Guard(InModule(L"LockWindow")).Run([&] {
        if (lock) {
            SendMessageW(hwnd, WM_SETREDRAW, 0, 0);
            return;
        }
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        RECT rect;
        GetClientRect(hwnd, &rect);
        RedrawWindow(hwnd, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
}

void SetTransparency(HWND hwnd, short Alpha) {
    Guard({L"SetTransparency", kStdModule, L"basForm"})
        .Run([&] {
            const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
            if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        },
             [&] {
                 if (Alpha < 0 || Alpha > 255) Raise(6);
                 // Every property setter comes here; the same alpha again would
                 // only cost a recomposition of the window.
                 BYTE alpha = 0;
                 DWORD flags = 0;
                 if (GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) && flags == LWA_ALPHA &&
                     alpha == static_cast<BYTE>(Alpha))
                     return;
                 // Only the constant alpha counts; the colour key is not used.
                 CheckWin32(SetLayeredWindowAttributes(hwnd, RGB(0, 0, 0), static_cast<BYTE>(Alpha), LWA_ALPHA));
             });
}

LONG fLongVal(double high, short low) {
    LONG result = 0;
    Guard(InModule(L"fLongVal")).Run([&] {
        // The conversion to Long rounds half to even, as nearbyint does in the
        // default rounding mode; NaN fails the range test too.
        const double value = std::nearbyint((low & 0xFFFF) + 65536.0 * high);
        if (!(value >= -2147483648.0 && value <= 2147483647.0)) Raise(6);
        result = static_cast<LONG>(value);
    });
    return result;
}

void ShowSysMenu(HWND hwnd) {
    POINT cursor{};
    LONG point = 0;
    Guard(InModule(L"ShowSysMenu"))
        .Run([&] { GetCursorPos(&cursor); },
             [&] {
                 // x must fit a signed 16-bit integer: reported, the menu is not
                 // shown; under the silent switch the point stays 0.
                 if (cursor.x < -32768 || cursor.x > 32767) Raise(6);
                 point = fLongVal(cursor.y, static_cast<short>(cursor.x));
             },
             // WM_POPUPSYSTEMMENU: the window's own system menu at a screen point.
             [&] { SendMessageW(hwnd, 0x313, 0, point); });
}

}  // namespace nimbra
