#include "Controls.h"

#include "Form.h"
#include "MouseArgs.h"
#include "PaintDc.h"
#include "Placement.h"
#include "WindowRoute.h"

namespace nimbra::forms {

namespace {

constexpr wchar_t kChildClass[] = L"NimbraFormChild";

}  // namespace

ChildWindow::~ChildWindow() {
    // The derived control is already gone; let go of the window first so no
    // message of its destruction reaches this half-destroyed object.
    if (HWND hwnd = hwnd_) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

bool ChildWindow::Create(HWND parent, int left, int top, int width, int height) {
    if (hwnd_) return true;  // a control has one window; a second Create keeps it
    static const bool registered = RegisterWindowClass(kChildClass, StaticProc);
    if (!registered || !parent) return false;
    HWND hwnd = CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top, width, height,
                                parent, nullptr, ThisModule(), this);
    return hwnd && hwnd_ == hwnd;
}

int ChildWindow::Left() const { return OuterRect(hwnd_).left; }

int ChildWindow::Top() const { return OuterRect(hwnd_).top; }

int ChildWindow::Width() const {
    const RECT r = OuterRect(hwnd_);
    return r.right - r.left;
}

int ChildWindow::Height() const {
    const RECT r = OuterRect(hwnd_);
    return r.bottom - r.top;
}

void ChildWindow::Move(int left, int top, int width, int height) {
    Place(hwnd_, left, top, width, height, 0);
}

bool ChildWindow::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void ChildWindow::SetVisible(bool visible) {
    // The control's own flag, not IsWindowVisible: under a hidden parent a
    // control can be meant visible, and hiding it must still take.
    const bool shown = hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE);
    if (hwnd_ && shown != visible) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool ChildWindow::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void ChildWindow::SetEnabled(bool enabled) {
    // Windows then sends the mouse of a disabled child to its parent.
    if (hwnd_) EnableWindow(hwnd_, enabled);
}

// Labels and icons are see-through: what lies below is the parent's picture.
// The parent's class brush covers parents of other kinds; a Form or
// PictureBox then draws its back buffer through WM_PRINTCLIENT, with the
// origin moved so its coordinates land on ours. Siblings below are not drawn.
void ChildWindow::PaintParentBackground(HDC dc) const {
    HWND parent = GetParent(hwnd_);
    RECT client{};
    GetClientRect(hwnd_, &client);
    auto brush = parent ? reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND)) : nullptr;
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(hwnd_, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

LRESULT CALLBACK ChildWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<ChildWindow>(hwnd, msg, wParam, lParam);
}

void ChildWindow::Detach() {
    // The parent's destruction takes this window along; the control outlives it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    mouseDownLeft_ = false;
}

LRESULT ChildWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (msg) {
    case WM_PAINT: {
        PaintDc paint(hwnd);
        Paint(paint.dc(), paint.area());
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(hwnd, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // each control paints its whole area, background included
    case WM_SETFOCUS:
        RaiseHandler(GotFocus);
        if (!StillOurs(hwnd, this)) return 0;
        break;
    case WM_SETCURSOR:
        // Any value but vbCustom leaves the class cursor (the arrow).
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd && MousePointer == vbCustom &&
            MouseIcon.Icon()) {
            SetCursor(MouseIcon.Icon());
            return TRUE;
        }
        break;
    default: {
        // The control's mouse events reach whoever set them; one may delete the control.
        using Events = mouse::EventsOf<ChildWindow, &ChildWindow::MouseDown, &ChildWindow::MouseUp,
                                       &ChildWindow::MouseMove, &ChildWindow::DblClick, &ChildWindow::Click>;
        if (mouse::Route(hwnd, msg, wParam, lParam, mouseDownLeft_, Events{*this, hwnd})) return 0;
        break;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace nimbra::forms
