// The forms engine with real windows on the test display: what a user would
// see on screen and which events a form's code would get, in which order.
// The skin and about tests reach most of the engine through real forms
// (rectangles, cursors, clicks, drags, the buffer's pixels, leak counts);
// what is here is what they do not reach.
#include <gtest/gtest.h>

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

// Records its events as text, so a sequence reads like the expected table.
class LogForm : public Form {
public:
    explicit LogForm(Log& log) : log_(log) {}
    int cancelQuery = 0, cancelUnload = 0;

protected:
    void Form_Load() override { Add("Load"); }
    void Form_Activate() override { Add("Activate"); }
    void Form_Deactivate() override { Add("Deactivate"); }
    void Form_GotFocus() override { Add("GotFocus"); }
    void Form_QueryUnload(int& cancel, int mode) override {
        cancel = cancelQuery;
        Add("QueryUnload " + std::to_string(mode));
    }
    void Form_Unload(int& cancel) override {
        cancel = cancelUnload;
        Add("Unload");
    }
    void Form_MouseDown(int b, int s, float x, float y) override { Add("MouseDown", b, s, x, y); }
    void Form_MouseMove(int b, int s, float x, float y) override { Add("MouseMove", b, s, x, y); }
    void Form_MouseUp(int b, int s, float x, float y) override { Add("MouseUp", b, s, x, y); }
    void Form_Click() override { Add("Click"); }

private:
    void Add(const std::string& event) { log_.push_back(event); }
    void Add(const char* event, int b, int s, float x, float y) {
        Add(std::string(event) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
            std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)));
    }
    Log& log_;
};

// One mouse message as the window procedure gets it: message, key flags, client point.
struct Input {
    UINT msg;
    WPARAM keys;
    int x, y;
};

void SendAll(HWND hwnd, std::initializer_list<Input> inputs) {
    for (const Input& i : inputs) SendMessageW(hwnd, i.msg, i.keys, MAKELPARAM(i.x, i.y));
}

// Lets messages run until done() or the deadline; timers need real time to pass.
void PumpUntil(DWORD ms, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
        DoEvents();
        Sleep(1);
    }
}

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

// With a window, what its DC reads back: what the window shows on screen.
void ExpectPixels(HDC dc, std::initializer_list<Px> expected, HWND window = nullptr) {
    if (window) dc = GetDC(window);
    for (const Px& p : expected) EXPECT_EQ(GetPixel(dc, p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
    if (window) ReleaseDC(window, dc);
}

// A DIB section of width x height pixels of the given depth, each pixel's
// bytes as color(x, y) gives them (blue lowest).
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

class Forms : public testing::Test {
protected:
    // The real pointer waits in a corner no test window covers, so it adds no mouse messages.
    void SetUp() override {
        SetCursorPos(1270, 1010);
        DoEvents();
    }
    // Shown, 300x200 pixels at (100, 100).
    static void ShowAt100(LogForm& form) {
        form.Show();
        form.Move(PixelsToTwipsX(100), PixelsToTwipsY(100), PixelsToTwipsX(300), PixelsToTwipsY(200));
    }
};

}  // namespace

TEST_F(Forms, LoadAndUnloadKeepTheListOfLoadedForms) {
    Log log;
    LogForm a(log), b(log);
    ASSERT_TRUE(a.Load());
    ASSERT_TRUE(b.Load());
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&a, &b}));
    a.cancelQuery = 1;
    EXPECT_FALSE(a.Unload());
    a.cancelQuery = 0;
    a.cancelUnload = 1;
    EXPECT_FALSE(a.Unload());
    a.cancelUnload = 0;
    EXPECT_TRUE(a.Unload());
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&b}));
    EXPECT_EQ(log, (Log{"Load", "Load", "QueryUnload 1", "QueryUnload 1", "Unload", "QueryUnload 1", "Unload"}));
    DestroyWindow(b.hWnd());  // destroyed from outside: no longer loaded either
    EXPECT_TRUE(LoadedForms().empty());

    // Show loads on demand and activates; the destructor asks nothing, so
    // even a form that always cancels goes.
    log.clear();
    HWND hwnd;
    {
        Log other;
        LogForm d(other), c(log);  // c goes first, while d is the active one
        c.Show();
        d.Show();
        EXPECT_EQ(log, (Log{"Load", "Activate", "GotFocus", "Deactivate"}));
        c.cancelQuery = 1;
        hwnd = c.hWnd();
        log.clear();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_EQ(log, Log{});
}

