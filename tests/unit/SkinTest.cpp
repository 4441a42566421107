// The skin window around a running host form: where it sits in each border
// style, how the host follows it, several skinned forms, and its end.
#include "Skinned.h"
#include "../../src/forms/Handles.h"
#include "../../src/subclass/clsFormSubclass.h"

using namespace nimbra;
using namespace test;

namespace {

using Skin = SkinFixture;

TEST_F(Skin, WrapsTheRunningHostFormInEveryBorderStyle) {
    // Title height and frame width in pixels, by BorderStyle.
    const int metrics[][2] = {{0, 0}, {29, 3}, {30, 4}, {29, 3}, {21, 3}, {22, 4}};
    for (int style = 0; style <= 5; ++style) {
        SCOPED_TRACE(style);
        auto&& [h, skin, host] = Skinned(Style(style));
        const auto [title, frame] = metrics[style];
        ExpectWrapped(skin, host, title, frame);
        EXPECT_TRUE(skin->IsWindowActive());
    }
}

TEST_F(Skin, HostFollowsWhenTheSkinMovesOrResizesUntilTheUnload) {
    auto&& [h, skin, host] = Skinned(Style(2));
    skin->Move(3000, 2250, 7500, 6000);  // twips; each change runs the skin's resize handling
    ExpectWrapped(skin, host);
    // SetMePos wraps a host that moved on its own; none of its four resizing steps may move it back.
    h.Form().Move(1500, 1500, 6600, 4800);
    const RECT moved = WindowRect(host);
    skin->SetMePos();
    EXPECT_TRUE(Same(moved, WindowRect(host)));
    ExpectWrapped(skin, host);
    // LockWinPos re-lays-out without changing the skin's size.
    const long width = skin->Width();
    skin->LockWinPos();
    EXPECT_EQ(skin->Width(), width);
    ExpectWrapped(skin, host);
    // A maximised top-level pair is left alone.
    h.Form().SetWindowState(forms::vbMaximized);
    const RECT before = WindowRect(skin->hWnd());
    skin->SetMePos();
    EXPECT_TRUE(Same(before, WindowRect(skin->hWnd())));
    // Unloading gives the host its own procedure back; the host still works on its own.
    const LONG_PTR hooked = GetWindowLongPtrW(host, GWLP_WNDPROC);
    skin->Unload();
    EXPECT_FALSE(skin->Loaded());
    EXPECT_NE(GetWindowLongPtrW(host, GWLP_WNDPROC), hooked);
    EXPECT_EQ(SendMessageW(host, WM_GETTEXTLENGTH, 0, 0), 12);
}

TEST_F(Skin, EverySkinnedFormKeepsItsOwnSkin) {
    Skinned first(Style(2)), second(Style(4));
    ASSERT_NE(first.skin, second.skin);
    second.h.Form().Move(4500, 3000, 6000, 4500);
    second.skin->SetMePos();
    // A property set on either control refreshes the current skin, the second
    // one, which reads its own control: the first skin keeps its metrics.
    first.h.control->put_BorderStyle(cBorderFixed);
    for (Skinned* s : {&first, &second}) s->skin->SetMePos();
    ExpectWrapped(first.skin, first.host);
    ExpectWrapped(second.skin, second.host, 21, 3);
    second.h.control->put_BorderStyle(cBorderFixed);
    second.skin->SetMePos();
    ExpectWrapped(second.skin, second.host, 29, 3);
}

TEST_F(Skin, ADeadOrMissingHostLeavesNoHookAndDesignTimeStartsNoSkin) {
    const size_t hooks = LiveHookRecords();
    {
        auto&& [h, skin, host] = Skinned(Style(2));
        DestroyWindow(host);
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
    // A skin loaded without a host does not start.
    frm* skin = NewSkinWindow();
    ASSERT_TRUE(skin->Load(WS_POPUP));
    skin->LoadForm();
    EXPECT_FALSE(skin->Loaded());
    EXPECT_EQ(LiveHookRecords(), hooks);  // nothing hooked
    frm* before = SkinWindow();
    Hosted h(Style(2), true);
    EXPECT_EQ(SkinWindow(), before);
}

TEST_F(Skin, ManyStartsAndEndsLeaveNothingBehind) {
    { Hosted warmup(Style(2), false); }
    CollectSkinWindows();
    const size_t skins = LiveSkinWindows(), hooks = LiveHookRecords();
    const long gdi = forms::LiveGdiObjects();
    for (int i = 0, n = SoakRounds(24, 1000); i < n; ++i) {
        Hosted h(Style(i % 6), false);
        ASSERT_TRUE(h.loaded);
    }
    // The current skin keeps the copies its style drew: end with the warm-up's style.
    { Hosted last(Style(2), false); }
    forms::DoEvents();
    CollectSkinWindows();
    EXPECT_LE(LiveSkinWindows(), skins + 1);  // the current one stays
    EXPECT_EQ(forms::LiveGdiObjects(), gdi);
    EXPECT_EQ(LiveHookRecords(), hooks);
}

}  // namespace
