// The skin following its host form's messages: activation, maximise, restore,
// minimise and the system command Maximise, as the screen shows them.
#include "Skinned.h"

using namespace nimbra;
using namespace test;

namespace {

// The middle of the title bar as the back buffer holds it.
COLORREF Title(frm* skin) { return GetPixel(skin->Draw().hDC(), skin->ScaleWidth() / 2, 15); }

using SkinMessages = SkinFixture;

TEST_F(SkinMessages, TheSkinFollowsActivationMinimiseMaximiseAndRestore) {
    auto&& [h, skin, host] = Skinned(Style(2));
    ASSERT_TRUE(skin->IsWindowActive());
    const COLORREF active = Title(skin);
    Elsewhere other(skin);  // the skin turns pale, and stays shown
    EXPECT_NE(Title(skin), active);
    EXPECT_TRUE(skin->Visible());
    EXPECT_TRUE(Activate(skin));
    EXPECT_EQ(Title(skin), active);
    // A high word (a minimised window being activated) is not WA_ACTIVE: the skin draws inactive.
    SendMessageW(host, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
    EXPECT_FALSE(skin->IsWindowActive());
    SendMessageW(host, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(skin->IsWindowActive());
    // Minimising hides the skin and the next activation shows it again.
    h.Form().SetWindowState(forms::vbMinimized);
    forms::DoEvents();
    EXPECT_FALSE(skin->Visible());
    EXPECT_EQ(skin->WindowState(), forms::vbNormal);  // only hidden: its state stays
    h.Form().SetWindowState(forms::vbNormal);
    SetActiveWindow(host);
    forms::DoEvents();
    EXPECT_TRUE(skin->Visible());
    EXPECT_TRUE(skin->IsWindowActive());
    ExpectWrapped(skin, host);
    // Maximised, the host lies under the short title bar; restored, where the system remembered it.
    const RECT normal = WindowRect(host);
    h.Form().SetWindowState(forms::vbMaximized);
    forms::DoEvents();
    ExpectState(h, skin, forms::vbMaximized);
    // Only the title strip is left of the outline, with square corners.
    EXPECT_EQ(Covered(skin->hWnd(), {{5, 25}, {5, 26}, {0, 0}}), "101");
    h.Form().SetWindowState(forms::vbNormal);
    forms::DoEvents();
    ExpectState(h, skin, forms::vbNormal);
    EXPECT_TRUE(Same(WindowRect(host), normal));  // the system's remembered bounds
    // The system menu's Maximise takes the same path before the host sees it.
    SendMessageW(host, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    forms::DoEvents();
    ExpectState(h, skin, forms::vbMaximized);
}

}  // namespace
