// The forms engine with real windows on the test display: what a user would
// see on screen and which events a form's code would get, in which order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Soak.h"
#include "../../src/forms/Controls.h"
#include "../../src/forms/Form.h"
#include "../../src/forms/Units.h"

using namespace nimbra::forms;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0),
                   kWhite = RGB(255, 255, 255);

using Log = std::vector<std::string>;

std::string Describe(const char* event, int button, int shift, float x, float y) {
    return std::string(event) + " " + std::to_string(button) + " " + std::to_string(shift) + " " +
           std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
}

// Records its events as text, so a sequence reads like the expected table.
class LogForm : public Form {
public:
    explicit LogForm(Log& log) : log_(log) {}
    int cancelQuery = 0, cancelUnload = 0;
    std::function<void(LogForm&)> onClick, onMouseUp;

protected:
    void Form_Load() override { log_.push_back("Load"); }
    void Form_Resize() override { log_.push_back("Resize"); }
    void Form_Activate() override { log_.push_back("Activate"); }
    void Form_Deactivate() override { log_.push_back("Deactivate"); }
    void Form_GotFocus() override { log_.push_back("GotFocus"); }
    void Form_QueryUnload(int& cancel, int mode) override {
        log_.push_back("QueryUnload " + std::to_string(mode));
        cancel = cancelQuery;
    }
    void Form_Unload(int& cancel) override {
        log_.push_back("Unload");
        cancel = cancelUnload;
    }
    void Form_MouseDown(int b, int s, float x, float y) override { Mouse("MouseDown", b, s, x, y); }
    void Form_MouseMove(int b, int s, float x, float y) override { Mouse("MouseMove", b, s, x, y); }
    void Form_MouseUp(int b, int s, float x, float y) override {
        Mouse("MouseUp", b, s, x, y);
        if (onMouseUp) onMouseUp(*this);
    }
    void Form_Click() override {
        log_.push_back("Click");
        if (onClick) onClick(*this);
    }
    void Form_DblClick() override { log_.push_back("DblClick"); }
    void Form_KeyDown(int& key, int shift) override {
        log_.push_back("KeyDown " + std::to_string(key) + " " + std::to_string(shift));
    }

private:
    void Mouse(const char* name, int b, int s, float x, float y) { log_.push_back(Describe(name, b, s, x, y)); }
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
void PumpUntil(DWORD ms, const std::function<bool()>& done = [] { return false; }) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < ms) {
        DoEvents();
        Sleep(1);
    }
}

struct Px {
    int x, y;
    COLORREF color;
};

