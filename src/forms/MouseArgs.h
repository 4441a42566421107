// What a mouse message says, in the terms of the classic mouse events: the
// button (1 left, 2 right, 4 middle), the buttons held, the shift state, and
// the position in client pixels. Shared by forms and child controls.
#pragma once
#include <windows.h>

#include <type_traits>

#include "Handler.h"
#include "WindowRoute.h"

namespace nimbra::forms::mouse {

inline int ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return 1;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return 2;
    default: return 4;
    }
}

inline int HeldButtons(WPARAM keys) {
    return (keys & MK_LBUTTON ? 1 : 0) | (keys & MK_RBUTTON ? 2 : 0) | (keys & MK_MBUTTON ? 4 : 0);
}

inline int ShiftState(WPARAM keys) {
    // The mouse message carries Shift and Ctrl but not Alt; the thread's key state has it.
    return (keys & MK_SHIFT ? 1 : 0) | (keys & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// A key message carries no shift state; the thread's key state has it.
inline int KeyShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// Client coordinates are signed: with the capture they can lie left of or above the window.
inline float X(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
inline float Y(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

inline bool InClient(HWND hwnd, LPARAM lParam) {
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&client, pt) != FALSE;
}

// The classic mouse events of one window, the same for forms and child
// controls: the window holds the capture while a button is down, a double
// click's second press raises DblClick instead of MouseDown (and its release
// no second Click), and a left press released inside raises Click after
// MouseUp. leftDown is the window's own "a left press began here" flag.
// The receiver has MouseDown, MouseUp, MouseMove (button, shift, x, y),
// DblClick and Click, and Alive(): a handler may destroy the window or its
// object, and nothing is raised after that. True when msg was a mouse message.
template <class Receiver>
bool Route(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& leftDown, Receiver&& to) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (msg == WM_LBUTTONDOWN) leftDown = true;
        // Held, the mouse keeps reporting to us even outside the window.
        if (GetCapture() != hwnd) SetCapture(hwnd);
        if (to.Alive()) to.MouseDown(ButtonOf(msg), ShiftState(wParam), X(lParam), Y(lParam));
        return true;
    case WM_LBUTTONDBLCLK:
        if (GetCapture() != hwnd) SetCapture(hwnd);
        if (to.Alive()) to.DblClick();
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = msg == WM_LBUTTONUP && leftDown && InClient(hwnd, lParam);
        if (msg == WM_LBUTTONUP) leftDown = false;
        if (!HeldButtons(wParam) && GetCapture() == hwnd) {
            ReleaseCapture();
            if (!to.Alive()) return true;
        }
        to.MouseUp(ButtonOf(msg), ShiftState(wParam), X(lParam), Y(lParam));
        if (click && to.Alive()) to.Click();
        return true;
    }
    case WM_MOUSEMOVE:
        to.MouseMove(HeldButtons(wParam), ShiftState(wParam), X(lParam), Y(lParam));
        return true;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse mid-press: that press can no longer click.
        if (reinterpret_cast<HWND>(lParam) != hwnd) leftDown = false;
        return true;
    default:
        return false;
    }
}

// Route's receiver for an object whose five events are members of its own, in
// the order MouseDown, MouseUp, MouseMove, DblClick, Click: member functions (a
// form's events) or assigned handlers (a control's, run from a copy). Nothing
// is raised once the window no longer belongs to the object.
template <class Self, auto Down, auto Up, auto Move, auto Double, auto Single>
struct EventsOf {
    Self& self;
    HWND hwnd;
    bool Alive() const { return StillOurs(hwnd, &self); }
    void MouseDown(int b, int shift, float x, float y) { Fire<Down>(b, shift, x, y); }
    void MouseUp(int b, int shift, float x, float y) { Fire<Up>(b, shift, x, y); }
    void MouseMove(int b, int shift, float x, float y) { Fire<Move>(b, shift, x, y); }
    void DblClick() { Fire<Double>(); }
    void Click() { Fire<Single>(); }

private:
    template <auto Event, class... Args>
    void Fire(Args... args) {
        if constexpr (std::is_member_function_pointer_v<decltype(Event)>)
            (self.*Event)(args...);
        else
            RaiseHandler(self.*Event, args...);
    }
};

}  // namespace nimbra::forms::mouse
