// The control's own window: at design time it shows Image1, the control's
// 32 x 32 icon, at its top-left corner; at run time it stays hidden.
#pragma once
#include <windows.h>

namespace nimbra {

class ControlWindow {
public:
    ControlWindow();  // hidden, without parent until the container gives one
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HWND hWnd() const { return hwnd_; }
    // Becomes a child of the container's window at position (pixels).
    void Site(HWND parent, const RECT& position);
    // Draws Image1 into any DC at the given rectangle (the design-time look).
    static void DrawImage1(HDC dc, const RECT& bounds);
    static SIZE Image1Size() { return {32, 32}; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace nimbra
