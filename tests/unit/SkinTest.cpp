// The skin window around a running host form: where it sits in each border
// style, how the host follows it, several skinned forms, and its end.
#include <gtest/gtest.h>

#include "Soak.h"
#include "../../src/forms/Surface.h"
#include "../../src/forms/Units.h"
#include "../../src/skin/SkinWindow.h"
#include "../../src/skin/frm.h"
#include "../../src/subclass/clsFormSubclass.h"
#include "Hosted.h"
#include "TestSupport.h"

using namespace nimbra;
using test::Hosted;
using test::WindowRect;

namespace {


std::string Style(int borderStyle) {
    return "      BorderStyle     =   " + std::to_string(borderStyle) + "\r\n";
}

class Skin : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        SetSilentError(false);
    }
    void TearDown() override {
        forms::DoEvents();
        EXPECT_EQ(test::Boxes().count, 0);
    }
    test::RecordedReports reports_;
};

TEST_F(Skin, WrapsTheRunningHostFormInEveryBorderStyle) {
    // Title height and frame width in pixels, by BorderStyle.
    const float metrics[][2] = {{0, 0}, {29, 3}, {30, 4}, {29, 3}, {21, 3}, {22, 4}};
    for (int style = 0; style <= 5; ++style) {
        SCOPED_TRACE(style);
        Hosted h(Style(style), false);
        ASSERT_TRUE(h.loaded);
        frm* skin = SkinWindow();
        ASSERT_NE(skin, nullptr);
        forms::DoEvents();
        EXPECT_EQ(skin->TitleHeight, metrics[style][0]);
        EXPECT_EQ(skin->BorderWidth, metrics[style][1]);
        EXPECT_EQ(skin->HostHwnd(), h.Form().hWnd());
        const long t = forms::PixelsToTwipsY(static_cast<long>(metrics[style][0]));
        const long b = forms::PixelsToTwipsX(static_cast<long>(metrics[style][1]));
        // In twips, as the classic forms report them ...
        EXPECT_EQ(skin->Left(), h.Form().Left() - b);
        EXPECT_EQ(skin->Top(), h.Form().Top() - t);
        EXPECT_EQ(skin->Width(), h.Form().Width() + 2 * b);
        EXPECT_EQ(skin->Height(), h.Form().Height() + forms::PixelsToTwipsY(static_cast<long>(metrics[style][0] + metrics[style][1])));
        // ... and in pixels, as the screen shows them.
        const RECT host = WindowRect(h.Form().hWnd()), outer = WindowRect(skin->hWnd());
        EXPECT_EQ(host.left - outer.left, metrics[style][1]);
        EXPECT_EQ(host.top - outer.top, metrics[style][0]);
        EXPECT_EQ(outer.right - host.right, metrics[style][1]);
        EXPECT_EQ(outer.bottom - host.bottom, metrics[style][1]);
        // The focus went back to the host form.
        EXPECT_TRUE(skin->IsWindowActive());
    }
    for (const auto& r : reports_.Reports()) ADD_FAILURE() << std::string(r[5].begin(), r[5].end()) << " " << std::string(r[4].begin(), r[4].end()) << " line " << std::string(r[6].begin(), r[6].end());
}

TEST_F(Skin, HostFollowsWhenTheSkinMovesOrResizes) {
    Hosted h(Style(2), false);
    frm* skin = SkinWindow();
    ASSERT_NE(skin, nullptr);
    forms::DoEvents();
    skin->Move(3000, 2250, 7500, 6000);  // twips; each change runs the skin's resize handling
    const RECT outer = WindowRect(skin->hWnd()), host = WindowRect(h.Form().hWnd());
    EXPECT_EQ(host.left, outer.left + 4);
    EXPECT_EQ(host.top, outer.top + 30);
    EXPECT_EQ(host.right, outer.right - 4);
    EXPECT_EQ(host.bottom, outer.bottom - 4);

    // SetMePos wraps the skin around a host that moved on its own; its four
    // steps each resize the skin, and none of them may move the host back.
    h.Form().Move(1500, 1500, 6600, 4800);
    const RECT moved = WindowRect(h.Form().hWnd());
    skin->SetMePos();
    const RECT after = WindowRect(h.Form().hWnd()), wrap = WindowRect(skin->hWnd());
    EXPECT_TRUE(EqualRect(&moved, &after));
    EXPECT_EQ(after.left - wrap.left, 4);
    EXPECT_EQ(after.top - wrap.top, 30);
    EXPECT_EQ(wrap.right - after.right, 4);
    EXPECT_EQ(wrap.bottom - after.bottom, 4);

    // LockWinPos re-lays-out without changing the skin's size.
    const long width = skin->Width();
    skin->LockWinPos();
    EXPECT_EQ(skin->Width(), width);
    EXPECT_EQ(WindowRect(h.Form().hWnd()).right, WindowRect(skin->hWnd()).right - 4);
}

TEST_F(Skin, SetMePosLeavesAMaximisedTopLevelPairAlone) {
    Hosted h(Style(2), false);
    frm* skin = SkinWindow();
    forms::DoEvents();
    h.Form().SetWindowState(forms::vbMaximized);
    const RECT before = WindowRect(skin->hWnd());
    skin->SetMePos();
    const RECT after = WindowRect(skin->hWnd());
    EXPECT_TRUE(EqualRect(&before, &after));
    h.Form().SetWindowState(forms::vbNormal);
    skin->SetMePos();
    EXPECT_EQ(WindowRect(skin->hWnd()).left, WindowRect(h.Form().hWnd()).left - 4);
}

