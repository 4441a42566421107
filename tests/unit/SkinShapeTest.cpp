// The skin's outline and translucency as the screen gets them: the window
// region at its corners and hole, the layered alpha, the host without its frame.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdlib>
#include <optional>

#include "Activation.h"
#include "Skinned.h"
#include "Soak.h"
#include "../../src/forms/Region.h"
#include "../../src/forms/Surface.h"
#include "../../src/forms/Units.h"

using namespace nimbra;
using namespace test;

namespace {

// Which of the given points the skin window's outline covers, as "1" and "0".
std::string Covered(HWND window, std::initializer_list<POINT> points) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    std::string s;
    for (const POINT& p : points) s += kind != ERROR && PtInRegion(region, p.x, p.y) ? '1' : '0';
    DeleteObject(region);
    return s;
}

BYTE Alpha(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
    return alpha;
}

using SkinShape = SkinFixture;

TEST_F(SkinShape, NormalWindowsGetRoundedTopCornersAndAHoleForTheHost) {
    Skinned s(Style(2));
    auto& [h, skin] = s;
    const int sw = skin->ScaleWidth(), sh = skin->ScaleHeight();
    // Top corners cut away, title bar and frame kept, the host's place open,
    // square bottom corners.
    EXPECT_EQ(Covered(skin->hWnd(), {{0, 0}, {sw - 1, 0}, {5, 5}, {sw / 2, 2}, {sw / 2, 29}}), "00111");
    EXPECT_EQ(Covered(skin->hWnd(), {{sw / 2, 30}, {4, 40}, {3, 40}, {sw - 4, 40}, {sw - 5, 40}}), "00110");
    EXPECT_EQ(Covered(skin->hWnd(), {{0, sh - 1}, {sw - 1, sh - 1}, {sw / 2, sh - 4}, {sw / 2, sh - 5}}), "1110");
    // The host lost its caption and sizing frame.
    const LONG_PTR style = GetWindowLongPtrW(h.Form().hWnd(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
}

// The title piece paints its rounded corners magenta; whatever the platform's
// rounding, none of those pixels may show.
TEST_F(SkinShape, NoMagentaCornerPixelLiesInsideTheOutline) {
    for (int scheme : {0, 1, 2}) {
        SCOPED_TRACE(scheme);
        Skinned s(Prop("ColorStyle", scheme) + Style(2));
        auto& [h, skin] = s;
        HRGN outline = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(skin->hWnd(), outline), ERROR);
        for (bool active : {true, false}) {
            std::optional<Elsewhere> away;
            if (active) {
                ASSERT_TRUE(Activate(skin));
            } else {
                away.emplace(skin);
                ASSERT_TRUE(away->inactive);
            }
            skin->DrawXP();
            int shown = 0, cut = 0;
            for (int y = 0; y < static_cast<int>(skin->TitleHeight); ++y)
                for (int x = 0; x < skin->ScaleWidth(); ++x)
                    if (GetPixel(skin->Draw().hDC(), x, y) == RGB(255, 0, 255))
                        ++(PtInRegion(outline, x, y) ? shown : cut);
            EXPECT_EQ(shown, 0) << active;
            EXPECT_EQ(cut, 2 * (5 + 3 + 2 + 1 + 1)) << active;  // both corners, the steps of the art
        }
        DeleteObject(outline);
    }
}

TEST_F(SkinShape, ToolWindowsAreSquareAndWithoutABorderNothingShows) {
    {
        Skinned s(Style(4));
        auto& [h, skin] = s;
        EXPECT_EQ(Covered(skin->hWnd(), {{0, 0}, {skin->ScaleWidth() - 1, 0}, {10, 21}, {2, 21}}), "1101");
    }
    {
        // No border: no title, no frame, nothing of the skin shows.
        Skinned s(Style(0));
        auto& [h, skin] = s;
        EXPECT_EQ(Covered(skin->hWnd(), {{0, 0}, {5, 5}, {skin->ScaleWidth() / 2, skin->ScaleHeight() / 2}}), "000");
    }
}

TEST_F(SkinShape, TransparencyBecomesTheLayeredAlpha) {
    Skinned s(Style(2) + Prop("Transparency", 0));
    auto& [h, skin] = s;
    EXPECT_TRUE(GetWindowLongPtrW(skin->hWnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(Alpha(skin->hWnd()), 252);  // never quite opaque
    for (auto [t, alpha] : {std::pair{1, 250}, {50, 125}, {99, 0}, {150, 0}}) {
        h.control->put_Transparency(static_cast<BYTE>(t));
        EXPECT_EQ(Alpha(skin->hWnd()), alpha) << t;
    }
    // The host form is a window of its own and stays opaque.
    EXPECT_FALSE(GetWindowLongPtrW(h.Form().hWnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

struct TooltipSearch {
    HWND owner, found;
};

BOOL CALLBACK FindTooltip(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TooltipSearch*>(p);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (GetWindow(w, GW_OWNER) == s->owner && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) s->found = w;
    return s->found == nullptr;
}

// The tools of the skin's tooltip window (the caption buttons' tips).
LRESULT TooltipTools(HWND skin) {
    TooltipSearch search{skin, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found ? SendMessageW(search.found, TTM_GETTOOLCOUNT, 0, 0) : -1;
}

TEST_F(SkinShape, ResizingOverAndOverLeavesNoRegionOrSurfaceBehind) {
    Skinned s(Style(2));
    auto& [h, skin] = s;
    const long width = skin->Width();
    // One round at both widths prepares the copies each width draws; from then
    // on nothing may grow. NIMBRA_RESIZES asks for a longer run (100000 were run
    // by hand); --soak runs 3000.
    for (int round = 0; round < 10; ++round) {
        skin->SetWidth(width + (round % 2 ? 150 : 0));
        forms::DoEvents();
    }
    const long regions = forms::Region::LiveCount(), gdi = forms::Surface::LiveObjects();
    const SIZE_T memory = PrivateBytes();
    const LRESULT tools = TooltipTools(skin->hWnd());
    EXPECT_EQ(tools, 5);  // one per button
    const char* asked = std::getenv("NIMBRA_RESIZES");
    const int resizes = asked ? std::atoi(asked) : SoakRounds(40, 3000);
    // Messages run between the resizes, as they do while a person drags the
    // frame; unpumped, the paint messages pile up and every resize gets slower.
    for (int i = 0; i < resizes; ++i) {
        skin->SetWidth(width + (i % 2 ? 150 : 0));
        forms::DoEvents();
    }
    EXPECT_EQ(forms::Region::LiveCount(), regions);
    EXPECT_EQ(forms::Surface::LiveObjects(), gdi);
    EXPECT_EQ(TooltipTools(skin->hWnd()), tools);
    // What no owner of ours counts: a few hundred bytes per resize would show.
    EXPECT_LT(PrivateBytes(), memory + 1024 * 1024) << (PrivateBytes() - memory) / 1024 << " KB more";
}

}  // namespace