void ExpectPixels(HDC dc, std::initializer_list<Px> expected) {
    for (const Px& p : expected) EXPECT_EQ(GetPixel(dc, p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
}

// The cursor a window sets when the mouse rests over the given part of it.
HCURSOR CursorOver(HWND hwnd, int hit = HTCLIENT) {
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(hit, WM_MOUSEMOVE));
    return GetCursor();
}

// A window's DC reads back what the window shows on screen.
void ExpectOnScreen(HWND hwnd, std::initializer_list<Px> expected) {
    HDC dc = GetDC(hwnd);
    ExpectPixels(dc, expected);
    ReleaseDC(hwnd, dc);
}


// 2x2: red, blue on top; green, white below.
Picture Quadrants() {
    const DWORD bits[] = {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF};
    return Picture::FromBitmap(CreateBitmap(2, 2, 1, 32, bits));
}

// 16x16 red icon whose top-left 8x8 corner is transparent.
Picture CornerIcon() {
    std::vector<DWORD> color(16 * 16, 0xFF0000);
    BYTE mask[16 * 2] = {};
    for (int y = 0; y < 8; ++y) {
        mask[y * 2] = 0xFF;
        for (int x = 0; x < 8; ++x) color[y * 16 + x] = 0;  // transparent pixels are black in the XOR image
    }
    ICONINFO info{TRUE, 0, 0, CreateBitmap(16, 16, 1, 1, mask), CreateBitmap(16, 16, 1, 32, color.data())};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return Picture::FromIcon(icon);
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

TEST_F(Forms, TwipsRoundToTheNearestPixel) {
    HDC screen = GetDC(nullptr);
    const int tpp = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    EXPECT_EQ(TwipsPerPixelY(), 1440 / GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(TwipsPerPixelX(), tpp);
    for (long px : {0L, 1L, 37L, 1279L, -3L}) EXPECT_EQ(TwipsToPixelsX(PixelsToTwipsX(px)), px);
    EXPECT_EQ(TwipsToPixelsX(20 * tpp + (tpp - 1) / 2), 20);
    EXPECT_EQ(TwipsToPixelsX(20 * tpp + tpp / 2 + 1), 21);
    EXPECT_EQ(TwipsToPixelsX(-2 * tpp - tpp / 2 - 1), -3);
    EXPECT_EQ(ScreenWidth(), GetSystemMetrics(SM_CXSCREEN) * tpp);
    EXPECT_EQ(ScreenHeight(), GetSystemMetrics(SM_CYSCREEN) * TwipsPerPixelY());
}

TEST_F(Forms, DoEventsRunsWhatIsQueuedAndLeavesTheQuitForTheRealLoop) {
    Log log;
    LogForm form(log);
    ASSERT_TRUE(form.Load());
    form.cancelQuery = 1;
    PostMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    PostQuitMessage(7);
    DoEvents();
    EXPECT_EQ(log, (Log{"Load", "QueryUnload 0"}));  // the close box's unload mode, and cancelled
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    DWORD start = GetTickCount();
    DoEvents();  // nothing queued: straight back
    EXPECT_LT(GetTickCount() - start, 500u);
}

TEST_F(Forms, GeometryIsTwipsOfTheOuterRectangle) {
    Log log;
    LogForm popup(log), framed(log), child(log);
    ASSERT_TRUE(popup.Load(WS_POPUP));
    popup.Move(1500, 750, 4500, 3000);
    RECT r;
    GetWindowRect(popup.hWnd(), &r);
    EXPECT_EQ(std::vector<long>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<long>({TwipsToPixelsX(1500), TwipsToPixelsY(750), TwipsToPixelsX(4500), TwipsToPixelsY(3000)}));
    EXPECT_EQ(popup.ScaleWidth(), TwipsToPixelsX(4500));  // no frame: the client is the whole window
    popup.SetTop(1500);
    popup.SetWidth(3000);
    EXPECT_EQ(std::vector<long>({popup.Left(), popup.Top(), popup.Width(), popup.Height()}),
              std::vector<long>({1500, 1500, 3000, 3000}));

    ASSERT_TRUE(framed.Load(WS_OVERLAPPEDWINDOW));
    framed.Move(0, 0, 6000, 4500);
    GetClientRect(framed.hWnd(), &r);
    EXPECT_EQ(framed.Width(), 6000);
    EXPECT_EQ(framed.ScaleWidth(), r.right);
    EXPECT_EQ(framed.ScaleHeight(), r.bottom);
    EXPECT_LT(framed.ScaleHeight(), TwipsToPixelsY(4500));  // caption and frame are not client

    ASSERT_TRUE(child.Load(WS_CHILD, 0, popup.hWnd()));
    child.Move(300, 450, 1500, 1500);
    GetWindowRect(child.hWnd(), &r);
    EXPECT_EQ(r.left, TwipsToPixelsX(1500) + TwipsToPixelsX(300));  // parent client coordinates
    EXPECT_EQ(child.Left(), 300);
    EXPECT_EQ(child.Top(), 450);
}

TEST_F(Forms, LoadAndUnloadKeepTheListOfLoadedForms) {
    Log log;
    LogForm a(log), b(log);
    ASSERT_TRUE(a.Load());
    ASSERT_TRUE(b.Load());
    EXPECT_FALSE(a.Visible());  // loaded, not shown
    EXPECT_EQ(a.Draw().Width(), a.ScaleWidth());
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&a, &b}));
    a.cancelQuery = 1;
    EXPECT_FALSE(a.Unload());
    a.cancelQuery = 0;
    a.cancelUnload = 1;
    EXPECT_FALSE(a.Unload());
    EXPECT_TRUE(IsWindow(a.hWnd()));
    a.cancelUnload = 0;
    EXPECT_TRUE(a.Unload());
    EXPECT_FALSE(a.Loaded());
    EXPECT_EQ(LoadedForms(), (std::vector<Form*>{&b}));
    EXPECT_EQ(log, (Log{"Load", "Load", "QueryUnload 1", "QueryUnload 1", "Unload", "QueryUnload 1", "Unload"}));
    DestroyWindow(b.hWnd());  // destroyed from outside: no longer loaded either
    EXPECT_FALSE(b.Loaded());
    EXPECT_TRUE(LoadedForms().empty());

    // Show loads on demand and activates; the destructor asks nothing, so
    // even a form that always cancels goes.
    log.clear();
    HWND hwnd;
    {
        Log other;
        LogForm d(other), c(log);  // c goes first, while d is the active one
        c.Show();
        EXPECT_EQ(log, (Log{"Load", "Activate", "GotFocus"}));
        d.Show();
        EXPECT_EQ(log.back(), "Deactivate");
        c.cancelQuery = 1;
        hwnd = c.hWnd();
        log.clear();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_EQ(log, Log{});
}

TEST_F(Forms, MouseAndKeyEventsComeInTheClassicOrder) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    HWND h = form.hWnd();
    log.clear();
    SendAll(h, {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 10, 20}});
    EXPECT_EQ(GetCapture(), h);  // a drag out of the window keeps reporting
    SendAll(h, {{WM_LBUTTONUP, MK_SHIFT | MK_CONTROL, 11, 21}});
    EXPECT_EQ(GetCapture(), nullptr);
    SendAll(h, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5},  // a double click
                {WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 5}, {WM_LBUTTONUP, 0, 5, 5}});
    EXPECT_EQ(log, (Log{"MouseDown 1 1 10,20", "MouseUp 1 3 11,21", "Click", "MouseDown 1 0 5,5", "MouseUp 1 0 5,5",
                        "Click", "DblClick", "MouseUp 1 0 5,5"}));

    // Released outside: still reported, thanks to the capture, but no click; nor from the right button.
    log.clear();
    SendAll(h, {{WM_LBUTTONDOWN, MK_LBUTTON, 5, 5}, {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, -5, 300},
                {WM_LBUTTONUP, 0, -5, 300}, {WM_RBUTTONDOWN, MK_RBUTTON, 7, 7}, {WM_RBUTTONUP, 0, 7, 7}});
    EXPECT_EQ(log, (Log{"MouseDown 1 0 5,5", "MouseMove 3 0 -5,300", "MouseUp 1 0 -5,300", "MouseDown 2 0 7,7",
                        "MouseUp 2 0 7,7"}));

    // Alt is not in the message; the thread's key state has it.
    BYTE keys[256], held[256];
    GetKeyboardState(keys);
    std::copy(keys, keys + 256, held);
    held[VK_MENU] = 0x80;
    SetKeyboardState(held);
    log.clear();
    SendAll(h, {{WM_MOUSEMOVE, 0, 1, 2}});
    SetKeyboardState(keys);
    EXPECT_EQ(log, (Log{"MouseMove 0 4 1,2"}));
    log.clear();
    SendMessageW(h, WM_KEYDOWN, VK_F1, 1);
    EXPECT_EQ(log, Log{"KeyDown 112 0"});
}

