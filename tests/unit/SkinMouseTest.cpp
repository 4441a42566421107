// The skin under the mouse: moving, resizing with its cursors and minimum size, title clicks and the
// system menu. The messages go to the skin with the screen cursor put where they say, as a person's mouse would.
#include <algorithm>

#include "EventSink.h"
#include "Skinned.h"
#include "../../src/skin/SkinTestApi.h"
#include "StandInOwner.h"

using namespace nimbra;
using namespace test;

namespace {

// One mouse message at the skin's client point (x, y), the cursor put there first.
void Mouse(frm* skin, UINT msg, WPARAM keys, int x, int y) {
    POINT p{x, y};
    ClientToScreen(skin->hWnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(skin->hWnd(), msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

// A left double click as the mouse reports it: DblClick in place of the second press.
void DoubleClick(frm* skin, int x, int y) {
    Mouse(skin, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Mouse(skin, WM_LBUTTONUP, 0, x, y);
    Mouse(skin, WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
    Mouse(skin, WM_LBUTTONUP, 0, x, y);
    forms::DoEvents();
}

// A left drag from (x, y) by (dx, dy) in steps, then the release where the last step ended; each point in the
// skin's coordinates of that moment, as the mouse reports them to a window that may move. By (0, 0) it is a click.
void Drag(frm* skin, int x, int y, int dx, int dy, int steps = 2) {
    POINT start{x, y};
    ClientToScreen(skin->hWnd(), &start);
    Mouse(skin, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    for (int i = 1; i <= steps + 1; ++i) {
        POINT p{start.x + dx * std::min(i, steps) / steps, start.y + dy * std::min(i, steps) / steps};
        ScreenToClient(skin->hWnd(), &p);
        Mouse(skin, i > steps ? WM_LBUTTONUP : WM_MOUSEMOVE, i > steps ? 0 : MK_LBUTTON, p.x, p.y);
    }
    forms::DoEvents();
}

// How far the skin's left, top, right and bottom edges lie from those of from, in pixels.
Edges Shift(frm* skin, const RECT& from) {
    const RECT r = WindowRect(skin->hWnd());
    return {r.left - from.left, r.top - from.top, r.right - from.right, r.bottom - from.bottom};
}

int Count(const std::wstring& text, const std::wstring& line) {
    int n = 0;
    for (size_t at = text.find(line); at != std::wstring::npos; at = text.find(line, at + 1)) ++n;
    return n;
}

using SkinMouse = SkinFixture;

TEST_F(SkinMouse, EachFrameZoneShowsItsSizingCursor) {
    auto&& [h, skin, host] = Skinned(Style(2));
    const int W = skin->ScaleWidth(), H = skin->ScaleHeight();  // the frame is 4 pixels wide
    // shape: what a person sees there; in the hole, from (4, 30) to (W - 4, H - 4), the host shows its own.
    const struct {
        int x, y, pointer;
        LPCWSTR shape;
    } points[] = {
        {2, 2, forms::vbSizeNWSE, IDC_SIZENWSE},         {100, 4, forms::vbSizeNS, IDC_SIZENS},
        {W - 4, 2, forms::vbSizeNESW, IDC_SIZENESW},     {4, 100, forms::vbSizeWE, nullptr},
        {W - 4, 100, forms::vbSizeWE, IDC_SIZEWE},       {0, H - 1, forms::vbSizeNESW, IDC_SIZENESW},
        {W - 1, H - 1, forms::vbSizeNWSE, IDC_SIZENWSE}, {100, H - 4, forms::vbSizeNS, IDC_SIZENS},
        {100, 15, forms::vbDefault, IDC_ARROW},          {5, 100, forms::vbDefault, nullptr},
        {W - 5, 100, forms::vbDefault, nullptr},
    };
    for (const auto& p : points) {
        Mouse(skin, WM_MOUSEMOVE, 0, p.x, p.y);
        EXPECT_EQ(skin->MousePointer(), p.pointer) << p.x << "," << p.y;
        if (!p.shape) continue;
        CURSORINFO shown{sizeof shown, 0, nullptr, {}};
        GetCursorInfo(&shown);
        EXPECT_EQ(shown.hCursor, LoadCursorW(nullptr, p.shape)) << p.x << "," << p.y;
    }
    // Without Resizeable the cursor stays as it is; maximised there are no zones.
    Mouse(skin, WM_MOUSEMOVE, 0, 2, 100);
    h.control->put_Resizeable(VARIANT_FALSE);
    Mouse(skin, WM_MOUSEMOVE, 0, 100, 15);
    EXPECT_EQ(skin->MousePointer(), forms::vbSizeWE);
    h.control->put_Resizeable(VARIANT_TRUE);
    skin->SetWindowState(forms::vbMaximized);
    Mouse(skin, WM_MOUSEMOVE, 0, 0, 0);
    EXPECT_EQ(skin->MousePointer(), forms::vbDefault);
    skin->SetWindowState(forms::vbNormal);
}

TEST_F(SkinMouse, TitleClicksMovesAndResizesEndingWithTheIconsDoubleClickThatCloses) {
    EventLog log(events_, {});
    auto&& [h, skin, host] = Skinned(Style(2), &log);
    Drag(skin, 100, 15, 0, 0);
    EXPECT_EQ(Count(Events(), L"TitleClicked\r\n"), 1);
    Drag(skin, 100, 60, 0, 0);  // below the band: not the title
    EXPECT_EQ(Count(Events(), L"TitleClicked\r\n"), 1);
    // The double click's second press brings DblClick: maximised, then restored.
    RECT from = WindowRect(skin->hWnd());
    DoubleClick(skin, 100, 15);
    ExpectState(h, skin, forms::vbMaximized);
    EXPECT_NE(Events().find(L"TitleDblClicked CancelMaxRestore=False"), std::wstring::npos);
    const RECT maximised = WindowRect(skin->hWnd());
    Drag(skin, 100, 10, 60, 40);  // a maximised form does not move
    EXPECT_TRUE(Same(maximised, WindowRect(skin->hWnd())));
    ExpectState(h, skin, forms::vbMaximized);
    DoubleClick(skin, 100, 10);
    ExpectState(h, skin, forms::vbNormal);
    EXPECT_EQ(Shift(skin, from), Edges{});
    // Right of the caption buttons' left edge nothing happens.
    DoubleClick(skin, skin->bTray.Left() + 1, 15);
    EXPECT_EQ(skin->WindowState(), forms::vbNormal);
    // Two steps, the second in the coordinates of the window the first moved: it moves during the drag.
    Drag(skin, 100, 15, 120, 80);
    EXPECT_EQ(Shift(skin, from), (Edges{120, 80, 120, 80}));
    ExpectWrapped(skin, host);
    // The right edge: nothing changes during the drag, the width at the release.
    from = WindowRect(skin->hWnd());
    const int W = skin->ScaleWidth(), resizes = Count(Events(), L"Resize\r\n");
    Mouse(skin, WM_LBUTTONDOWN, MK_LBUTTON, W - 2, 100);
    Mouse(skin, WM_MOUSEMOVE, MK_LBUTTON, W + 28, 100);
    Mouse(skin, WM_MOUSEMOVE, MK_LBUTTON, W + 58, 100);
    EXPECT_EQ(Shift(skin, from), Edges{});
    EXPECT_EQ(skin->MousePointer(), forms::vbSizeWE);
    EXPECT_EQ(Count(Events(), L"Resize\r\n"), resizes + 2);  // once per move, before the new size
    Mouse(skin, WM_LBUTTONUP, 0, W + 58, 100);
    EXPECT_EQ(Shift(skin, from), (Edges{0, 0, 60, 0}));
    EXPECT_EQ(skin->MousePointer(), forms::vbDefault);
    EXPECT_EQ(Count(Events(), L"Resize\r\n"), resizes + 2);
    // The bottom-left corner: left and bottom move, the right and top edges stay.
    from = WindowRect(skin->hWnd());
    Drag(skin, 1, skin->ScaleHeight() - 1, -30, 20);
    EXPECT_EQ(Shift(skin, from), (Edges{-30, 0, 0, 20}));
    // Far past the opposite edge: 500 twips (in whole pixels) remain, the opposite edge fixed.
    const long right = skin->Left() + skin->Width(), top = skin->Top();
    Drag(skin, 1, 100, skin->ScaleWidth() + 200, 0);
    EXPECT_EQ(skin->Width(), forms::PixelsToTwipsX(forms::TwipsToPixelsX(500)));
    EXPECT_EQ(skin->Left() + skin->Width(), right);
    Drag(skin, 10, skin->ScaleHeight() - 1, 0, -1000);
    EXPECT_EQ(skin->Height(), forms::PixelsToTwipsY(forms::TwipsToPixelsY(500)));
    EXPECT_EQ(skin->Top(), top);
    // A click in place changes nothing; without Resizeable the band's top edge moves the form.
    skin->Move(1500, 1500, 6000, 4500);
    from = WindowRect(skin->hWnd());
    Drag(skin, skin->ScaleWidth() - 1, 100, 0, 0);
    EXPECT_EQ(Shift(skin, from), Edges{});
    h.control->put_Resizeable(VARIANT_FALSE);
    Drag(skin, 100, 1, 10, 10);
    EXPECT_EQ(Shift(skin, from), (Edges{10, 10, 10, 10}));
    // On the icon (6 <= x <= 22, rows 8 to 24) the double click closes the host without the close event.
    DoubleClick(skin, 22, 16);
    EXPECT_FALSE(IsWindow(host));
    EXPECT_EQ(Events().find(L"CloseButtonClicked"), std::wstring::npos);
}

TEST_F(SkinMouse, ACancelledDoubleClickKeepsTheStateAndToolWindowsNeverMaximise) {
    for (int style : {2, 5}) {
        SCOPED_TRACE(style);
        EventLog log(events_, {L"TitleDblClicked"});
        auto&& [h, skin, host] = Skinned(Style(style), &log);
        const RECT normal = WindowRect(skin->hWnd());
        DoubleClick(skin, 60, 10);
        EXPECT_EQ(skin->WindowState(), forms::vbNormal);
        EXPECT_TRUE(Same(normal, WindowRect(skin->hWnd())));
        EXPECT_EQ(Count(Events(), L"TitleDblClicked CancelMaxRestore=False -> True"), style == 2 ? 1 : 0);
    }
}

// Before the system menu shows, the host gets WM_INITMENUPOPUP for it (the high word says "system menu"); the skin
// then enables what it allows. Which of restore, move, size, minimise, maximise and close are greyed, as "1" and "0".
std::string Greyed(HWND host) {
    const HMENU menu = GetSystemMenu(host, FALSE);
    SendMessageW(host, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    std::string greyed;
    for (UINT command : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
        greyed += GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED ? '1' : '0';
    return greyed;
}

// The system menu runs its own loop; a timer inside it notes the menu's window and closes it, as Escape would.
std::vector<HWND> g_menus;
void CALLBACK CloseMenu(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    // The popup menus' window class is the atom 32768.
    if (HWND menu = FindWindowW(MAKEINTATOM(0x8000), nullptr); menu && IsWindowVisible(menu)) {
        g_menus.push_back(menu);
        KillTimer(hwnd, id);
        EndMenu();
    }
}

// A right click at (x, y) of the band; the menu it opens 100 ms later, inside
// the skin's timer, is closed. True when one opened.
bool MenuOpenedAndClosed(frm* skin, int x, int y) {
    g_menus.clear();
    // A window's timer: thread timers' ids are the system's to choose.
    const HWND watcher = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetTimer(watcher, 1, 20, CloseMenu);
    Mouse(skin, WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    Mouse(skin, WM_RBUTTONUP, 0, x, y);
    const DWORD start = GetTickCount();
    while (g_menus.empty() && GetTickCount() - start < 5000) forms::RunUntilQuiet(20, 100);
    DestroyWindow(watcher);
    forms::RunUntilQuiet(50, 2000);  // the menu's closing, then the skin's own steps after it
    return g_menus.size() == 1;
}

TEST_F(SkinMouse, ARightClickInTheBandOpensTheSystemMenuWhoseEntriesFollowTheSkin) {
    auto&& [h, skin, host] = Skinned(Style(2));
    ASSERT_TRUE(MenuOpenedAndClosed(skin, 100, 15));
    // The release after the menu does nothing, and no move starts before it.
    const RECT here = WindowRect(skin->hWnd());
    Drag(skin, 100, 15, 50, 25, 1);
    EXPECT_EQ(Shift(skin, here), Edges{});
    Drag(skin, 100, 15, 20, 0);
    EXPECT_EQ(Shift(skin, here), (Edges{20, 0, 20, 0}));
    EXPECT_EQ(Greyed(host), "100000");
    for (auto put : {&xpForm::put_Moveable, &xpForm::put_Resizeable, &xpForm::put_MinButtonEnabled,
                     &xpForm::put_CloseButtonEnabled})
        (h.control.Get()->*put)(VARIANT_FALSE);
    EXPECT_EQ(Greyed(host), "111101");
    Drag(skin, 100, 15, 50, 50);  // a locked form moves nothing
    EXPECT_EQ(Shift(skin, here), (Edges{20, 0, 20, 0}));
    h.control->put_Moveable(VARIANT_TRUE);
    h.control->put_Resizeable(VARIANT_TRUE);
    // The menu's Move and Size run the system's loop on the host alone; at its end the skin wraps it again.
    SetWindowPos(host, nullptr, 300, 250, 420, 280, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(host, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(WindowRect(host).left, 300);
    ExpectWrapped(skin, host);
    DoubleClick(skin, 100, 15);
    ASSERT_EQ(skin->WindowState(), forms::vbMaximized);
    EXPECT_EQ(Greyed(host), "011111");
}

// Under the silent switch a failed Resizeable read is one skipped statement: the press still decides to move, the
// release still applies an armed resize. Reported, the release ends there and the resize is not applied.
TEST_F(SkinMouse, AFailedResizeableReadSkipsOnlyItsOwnStatement) {
    auto&& [h, skin, host] = Skinned(Style(2));
    auto owner = Make<StandInOwner>();  // Moveable and Resizeable True
    const ComPtr<SkinOwner> control = SkinTestApi::SwapOwner(*skin, owner);
    owner->failing = {L"Resizeable"};
    SetSilentError(true);
    RECT from = WindowRect(skin->hWnd());
    Drag(skin, 100, 15, 30, 20, 1);
    EXPECT_EQ(Shift(skin, from), (Edges{30, 20, 30, 20}));
    // The right edge armed while the read works; the release fails to read it.
    for (bool silent : {true, false}) {
        SetSilentError(silent);
        const int W = skin->ScaleWidth();
        owner->failing.clear();
        from = WindowRect(skin->hWnd());
        Mouse(skin, WM_LBUTTONDOWN, MK_LBUTTON, W - 2, 100);
        owner->failing = {L"Resizeable"};
        Mouse(skin, WM_LBUTTONUP, 0, W + 38, 100);
        forms::DoEvents();
        EXPECT_EQ(Shift(skin, from), (silent ? Edges{0, 0, 40, 0} : Edges{0, 0, 0, 0})) << silent;
    }
    reportsExpected_ = true;
    ASSERT_EQ(reports_.Reports().size(), 1u);
    EXPECT_EQ(reports_.Reports()[0][5], L"Form_MouseUp");
    owner->failing.clear();
    SkinTestApi::SwapOwner(*skin, control);
}

// A resize armed by a press whose release the menu's end swallows is over: no later release applies it, least of all
// to a maximised skin (random input found the maximised skin resized away from its host this way).
TEST_F(SkinMouse, ASwallowedReleaseEndsTheResizeItBelongsTo) {
    auto&& [h, skin, host] = Skinned(kAllButtons);
    ASSERT_TRUE(MenuOpenedAndClosed(skin, 100, 15));
    const RECT normal = WindowRect(skin->hWnd());
    Mouse(skin, WM_LBUTTONDOWN, MK_LBUTTON, 2, 2);  // the top left corner
    Mouse(skin, WM_LBUTTONUP, 0, 40, 40);            // swallowed
    EXPECT_TRUE(Same(WindowRect(skin->hWnd()), normal));
    Click(skin->bRestore);
    ASSERT_EQ(skin->WindowState(), forms::vbMaximized);
    // A right click's release comes before its menu, and nothing disarms on the way.
    ASSERT_TRUE(MenuOpenedAndClosed(skin, 300, 10));
    ExpectState(h, skin, forms::vbMaximized);
}

}  // namespace
