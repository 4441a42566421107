// The forms engine on real windows where the skin and about tests do not reach it: loaded
// forms, what reaches the screen, icon masks, repeated copies, a quit inside its loops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../../src/forms/Controls.h"
#include "../../src/forms/Form.h"
#include "../../src/forms/Units.h"

using namespace nimbra::forms;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0), kBlack = RGB(0, 0, 0);

using Log = std::vector<std::string>;

// Records how it is unloaded.
struct LogForm : Form {
    void Form_QueryUnload(int&, int mode) override { log.push_back("QueryUnload " + std::to_string(mode)); }
    void Form_Unload(int&) override { log.push_back("Unload"); }
    Log log;
};

// A WM_QUIT a loop of the engine took must be back in the queue for the real loop.
void ExpectQuitLeft(WPARAM code) {
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, code);
}

struct Px {
    int x, y;
    COLORREF color;
};

void ExpectPixels(HDC dc, std::initializer_list<Px> expected) {
    for (const Px& p : expected) EXPECT_EQ(GetPixel(dc, p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
}

void Blank(Surface& s, int width, int height, COLORREF color) {
    s.Resize(width, height);
    s.BackColor = color;
    s.Cls();
}

// A DIB section, each pixel's bytes as color(x, y) gives them (blue lowest).
Picture DibPicture(int width, int height, int bits, const std::function<DWORD(int, int)>& color) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    void* data = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    const int bytes = bits / 8, stride = (width * bytes + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const DWORD c = color(x, y);
            memcpy(static_cast<BYTE*>(data) + y * stride + x * bytes, &c, bytes);
        }
    return Picture::FromBitmap(bitmap);
}

}  // namespace

