#include "Surface.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Handles.h"

namespace nimbra::forms {

namespace {

void Fill(HDC dc, int width, int height, COLORREF color) {
    // The stock DC brush takes any colour without creating a brush object.
    RECT all{0, 0, width, height};
    SetDCBrushColor(dc, color);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Copies up to this many pixels are kept whole; longer ones only as runs, from
// this length on. A run's tile repeats its line kTile times: a longer pattern
// means fewer, longer row copies when the brush is laid.
constexpr int kSmall = 64 * 64, kLongRun = 64, kTile = 256;
constexpr size_t kMaxPrepared = 32;
// Sources are read whole to test a run; pictures above this size are not.
constexpr int kMaxSourcePixels = 256 * 256;

// True when every line of the source rectangle is one colour along the run:
// each row across it (across) or each column down it.
bool Uniform(HDC dc, HBITMAP bitmap, int width, int height, int sx, int sy, int sw, int sh, bool across) {
    if (width * height > kMaxSourcePixels) return false;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    if (GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) return false;
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; };
    for (int y = sy; y < sy + sh; ++y)
        for (int x = sx; x < sx + sw; ++x)
            if (at(x, y) != (across ? at(sx, y) : at(x, sy))) return false;
    return true;
}

// The copy's scaled image as a pattern brush. For a run (w or h 0) the
// source is one line wide along the run and the tile repeats it; across the
// run it is scaled exactly as the copy is, since a stretch scales each axis
// on its own.
HBRUSH Tile(HDC dc, HDC source, HBITMAP bitmap, int sx, int sy, int sw, int sh, int w, int h) {
    const int tw = w ? w : kTile, th = h ? h : kTile;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), tw, -th, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    GdiObject<HBITMAP> tile(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc tileDc(CreateCompatibleDC(dc));
    if (!tile || !tileDc) return nullptr;
    {
        Selection into(tileDc.get(), tile.get());
        Selection from(source, bitmap);
        SetStretchBltMode(tileDc.get(), COLORONCOLOR);
        StretchBlt(tileDc.get(), 0, 0, tw, th, source, sx, sy, w ? sw : 1, h ? sh : 1, SRCCOPY);
    }
    return CreatePatternBrush(tile.get());  // the brush keeps its own copy
}

}  // namespace

HFONT MakeFont(HDC dc, const std::wstring& name, float points, bool bold, bool underline) {
    // Negative height asks for the character height (the point size), not the cell.
    int height = -static_cast<int>(std::lround(points * GetDeviceCaps(dc, LOGPIXELSY) / 72.0));
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       name.c_str());
}

Surface::Surface(HWND window) : window_(window) {
    RECT client{};
    if (window_) GetClientRect(window_, &client);
    width_ = std::max(0L, client.right);
    height_ = std::max(0L, client.bottom);

    {
        WindowDc screen(window_);
        dc_.reset(CreateCompatibleDC(screen.get()));
        source_.reset(CreateCompatibleDC(screen.get()));
        // A bitmap compatible with the window (not with the memory DC, which would
        // make it monochrome); at least 1x1 so a hidden, empty client still has one.
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), std::max(width_, 1), std::max(height_, 1)));
    }
    if (!dc_ || !bitmap_) return;
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
    SetStretchBltMode(dc_.get(), COLORONCOLOR);
    Cls();
}

Surface::~Surface() {
    // The buffer goes only once it is no longer selected; the owners do the rest.
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

void Surface::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (!dc_ || !bitmap_ || (width == width_ && height == height_)) return;
    GdiObject<HBITMAP> fresh(CreateCompatibleBitmap(dc_.get(), std::max(width, 1), std::max(height, 1)));
    if (!fresh) return;
    {
        MemoryDc copy(CreateCompatibleDC(dc_.get()));
        Selection select(copy.get(), fresh.get());
        Fill(copy.get(), width, height, BackColor);
        BitBlt(copy.get(), 0, 0, std::min(width, width_), std::min(height, height_), dc_.get(), 0, 0, SRCCOPY);
    }
    // The DC stays the same, so an hDC a caller holds stays valid across resizes.
    SelectObject(dc_.get(), fresh.get());
    bitmap_ = std::move(fresh);
    width_ = width;
    height_ = height;
}

void Surface::Cls() {
    if (dc_) Fill(dc_.get(), std::max(width_, 1), std::max(height_, 1), BackColor);
    CurrentX = 0;
    CurrentY = 0;
}

