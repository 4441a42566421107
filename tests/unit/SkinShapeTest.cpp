// The skin's outline and translucency as the screen gets them: the window
// region at its corners and hole, the layered alpha, the host without its frame.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdlib>

#include "Skinned.h"
#include "../../src/forms/Region.h"
#include "../../src/forms/Handles.h"

using namespace nimbra;
using namespace test;

namespace {

BYTE Alpha(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
    return alpha;
}

using SkinShape = SkinFixture;

TEST_F(SkinShape, EachBorderStyleGetsItsOutlineAndTransparencyTheLayeredAlpha) {
    {
        auto&& [h, skin, host] = Skinned(Style(2) + Prop("Transparency", 0));
        const int sw = skin->ScaleWidth(), sh = skin->ScaleHeight();
        // Rounded top corners, title bar and frame kept, the host's place open, square bottom corners.
        EXPECT_EQ(Covered(skin->hWnd(), {{0, 0}, {sw - 1, 0}, {5, 5}, {sw / 2, 2}, {sw / 2, 29}}), "00111");
        EXPECT_EQ(Covered(skin->hWnd(), {{sw / 2, 30}, {4, 40}, {3, 40}, {sw - 4, 40}, {sw - 5, 40}}), "00110");
        EXPECT_EQ(Covered(skin->hWnd(), {{0, sh - 1}, {sw - 1, sh - 1}, {sw / 2, sh - 4}, {sw / 2, sh - 5}}), "1110");
        // The host lost its caption and sizing frame; it is a window of its own and stays opaque.
        EXPECT_EQ(GetWindowLongPtrW(host, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
        EXPECT_FALSE(GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_EQ(Alpha(skin->hWnd()), 252);  // never quite opaque
        for (auto [t, alpha] : {std::pair{1, 250}, {50, 125}, {99, 0}, {150, 0}}) {
            h.control->put_Transparency(static_cast<BYTE>(t));
            EXPECT_EQ(Alpha(skin->hWnd()), alpha) << t;
        }
    }
    // A tool window has square corners; without a border no title, no frame, nothing of the skin shows.
    for (auto [style, outline] : {std::pair{4, "1101"}, {0, "0000"}}) {
        auto&& [h, skin, host] = Skinned(Style(style));
        EXPECT_EQ(Covered(skin->hWnd(), {{0, 0}, {skin->ScaleWidth() - 1, 0}, {10, 21}, {2, 21}}), outline) << style;
    }
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The tools of the skin's tooltip window (the caption buttons' tips), a top-level window it owns.
LRESULT TooltipTools(HWND skin) {
    HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tip && GetWindow(tip, GW_OWNER) != skin)
        tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    return tip ? SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) : -1;
}

TEST_F(SkinShape, ResizingOverAndOverLeavesNoRegionOrSurfaceBehind) {
    auto&& [h, skin, host] = Skinned(Style(2));
    const long width = skin->Width();
    // Messages run between the resizes, as while a person drags the frame: unpumped, paints pile up.
    auto resize = [&](int times) {
        for (int i = 0; i < times; ++i) {
            skin->SetWidth(width + (i % 2 ? 150 : 0));
            forms::DoEvents();
        }
    };
    // A first round prepares the copies each width draws; from then on nothing may grow.
    // NIMBRA_RESIZES asks for a longer run (100000 were run by hand); --soak runs 3000.
    resize(10);
    const long regions = forms::Region::LiveCount(), gdi = forms::LiveGdiObjects();
    const SIZE_T memory = PrivateBytes();
    const LRESULT tools = TooltipTools(skin->hWnd());
    EXPECT_EQ(tools, 5);  // one per button
    const char* asked = std::getenv("NIMBRA_RESIZES");
    resize(asked ? std::atoi(asked) : SoakRounds(40, 3000));
    EXPECT_EQ(forms::Region::LiveCount(), regions);
    EXPECT_EQ(forms::LiveGdiObjects(), gdi);
    EXPECT_EQ(TooltipTools(skin->hWnd()), tools);
    // What no owner of ours counts: a few hundred bytes per resize would show.
    EXPECT_LT(PrivateBytes(), memory + 1024 * 1024) << (PrivateBytes() - memory) / 1024 << " KB more";
}

}  // namespace