// The skin's tests read the back buffers; here what a form's window and an image with alpha show.
TEST(Forms, AFormsWindowShowsItsBackBufferAndImagesTheirAlpha) {
    Form form;
    form.Show();
    form.Move(PixelsToTwipsX(100), PixelsToTwipsY(100), PixelsToTwipsX(300), PixelsToTwipsY(200));
    form.Draw().BackColor = kGreen;
    form.Cls();
    // Paint over the window behind the form's back: the next WM_PAINT brings the buffer back.
    HDC dc = GetDC(form.hWnd());
    RECT all{0, 0, 300, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InvalidateRect(form.hWnd(), nullptr, TRUE);
    UpdateWindow(form.hWnd());
    ExpectPixels(dc, {{5, 5, kGreen}, {299, 199, kGreen}});
    ReleaseDC(form.hWnd(), dc);
    // A half-opaque red pixel (premultiplied) blends with the form.
    Image blended;
    ASSERT_TRUE(blended.Create(form.hWnd(), 100, 10, 5, 5));
    blended.SetPicture(DibPicture(1, 1, 32, [](int, int) { return 0x80800000u; }));
    UpdateWindow(blended.hWnd());
    dc = GetDC(blended.hWnd());
    const COLORREF half = GetPixel(dc, 0, 0);
    ReleaseDC(blended.hWnd(), dc);
    EXPECT_TRUE(std::abs(GetRValue(half) - 128) <= 2 && std::abs(GetGValue(half) - 127) <= 2 && !GetBValue(half))
        << std::hex << half;
}

// The skin's icon test uses one without transparent pixels.
TEST(Forms, PaintPictureMasksIconsAndTheLastCopyFreesThem) {
    // A 16x16 red icon whose top-left 8x8 corner is transparent, drawn at twice its size.
    std::vector<DWORD> color(16 * 16, 0xFF0000);
    BYTE mask[16 * 2] = {};
    for (int y = 0; y < 8; ++y) {
        mask[y * 2] = 0xFF;
        std::fill_n(color.begin() + y * 16, 8, 0);  // transparent pixels are black in the XOR image
    }
    ICONINFO info{TRUE, 0, 0, CreateBitmap(16, 16, 1, 1, mask), CreateBitmap(16, 16, 1, 32, color.data())};
    const HICON handle = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    {
        Picture icon = Picture::FromIcon(handle), copy = icon;
        icon = Picture();
        Surface s(nullptr);
        Blank(s, 80, 60, kBlue);
        s.PaintPicture(copy, 16, 0, 32, 32);
        ExpectPixels(s.hDC(), {{17, 1, kBlue}, {31, 15, kBlue}, {32, 16, kRed}, {40, 5, kRed}, {20, 20, kRed}});
    }
    EXPECT_FALSE(GetIconInfo(handle, &info));
}

// Repeated copies are laid from prepared brushes: exactly a plain stretch's pixels, few brushes.
TEST(Forms, RepeatedCopiesPaintExactlyWhatAStretchPaints) {
    // Columns 4-7 alike on every row (a title's middle), rows 5-9 in every column (an edge).
    Picture piece = DibPicture(12, 10, 24, [](int x, int y) {
        if (x >= 4 && x < 8) return RGB(40, 200, 10 * y);
        if (y >= 5) return RGB(7, 90, 20 * x);
        return RGB(150, 17 * y, 20 * x);
    });
    struct Copy {
        int x, y, w, h, sx, sy, sw, sh;
    } copies[] = {
        {3, 2, 150, 9, 4, 0, 4, 5},      // a run across, its 5 rows to 9
        {0, 20, 200, 3, 4, 0, 4, 5},     // the same run, 5 rows dropped to 3
        {5, 30, 5, 120, 0, 5, 3, 2},     // a run downwards, 3 columns to 5
        {160, 30, 24, 17, 0, 0, 12, 10}, // small: kept whole
        {20, 160, 180, 7, 0, 0, 12, 5},  // long but not alike: stretched every time
        {205, 0, 30, 150, 0, 0, 12, 10}, // too big to keep whole, rows not alike: stretched
    };
    Surface reference(nullptr);
    Blank(reference, 240, 200, kBlack);
    SetStretchBltMode(reference.hDC(), COLORONCOLOR);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, piece.Bitmap());
    for (const Copy& c : copies)
        StretchBlt(reference.hDC(), c.x, c.y, c.w, c.h, source, c.sx, c.sy, c.sw, c.sh, SRCCOPY);
    SelectObject(source, old);  // a bitmap is in one DC at a time, and the surface needs it
    DeleteDC(source);

    const long start = LiveGdiObjects();
    {
        Surface s(nullptr);
        for (int round = 0; round < 2; ++round) {  // the first prepares, the second lays what was prepared
            Blank(s, 240, 200, kBlack);
            for (const Copy& c : copies) s.PaintPicture(piece, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
            int wrong = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 240; ++x)
                    if (GetPixel(s.hDC(), x, y) != GetPixel(reference.hDC(), x, y) && ++wrong <= 5)
                        ADD_FAILURE() << "round " << round << ": pixel " << x << "," << y;
            EXPECT_EQ(wrong, 0) << "round " << round;
        }
        for (int size = 1; size <= 200; ++size) s.PaintPicture(piece, 0, 0, size % 60 + 1, 3);
        EXPECT_LE(LiveGdiObjects(), start + 3 + 32);
    }
    EXPECT_EQ(LiveGdiObjects(), start);
}

// A quit inside a modal Show ends the loop, not the form, and stays for the real message
// loop, as after DoEvents. (A modal Show that ends with its form is the about window's.)
TEST(Forms, LoadedFormsAndAQuitLeftForTheRealLoopByAModalShowAndDoEvents) {
    LogForm form;
    Form other;
    Timer timer;
    timer.Tick = [] { PostQuitMessage(7); };
    timer.SetInterval(30);
    timer.SetEnabled(true);
    EXPECT_TRUE(form.Show(vbModal));
    timer.SetEnabled(false);
    EXPECT_TRUE(form.Loaded() && form.Visible());
    ExpectQuitLeft(7);
    ASSERT_TRUE(other.Load());
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&form, &other}));

    PostMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    PostQuitMessage(8);
    DoEvents();
    EXPECT_EQ(form.log, (Log{"QueryUnload 0", "Unload"}));  // the close box's unload mode
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&other}));
    ExpectQuitLeft(8);
    DestroyWindow(other.hWnd());
    EXPECT_TRUE(LoadedForms().empty());
}
