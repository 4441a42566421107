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

TEST_F(SkinActions, ACancelledClickLeavesHostAndSkinAsTheyWere) {
    for (auto [event, button] : {std::pair{L"CloseButtonClicked", &frm::bClose}, {L"MaxButtonClicked", &frm::bRestore},
                                 {L"MinButtonClicked", &frm::bMinimize}, {L"HelpButtonClicked", &frm::bHelp},
                                 {L"TrayButtonClicked", &frm::bTray}}) {
        SCOPED_TRACE(Narrow(event));
        std::wstring expected = std::wstring(event) + L" Cancel=False -> True\r\n";
        {
            EventLog log(events_, {event});
            Skinned s(kAllButtons, &log);
            auto& [h, skin] = s;
            const LONG_PTR hooked = GetWindowLongPtrW(s.Host(), GWLP_WNDPROC);
            Click(skin->*button);
            EXPECT_TRUE(skin->Loaded());
            EXPECT_FALSE(skin->IsUnloading());
            EXPECT_TRUE(skin->Visible());
            EXPECT_EQ(skin->WindowState(), forms::vbNormal);
            EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
            EXPECT_EQ(GetWindowLongPtrW(s.Host(), GWLP_WNDPROC), hooked);
            if (button == &frm::bClose) {
                // The system menu's Close raises the same event, then goes on to the
                // host's own procedure: there the host's QueryUnload has the last word.
                const HWND host = s.Host();
                SendMessageW(host, WM_SYSCOMMAND, SC_CLOSE, 0);
                forms::DoEvents();
                EXPECT_FALSE(IsWindow(host));
                EXPECT_FALSE(skin->Loaded());
                expected += expected;
            }
        }
        EXPECT_EQ(Events(), expected);
    }
}

TEST_F(SkinActions, TakenClicksActOnHostAndSkin) {
    EventLog log(events_, {});
    {
        Skinned s(kAllButtons + Prop("CloseButtonEnabled", 0), &log);
        auto& [h, skin] = s;
        // Help and tray only report; a disabled picture box gets no click at all.
        Click(skin->bHelp);
        Click(skin->bTray);
        Click(skin->bClose);
        EXPECT_TRUE(skin->Loaded());
        EXPECT_TRUE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
        SetFocus(skin->bHelp.hWnd());  // no button keeps the keyboard focus
        forms::DoEvents();
        EXPECT_EQ(GetFocus(), s.Host());
        EXPECT_TRUE(skin->IsWindowActive());
        const RECT normal = WindowRect(s.Host());
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbMaximized);
        EXPECT_EQ(h.Form().WindowState(), forms::vbMaximized);
        ExpectMaximisedPair(skin, s.Host());
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbNormal);
        EXPECT_EQ(h.Form().WindowState(), forms::vbNormal);
        EXPECT_TRUE(Same(WindowRect(s.Host()), normal));
        ExpectWrapped(skin, s.Host());
        Click(skin->bMinimize);
        EXPECT_FALSE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbMinimized);
    }
    Skinned s(kAllButtons, &log);
    const HWND host = s.Host();
    Click(s.skin->bClose);
    EXPECT_TRUE(s.skin->IsUnloading());
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(s.skin->Loaded());
    EXPECT_FALSE(s.skin->Busy());
    EXPECT_EQ(Events(), L"HelpButtonClicked Cancel=False\r\nTrayButtonClicked Cancel=False\r\n"
                        L"MaxButtonClicked Cancel=False\r\nMaxButtonClicked Cancel=False\r\n"
                        L"MinButtonClicked Cancel=False\r\nCloseButtonClicked Cancel=False\r\n");
}

}  // namespace
