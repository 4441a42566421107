// What DrawXP leaves in the skin's back buffer: colours of title bar, frame and caption
// for each scheme and activation, the corners the outline cuts, and its failures.
#include <olectl.h>

#include <set>
#include <vector>

#include "Skinned.h"

using namespace nimbra;
using namespace test;

namespace {

std::string Scheme(int colorStyle) {
    return Prop("ColorStyle", colorStyle) + Style(2) + "      Caption         =   \"WWWWWWWW\"\r\n";
}

COLORREF At(frm* skin, int x, int y) { return GetPixel(skin->Draw().hDC(), x, y); }

// How many pixels of colour c lie in the rectangle (x, y, w, h) of the buffer.
int Count(frm* skin, COLORREF c, int x, int y, int w, int h) {
    return CountPixels(skin->Draw().hDC(), {x, y, x + w, y + h}, c).inside;
}

using SkinDraw = SkinFixture;

TEST_F(SkinDraw, EachSchemeHasItsTitleFrameAndCaptionColours) {
    struct Expected {
        int scheme;
        COLORREF caption, inactive, shadow;
    } schemes[] = {{0, RGB(255, 255, 255), RGB(216, 228, 248), RGB(10, 24, 131)},
                   {1, RGB(0, 0, 0), RGB(162, 161, 161), RGB(199, 194, 209)},
                   {2, RGB(255, 255, 255), RGB(255, 255, 255), RGB(65, 64, 10)}};
    COLORREF titles[3];
    for (const Expected& e : schemes) {
        SCOPED_TRACE(e.scheme);
        auto&& [h, skin, host] = Skinned(Scheme(e.scheme));
        ASSERT_TRUE(Activate(skin));
        skin->DrawXP();
        const int sw = skin->ScaleWidth(), sh = skin->ScaleHeight();
        // The title piece paints its rounded corners magenta; whatever the
        // platform's rounding, none of those pixels may show in either look.
        auto expectCornersCut = [&] {
            const Tally t = CountPixels(skin->Draw().hDC(), {0, 0, sw, 30}, RGB(255, 0, 255), skin->hWnd());
            EXPECT_EQ(t.inside, 0);
            EXPECT_EQ(t.outside, 2 * (5 + 3 + 2 + 1 + 1));  // both corners, the steps of the art
        };
        expectCornersCut();
        titles[e.scheme] = At(skin, sw / 2, 15);
        // The middle of the bar, below the caption, is the plain bar stretched: one colour across.
        EXPECT_EQ(At(skin, 70, 27), At(skin, sw - 70, 27));
        // The caption, from x 26 (room for the icon), with its shadow one pixel down-right.
        EXPECT_GT(Count(skin, e.caption, 26, 6, 90, 20), 20);
        EXPECT_GT(Count(skin, e.shadow, 27, 7, 90, 20), 10);
        EXPECT_EQ(Count(skin, e.caption, 0, 6, 25, 20), 0);  // nothing left of the caption
        // The frame: left, right and bottom edges are painted, the hole is not the bar's colour.
        EXPECT_NE(At(skin, 0, sh / 2), At(skin, sw / 2, sh / 2));
        EXPECT_EQ(At(skin, 0, sh / 2), At(skin, 0, sh / 2 + 10));  // one profile repeated down
        // Inactive: another bar, the inactive caption colour, no shadow.
        Elsewhere away(skin);
        skin->DrawXP();
        EXPECT_NE(At(skin, sw / 2, 15), titles[e.scheme]);
        expectCornersCut();
        EXPECT_GT(Count(skin, e.inactive, 26, 6, 90, 20), 20);
        EXPECT_EQ(Count(skin, e.shadow, 27, 7, 90, 20), 0);
    }
    EXPECT_NE(titles[0], titles[1]);
    EXPECT_NE(titles[1], titles[2]);
    EXPECT_GT(GetBValue(titles[0]), GetRValue(titles[0]) + 100);  // a saturated blue
    EXPECT_GT(GetGValue(titles[2]), GetBValue(titles[2]));         // olive: more green than blue
}

TEST_F(SkinDraw, TheIconOddSizesStylesAndLongCaptionsPaintWhereTheyBelong) {
    auto&& [h, skin, host] = Skinned(Scheme(0));
    // A plain green 32 x 32 icon: every pixel of it shows, at 16 x 16 before the caption.
    const std::vector<BYTE> mask(32 * 32 / 8, 0);
    const std::vector<DWORD> green(32 * 32, 0x0000FF00);
    PICTDESC desc{sizeof desc, PICTYPE_ICON, {}};
    desc.icon.hicon = CreateIcon(nullptr, 32, 32, 1, 32, mask.data(), reinterpret_cast<const BYTE*>(green.data()));
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.GetAddressOf())),
              S_OK);
    h.control->putref_Icon(picture.Get());
    ASSERT_TRUE(Activate(skin));
    skin->DrawXP();
    EXPECT_EQ(Count(skin, RGB(0, 255, 0), 6, 8, 16, 16), 256);
    EXPECT_EQ(Count(skin, RGB(0, 255, 0), 0, 0, 40, 30), 256);
    h.control->put_IconShow(VARIANT_FALSE);
    skin->DrawXP();
    EXPECT_EQ(Count(skin, RGB(0, 255, 0), 0, 0, 40, 30), 0);
    EXPECT_GT(Count(skin, RGB(255, 255, 255), 6, 6, 20, 20), 10);  // the caption moved to x 6
    // Narrower than the two caps: the mirrored middle lies under them, the
    // right cap (painted last) wins where they overlap.
    skin->SetWidth(forms::PixelsToTwipsX(80));
    ASSERT_EQ(skin->ScaleWidth(), 80);
    skin->DrawXP();
    const forms::Picture& bar = frm::b().piece[3];
    int wrong = 0;
    // Rows above and below the caption's text, which covers the bar between.
    for (int y : {0, 1, 2, 3, 4, 5, 27, 28, 29})
        for (int x = 0; x < 80; ++x) {
            const int sx = x < 80 - 54 ? x : 54 + x - (80 - 54);
            if (PicturePixel(bar, sx, y) != At(skin, x, y) && ++wrong <= 3) ADD_FAILURE() << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);
    // A caption of 5000 characters is drawn whole and clipped by nothing but the window.
    skin->SetWidth(forms::PixelsToTwipsX(400));
    BSTR caption = SysAllocString(std::wstring(5000, L'W').c_str());
    h.control->put_Caption(caption);
    SysFreeString(caption);
    skin->DrawXP();
    EXPECT_GT(Count(skin, RGB(255, 255, 255), 300, 6, 90, 20), 20);
    // A tool window: the short bar, the caption at (3, 4) and no shadow.
    h.control->put_BorderStyle(cBorderFixedToolBox);
    skin->DrawXP();
    EXPECT_EQ(Count(skin, RGB(10, 24, 131), 0, 0, 120, 21), 0);
    EXPECT_GT(Count(skin, RGB(255, 255, 255), 3, 4, 100, 14), 10);
    // An unknown border style keeps the metrics it found.
    h.control->put_BorderStyle(static_cast<cFormBorderStyle>(9));
    skin->SetMePos();
    ExpectWrapped(skin, host, 21, 3);
}

TEST_F(SkinDraw, WithoutASchemeDrawXPFailsInsideItsGuard) {
    reportsExpected_ = true;
    Hosted h(Scheme(7), false);  // ColorStyle 7: SetDrawObj selects nothing
    frm* skin = SkinWindow();
    // The buttons and the title find no pictures: both report, as the skin's form.
    std::set<std::wstring> failed;
    for (const auto& r : reports_.Reports()) failed.insert(r[5] + L" in " + r[7] + L" " + r[8]);
    EXPECT_EQ(failed, (std::set<std::wstring>{L"DrawButtons in Formular frm", L"DrawXP in Formular frm"}));
    // With errors silenced the failing pieces are skipped and the caption still drawn, in black.
    SetSilentError(true);
    ASSERT_TRUE(Activate(skin));
    skin->DrawXP();
    SetSilentError(false);
    EXPECT_GT(Count(skin, RGB(0, 0, 0), 26, 6, 90, 20), 20);
}

}  // namespace
