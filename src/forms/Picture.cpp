#include "Picture.h"

#include <cstdlib>

#include "Handles.h"

namespace nimbra::forms {

// The one owner of the GDI handle, through the counted owners; the size is
// read once because GetIconInfo makes two bitmap copies on every call.
struct Picture::Handle {
    explicit Handle(HBITMAP b);
    explicit Handle(HICON i);
    GdiObject<HBITMAP> bitmap;
    IconHandle icon;
    int width = 0, height = 0;
    bool alpha = false;
};

Picture::Handle::Handle(HBITMAP b) : bitmap(b) {
    BITMAP info{};
    if (!GetObjectW(b, sizeof info, &info)) return;
    width = info.bmWidth;
    height = std::abs(info.bmHeight);  // bottom-up DIB sections report it negative
    // Only a DIB section shows its bits; read once, as the size is.
    if (info.bmBitsPixel == 32 && info.bmBits) {
        const auto* pixel = static_cast<const DWORD*>(info.bmBits);
        const size_t count = static_cast<size_t>(info.bmWidth) * height;
        for (size_t i = 0; i < count && !alpha; ++i) alpha = (pixel[i] >> 24) != 0;
    }
}

Picture::Handle::Handle(HICON i) : icon(i) {
    ICONINFO info{};
    if (!GetIconInfo(i, &info)) return;
    // GetIconInfo hands out copies, ours to delete.
    const GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        width = bm.bmWidth;
        height = bm.bmHeight;
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof bm, &bm)) {
        // A monochrome icon keeps its AND and XOR masks stacked in one bitmap.
        width = bm.bmWidth;
        height = bm.bmHeight / 2;
    }
}

template <class H>
Picture Picture::Owning(H handle) {
    Picture p;
    if (handle) p.handle_ = std::make_shared<Handle>(handle);
    return p;
}

Picture Picture::FromBitmap(HBITMAP bitmap) { return Owning(bitmap); }

Picture Picture::FromIcon(HICON icon) { return Owning(icon); }

Picture Picture::BitmapResource(HINSTANCE module, int id) {
    // A DIB section keeps the stored colours whatever the screen depth.
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return FromBitmap(bitmap);
}

Picture Picture::IconResource(HINSTANCE module, int id, int size) {
    // No LR_SHARED: the picture destroys its icon, which a shared one must never be.
    auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    return FromIcon(icon);
}

Picture Picture::CursorResource(HINSTANCE module, int id) {
    auto cursor = static_cast<HCURSOR>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, 0));
    return FromIcon(cursor);  // a cursor handle is an icon handle with a hot spot
}

bool Picture::HasAlpha() const { return handle_ && handle_->alpha; }
bool Picture::IsIcon() const { return handle_ && handle_->icon; }
HBITMAP Picture::Bitmap() const { return handle_ ? handle_->bitmap.get() : nullptr; }
HICON Picture::Icon() const { return handle_ ? handle_->icon.get() : nullptr; }
int Picture::Width() const { return handle_ ? handle_->width : 0; }
int Picture::Height() const { return handle_ ? handle_->height : 0; }

}  // namespace nimbra::forms
