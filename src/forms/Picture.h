// A picture as a form engine holds one: a bitmap or an icon, owned.
#pragma once
#include <windows.h>

#include <memory>

namespace nimbra::forms {

class Picture {
public:
    Picture() = default;
    // Takes ownership of the handle.
    static Picture FromBitmap(HBITMAP bitmap);
    static Picture FromIcon(HICON icon);
    // From this module's resources (RT_BITMAP or RT_GROUP_ICON); empty when missing.
    static Picture BitmapResource(HINSTANCE module, int id);
    static Picture IconResource(HINSTANCE module, int id, int size);
    // A cursor (RT_GROUP_CURSOR): drawn as an icon, and as a mouse icon it keeps its hot spot.
    static Picture CursorResource(HINSTANCE module, int id);

    bool Empty() const { return !handle_; }
    bool IsIcon() const;
    HBITMAP Bitmap() const;  // nullptr for an icon
    HICON Icon() const;      // nullptr for a bitmap
    // A 32-bit bitmap whose alpha channel is used (premultiplied colours, as
    // AlphaBlend wants them); one with all alpha zero is an ordinary bitmap.
    bool HasAlpha() const;
    int Width() const;       // pixels
    int Height() const;

private:
    struct Handle;
    template <class H>
    static Picture Owning(H handle);  // empty for a null handle
    std::shared_ptr<Handle> handle_;  // copies share the one GDI handle
};

}  // namespace nimbra::forms
