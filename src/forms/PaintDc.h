// BeginPaint and EndPaint as one owner, with the rectangles to repaint: the
// pieces of the update region, so a window that repaints a frame of strips
// sends those strips to the screen, not the box around them.
#pragma once
#include <windows.h>

#include <vector>

#include "Handles.h"

namespace nimbra::forms {

class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) {
        const GdiObject<HRGN> update(CreateRectRgn(0, 0, 0, 0));
        const int kind = update ? GetUpdateRgn(hwnd, update.get(), FALSE) : ERROR;
        if (kind == COMPLEXREGION) {
            const DWORD size = GetRegionData(update.get(), 0, nullptr);
            std::vector<BYTE> data(size);
            auto* rd = reinterpret_cast<RGNDATA*>(data.data());
            if (size && GetRegionData(update.get(), size, rd)) {
                const RECT* r = reinterpret_cast<const RECT*>(rd->Buffer);
                pieces_.assign(r, r + rd->rdh.nCount);
            }
        }
        dc_ = BeginPaint(hwnd, &ps_);
        if (pieces_.empty()) pieces_.push_back(ps_.rcPaint);
    }
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }
    const std::vector<RECT>& pieces() const { return pieces_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
    std::vector<RECT> pieces_;
};

}  // namespace nimbra::forms