// The skin's tests click, double click and drag; these are the cases they do not make.
TEST_F(Forms, OnlyALeftPressAndReleaseInsideClicks) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    HWND h = form.hWnd();
    log.clear();
    SendAll(h, {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 5, 5}});
    EXPECT_EQ(GetCapture(), h);  // a drag out of the window keeps reporting
    SendAll(h, {{WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, -5, 300}, {WM_LBUTTONUP, MK_CONTROL, -5, 300},
                {WM_RBUTTONDOWN, MK_RBUTTON, 7, 7}, {WM_RBUTTONUP, 0, 7, 7}});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(log, (Log{"MouseDown 1 1 5,5", "MouseMove 3 0 -5,300", "MouseUp 1 2 -5,300", "MouseDown 2 0 7,7",
                        "MouseUp 2 0 7,7"}));
}

// The skin's tests read the back buffers; here is what reaches the screen.
TEST_F(Forms, TheWindowsShowTheirBackBuffersAndImagesTheirAlpha) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    Surface& s = form.Draw();
    s.BackColor = kGreen;
    form.Cls();
    form.Refresh();
    ExpectPixels(nullptr, {{5, 5, kGreen}, {299, 199, kGreen}}, form.hWnd());
    // Paint over the window behind the form's back; the next WM_PAINT brings the buffer back.
    HDC dc = GetDC(form.hWnd());
    RECT all{0, 0, 300, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(form.hWnd(), dc);
    InvalidateRect(form.hWnd(), nullptr, TRUE);
    UpdateWindow(form.hWnd());
    ExpectPixels(nullptr, {{5, 5, kGreen}, {299, 199, kGreen}}, form.hWnd());

    PictureBox box;
    ASSERT_TRUE(box.Create(form.hWnd(), 10, 20, 60, 40));
    box.Draw().BackColor = kRed;
    box.Cls();
    const Picture redBlue = DibPicture(2, 1, 24, [](int x, int) { return x ? 0x0000FFu : 0xFF0000u; });
    box.PaintPicture(redBlue, 20, 20, 4, 4, 1, 0, 1, 1);  // only the blue pixel
    box.Refresh();
    ExpectPixels(nullptr, {{0, 0, kRed}, {21, 21, kBlue}, {30, 30, kRed}}, box.hWnd());
    // An image's clear pixels show the form; a half-opaque red one (premultiplied) blends with it.
    Image blended;
    ASSERT_TRUE(blended.Create(form.hWnd(), 100, 10, 5, 5));
    blended.SetPicture(DibPicture(2, 1, 32, [](int x, int) { return x ? 0x80800000u : 0u; }));
    UpdateWindow(blended.hWnd());
    dc = GetDC(blended.hWnd());
    const COLORREF clear = GetPixel(dc, 0, 0), half = GetPixel(dc, 1, 0);
    ReleaseDC(blended.hWnd(), dc);
    EXPECT_EQ(clear, kGreen);
    EXPECT_NEAR(GetRValue(half), 128, 2);
    EXPECT_NEAR(GetGValue(half), 127, 2);
    EXPECT_EQ(GetBValue(half), 0);
}

