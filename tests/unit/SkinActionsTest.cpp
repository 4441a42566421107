// The caption buttons' clicks as a person makes them: the event the host gets
// and may cancel, then what happens to the host form and the skin.
#include <gtest/gtest.h>

#include "../../src/forms/Units.h"
#include "../../src/skin/SkinWindow.h"
#include "../../src/skin/frm.h"
#include "EventSink.h"
#include "Hosted.h"
#include "TestSupport.h"

using namespace nimbra;
using test::EventLog;
using test::Hosted;

namespace {

const std::string kAllButtons =
    "      BorderStyle     =   2\r\n      HelpButtonVisible=   -1  'True\r\n      TrayButtonVisible=   -1  'True\r\n";

// A left click as the mouse makes it: press and release inside the button.
void Click(forms::PictureBox& button) {
    SendMessageW(button.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(button.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    forms::DoEvents();
}

class SkinActions : public ::testing::Test {
protected:
    void SetUp() override {
        SetSilentError(false);
        path_ = test::ScratchFolder(L"actions") + L"\\events.txt";
        DeleteFileW(path_.c_str());
    }
    void TearDown() override {
        for (const auto& r : reports_.Reports())
            ADD_FAILURE() << "reported: " << std::string(r[2].begin(), r[2].end()) << "/" << std::string(r[3].begin(), r[3].end()) << " in "
                          << std::string(r[5].begin(), r[5].end()) << " line " << std::string(r[6].begin(), r[6].end());
    }
    std::wstring Events() const { return test::ReadUtf8(path_); }
    std::wstring path_;
    test::RecordedReports reports_;
};

TEST_F(SkinActions, CloseUnloadsHostAndSkinUnlessTheHostCancels) {
    {
        EventLog log(path_, {L"CloseButtonClicked"});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
        const LONG_PTR hooked = GetWindowLongPtrW(h.Form().hWnd(), GWLP_WNDPROC);
        Click(skin->bClose);
        // Cancelled: both windows stay, the host stays hooked.
        EXPECT_TRUE(IsWindow(h.Form().hWnd()));
        EXPECT_TRUE(skin->Loaded());
        EXPECT_FALSE(skin->Unloading);
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
    DeleteFileW(path_.c_str());
    {
        EventLog log(path_, {});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
        const HWND host = h.Form().hWnd();
        Click(skin->bClose);
        EXPECT_TRUE(skin->Unloading);
        EXPECT_FALSE(IsWindow(host));
        EXPECT_FALSE(skin->Loaded());
        EXPECT_FALSE(skin->Busy());
    }
    EXPECT_EQ(Events(), L"CloseButtonClicked Cancel=False\r\n");
}

TEST_F(SkinActions, DisabledCloseRaisesNothingAndUnloadsNothing) {
    {
        EventLog log(path_, {});
        Hosted h(kAllButtons + "      CloseButtonEnabled=   0   'False\r\n", false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
        Click(skin->bClose);  // a disabled picture box gets no click at all
        EXPECT_TRUE(skin->Loaded());
        EXPECT_TRUE(IsWindow(h.Form().hWnd()));
    }
    EXPECT_EQ(Events(), L"");
}

TEST_F(SkinActions, MaximiseRestoresAMaximisedWindowAndMaximisesANormalOne) {
    {
        EventLog log(path_, {});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
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
    DeleteFileW(path_.c_str());
    {
        EventLog log(path_, {L"MaxButtonClicked"});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
        Click(skin->bRestore);
        EXPECT_EQ(skin->WindowState(), forms::vbNormal);
    }
}

TEST_F(SkinActions, MinimiseHidesTheSkinUnlessCancelledHelpAndTrayOnlyReport) {
    {
        EventLog log(path_, {L"MinButtonClicked", L"HelpButtonClicked"});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
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
    DeleteFileW(path_.c_str());
    {
        EventLog log(path_, {});
        Hosted h(kAllButtons, false, &log);
        frm* skin = SkinWindow();
        forms::DoEvents();
        Click(skin->bMinimize);
        EXPECT_FALSE(skin->Visible());
        EXPECT_EQ(h.Form().WindowState(), forms::vbMinimized);
    }
    EXPECT_EQ(Events(), L"MinButtonClicked Cancel=False\r\n");
}

TEST_F(SkinActions, AButtonNeverKeepsTheKeyboardFocus) {
    Hosted h(kAllButtons, false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    SetFocus(skin->bHelp.hWnd());
    forms::DoEvents();
    EXPECT_EQ(GetFocus(), h.Form().hWnd());
    EXPECT_TRUE(skin->IsWindowActive());
}

}  // namespace
