#include "Form.h"

#include "MouseArgs.h"
#include "PaintDc.h"
#include "Placement.h"
#include "WindowRoute.h"

#include <algorithm>

#include "Units.h"

namespace nimbra::forms {

namespace {

constexpr wchar_t kFormClass[] = L"NimbraForm";

std::vector<Form*>& Forms() {
    static std::vector<Form*> forms;
    return forms;
}

using namespace mouse;

LPCWSTR CursorFor(int pointer) {
    switch (pointer) {
    case vbSizeNESW: return IDC_SIZENESW;
    case vbSizeNS: return IDC_SIZENS;
    case vbSizeNWSE: return IDC_SIZENWSE;
    case vbSizeWE: return IDC_SIZEWE;
    default: return nullptr;  // the class cursor (the arrow)
    }
}

}  // namespace

const std::vector<Form*>& LoadedForms() { return Forms(); }

Form::Form() = default;

Form::~Form() {
    // By now the derived form is gone, so none of its events could run, and
    // nothing is left that could cancel: the window goes without QueryUnload
    // or Unload. Detaching first keeps every message of the destruction away
    // from this half-destroyed object.
    if (HWND hwnd = hwnd_) {
        Detach();
        Destroy(hwnd);
    }
}

// Registered once for every form: a second registration would find the class
// in use and fail.
bool Form::ClassRegistered() {
    static const bool registered = RegisterWindowClass(kFormClass, StaticProc);
    return registered;
}

bool Form::Load(DWORD style, DWORD exStyle, HWND parent) {
    if (hwnd_) return true;
    if (!ClassRegistered()) return false;
    // CW_USEDEFAULT lets Windows cascade overlapped forms; pop-ups and children get 0,0.
    HWND hwnd = CreateWindowExW(exStyle, kFormClass, L"", style & ~WS_VISIBLE, CW_USEDEFAULT, 0, 300, 200, parent,
                                nullptr, ThisModule(), this);
    return Created(hwnd);
}

bool Form::Created(HWND hwnd) {
    if (!hwnd || hwnd_ != hwnd) return false;
    surface_ = new Surface(hwnd);
    Forms().push_back(this);
    Form_Load();
    return true;
}

bool Form::LoadMdiFrame(DWORD style) {
    if (!Load(style | WS_CLIPCHILDREN)) return false;
    if (mdiClient_) return true;
    // All child styles: the children are made hidden and shown by their Show,
    // as every other form.
    CLIENTCREATESTRUCT client{nullptr, 0xFF00};
    RECT inside{};
    GetClientRect(hwnd_, &inside);
    mdiClient_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                 WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | MDIS_ALLCHILDSTYLES, 0, 0, inside.right,
                                 inside.bottom, hwnd_, nullptr, ThisModule(), &client);
    return mdiClient_ != nullptr;
}

bool Form::LoadMdiChild(HWND mdiClient, DWORD style) {
    if (hwnd_) return true;
    if (!ClassRegistered() || !mdiClient) return false;
    // The client makes the window; this object arrives in the MDICREATESTRUCT.
    MDICREATESTRUCTW create{kFormClass, L"", ThisModule(), CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                            style & ~WS_VISIBLE, reinterpret_cast<LPARAM>(this)};
    return Created(reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create))));
}

// The MDI client makes its children with this style.
static bool IsMdiChild(HWND hwnd) { return hwnd && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD); }

void Form::Destroy(HWND hwnd) {
    if (IsMdiChild(hwnd)) SendMessageW(::GetParent(hwnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd), 0);
    else DestroyWindow(hwnd);
}

