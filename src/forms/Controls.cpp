#include "Controls.h"

#include "Form.h"
#include "Handles.h"
#include "MouseArgs.h"
#include "PaintDc.h"
#include "Placement.h"
#include "WindowRoute.h"

#include <cmath>
#include <map>

namespace nimbra::forms {

namespace {

constexpr wchar_t kChildClass[] = L"NimbraFormChild";

// Handlers run from a copy: one may reassign its own member or delete the
// control, and a std::function must not die while it runs.
template <typename F, typename... Args>
void Raise(const F& handler, Args... args) {
    if (!handler) return;
    F copy = handler;
    copy(args...);
}


using namespace mouse;

// Labels and icons are see-through: what lies below is the parent's picture.
// The parent's class brush covers parents of other kinds; a Form or
// PictureBox then draws its back buffer through WM_PRINTCLIENT, with the
// origin moved so its coordinates land on ours. Siblings below are not drawn.
void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    RECT client{};
    GetClientRect(child, &client);
    auto brush = parent ? reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND)) : nullptr;
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

// Thread timers belong to the thread that set them, and so does this map:
// timers are made and ticked on the one UI thread.
std::map<UINT_PTR, Timer*>& Timers() {
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}

}  // namespace

// --- ChildWindow ---

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
        Raise(GotFocus);
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
        struct Receiver {
            ChildWindow& c;
            HWND hwnd;
            bool Alive() const { return StillOurs(hwnd, &c); }
            void MouseDown(int b, int shift, float x, float y) { Raise(c.MouseDown, b, shift, x, y); }
            void MouseUp(int b, int shift, float x, float y) { Raise(c.MouseUp, b, shift, x, y); }
            void MouseMove(int b, int shift, float x, float y) { Raise(c.MouseMove, b, shift, x, y); }
            void DblClick() { Raise(c.DblClick); }
            void Click() { Raise(c.Click); }
        };
        if (Route(hwnd, msg, wParam, lParam, mouseDownLeft_, Receiver{*this, hwnd})) return 0;
        break;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// --- PictureBox ---

Surface& PictureBox::Draw() {
    // Drawing before Create still needs somewhere to land: a screen-compatible
    // surface that Create then sizes to the client.
    if (!surface_) surface_ = std::make_unique<Surface>(hWnd());
    ShowPicture();
    return *surface_;
}

void PictureBox::ShowPicture() {
    if (picture.Bitmap() == shown_.Bitmap() && picture.Icon() == shown_.Icon()) return;
    // Holding the shown picture keeps its handle alive, so a new picture can
    // never arrive under the same handle value and go unnoticed.
    shown_ = picture;
    surface_->Cls();
    surface_->PaintPicture(picture, 0, 0, picture.Width(), picture.Height());
}

void PictureBox::Refresh() {
    if (!hWnd()) return;
    InvalidateRect(hWnd(), nullptr, FALSE);
    UpdateWindow(hWnd());
}

LRESULT PictureBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        RECT client{};
        GetClientRect(hWnd(), &client);
        if (!surface_)
            surface_ = std::make_unique<Surface>(hWnd());
        else
            surface_->Resize(client.right, client.bottom);
        break;
    }
    case WM_SIZE:
        // Hidden or squeezed to nothing, the buffer keeps its content.
        if (surface_ && LOWORD(lParam) > 0 && HIWORD(lParam) > 0) surface_->Resize(LOWORD(lParam), HIWORD(lParam));
        break;
    default:
        break;
    }
    return ChildWindow::WindowProc(msg, wParam, lParam);
}

void PictureBox::Paint(HDC dc, const RECT& area) {
    if (!surface_) return;
    ShowPicture();
    surface_->PaintTo(dc, area);
}

// --- Image ---

void Image::SetPicture(const Picture& p) {
    picture_ = p;
    HWND hwnd = hWnd();
    if (!hwnd) return;
    if (!Stretch && !p.Empty())
        SetWindowPos(hwnd, nullptr, 0, 0, p.Width(), p.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Image::Paint(HDC dc, const RECT& area) {
    RECT client{};
    GetClientRect(hWnd(), &client);
    int width = Stretch ? client.right : picture_.Width();
    int height = Stretch ? client.bottom : picture_.Height();
    // An opaque bitmap that covers the control needs nothing below it;
    // painting the background first would only flicker.
    if (picture_.Empty() || picture_.IsIcon() || picture_.HasAlpha() || width < client.right || height < client.bottom)
        PaintParentBackground(hWnd(), dc);
    if (picture_.Empty()) return;
    if (picture_.IsIcon()) {
        DrawIconEx(dc, 0, 0, picture_.Icon(), width, height, 0, nullptr, DI_NORMAL);
    } else if (picture_.HasAlpha()) {
        MemoryDc source(CreateCompatibleDC(dc));
        Selection select(source.get(), picture_.Bitmap());
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};  // the bitmap's colours are premultiplied
        AlphaBlend(dc, 0, 0, width, height, source.get(), 0, 0, picture_.Width(), picture_.Height(), blend);
    } else {
        MemoryDc source(CreateCompatibleDC(dc));
        Selection select(source.get(), picture_.Bitmap());
        int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, width, height, source.get(), 0, 0, picture_.Width(), picture_.Height(), SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
}

// --- Label ---

void Label::SetCaption(const std::wstring& text) {
    caption_ = text;
    if (HWND hwnd = hWnd()) {
        SetWindowTextW(hwnd, text.c_str());  // readable from outside, as any window text
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void Label::Paint(HDC dc, const RECT& area) {
    PaintParentBackground(hWnd(), dc);
    if (caption_.empty()) return;
    GdiObject<HFONT> font(MakeFont(dc, FontName, FontSize, FontBold, FontUnderline));
    Selection selectFont(dc, font.get());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, ForeColor);
    RECT client{};
    GetClientRect(hWnd(), &client);
    // Captions are titles shown as they are: an '&' is a character, not a mnemonic.
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

// --- Timer ---

Timer::Timer() = default;

Timer::~Timer() {
    enabled_ = false;
    Update();
}

void Timer::SetInterval(UINT ms) {
    interval_ = ms;
    Update();  // as classically: setting the interval starts the count anew
}

void Timer::SetEnabled(bool on) {
    enabled_ = on;
    Update();
}

void Timer::Update() {
    if (id_) {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        // A thread timer needs no window; the map leads its id back to us.
        id_ = SetTimer(nullptr, 0, interval_, Proc);
        if (id_) Timers()[id_] = this;
    }
}

void CALLBACK Timer::Proc(HWND, UINT, UINT_PTR id, DWORD) {
    // A WM_TIMER already queued may arrive after its timer was killed or deleted.
    auto found = Timers().find(id);
    if (found == Timers().end()) return;
    try {
        Raise(found->second->Tick);
    } catch (...) {
        // Nothing may unwind into DispatchMessage.
    }
}

}  // namespace nimbra::forms
