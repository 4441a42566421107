// The skin following its host form's messages: activation, maximise, restore,
// minimise and the system command Maximise, as the screen shows them.
#include <gtest/gtest.h>

#include "../../src/forms/Units.h"
#include "../../src/skin/SkinWindow.h"
#include "../../src/skin/frm.h"
#include "Hosted.h"
#include "TestSupport.h"

using namespace nimbra;
using test::Hosted;
using test::WindowRect;

namespace {

const std::string kSizeable = "      BorderStyle     =   2\r\n";


// The middle of the title bar as the back buffer holds it.
COLORREF Title(frm* skin) { return GetPixel(skin->Draw().hDC(), skin->ScaleWidth() / 2, 15); }

// The skin wraps the host in the normal state: frame 4, title 30 pixels.
void ExpectWrapped(frm* skin, HWND host) {
    const RECT outer = WindowRect(skin->hWnd()), inner = WindowRect(host);
    EXPECT_EQ(inner.left - outer.left, 4);
    EXPECT_EQ(inner.top - outer.top, 30);
    EXPECT_EQ(outer.right - inner.right, 4);
    EXPECT_EQ(outer.bottom - inner.bottom, 4);
}

class SkinMessages : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(false); }
    void TearDown() override {
        for (const auto& r : reports_.Reports())
            ADD_FAILURE() << "reported: " << std::string(r[4].begin(), r[4].end()) << " line "
                          << std::string(r[6].begin(), r[6].end());
    }
    test::RecordedReports reports_;
};

TEST_F(SkinMessages, ActivationOfTheHostDrawsTheActiveOrInactiveLook) {
    Hosted h(kSizeable, false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    ASSERT_TRUE(skin->IsWindowActive());
    const COLORREF active = Title(skin);

    // Another window takes the activation: the skin turns pale.
    forms::Form other;
    ASSERT_TRUE(other.Load(WS_OVERLAPPEDWINDOW));
    other.Move(0, 0, 1500, 1500);
    other.Show();
    forms::DoEvents();
    EXPECT_EQ(GetActiveWindow(), other.hWnd());
    EXPECT_FALSE(skin->IsWindowActive());
    EXPECT_NE(Title(skin), active);
    EXPECT_TRUE(skin->Visible());

    // Back to the host: active again, still wrapped around it.
    SetActiveWindow(h.Form().hWnd());
    forms::DoEvents();
    EXPECT_TRUE(skin->IsWindowActive());
    EXPECT_EQ(Title(skin), active);
    ExpectWrapped(skin, h.Form().hWnd());

    // A word parameter with a high word (a minimised window being activated)
    // is not WA_ACTIVE: the skin draws inactive.
    SendMessageW(h.Form().hWnd(), WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
    EXPECT_FALSE(skin->IsWindowActive());
    SendMessageW(h.Form().hWnd(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(skin->IsWindowActive());
    other.Unload();
}

TEST_F(SkinMessages, MaximiseAndRestoreOfTheHostTakeTheSkinAlong) {
    Hosted h(kSizeable, false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    const HWND host = h.Form().hWnd();
    const RECT normal = WindowRect(host);

    h.Form().SetWindowState(forms::vbMaximized);
    forms::DoEvents();
    EXPECT_EQ(skin->WindowState(), forms::vbMaximized);
    EXPECT_EQ(skin->LastWindowState, forms::vbMaximized);
    EXPECT_EQ(skin->TitleHeight, 26);
    // The host lies under the maximised title bar, across the skin's whole width.
    RECT outer = WindowRect(skin->hWnd()), inner = WindowRect(host);
    EXPECT_EQ(inner.left, outer.left);
    EXPECT_EQ(inner.right, outer.right);
    EXPECT_EQ(inner.top, outer.top + 26);
    // Only the title strip is left of the outline; the restore glyph stands in.
    HRGN outline = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(skin->hWnd(), outline), ERROR);
    EXPECT_TRUE(PtInRegion(outline, 5, 25));
    EXPECT_FALSE(PtInRegion(outline, 5, 26));
    EXPECT_TRUE(PtInRegion(outline, 0, 0));  // square corners
    DeleteObject(outline);
    EXPECT_TRUE(skin->bRestore.Visible());

    h.Form().SetWindowState(forms::vbNormal);
    forms::DoEvents();
    EXPECT_EQ(skin->WindowState(), forms::vbNormal);
    EXPECT_EQ(skin->LastWindowState, forms::vbNormal);
    EXPECT_EQ(skin->TitleHeight, 30);
    const RECT back = WindowRect(host);
    EXPECT_TRUE(EqualRect(&back, &normal));  // the system's remembered bounds
    ExpectWrapped(skin, host);

    // The system menu's Maximise takes the same path before the host sees it.
    SendMessageW(host, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    forms::DoEvents();
    EXPECT_EQ(skin->WindowState(), forms::vbMaximized);
    EXPECT_EQ(h.Form().WindowState(), forms::vbMaximized);
    h.Form().SetWindowState(forms::vbNormal);
    forms::DoEvents();
    ExpectWrapped(skin, host);
}

TEST_F(SkinMessages, MinimisingHidesTheSkinAndTheNextActivationShowsIt) {
    Hosted h(kSizeable, false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    h.Form().SetWindowState(forms::vbMinimized);
    forms::DoEvents();
    EXPECT_FALSE(skin->Visible());
    EXPECT_EQ(skin->WindowState(), forms::vbNormal);  // only hidden: its state stays
    EXPECT_EQ(skin->LastWindowState, forms::vbNormal);

    h.Form().SetWindowState(forms::vbNormal);
    SetActiveWindow(h.Form().hWnd());
    forms::DoEvents();
    EXPECT_TRUE(skin->Visible());
    EXPECT_TRUE(skin->IsWindowActive());
    ExpectWrapped(skin, h.Form().hWnd());
}

TEST_F(SkinMessages, OnceUnloadingTheNextMessageOnlyUnhooksTheHost) {
    Hosted h(kSizeable, false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    const HWND host = h.Form().hWnd();
    const LONG_PTR hooked = GetWindowLongPtrW(host, GWLP_WNDPROC);
    const RECT before = WindowRect(skin->hWnd());
    skin->Unloading = true;
    SendMessageW(host, WM_SIZE, SIZE_MAXIMIZED, 0);  // would maximise the skin if it were handled
    EXPECT_NE(GetWindowLongPtrW(host, GWLP_WNDPROC), hooked);
    EXPECT_EQ(skin->WindowState(), forms::vbNormal);
    const RECT after = WindowRect(skin->hWnd());
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(SendMessageW(host, WM_GETTEXTLENGTH, 0, 0), 12);  // the host's own procedure answers
}

}  // namespace
