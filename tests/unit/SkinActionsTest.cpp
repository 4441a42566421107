// The caption buttons' clicks as a person makes them: the event the host gets
// and may cancel, then what happens to the host form and the skin.
#include "EventSink.h"
#include "Skinned.h"

using namespace nimbra;
using namespace test;

namespace {

using SkinActions = SkinFixture;

TEST_F(SkinActions, ACancelledClickLeavesHostAndSkinAsTheyWere) {
    for (auto [event, button] : {std::pair{L"CloseButtonClicked", &frm::bClose}, {L"MaxButtonClicked", &frm::bRestore},
                                 {L"MinButtonClicked", &frm::bMinimize}, {L"HelpButtonClicked", &frm::bHelp},
                                 {L"TrayButtonClicked", &frm::bTray}}) {
        SCOPED_TRACE(Narrow(event));
        std::wstring expected = std::wstring(event) + L" Cancel=False -> True\r\n";
        {
            EventLog log(events_, {event});
            auto&& [h, skin, host] = Skinned(kAllButtons, &log);
            const LONG_PTR hooked = GetWindowLongPtrW(host, GWLP_WNDPROC);
            Click(skin->*button);
            EXPECT_TRUE(skin->Loaded());
            EXPECT_FALSE(skin->IsUnloading());
            EXPECT_TRUE(skin->Visible());
            ExpectState(h, skin, forms::vbNormal);
            EXPECT_EQ(GetWindowLongPtrW(host, GWLP_WNDPROC), hooked);
            if (button == &frm::bClose) {
                // The system menu's Close raises the same event, then goes on to the
                // host's own procedure: there the host's QueryUnload has the last word.
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
        auto&& [h, skin, host] = Skinned(kAllButtons + Prop("CloseButtonEnabled", 0), &log);
        // Help and tray only report; a disabled picture box gets no click at all.
        Click(skin->bHelp);
        Click(skin->bTray);
        Click(skin->bClose);
        EXPECT_TRUE(skin->Visible());
        ExpectState(h, skin, forms::vbNormal);
        SetFocus(skin->bHelp.hWnd());  // no button keeps the keyboard focus
        forms::DoEvents();
        EXPECT_EQ(GetFocus(), host);
        EXPECT_TRUE(skin->IsWindowActive());
        const RECT normal = WindowRect(host);
        Click(skin->bRestore);
        ExpectState(h, skin, forms::vbMaximized);
        Click(skin->bRestore);
        ExpectState(h, skin, forms::vbNormal);
        EXPECT_TRUE(Same(WindowRect(host), normal));
        Click(skin->bMinimize);
        EXPECT_FALSE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbMinimized);
    }
    auto&& [h, skin, host] = Skinned(kAllButtons, &log);
    Click(skin->bClose);
    EXPECT_TRUE(skin->IsUnloading());
    EXPECT_FALSE(IsWindow(host));
    EXPECT_FALSE(skin->Loaded());
    EXPECT_FALSE(skin->Busy());
    EXPECT_EQ(Events(), L"HelpButtonClicked Cancel=False\r\nTrayButtonClicked Cancel=False\r\n"
                        L"MaxButtonClicked Cancel=False\r\nMaxButtonClicked Cancel=False\r\n"
                        L"MinButtonClicked Cancel=False\r\nCloseButtonClicked Cancel=False\r\n");
}

}  // namespace
