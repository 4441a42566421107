// The one window procedure behind the engine's window classes: the object
// arrives with WM_NCCREATE (in CREATESTRUCT), is found in GWLP_USERDATA from
// then on, and lets go of its window after WM_NCDESTROY. No exception gets
// through the system's frames of the message dispatch.
#pragma once
#include <windows.h>

namespace nimbra::forms {

// The module this code lives in (the OCX, not the host's exe): window classes
// belong to the module that registers them.
inline HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// Registers one of the engine's window classes (double clicks, arrow cursor).
// Windows keeps a DLL's classes after the DLL is unloaded; a class left by an
// earlier load would point at a procedure that is no longer there.
inline bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc)) return true;
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    UnregisterClassW(name, wc.hInstance);
    return RegisterClassExW(&wc) != 0;
}

// True while hwnd is alive and still belongs to self. Anything called out of
// a window procedure may unload the form or delete the control; self is only
// compared, never used, so a deleted object is safe to ask about.
inline bool StillOurs(HWND hwnd, const void* self) {
    return IsWindow(hwnd) && GetWindowLongPtrW(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(self);
}

template <class T>
LRESULT RouteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        // An MDI child's creation data is the MDICREATESTRUCT its client was sent.
        auto* self = static_cast<T*>(create->dwExStyle & WS_EX_MDICHILD
                                         ? reinterpret_cast<void*>(
                                               reinterpret_cast<MDICREATESTRUCTW*>(create->lpCreateParams)->lParam)
                                         : create->lpCreateParams);
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
