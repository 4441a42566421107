// The caption buttons' clicks as a person makes them: the event the host gets
// and may cancel, then what happens to the host form and the skin.
#include "EventSink.h"
#include "Skinned.h"
#include "../../src/forms/Units.h"

using namespace nimbra;
using namespace test;

namespace {

// A left click as the mouse makes it: press and release inside the button.
void Click(forms::PictureBox& button) {
    SendMessageW(button.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(button.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    forms::DoEvents();
}

using SkinActions = SkinFixture;

TEST_F(SkinActions, CloseUnloadsHostAndSkinUnlessTheHostCancels) {
    {
        EventLog log(events_, {L"CloseButtonClicked"});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        const LONG_PTR hooked = GetWindowLongPtrW(h.Form().hWnd(), GWLP_WNDPROC);
        Click(skin->bClose);
        // Cancelled: both windows stay, the host stays hooked.
        EXPECT_TRUE(IsWindow(h.Form().hWnd()));
        EXPECT_TRUE(skin->Loaded());
        EXPECT_FALSE(skin->IsUnloading());
        EXPECT_EQ(GetWindowLongPtrW(h.Form().hWnd(), GWLP_WNDPROC), hooked);
        // The system menu's Close is the same click, event included. The
        // message itself goes on to the host's own procedure, which asks the
        // form to close: the host's QueryUnload has the last word there.
        SendMessageW(h.Form().hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        forms::DoEvents();
        EXPECT_FALSE(IsWindow(h.Form().hWnd()));
        EXPECT_FALSE(skin->Loaded());
    }
    EXPECT_EQ(Events(), L"CloseButtonClicked Cancel=False -> True\r\nCloseButtonClicked Cancel=False -> True\r\n");
    ClearEvents();
    {
        EventLog log(events_, {});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        const HWND host = h.Form().hWnd();
        Click(skin->bClose);
        EXPECT_TRUE(skin->IsUnloading());
        EXPECT_FALSE(IsWindow(host));
        EXPECT_FALSE(skin->Loaded());
        EXPECT_FALSE(skin->Busy());
    }
    EXPECT_EQ(Events(), L"CloseButtonClicked Cancel=False\r\n");
}

TEST_F(SkinActions, DisabledCloseRaisesNothingAndUnloadsNothing) {
    {
        EventLog log(events_, {});
        Skinned s(kAllButtons + Prop("CloseButtonEnabled", 0), &log);
        auto& [h, skin] = s;
        Click(skin->bClose);  // a disabled picture box gets no click at all
        EXPECT_TRUE(skin->Loaded());
        EXPECT_TRUE(IsWindow(h.Form().hWnd()));
    }
    EXPECT_EQ(Events(), L"");
}

TEST_F(SkinActions, MaximiseRestoresAMaximisedWindowAndMaximisesANormalOne) {
    {
        EventLog log(events_, {});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbMaximized);
        EXPECT_EQ(h.Form().WindowState(), forms::vbMaximized);
        EXPECT_EQ(skin->bClose.Top(), 2);  // the buttons laid out for the maximised bar
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbNormal);
        EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
        EXPECT_EQ(skin->bClose.Top(), 6);
    }
    EXPECT_EQ(Events(), L"MaxButtonClicked Cancel=False\r\nMaxButtonClicked Cancel=False\r\n");
    ClearEvents();
    {
        EventLog log(events_, {L"MaxButtonClicked"});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbNormal);
    }
}

TEST_F(SkinActions, MinimiseHidesTheSkinUnlessCancelledHelpAndTrayOnlyReport) {
    {
        EventLog log(events_, {L"MinButtonClicked", L"HelpButtonClicked"});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        Click(skin->bMinimize);
        EXPECT_TRUE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
        // Help and tray: the event is all, a cancel changes nothing.
        Click(skin->bHelp);
        Click(skin->bTray);
        EXPECT_TRUE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
    }
    EXPECT_EQ(Events(), L"MinButtonClicked Cancel=False -> True\r\nHelpButtonClicked Cancel=False -> True\r\n"
                        L"TrayButtonClicked Cancel=False\r\n");
    ClearEvents();
    {
        EventLog log(events_, {});
        Skinned s(kAllButtons, &log);
        auto& [h, skin] = s;
        Click(skin->bMinimize);
        EXPECT_FALSE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbMinimized);
    }
    EXPECT_EQ(Events(), L"MinButtonClicked Cancel=False\r\n");
}

TEST_F(SkinActions, AButtonNeverKeepsTheKeyboardFocus) {
    Skinned s(kAllButtons);
    auto& [h, skin] = s;
    SetFocus(skin->bHelp.hWnd());
    forms::DoEvents();
    EXPECT_EQ(GetFocus(), h.Form().hWnd());
    EXPECT_TRUE(skin->IsWindowActive());
}

}  // namespace