TEST_F(Forms, AFormMayUnloadOrDeleteItselfInItsOwnEvent) {
    Log log;
    LogForm form(log);
    form.Show();
    form.onClick = [](LogForm& f) { f.Unload(); };
    log.clear();
    SendAll(form.hWnd(), {{WM_LBUTTONDOWN, MK_LBUTTON, 3, 3}, {WM_LBUTTONUP, 0, 3, 3}});
    EXPECT_FALSE(form.Loaded());
    // No Deactivate: a form being unloaded raises nothing after Form_Unload.
    EXPECT_EQ(log, (Log{"MouseDown 1 0 3,3", "MouseUp 1 0 3,3", "Click", "QueryUnload 1", "Unload"}));

    auto* doomed = new LogForm(log);
    doomed->Show();
    doomed->onMouseUp = [](LogForm& f) { delete &f; };
    HWND h = doomed->hWnd();
    log.clear();
    SendAll(h, {{WM_LBUTTONDOWN, MK_LBUTTON, 3, 3}, {WM_LBUTTONUP, 0, 3, 3}});
    EXPECT_EQ(log, (Log{"MouseDown 1 0 3,3", "MouseUp 1 0 3,3"}));  // no Click from a form that is gone
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(LoadedForms().empty());
}

TEST_F(Forms, WindowStateMinimisesMaximisesAndRestores) {
    Log log;
    LogForm form(log);
    ASSERT_TRUE(form.Load(WS_OVERLAPPEDWINDOW));
    ShowAt100(form);
    const long normalWidth = form.ScaleWidth();
    log.clear();
    form.SetWindowState(vbMaximized);
    EXPECT_EQ(form.WindowState(), vbMaximized);
    const long maxWidth = form.ScaleWidth();
    EXPECT_GT(maxWidth, normalWidth);
    EXPECT_EQ(form.Draw().Width(), maxWidth);  // the buffer follows the client
    EXPECT_EQ(log, Log{"Resize"});
    form.SetWindowState(vbMinimized);
    EXPECT_EQ(form.WindowState(), vbMinimized);
    EXPECT_EQ(form.ScaleWidth(), 0);
    EXPECT_EQ(form.Draw().Width(), maxWidth);  // kept while the client is empty
    form.SetWindowState(vbNormal);  // normal, not back to maximised
    EXPECT_EQ(form.WindowState(), vbNormal);
    EXPECT_EQ(form.Draw().Width(), normalWidth);
    form.SetVisible(false);
    EXPECT_FALSE(form.Visible());
}