void Surface::PaintPicture(const Picture& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    if (!dc_ || !source_ || picture.Empty() || w == 0 || h == 0) return;
    if (sw == -1) sw = picture.Width();
    if (sh == -1) sh = picture.Height();
    if (sw <= 0 || sh <= 0) return;
    // A mirrored StretchBlt covers the pixel at its start and stops short of
    // start + width (the well-known "x + w - 1, -w" flip); a negative w here
    // means the pixels x + w .. x - 1, so start one pixel further in.
    int dx = w < 0 ? x - 1 : x;
    int dy = h < 0 ? y - 1 : y;

    // Monochrome sources (masks, 1-bit bitmaps) take the DC's text and
    // background colours: 0 bits black, 1 bits white, whatever Print left set.
    COLORREF oldText = SetTextColor(dc_.get(), RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dc_.get(), RGB(255, 255, 255));
    if (!picture.IsIcon()) {
        if (!PaintPrepared(picture, x, y, w, h, sx, sy, sw, sh)) {
            Selection select(source_.get(), picture.Bitmap());
            StretchBlt(dc_.get(), dx, dy, w, h, source_.get(), sx, sy, sw, sh, SRCCOPY);
        }
    } else {
        ICONINFO info{};
        if (GetIconInfo(picture.Icon(), &info)) {
            GdiObject<HBITMAP> mask(info.hbmMask), color(info.hbmColor);
            // Classic icon drawing: the AND mask clears the opaque pixels and
            // keeps the transparent ones, then the colour image is XORed in
            // (its transparent pixels are black, so they change nothing).
            {
                Selection select(source_.get(), mask.get());
                StretchBlt(dc_.get(), dx, dy, w, h, source_.get(), sx, sy, sw, sh, SRCAND);
                // A monochrome icon stores its XOR image below the AND mask.
                if (!color.get())
                    StretchBlt(dc_.get(), dx, dy, w, h, source_.get(), sx, sy + picture.Height(), sw, sh, SRCINVERT);
            }
            if (color.get()) {
                Selection select(source_.get(), color.get());
                StretchBlt(dc_.get(), dx, dy, w, h, source_.get(), sx, sy, sw, sh, SRCINVERT);
            }
        }
    }
    SetTextColor(dc_.get(), oldText);
    SetBkColor(dc_.get(), oldBack);
}

bool Surface::PaintPrepared(const Picture& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
    // A brush stands in exactly only for a copy that is not mirrored and reads
    // inside the picture.
    if (w <= 0 || h <= 0 || sx < 0 || sy < 0 || sx + sw > picture.Width() || sy + sh > picture.Height()) return false;
    const Prepared* p = nullptr;
    if (w * h <= kSmall)
        p = &Prepare(picture, sx, sy, sw, sh, w, h);
    else if (w >= kLongRun && w > sw && h <= kTile)
        p = &Prepare(picture, sx, sy, sw, sh, 0, h);
    else if (h >= kLongRun && h > sh && w <= kTile)
        p = &Prepare(picture, sx, sy, sw, sh, w, 0);
    if (!p || !p->brush) return false;
    POINT origin{};
    SetBrushOrgEx(dc_.get(), x, y, &origin);  // the pattern's top-left on the copy's top-left
    Selection select(dc_.get(), p->brush.get());
    PatBlt(dc_.get(), x, y, w, h, PATCOPY);
    SetBrushOrgEx(dc_.get(), origin.x, origin.y, nullptr);
    return true;
}

const Surface::Prepared& Surface::Prepare(const Picture& picture, int sx, int sy, int sw, int sh, int w, int h) {
    for (const Prepared& p : prepared_)
        if (p.picture.Bitmap() == picture.Bitmap() && p.sx == sx && p.sy == sy && p.sw == sw && p.sh == sh &&
            p.w == w && p.h == h)
            return p;
    if (prepared_.size() >= kMaxPrepared) prepared_.erase(prepared_.begin());
    GdiObject<HBRUSH> brush;
    if ((w && h) || Uniform(dc_.get(), picture.Bitmap(), picture.Width(), picture.Height(), sx, sy, sw, sh, !w))
        brush.reset(Tile(dc_.get(), source_.get(), picture.Bitmap(), sx, sy, sw, sh, w, h));
    prepared_.push_back(Prepared{picture, sx, sy, sw, sh, w, h, std::move(brush)});
    return prepared_.back();
}

void Surface::Print(const std::wstring& text) {
    if (!dc_) return;
    GdiObject<HFONT> font(MakeFont(dc_.get(), FontName, FontSize, FontBold));
    Selection select(dc_.get(), font.get());
    int oldMode = SetBkMode(dc_.get(), TRANSPARENT);
    COLORREF oldText = SetTextColor(dc_.get(), ForeColor);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_.get(), &metrics);
    TextOutW(dc_.get(), static_cast<int>(std::lround(CurrentX)), static_cast<int>(std::lround(CurrentY)), text.c_str(),
             static_cast<int>(text.size()));
    SetTextColor(dc_.get(), oldText);
    SetBkMode(dc_.get(), oldMode);
    CurrentX = 0;
    CurrentY += static_cast<float>(metrics.tmHeight);
}

SIZE Surface::TextSize(const std::wstring& text) const {
    SIZE size{};
    if (!dc_) return size;
    GdiObject<HFONT> font(MakeFont(dc_.get(), FontName, FontSize, FontBold));
    Selection select(dc_.get(), font.get());
    GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
    if (text.empty()) {
        // The extent of nothing has no height on every system; a line still has one.
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc_.get(), &metrics);
        size.cy = metrics.tmHeight;
    }
    return size;
}

void Surface::PaintTo(HDC target, const RECT& area) const {
    if (!dc_) return;
    // Only what the buffer holds; outside it there is nothing to copy.
    RECT copy{std::max(area.left, 0L), std::max(area.top, 0L), std::min(area.right, static_cast<LONG>(width_)),
              std::min(area.bottom, static_cast<LONG>(height_))};
    if (copy.right <= copy.left || copy.bottom <= copy.top) return;
    BitBlt(target, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, dc_.get(), copy.left, copy.top,
           SRCCOPY);
}

}  // namespace nimbra::forms