TEST_F(Skin, EverySkinnedFormKeepsItsOwnSkin) {
    Hosted first(Style(2), false);
    frm* firstSkin = SkinWindow();
    Hosted second(Style(4), false);
    frm* secondSkin = SkinWindow();
    ASSERT_NE(firstSkin, secondSkin);  // SkinWindow names the skin started last
    forms::DoEvents();
    EXPECT_EQ(firstSkin->HostHwnd(), first.Form().hWnd());
    EXPECT_EQ(secondSkin->HostHwnd(), second.Form().hWnd());
    second.Form().Move(4500, 3000, 6000, 4500);
    secondSkin->SetMePos();
    EXPECT_EQ(WindowRect(secondSkin->hWnd()).top, WindowRect(second.Form().hWnd()).top - 21);
    EXPECT_EQ(WindowRect(firstSkin->hWnd()).top, WindowRect(first.Form().hWnd()).top - 30);

    // A property set on either control refreshes the current skin, the second
    // one, which reads its own control: the first skin keeps its metrics.
    first.control->put_BorderStyle(cBorderFixed);
    EXPECT_EQ(firstSkin->TitleHeight, 30);
    EXPECT_EQ(secondSkin->TitleHeight, 21);
    second.control->put_BorderStyle(cBorderFixed);
    EXPECT_EQ(secondSkin->TitleHeight, 29);
}

TEST_F(Skin, UnloadingGivesTheHostItsOwnProcedureBack) {
    Hosted h(Style(2), false);
    frm* skin = SkinWindow();
    const LONG_PTR hooked = GetWindowLongPtrW(h.Form().hWnd(), GWLP_WNDPROC);
    skin->Unload();
    EXPECT_FALSE(skin->Loaded());
    EXPECT_NE(GetWindowLongPtrW(h.Form().hWnd(), GWLP_WNDPROC), hooked);
    // The host form still works on its own.
    EXPECT_EQ(SendMessageW(h.Form().hWnd(), WM_GETTEXTLENGTH, 0, 0), 12);
}

TEST_F(Skin, AChildHostFormsSkinLivesInTheSameParent) {
    forms::Form frame;
    ASSERT_TRUE(frame.Load(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN));
    frame.Move(0, 0, 12000, 9000);
    Hosted h(Style(2), false, nullptr, "", frame.hWnd());
    frm* skin = SkinWindow();
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(GetParent(skin->hWnd()), frame.hWnd());
    EXPECT_TRUE(GetWindowLongPtrW(skin->hWnd(), GWL_STYLE) & WS_CHILD);
    // A child host is always wrapped, in its parent's coordinates.
    h.Form().Move(1500, 1500, 4500, 3000);
    skin->SetMePos();
    EXPECT_EQ(skin->Left(), 1500 - 4 * forms::TwipsPerPixelX());
    EXPECT_EQ(skin->Top(), 1500 - 30 * forms::TwipsPerPixelY());
    h.site->Close();
}

TEST_F(Skin, AHostDestroyedFromOutsideEndsWithoutACrash) {
    const size_t hooks = LiveHookRecords();
    {
        Hosted h(Style(2), false);
        frm* skin = SkinWindow();
        DestroyWindow(h.Form().hWnd());
        forms::DoEvents();
        EXPECT_EQ(LiveHookRecords(), hooks);  // the record went with the window
        // What the skin does next fails on the dead host inside its guards.
        SetSilentError(true);
        skin->SetMePos();
        skin->PlaceHostForm();
        skin->LockWinPos();
        SetSilentError(false);
        EXPECT_TRUE(skin->Loaded());
    }
    EXPECT_EQ(LiveHookRecords(), hooks);
    EXPECT_EQ(test::Boxes().count, 0);
}

TEST_F(Skin, WithoutAHostTheSkinUnloadsItself) {
    frm* skin = NewSkinWindow();
    ASSERT_TRUE(skin->Load(WS_POPUP));
    skin->LoadForm();
    EXPECT_FALSE(skin->Loaded());
    EXPECT_EQ(skin->oSubClass, nullptr);
    EXPECT_TRUE(reports_.Reports().empty());
}

TEST_F(Skin, DesignTimeStartsNoSkin) {
    frm* before = SkinWindow();
    Hosted h(Style(2), true);
    EXPECT_EQ(SkinWindow(), before);
}

TEST_F(Skin, ManyStartsAndEndsLeaveNothingBehind) {
    { Hosted warmup(Style(2), false); }
    CollectSkinWindows();
    const size_t skins = LiveSkinWindows();
    const long gdi = forms::Surface::LiveObjects();
    const size_t hooks = LiveHookRecords();
    for (int i = 0, n = test::SoakRounds(24, 1000); i < n; ++i) {
        Hosted h(Style(i % 6), false);
        ASSERT_TRUE(h.loaded);
    }
    // The last skin stays as the current one with the copies its style drew:
    // end with the warm-up's style so its surfaces hold what they held then.
    { Hosted last(Style(2), false); }
    forms::DoEvents();
    CollectSkinWindows();
    EXPECT_LE(LiveSkinWindows(), skins + 1);  // the current one stays
    EXPECT_EQ(forms::Surface::LiveObjects(), gdi);
    EXPECT_EQ(LiveHookRecords(), hooks);
    EXPECT_TRUE(reports_.Reports().empty());
}

}  // namespace