TEST_F(Forms, MousePointerAndMouseIconSetTheCursorOverTheClientOnly) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    HWND h = form.hWnd();
    const std::pair<int, LPCWSTR> pointers[] = {{vbSizeNESW, IDC_SIZENESW}, {vbSizeNS, IDC_SIZENS},
                                                {vbSizeNWSE, IDC_SIZENWSE}, {vbSizeWE, IDC_SIZEWE},
                                                {vbDefault, IDC_ARROW}};
    for (auto [pointer, cursor] : pointers) {
        form.SetMousePointer(pointer);
        EXPECT_EQ(CursorOver(h), LoadCursorW(nullptr, cursor)) << "MousePointer " << pointer;
    }
    form.SetMousePointer(vbSizeWE);
    EXPECT_NE(CursorOver(h, HTCAPTION), LoadCursorW(nullptr, IDC_SIZEWE));
    // A control's own MouseIcon counts only with vbCustom.
    Image image;
    ASSERT_TRUE(image.Create(h, 200, 150, 16, 16));
    const Picture icon = CornerIcon();
    image.MouseIcon = icon;
    EXPECT_EQ(CursorOver(image.hWnd()), LoadCursorW(nullptr, IDC_ARROW));
    image.MousePointer = vbCustom;
    EXPECT_EQ(CursorOver(image.hWnd()), icon.Icon());
    // With the mouse resting on the form a new pointer shows without waiting for a move.
    SetCursorPos(120, 120);
    PumpUntil(100);
    form.SetMousePointer(vbSizeNS);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));
}

TEST_F(Forms, TheWindowShowsTheBackBufferAndResizeKeepsIt) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    Surface& s = form.Draw();
    s.BackColor = kGreen;
    form.Cls();
    form.Refresh();
    ExpectOnScreen(form.hWnd(), {{5, 5, kGreen}, {299, 199, kGreen}});
    // Paint over the window behind the form's back; the next WM_PAINT brings the buffer back.
    HDC dc = GetDC(form.hWnd());
    RECT all{0, 0, 300, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(form.hWnd(), dc);
    ExpectOnScreen(form.hWnd(), {{5, 5, RGB(0, 0, 0)}});
    InvalidateRect(form.hWnd(), nullptr, TRUE);
    UpdateWindow(form.hWnd());
    ExpectOnScreen(form.hWnd(), {{5, 5, kGreen}, {299, 199, kGreen}});

    // Resize keeps what fits, fills the rest with BackColor, and keeps the hDC.
    HDC before = s.hDC();
    s.BackColor = kBlue;
    s.Resize(320, 220);
    EXPECT_EQ(s.hDC(), before);
    ExpectPixels(s.hDC(), {{299, 199, kGreen}, {310, 10, kBlue}, {10, 210, kBlue}});
    s.Resize(50, 50);
    EXPECT_EQ(s.Width(), 50);
    ExpectPixels(s.hDC(), {{49, 49, kGreen}});
}

