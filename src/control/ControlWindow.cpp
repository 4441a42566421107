#include "ControlWindow.h"

#include "../Resources.h"
#include "../com/Module.h"
#include "../forms/PaintDc.h"

namespace nimbra {
namespace {

constexpr wchar_t kClass[] = L"NimbraForm.xpForm";

HICON Image1Icon() {
    // Shared, never destroyed: LR_SHARED icons belong to the module.
    static HICON icon = static_cast<HICON>(
        LoadImageW(ModuleHandle(), MAKEINTRESOURCEW(IDI_XPFORM), IMAGE_ICON, 32, 32, LR_SHARED));
    return icon;
}

ATOM RegisterOnce() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;  // replaced per window below
        wc.hInstance = ModuleHandle();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClass;
        return RegisterClassW(&wc);
    }();
    return atom;
}

}  // namespace

ControlWindow::ControlWindow() {
    RegisterOnce();
    hwnd_ = CreateWindowExW(0, kClass, L"", WS_POPUP | WS_CLIPSIBLINGS, 0, 0, Image1Size().cx, Image1Size().cy,
                            nullptr, nullptr, ModuleHandle(), nullptr);
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
}

ControlWindow::~ControlWindow() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void ControlWindow::Site(HWND parent, const RECT& position) {
    if (!hwnd_) return;
    if (parent && GetParent(hwnd_) != parent) {
        SetWindowLongPtrW(hwnd_, GWL_STYLE, (GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(hwnd_, parent);
    }
    MoveWindow(hwnd_, position.left, position.top, position.right - position.left,
               position.bottom - position.top, TRUE);
}

void ControlWindow::DrawImage1(HDC dc, const RECT& bounds) {
    DrawIconEx(dc, bounds.left, bounds.top, Image1Icon(), bounds.right - bounds.left, bounds.bottom - bounds.top, 0,
               nullptr, DI_NORMAL);
}

LRESULT CALLBACK ControlWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        const forms::PaintDc paint(hwnd);
        // Image1 sits at the top-left corner at its own size.
        DrawImage1(paint.dc(), RECT{0, 0, Image1Size().cx, Image1Size().cy});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace nimbra
