// The caption buttons where a person sees them: their rectangles after layout
// in each state, and the frame of the strip each look shows.
#include "Skinned.h"
#include "../../src/skin/SkinTestApi.h"
#include "StandInOwner.h"

using namespace nimbra;
using namespace test;

namespace {

std::array<forms::PictureBox*, 5> Buttons(frm* skin) {
    return {&skin->bClose, &skin->bRestore, &skin->bMinimize, &skin->bHelp, &skin->bTray};
}

// Left edges of close, restore, minimise, help and tray from the skin's right edge @ their tops, then which are shown.
std::string Layout(frm* skin) {
    std::string left, shown;
    for (forms::PictureBox* b : Buttons(skin)) {
        left += std::to_string(skin->ScaleWidth() - b->Left()) + "@" + std::to_string(b->Top()) + " ";
        shown += b->Visible() ? '1' : '0';
    }
    return left + shown;
}

// Which frame of its strip (frames are 21 pixels high) a button shows, pixel for pixel; -1 for none.
int Shown(forms::PictureBox& b, const forms::Picture& strip) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip.Bitmap());
    int shown = -1;
    for (int f = 0; shown < 0 && f < 8; ++f) {
        bool same = true;
        for (int y = 0; same && y < 21; ++y)
            for (int x = 0; same && x < 21; ++x) same = GetPixel(b.Draw().hDC(), x, y) == GetPixel(dc, x, f * 21 + y);
        if (same) shown = f;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return shown;
}
int Painted(frm* skin, forms::PictureBox& b, const forms::Picture& strip) {
    skin->DrawButtons();
    return Shown(b, strip);
}

using SkinButtons = SkinFixture;

