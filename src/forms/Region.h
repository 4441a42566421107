// An owned GDI region: deleted when the owner goes, unless handed to a window
// with Release (SetWindowRgn makes the window its owner). Owned through the
// counted GDI owner, so the leak tests' count of drawing handles includes it.
#pragma once
#include <windows.h>

#include "Handles.h"

namespace nimbra::forms {

class Region {
public:
    explicit Region(HRGN region) : region_(region) {}
    static Region Rect(int x1, int y1, int x2, int y2) { return Region(CreateRectRgn(x1, y1, x2, y2)); }
    static Region RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
        return Region(CreateRoundRectRgn(x1, y1, x2, y2, w, h));
    }

    HRGN Get() const { return region_.get(); }
    // Combines other into this one (RGN_AND, RGN_OR, RGN_DIFF); other is deleted
    // by its owner as soon as it goes.
    int Combine(const Region& other, int mode) { return CombineRgn(Get(), Get(), other.Get(), mode); }
    // Hands the region over (to SetWindowRgn); the caller owns it now.
    HRGN Release() { return region_.take(); }
    void Reset() { region_.reset(); }
    // Regions owned right now, by a Region or any other owner of a region.
    static long LiveCount() { return handle::Gdi<HRGN>::Count(); }

    // True when the window's shape is already exactly this region. Setting the
    // same shape again costs a full repaint of the window (and under Wine a
    // round trip to the X server) and changes nothing.
    bool IsShapeOf(HWND hwnd) const {
        Region current = Rect(0, 0, 0, 0);
        return Get() && current.Get() && GetWindowRgn(hwnd, current.Get()) != ERROR && EqualRgn(current.Get(), Get());
    }

private:
    GdiObject<HRGN> region_;
};

}  // namespace nimbra::forms