TEST_F(Forms, PaintPictureScalesMirrorsCropsAndMasksIcons) {
    const COLORREF black = RGB(0, 0, 0);
    Surface s(nullptr);
    s.Resize(80, 60);
    s.BackColor = black;
    Picture quad = Quadrants();
    s.Cls();
    s.PaintPicture(quad, 0, 0, 20, 20);
    s.PaintPicture(quad, 60, 0, -20, 20);  // covers 40..59, left and right swapped
    ExpectPixels(s.hDC(), {{0, 0, kRed}, {9, 9, kRed}, {10, 0, kBlue}, {0, 10, kGreen}, {19, 19, kWhite},
                           {20, 20, black}, {39, 5, black}, {40, 5, kBlue}, {49, 5, kBlue}, {50, 5, kRed},
                           {59, 15, kGreen}, {60, 5, black}});
    s.Cls();
    s.PaintPicture(quad, 0, 40, 20, -20);              // covers rows 20..39, upside down
    s.PaintPicture(quad, 30, 30, 10, 10, 1, 0, 1, 1);  // only the blue source pixel
    ExpectPixels(s.hDC(), {{5, 19, black}, {5, 20, kGreen}, {15, 39, kBlue}, {5, 40, black}, {30, 30, kBlue},
                           {39, 39, kBlue}, {40, 40, black}, {29, 35, black}});

    Picture icon = CornerIcon();
    s.BackColor = kBlue;
    s.Cls();
    s.PaintPicture(icon, 0, 0, 16, 16);
    s.PaintPicture(icon, 16, 0, 32, 32);   // twice the size: the corner is 16x16 now
    s.PaintPicture(icon, 80, 0, -32, 32);  // mirrored into 48..79: the corner moves right
    ExpectPixels(s.hDC(), {{2, 2, kBlue}, {12, 2, kRed}, {2, 12, kRed}, {31, 15, kBlue}, {32, 16, kRed},
                           {75, 5, kBlue}, {50, 5, kRed}, {75, 20, kRed}});
}

// A 24-bit DIB section, as the library's own pictures are stored.
Picture DibPicture(int width, int height, const std::function<COLORREF(int, int)>& color) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = static_cast<BYTE*>(bits) + y * stride + x * 3;
            const COLORREF c = color(x, y);
            p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
        }
    return Picture::FromBitmap(bitmap);
}

