// An owned GDI region: deleted when the owner goes, unless handed to a window
// with Release (SetWindowRgn makes the window its owner). Live regions are
// counted, since Wine's GetGuiResources answers 0.
#pragma once
#include <windows.h>

#include <atomic>

namespace nimbra::forms {

class Region {
public:
    explicit Region(HRGN region) : region_(region) {
        if (region_) ++Live();
    }
    static Region Rect(int x1, int y1, int x2, int y2) { return Region(CreateRectRgn(x1, y1, x2, y2)); }
    static Region RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
        return Region(CreateRoundRectRgn(x1, y1, x2, y2, w, h));
    }
    Region(Region&& other) noexcept : region_(other.region_) { other.region_ = nullptr; }
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;
    Region& operator=(Region&& other) noexcept {
        if (this != &other) {
            Reset();
            region_ = other.region_;
            other.region_ = nullptr;
        }
        return *this;
    }
    ~Region() { Reset(); }

    HRGN Get() const { return region_; }
    // Combines other into this one (RGN_AND, RGN_OR, RGN_DIFF); other is deleted
    // by its owner as soon as it goes.
    int Combine(const Region& other, int mode) { return CombineRgn(region_, region_, other.region_, mode); }
    // Hands the region over (to SetWindowRgn); the caller owns it now.
    HRGN Release() {
        HRGN r = region_;
        if (r) --Live();
        region_ = nullptr;
        return r;
    }
    void Reset() {
        if (region_) {
            DeleteObject(region_);
            --Live();
        }
        region_ = nullptr;
    }
    static long LiveCount() { return Live(); }

    // True when the window's shape is already exactly this region. Setting the
    // same shape again costs a full repaint of the window (and under Wine a
    // round trip to the X server) and changes nothing.
    bool IsShapeOf(HWND hwnd) const {
        Region current = Rect(0, 0, 0, 0);
        return region_ && current.Get() && GetWindowRgn(hwnd, current.Get()) != ERROR &&
               EqualRgn(current.Get(), region_);
    }

private:
    static std::atomic<long>& Live() {
        static std::atomic<long> live{0};
        return live;
    }
    HRGN region_;
};

}  // namespace nimbra::forms
