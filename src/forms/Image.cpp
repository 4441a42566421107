#include "Controls.h"

#include "Handles.h"

namespace nimbra::forms {

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
        PaintParentBackground(dc);
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

}  // namespace nimbra::forms
