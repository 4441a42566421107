// The one window procedure behind the engine's window classes: the object
// arrives with WM_NCCREATE (in CREATESTRUCT), is found in GWLP_USERDATA from
// then on, and lets go of its window after WM_NCDESTROY. No exception gets
// through the system's frames of the message dispatch.
#pragma once
#include <windows.h>

namespace nimbra::forms {

template <class T>
LRESULT RouteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the object let
    // go of its window have no object to go to.
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    // Here rather than in WindowProc, so an override that swallows the message
    // cannot leave the object pointing at a dead window.
    if (msg == WM_NCDESTROY && GetWindowLongPtrW(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(self))
        self->Detach();
    return result;
}

}  // namespace nimbra::forms
