// Child controls of a form: picture box, image, label and timer. Their
// events are std::function members the owner assigns. Each class's code is in
// the file of its name.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "Picture.h"
#include "Surface.h"

namespace nimbra::forms {

// Base of the windowed child controls. Geometry in pixels of the parent's client area.
class ChildWindow {
public:
    virtual ~ChildWindow();
    ChildWindow(const ChildWindow&) = delete;
    ChildWindow& operator=(const ChildWindow&) = delete;

    HWND hWnd() const { return hwnd_; }
    // Creates the child window in parent; returns false on failure.
    bool Create(HWND parent, int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height);
    bool Visible() const;
    void SetVisible(bool visible);
    // A disabled control takes no mouse input.
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // With MousePointer vbCustom (99) the cursor over the control is MouseIcon
    // (an icon or cursor picture; a cursor brings its own hot spot).
    int MousePointer = 0;
    Picture MouseIcon;
    std::wstring Tag;

    std::function<void(int button, int shift, float x, float y)> MouseDown, MouseMove, MouseUp;
    std::function<void()> Click, DblClick, GotFocus;

protected:
    ChildWindow() = default;
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void Paint(HDC dc, const RECT& area) {}
    // What lies below a see-through control: its parent's picture.
    void PaintParentBackground(HDC dc) const;

private:
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Detach();  // the window is gone: forget it
    HWND hwnd_ = nullptr;
    bool mouseDownLeft_ = false;  // a left press began here, so its release may click
};

// A box with its own persistent surface (AutoRedraw) that can also hold a
// Picture shown at its top-left corner behind what was drawn. A newly
// assigned picture replaces what was drawn (at the next Draw() or paint);
// Cls clears to BackColor and brings the picture back.
class PictureBox : public ChildWindow {
public:
    PictureBox() = default;
    Surface& Draw();  // valid after Create
    void Cls() {
        Draw().Cls();
        shown_ = Picture();  // the picture comes back as the background
    }
    void PaintPicture(const Picture& p, int x, int y, int w, int h, int sx = 0, int sy = 0, int sw = -1, int sh = -1) {
        Draw().PaintPicture(p, x, y, w, h, sx, sy, sw, sh);
    }
    void Refresh();
    Picture picture;  // the stored picture (a picture store holds its bitmap here)

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    void ShowPicture();
    std::unique_ptr<Surface> surface_;
    Picture shown_;  // the picture last drawn into the surface as its background
};

// Shows a picture at its own size, or stretched to the control with Stretch.
// Icons and bitmaps with an alpha channel let the form show through.
class Image : public ChildWindow {
public:
    void SetPicture(const Picture& p);  // resizes the control to the picture unless Stretch
    const Picture& GetPicture() const { return picture_; }
    bool Stretch = false;

protected:
    void Paint(HDC dc, const RECT& area) override;

private:
    Picture picture_;
};

class Label : public ChildWindow {
public:
    void SetCaption(const std::wstring& text);
    std::wstring Caption() const { return caption_; }
    COLORREF ForeColor = RGB(0, 0, 0);
    std::wstring FontName = L"MS Sans Serif";
    float FontSize = 8.0f;
    bool FontBold = false, FontUnderline = false;

protected:
    void Paint(HDC dc, const RECT& area) override;

private:
    std::wstring caption_;
};

// A window timer. Interval in milliseconds; ticks only while Enabled and
// Interval > 0. Tick runs on the thread's message loop.
class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    void SetInterval(UINT ms);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }
    std::function<void()> Tick;

private:
    void Update();
    static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD);
    UINT interval_ = 0;
    bool enabled_ = false;
    UINT_PTR id_ = 0;
};

}  // namespace nimbra::forms