TEST_F(SkinButtons, EachLookShowsItsFrameOfTheStripAndMaximisedTheyMoveUp) {
    auto&& [h, skin, host] = Skinned(kAllButtons);
    const forms::Picture& close = frm::b().piece[5];
    ASSERT_TRUE(Activate(skin));
    EXPECT_EQ(Painted(skin, skin->bClose, close), 0);
    EXPECT_EQ(Painted(skin, skin->bRestore, frm::b().piece[7]), 0);  // the maximise glyph
    const RECT r = WindowRect(skin->bClose.hWnd());
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(skin->MouseIn(skin->bClose));
    EXPECT_EQ(Painted(skin, skin->bClose, close), 1);  // hot
    // A left press holds the button; released outside, it clicks nothing.
    const LPARAM inside = MAKELPARAM(10, 10), outside = MAKELPARAM(0xFFFB, 0xFFFB);  // (-5, -5)
    SendMessageW(skin->bClose.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(skin->HeldButton(), L"close");
    EXPECT_EQ(Painted(skin, skin->bClose, close), 2);  // pressed
    SendMessageW(skin->bClose.hWnd(), WM_LBUTTONUP, 0, outside);
    SendMessageW(skin->bHelp.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(skin->HeldButton(), L"help");
    EXPECT_EQ(Painted(skin, skin->bClose, close), 0);  // another button is held
    SendMessageW(skin->bHelp.hWnd(), WM_LBUTTONUP, 0, outside);
    EXPECT_EQ(skin->HeldButton(), L"");
    Elsewhere away(skin);
    EXPECT_EQ(Painted(skin, skin->bClose, close), 5);  // inactive and hot
    // Disabled: frame 3 (7 inactive) under the cursor too, and never "inside".
    h.control->put_CloseButtonEnabled(VARIANT_FALSE);
    EXPECT_FALSE(skin->bClose.Enabled());  // the setter reached the button at once
    skin->SetButtonProperties();
    EXPECT_FALSE(skin->MouseIn(skin->bClose));
    EXPECT_EQ(Painted(skin, skin->bClose, close), 7);
    // Maximised, the buttons move up and 4 pixels right with the frame gone.
    h.Form().SetWindowState(forms::vbMaximized);
    forms::DoEvents();
    EXPECT_EQ(Layout(skin), "23@2 46@2 69@2 92@2 115@2 11111");
}

// Laid out from the skin's right edge. The strips paint each frame's corners magenta: none may show
// through a button's rounded shape.
TEST_F(SkinButtons, LaidOutFromTheRightEdgeWithNoMagentaCornerShowing) {
    const struct {
        std::string lines;
        const char* layout;
    } cases[] = {
        // 21-pixel buttons 2 pixels apart, 6 from the top and right edges.
        {kAllButtons + Prop("ColorStyle", 0), "27@6 50@6 73@6 96@6 119@6 11111"},
        {kAllButtons + Prop("ColorStyle", 1), "27@6 50@6 73@6 96@6 119@6 11111"},
        {kAllButtons + Prop("ColorStyle", 2), "27@6 50@6 73@6 96@6 119@6 11111"},
        // Tool windows: 13-pixel buttons, only the close button shown.
        {Style(4) + Prop("HelpButtonVisible", -1) + Prop("TrayButtonVisible", -1), "19@6 34@6 49@6 64@6 79@6 10000"},
        {Prop("MaxButtonVisible", 0), "27@6 50@6 73@6 96@6 119@6 10100"},  // a hidden maximise button keeps its slot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        auto&& [h, skin, host] = Skinned(c.lines);
        EXPECT_EQ(Layout(skin), c.layout);
        for (forms::PictureBox* b : Buttons(skin)) {
            if (!b->Visible()) continue;
            const Tally t = CountPixels(b->Draw().hDC(), {0, 0, b->Width(), b->Height()}, RGB(255, 0, 255), b->hWnd());
            EXPECT_EQ(t.inside, 0);
            EXPECT_GE(t.shown, b->Width() * b->Height() - 4);  // only the corners are cut
        }
    }
}

// With the silent switch on, every statement of DrawButtons and every read of
// SetButtonProperties is a step of its own: only the failing one is skipped.
TEST_F(SkinButtons, SilentSwitchSkipsOnlyTheStepThatFails) {
    reportsExpected_ = true;
    auto&& [h, skin, host] = Skinned(kAllButtons);
    const short helpPicture = SkinTestApi::Row(*skin, 2).PictureIndex;
    SkinTestApi::Row(*skin, 1).Visible = false;    // close: to be hidden
    SkinTestApi::Row(*skin, 2).PictureIndex = 42;  // help: no such picture
    SkinTestApi::Row(*skin, 6).Enabled = false;    // tray: to be painted disabled
    SetSilentError(true);
    skin->DrawButtons();
    SetSilentError(false);
    EXPECT_FALSE(skin->bClose.Visible());
    EXPECT_TRUE(skin->bHelp.Visible());
    const forms::Picture& tray = frm::b().piece[SkinTestApi::Row(*skin, 6).PictureIndex];
    const int disabled = skin->IsWindowActive() ? 3 : 7;
    EXPECT_EQ(Shown(skin->bTray, tray), disabled);
    // Without the switch the failing row is reported and ends the drawing.
    SkinTestApi::Row(*skin, 6).Enabled = true;
    EXPECT_EQ(Painted(skin, skin->bTray, tray), disabled);  // not reached
    ASSERT_EQ(reports_.Reports().size(), 1u);
    EXPECT_EQ(reports_.Reports()[0][3], L"9");
    EXPECT_EQ(reports_.Reports()[0][5], L"DrawButtons");
    // A getter that fails leaves the rest of the table to be read.
    SkinTestApi::Row(*skin, 2).PictureIndex = helpPicture;
    auto owner = Make<StandInOwner>();
    owner->HelpButtonVisible = VARIANT_FALSE;
    owner->TrayButtonEnabled = VARIANT_FALSE;
    owner->TrayButtonVisible = VARIANT_TRUE;
    owner->failing = {L"HelpButtonEnabled"};
    const ComPtr<SkinOwner> control = SkinTestApi::SwapOwner(*skin, owner);
    SkinTestApi::Row(*skin, 2).Enabled = true;  // what the failing read leaves in place
    SetSilentError(true);
    skin->SetButtonProperties();
    SetSilentError(false);
    EXPECT_TRUE(SkinTestApi::Row(*skin, 2).Enabled);
    EXPECT_FALSE(SkinTestApi::Row(*skin, 2).Visible);  // the next read of the same row
    EXPECT_FALSE(SkinTestApi::Row(*skin, 6).Enabled);  // and the later rows
    EXPECT_TRUE(SkinTestApi::Row(*skin, 6).Visible);
    EXPECT_EQ(reports_.Reports().size(), 1u);
    // Reported, the failure ends the procedure: the later rows keep what they had.
    SkinTestApi::Row(*skin, 6).Enabled = true;
    skin->SetButtonProperties();
    EXPECT_TRUE(SkinTestApi::Row(*skin, 6).Enabled);
    ASSERT_EQ(reports_.Reports().size(), 2u);
    EXPECT_EQ(reports_.Reports()[1][5], L"SetButtonProperties");
    SkinTestApi::SwapOwner(*skin, control);
}

}  // namespace
