// A persistent drawing surface: a back buffer the size of a window's client
// area that keeps what was painted last and is shown again on every
// WM_PAINT. Form and PictureBox draw through it. Coordinates are pixels.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "Picture.h"

namespace nimbra::forms {

// A font of that face and point size for text on dc; the caller owns it.
HFONT MakeFont(HDC dc, const std::wstring& name, float points, bool bold, bool underline = false);

class Surface {
public:
    explicit Surface(HWND window);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Follows the client size of the window; keeps the old content where it still fits.
    void Resize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC hDC() const { return dc_.get(); }

    COLORREF BackColor = GetSysColor(COLOR_BTNFACE);
    COLORREF ForeColor = RGB(0, 0, 0);
    std::wstring FontName = L"MS Sans Serif";
    float FontSize = 8.0f;  // points
    bool FontBold = false;
    float CurrentX = 0, CurrentY = 0;

    // Fills the buffer with BackColor and sets CurrentX and CurrentY to 0.
    void Cls();
    // Copies the source rectangle (sx, sy, sw, sh) of the picture into the
    // destination rectangle (x, y, w, h), scaling each axis on its own. A
    // negative w or h mirrors that axis (the image is drawn leftwards from x
    // or upwards from y). An icon is drawn through its mask. sw or sh of -1
    // means the picture's whole width or height.
    void PaintPicture(const Picture& picture, int x, int y, int w, int h, int sx = 0, int sy = 0, int sw = -1,
                      int sh = -1);
    // Draws text with its top-left corner at (CurrentX, CurrentY) in the current
    // font and ForeColor, background transparent; afterwards CurrentY moves to
    // the next line and CurrentX back to 0, as a classic Print does.
    void Print(const std::wstring& text);
    // Size of text in the current font, pixels.
    SIZE TextSize(const std::wstring& text) const;
    // Copies the buffer to a window DC (the WM_PAINT of the owner).
    void PaintTo(HDC target, const RECT& area) const;

private:
    // Copies repeat: a skin redraws the same pieces at the same scales. A copy
    // made before is laid again from a pattern brush holding its scaled image,
    // with no bitmap selected and no scaling. A long copy whose source lines
    // are all alike along it keeps only a tile of its scaled line, so its
    // brush does not depend on the length and survives resizing.
    struct Prepared {
        Picture picture;  // keeps the handle, so the key cannot be reused while cached
        int sx, sy, sw, sh;
        int w, h;      // the copy's size; 0 on the axis of a run, whatever its length
        GdiObject<HBRUSH> brush;  // empty: a run whose lines differ, stretched each time
    };
    bool PaintPrepared(const Picture& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
    const Prepared& Prepare(const Picture& picture, int sx, int sy, int sw, int sh, int w, int h);

    HWND window_;
    MemoryDc dc_;
    MemoryDc source_;  // kept for PaintPicture: a DC per copy costs more than the copy
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<Prepared> prepared_;
};

}  // namespace nimbra::forms
