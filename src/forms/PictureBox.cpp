#include "Controls.h"

namespace nimbra::forms {

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

}  // namespace nimbra::forms
