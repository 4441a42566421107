// What a mouse message says, in the terms of the classic mouse events: the
// button (1 left, 2 right, 4 middle), the buttons held, the shift state, and
// the position in client pixels. Shared by forms and child controls.
#pragma once
#include <windows.h>

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

}  // namespace nimbra::forms::mouse