// Scaling and cropping are compared with a plain stretch below; an icon goes through its mask.
TEST_F(Forms, PaintPictureMasksIcons) {
    // A 16x16 red icon whose top-left 8x8 corner is transparent, drawn at twice its size.
    std::vector<DWORD> color(16 * 16, 0xFF0000);
    BYTE mask[16 * 2] = {};
    for (int y = 0; y < 8; ++y) {
        mask[y * 2] = 0xFF;
        std::fill_n(color.begin() + y * 16, 8, 0);  // transparent pixels are black in the XOR image
    }
    ICONINFO info{TRUE, 0, 0, CreateBitmap(16, 16, 1, 1, mask), CreateBitmap(16, 16, 1, 32, color.data())};
    Picture icon = Picture::FromIcon(CreateIconIndirect(&info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    Surface s(nullptr);
    s.Resize(80, 60);
    s.BackColor = kBlue;
    s.Cls();
    s.PaintPicture(icon, 16, 0, 32, 32);
    ExpectPixels(s.hDC(), {{17, 1, kBlue}, {31, 15, kBlue}, {32, 16, kRed}, {40, 5, kRed}, {20, 20, kRed}});
}

// Repeated copies are laid from prepared brushes; whatever the kind of copy,
// the pixels must be exactly a plain stretch's, and the brushes stay few.
TEST_F(Forms, RepeatedCopiesPaintExactlyWhatAStretchPaints) {
    // Columns 4-7 alike on every row (a title bar's middle), rows 5-9 alike in
    // every column (a side edge), the rest all different. 24-bit, as the skin's pictures.
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
    reference.Resize(240, 200);
    reference.BackColor = kBlack;
    reference.Cls();
    SetStretchBltMode(reference.hDC(), COLORONCOLOR);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, piece.Bitmap());
    for (const Copy& c : copies)
        StretchBlt(reference.hDC(), c.x, c.y, c.w, c.h, source, c.sx, c.sy, c.sw, c.sh, SRCCOPY);
    SelectObject(source, old);  // a bitmap is in one DC at a time, and the surface needs it
    DeleteDC(source);

    const long start = Surface::LiveObjects();
    {
        Surface s(nullptr);
        s.Resize(240, 200);
        s.BackColor = kBlack;
        for (int round = 0; round < 2; ++round) {  // the first prepares, the second lays what was prepared
            s.Cls();
            for (const Copy& c : copies) s.PaintPicture(piece, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
            int wrong = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 240; ++x)
                    if (GetPixel(s.hDC(), x, y) != GetPixel(reference.hDC(), x, y) && ++wrong <= 5)
                        ADD_FAILURE() << "round " << round << ": pixel " << x << "," << y;
            EXPECT_EQ(wrong, 0) << "round " << round;
        }
        // Many different copies keep a bounded number of brushes.
        for (int size = 1; size <= 200; ++size) s.PaintPicture(piece, 0, 0, size % 60 + 1, 3);
        EXPECT_LE(Surface::LiveObjects(), start + 3 + 32);
    }
    EXPECT_EQ(Surface::LiveObjects(), start);
}

// The skin's caption shows that Print draws see-through text where it is put;
// what it cannot show is the font.
TEST_F(Forms, PrintAndTextSizeUseTheFontAndLeaveNothingSelected) {
    Surface s(nullptr);
    s.Resize(300, 120);
    s.FontName = L"Tahoma";
    s.FontSize = 12;
    HGDIOBJ font = GetCurrentObject(s.hDC(), OBJ_FONT);
    const std::wstring text = L"Grüße";
    const SIZE size = s.TextSize(text);
    s.Print(text);
    EXPECT_EQ(GetCurrentObject(s.hDC(), OBJ_FONT), font);
    EXPECT_EQ(s.CurrentY, size.cy);  // the next line
    s.FontBold = true;
    EXPECT_GT(s.TextSize(text).cx, size.cx);
    s.FontBold = false;
    s.FontSize = 24;
    EXPECT_GT(s.TextSize(text).cy, size.cy * 3 / 2);
}

TEST_F(Forms, PicturesShareOneHandleAndFreeItWithTheLastCopy) {
    HBITMAP bitmap;
    HICON icon;
    {
        Picture a = DibPicture(1, 1, 24, [](int, int) { return 0u; });
        Picture i = Picture::FromIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
        bitmap = a.Bitmap();
        icon = i.Icon();
        Picture b = a;
        a = Picture();
        EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info));
    EXPECT_TRUE(Picture::BitmapResource(GetModuleHandleW(nullptr), 4711).Empty());  // no such resource
}

TEST_F(Forms, ATimerMayDeleteItselfInItsTickAndTheOthersGoOn) {
    int once = 0, after = 0;
    auto* self = new Timer;
    self->Tick = [&] {
        ++once;
        delete self;
    };
    Timer other;
    other.Tick = [&] { after += once; };  // counts only once the first is gone
    for (Timer* t : {self, &other}) {
        t->SetInterval(5);
        t->SetEnabled(true);
    }
    PumpUntil(3000, [&] { return after >= 3; });
    EXPECT_EQ(once, 1);
    EXPECT_GE(after, 3);
}

// A modal Show that ends with its form, and a nested one refused, are the
// about window's (script and late-bound suites). Here: a quit in the middle,
// which must end the loop and stay for the real message loop, as after DoEvents.
TEST_F(Forms, AModalShowAndDoEventsLeaveAQuitForTheRealLoop) {
    Log log;
    LogForm form(log);
    Timer timer;
    timer.Tick = [] { PostQuitMessage(7); };
    timer.SetInterval(30);
    timer.SetEnabled(true);
    EXPECT_TRUE(form.Show(vbModal));
    timer.SetEnabled(false);
    EXPECT_TRUE(form.Loaded() && form.Visible());  // the quit ended the loop, not the form
    ExpectQuitLeft(7);

    form.cancelQuery = 1;
    log.clear();
    PostMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    PostQuitMessage(8);
    DoEvents();
    EXPECT_EQ(log, (Log{"QueryUnload 0"}));  // the close box's unload mode, and cancelled
    ExpectQuitLeft(8);
}