// Repeated copies are laid from prepared brushes; whatever the kind of copy,
// the pixels must be exactly a plain stretch's.
TEST_F(Forms, RepeatedCopiesPaintExactlyWhatAStretchPaints) {
    // Columns 4-7 alike on every row (a title bar's middle), rows 5-9 alike in
    // every column (a side edge), the rest all different.
    Picture piece = DibPicture(12, 10, [](int x, int y) {
        if (x >= 4 && x < 8) return RGB(10 * y, 200, 40);
        if (y >= 5) return RGB(20 * x, 90, 7);
        return RGB(20 * x, 17 * y, 150);
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
    HDC screen = GetDC(nullptr);
    HDC reference = CreateCompatibleDC(screen), source = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 240, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldCanvas = SelectObject(reference, canvas);
    SetStretchBltMode(reference, COLORONCOLOR);
    RECT all{0, 0, 240, 200};
    FillRect(reference, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ oldSource = SelectObject(source, piece.Bitmap());
    for (const Copy& c : copies) StretchBlt(reference, c.x, c.y, c.w, c.h, source, c.sx, c.sy, c.sw, c.sh, SRCCOPY);
    SelectObject(source, oldSource);

    const long start = Surface::LiveObjects();
    {
        Surface s(nullptr);
        s.Resize(240, 200);
        s.BackColor = RGB(0, 0, 0);
        for (int round = 0; round < 2; ++round) {  // the first prepares, the second lays what was prepared
            s.Cls();
            for (const Copy& c : copies) s.PaintPicture(piece, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
            int wrong = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 240; ++x)
                    if (GetPixel(s.hDC(), x, y) != GetPixel(reference, x, y) && ++wrong <= 5)
                        ADD_FAILURE() << "round " << round << ": pixel " << x << "," << y;
            EXPECT_EQ(wrong, 0) << "round " << round;
        }
        // Many different copies keep a bounded number of brushes.
        for (int size = 1; size <= 200; ++size) s.PaintPicture(piece, 0, 0, size % 60 + 1, 3);
        EXPECT_LE(Surface::LiveObjects(), start + 3 + 32);
    }
    EXPECT_EQ(Surface::LiveObjects(), start);
    SelectObject(reference, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(reference);
    DeleteDC(source);
}

TEST_F(Forms, PrintDrawsTransparentTextLineByLine) {
    Surface s(nullptr);
    s.Resize(300, 120);
    s.BackColor = kBlue;
    s.ForeColor = kRed;
    s.FontName = L"Tahoma";
    s.FontSize = 12;
    s.Cls();
    HGDIOBJ font = GetCurrentObject(s.hDC(), OBJ_FONT);
    const std::wstring text = L"Grüße";
    const SIZE size = s.TextSize(text);
    s.CurrentX = 10;
    s.CurrentY = 5;
    s.Print(text);
    s.Print(L"Zeile");  // the next line, at the left edge
    EXPECT_EQ(GetCurrentObject(s.hDC(), OBJ_FONT), font);  // nothing left selected
    EXPECT_EQ(s.CurrentX, 0);
    EXPECT_EQ(s.CurrentY, 5 + 2 * size.cy);
    int red = 0, blue = 0, white = 0, outside = 0, below = 0;
    for (int y = 0; y < 5 + 2 * size.cy; ++y)
        for (int x = 0; x < 150; ++x) {
            COLORREF c = GetPixel(s.hDC(), x, y);
            if (y >= 5 + size.cy)
                below += x < 10 && c == kRed;
            else if (x < 10 || x >= 10 + size.cx || y < 5)
                outside += c != kBlue;
            else
                red += c == kRed, blue += c == kBlue, white += c == kWhite;  // white: an opaque background
        }
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 0);
    EXPECT_EQ(white, 0);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(below, 0);
    s.FontBold = true;
    EXPECT_GT(s.TextSize(text).cx, size.cx);
    s.FontBold = false;
    s.FontSize = 24;
    EXPECT_GT(s.TextSize(text).cy, size.cy * 3 / 2);
}

TEST_F(Forms, NoGdiObjectOutlivesItsSurface) {
    const long start = Surface::LiveObjects();
    Picture quad = Quadrants(), icon = CornerIcon();
    HDC dc;
    HGDIOBJ bitmap;
    {
        Log log;
        LogForm form(log);
        ASSERT_TRUE(form.Load());
        Surface& s = form.Draw();
        EXPECT_EQ(Surface::LiveObjects(), start + 3);  // its memory DC, its bitmap, its source DC
        for (int i = 0, n = test::SoakRounds(50, 1000); i < n; ++i) {
            s.Cls();
            s.Print(L"Zeile");
            s.TextSize(L"Breite");
            s.PaintPicture(quad, 20, 0, -20, 20);
            s.PaintPicture(icon, 5, 5, 32, 32, 0, 0, 8, 8);
            s.Resize(100 + i % 7, 80 + i % 5);
        }
        EXPECT_EQ(Surface::LiveObjects(), start + 3);
        dc = s.hDC();
        bitmap = GetCurrentObject(dc, OBJ_BITMAP);
        ASSERT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
        {
            PictureBox box;
            ASSERT_TRUE(box.Create(form.hWnd(), 0, 0, 40, 30));
            box.Draw().Print(L"x");
            EXPECT_EQ(Surface::LiveObjects(), start + 6);
        }
        EXPECT_EQ(Surface::LiveObjects(), start + 3);
    }
    EXPECT_EQ(Surface::LiveObjects(), start);
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST_F(Forms, PicturesShareOneHandleAndFreeItWithTheLastCopy) {
    HBITMAP bitmap;
    HICON icon;
    {
        Picture a = Quadrants(), i = CornerIcon();
        bitmap = a.Bitmap();
        icon = i.Icon();
        Picture b = a;
        a = Picture();
        EXPECT_TRUE(a.Empty());
        EXPECT_EQ(b.Width(), 2);
        EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(icon, &info));

    EXPECT_TRUE(Picture::BitmapResource(GetModuleHandleW(nullptr), 4711).Empty());
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    Picture app = Picture::IconResource(user32, 32512, 32);  // IDI_APPLICATION
    EXPECT_TRUE(app.IsIcon());
    EXPECT_EQ(app.Width(), 32);
    Picture close = Picture::BitmapResource(user32, 32754);  // OBM_CLOSE
    DIBSECTION dib{};
    EXPECT_EQ(GetObjectW(close.Bitmap(), sizeof dib, &dib), static_cast<int>(sizeof dib));  // a DIB section
    EXPECT_EQ(close.Width(), dib.dsBm.bmWidth);
}

TEST_F(Forms, TimerTicksOnlyWhileEnabledAndMayDeleteItself) {
    int ticks = 0;
    Timer timer;
    timer.Tick = [&] { ++ticks; };
    timer.SetInterval(10);
    PumpUntil(150);
    EXPECT_EQ(ticks, 0);  // not enabled
    timer.SetEnabled(true);
    PumpUntil(3000, [&] { return ticks >= 3; });
    EXPECT_GE(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    PumpUntil(150);
    EXPECT_EQ(ticks, stopped);
    timer.SetInterval(0);
    timer.SetEnabled(true);  // no interval, no ticks
    PumpUntil(150);
    EXPECT_EQ(ticks, stopped);
    timer.SetInterval(5);
    PumpUntil(3000, [&] { return ticks > stopped; });
    EXPECT_GT(ticks, stopped);

    int once = 0;
    auto* self = new Timer;
    self->Tick = [&] {
        ++once;
        delete self;
    };
    self->SetInterval(5);
    self->SetEnabled(true);
    PumpUntil(3000, [&] { return once > 0; });
    PumpUntil(100);
    EXPECT_EQ(once, 1);
}

TEST_F(Forms, PictureBoxShowsItsSurfaceWithThePictureBehind) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    PictureBox box;
    ASSERT_TRUE(box.Create(form.hWnd(), 10, 20, 60, 40));
    EXPECT_EQ(std::vector<int>({box.Left(), box.Top(), box.Width(), box.Height(), box.Draw().Width()}),
              std::vector<int>({10, 20, 60, 40, 60}));
    box.Draw().BackColor = kGreen;
    box.Cls();
    box.Refresh();
    ExpectOnScreen(box.hWnd(), {{30, 30, kGreen}});
    box.picture = Quadrants();
    box.PaintPicture(Quadrants(), 20, 20, 4, 4, 1, 0, 1, 1);  // lands on top of the new picture
    box.Refresh();
    ExpectOnScreen(box.hWnd(), {{0, 0, kRed}, {1, 1, kWhite}, {21, 21, kBlue}, {30, 30, kGreen}});
    box.Cls();
    box.Refresh();
    ExpectOnScreen(box.hWnd(), {{21, 21, kGreen}, {1, 0, kBlue}});  // the drawing went, the picture is back
    box.Move(10, 20, 80, 50);
    EXPECT_EQ(box.Draw().Width(), 80);
    EXPECT_EQ(box.Draw().Height(), 50);
}

TEST_F(Forms, ImageLabelAndAlphaPicturesShowTheFormThroughTheirBackground) {
    Log log;
    LogForm form(log);
    ShowAt100(form);
    form.Draw().BackColor = kBlue;
    form.Cls();
    form.Refresh();

    Image image;
    ASSERT_TRUE(image.Create(form.hWnd(), 100, 10, 50, 50));
    image.SetPicture(Quadrants());
    EXPECT_EQ(image.Width(), 2);  // sized to the picture
    image.Stretch = true;
    image.Move(100, 10, 20, 20);
    image.SetPicture(Quadrants());
    EXPECT_EQ(image.Width(), 20);
    UpdateWindow(image.hWnd());
    ExpectOnScreen(image.hWnd(), {{5, 5, kRed}, {15, 5, kBlue}, {15, 15, kWhite}});
    image.Stretch = false;
    image.SetPicture(CornerIcon());
    UpdateWindow(image.hWnd());
    ExpectOnScreen(image.hWnd(), {{2, 2, kBlue}, {12, 12, kRed}});  // the form's buffer shows through

    Label label;
    ASSERT_TRUE(label.Create(form.hWnd(), 10, 80, 150, 30));
    label.ForeColor = kRed;
    label.FontSize = 14;
    label.SetCaption(L"Größe & Höhe");
    UpdateWindow(label.hWnd());
    EXPECT_EQ(label.Caption(), L"Größe & Höhe");
    int red = 0, blue = 0, face = 0;
    HDC dc = GetDC(label.hWnd());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 150; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            red += c == kRed, blue += c == kBlue, face += c == GetSysColor(COLOR_BTNFACE);
        }
    ReleaseDC(label.hWnd(), dc);
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 0);
    EXPECT_EQ(face, 0);

    // Left pixel clear, right one half-opaque red (premultiplied), over the blue form.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(dib);
    static_cast<DWORD*>(bits)[0] = 0;
    static_cast<DWORD*>(bits)[1] = 0x80800000;
    Image blended;
    ASSERT_TRUE(blended.Create(form.hWnd(), 50, 10, 5, 5));
    blended.SetPicture(Picture::FromBitmap(dib));
    UpdateWindow(blended.hWnd());
    dc = GetDC(blended.hWnd());
    const COLORREF clear = GetPixel(dc, 0, 0), half = GetPixel(dc, 1, 0);
    ReleaseDC(blended.hWnd(), dc);
    EXPECT_EQ(clear, kBlue);
    EXPECT_NEAR(GetRValue(half), 128, 2);
    EXPECT_EQ(GetGValue(half), 0);
    EXPECT_NEAR(GetBValue(half), 127, 2);
}

TEST_F(Forms, ChildControlsReportTheMouseAndNotWhenDisabled) {
    Log log, events;
    LogForm form(log);
    ShowAt100(form);
    PictureBox box;
    ASSERT_TRUE(box.Create(form.hWnd(), 10, 10, 50, 50));
    auto mouse = [&](const char* name) {
        return [&events, name](int b, int s, float x, float y) { events.push_back(Describe(name, b, s, x, y)); };
    };
    box.MouseDown = mouse("MouseDown");
    box.MouseUp = mouse("MouseUp");
    box.Click = [&] { events.push_back("Click"); };
    box.DblClick = [&] { events.push_back("DblClick"); };
    SendAll(box.hWnd(), {{WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 5, 6}, {WM_LBUTTONUP, MK_CONTROL, 5, 6},
                         {WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 6}, {WM_LBUTTONUP, 0, 70, 6}});
    EXPECT_EQ(events, (Log{"MouseDown 1 2 5,6", "MouseUp 1 2 5,6", "Click", "DblClick", "MouseUp 1 0 70,6"}));

    // A real click on the screen: the box gets it while enabled, the form once it is disabled.
    auto click = [&] {
        events.clear();
        log.clear();
        SetCursorPos(100 + 35, 100 + 35);
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof(INPUT));
        PumpUntil(300);
        SetCursorPos(1270, 1010);
    };
    click();
    EXPECT_EQ(events, (Log{"MouseDown 1 0 25,25", "MouseUp 1 0 25,25", "Click"}));
    box.SetEnabled(false);
    EXPECT_FALSE(box.Enabled());
    EXPECT_EQ(ChildWindowFromPointEx(form.hWnd(), POINT{30, 30}, CWP_SKIPDISABLED), form.hWnd());
    click();
    EXPECT_TRUE(events.empty());
    EXPECT_NE(std::find(log.begin(), log.end(), "Click"), log.end());
}

TEST_F(Forms, AModalShowRunsUntilTheFormIsUnloaded) {
    Log log;
    LogForm form(log);
    Timer timer;
    int ticks = 0;
    bool nestedRefused = false;
    timer.Tick = [&] {
        if (++ticks == 1)
            nestedRefused = !form.Show(vbModal);  // already shown modally
        else
            form.Unload();
    };
    timer.SetInterval(30);
    timer.SetEnabled(true);
    EXPECT_TRUE(form.Show(vbModal));
    timer.SetEnabled(false);
    EXPECT_FALSE(form.Loaded());
    EXPECT_TRUE(nestedRefused);
    EXPECT_EQ(ticks, 2);

    // A WM_QUIT ends the modal loop with the form still shown and is left for the real loop.
    timer.Tick = [] { PostQuitMessage(7); };
    timer.SetEnabled(true);
    EXPECT_TRUE(form.Show(vbModal));
    timer.SetEnabled(false);
    EXPECT_TRUE(form.Loaded() && form.Visible());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    // The same form can be shown modally again.
    timer.Tick = [&] { form.Unload(); };
    timer.SetEnabled(true);
    EXPECT_TRUE(form.Show(vbModal));
    EXPECT_FALSE(form.Loaded());
}