LRESULT Form::Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsMdiChild(hwnd)) return DefMDIChildProcW(hwnd, msg, wParam, lParam);
    if (mdiClient_) return DefFrameProcW(hwnd, mdiClient_, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool Form::Show(int style) {
    if (modal_) return false;
    if (!hwnd_) Load();
    if (!hwnd_) return true;  // it could not load, or Form_Load unloaded it again
    ShowWindow(hwnd_, SW_SHOW);
    // Showing activates a form; an MDI child is activated by its client.
    if (IsMdiChild(hwnd_)) SendMessageW(::GetParent(hwnd_), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hwnd_), 0);
    if (style != vbModal) return true;
    HWND hwnd = hwnd_;
    modal_ = true;
    MSG msg;
    // Unloading destroys the window inside a dispatch; the loop looks after
    // every message, and from then on touches nothing of the form.
    while (StillOurs(hwnd, this)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (StillOurs(hwnd, this)) modal_ = false;
    return true;
}

bool Form::Unload(int mode) {
    if (!hwnd_) return true;
    if (unloading_) return false;
    HWND hwnd = hwnd_;
    unloading_ = true;
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (!StillOurs(hwnd, this)) return true;
    if (cancel == 0) {
        Form_Unload(cancel);
        if (!StillOurs(hwnd, this)) return true;
    }
    unloading_ = false;
    if (cancel != 0) return false;
    // Form_Unload was the last event: detached first, the destruction's own
    // messages raise nothing, so an active form gets no Form_Deactivate.
    Detach();
    Destroy(hwnd);
    return true;
}

void Form::Detach() {
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    mdiClient_ = nullptr;  // went with the window
    delete surface_;
    surface_ = nullptr;
    auto& forms = Forms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    mouseDownLeft_ = false;
    unloading_ = false;
    modal_ = false;
}

long Form::Left() const { return OuterTwips(hwnd_, Side::Left); }
long Form::Top() const { return OuterTwips(hwnd_, Side::Top); }
long Form::Width() const { return OuterTwips(hwnd_, Side::Width); }
long Form::Height() const { return OuterTwips(hwnd_, Side::Height); }
void Form::SetLeft(long twips) { SetOuterTwips(hwnd_, Side::Left, twips); }
void Form::SetTop(long twips) { SetOuterTwips(hwnd_, Side::Top, twips); }
void Form::SetWidth(long twips) { SetOuterTwips(hwnd_, Side::Width, twips); }
void Form::SetHeight(long twips) { SetOuterTwips(hwnd_, Side::Height, twips); }

void Form::Move(long left, long top, long width, long height) {
    Place(hwnd_, TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(height), 0);
}

long Form::ScaleWidth() const {
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    return client.right;
}

long Form::ScaleHeight() const {
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    return client.bottom;
}

int Form::WindowState() const {
    return hwnd_ ? ShowState(hwnd_) : vbNormal;
}

void Form::SetWindowState(int state) {
    if (hwnd_ && state >= vbNormal && state <= vbMaximized) SetShowState(hwnd_, state);
}

bool Form::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Form::SetVisible(bool visible) {
    // Visible = True on a form already shown changes nothing. ShowWindow would
    // activate it again, and a skin that hands the activation to its host on
    // every activation would then bounce it back and forth with the host.
    if (visible && Visible()) return;
    if (visible)
        Show();
    else if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void Form::SetMousePointer(int pointer) {
    // The skin sets the pointer on every mouse move: one that is set and
    // showing already needs no round of messages.
    const LPCWSTR cursor = CursorFor(pointer);
    if (pointer == mousePointer_ && cursor && GetCursor() == LoadCursorW(nullptr, cursor)) return;
    mousePointer_ = pointer;
    // Windows asks for the cursor only when the mouse moves; a pointer set
    // while the mouse rests on the form should show at once.
    POINT pt{};
    if (hwnd_ && GetCursorPos(&pt) && WindowFromPoint(pt) == hwnd_) {
        LRESULT hit = SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        SendMessageW(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd_), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
}

std::wstring Form::Caption() const { return WindowText(hwnd_); }

void Form::SetCaption(const std::wstring& caption) {
    if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void Form::Refresh() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK Form::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return RouteMessage<Form>(hwnd, msg, wParam, lParam);
}

LRESULT Form::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    // Events start once Load has made the surface, so none runs before Form_Load.
    const bool loaded = surface_ != nullptr;
    switch (msg) {
    case WM_PAINT: {
        PaintDc paint(hwnd);
        if (surface_)
            for (const RECT& piece : paint.pieces()) surface_->PaintTo(paint.dc(), piece);
        return 0;
    }
    case WM_PRINTCLIENT:
        // Also how a transparent child control gets the form's picture behind it.
        if (surface_) {
            RECT client{};
            GetClientRect(hwnd, &client);
            surface_->PaintTo(reinterpret_cast<HDC>(wParam), client);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the back buffer covers the whole client area
    case WM_SIZE:
        // Minimised, the client is 0x0; the buffer keeps its content for the restore.
        if (surface_ && LOWORD(lParam) > 0 && HIWORD(lParam) > 0) surface_->Resize(LOWORD(lParam), HIWORD(lParam));
        if (loaded) Form_Resize();
        if (!StillOurs(hwnd, this)) return 0;
        // The default procedures make an MDI parent's client fill its inside and
        // give an MDI child's sizes to the MDI machinery (a maximised child, the
        // client's scroll range).
        break;
    case WM_MDIACTIVATE:
        // An MDI child is activated and deactivated by its client, without WM_ACTIVATE.
        if (loaded && (reinterpret_cast<HWND>(lParam) == hwnd || reinterpret_cast<HWND>(wParam) == hwnd)) {
            if (reinterpret_cast<HWND>(lParam) == hwnd)
                Form_Activate();
            else
                Form_Deactivate();
            if (!StillOurs(hwnd, this)) return 0;
        }
        break;
    case WM_ACTIVATE:
        if (loaded) {
            if (LOWORD(wParam) == WA_INACTIVE)
                Form_Deactivate();
            else
                Form_Activate();
            if (!StillOurs(hwnd, this)) return 0;
            // A handler that handed the activation on (a skin gives it to its
            // host) keeps it there: DefWindowProc would set the focus back on
            // this window, activate it again and start the handler anew.
            if (LOWORD(wParam) != WA_INACTIVE && GetActiveWindow() != hwnd) return 0;
        }
        break;  // DefWindowProc gives the focus, and so Form_GotFocus follows
    case WM_SETFOCUS:
        if (loaded) {
            Form_GotFocus();
            if (!StillOurs(hwnd, this)) return 0;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == hwnd) {
            if (LPCWSTR cursor = CursorFor(mousePointer_)) {
                SetCursor(LoadCursorW(nullptr, cursor));
                return TRUE;
            }
        }
        break;
    case WM_CLOSE:
        Unload(vbFormControlMenu);  // not DefWindowProc: that would destroy it uncancelled
        return 0;
    case WM_KEYDOWN:
        if (loaded) {
            int keyCode = static_cast<int>(wParam);
            Form_KeyDown(keyCode, KeyShiftState());
            if (!StillOurs(hwnd, this)) return 0;
        }
        break;
    default: {
        // Runs the form's own mouse events; a handler may unload the form.
        using Events = EventsOf<Form, &Form::Form_MouseDown, &Form::Form_MouseUp, &Form::Form_MouseMove,
                                &Form::Form_DblClick, &Form::Form_Click>;
        if (Route(hwnd, msg, wParam, lParam, mouseDownLeft_, Events{*this, hwnd})) return 0;
        break;
    }
    }
    // The window may have been let go above (a handler unloaded the form): the
    // system still gets the message, for the window it was sent to.
    return Default(hwnd, msg, wParam, lParam);
}

}  // namespace nimbra::forms
