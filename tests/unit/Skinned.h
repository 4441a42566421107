// What the skin's tests share: a settled skinned host form, the form-file lines that shape it, the checks of where
// the skin and its host lie, the skin's two looks, and a fixture that fails any test which reported an error or
// showed a message box.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "../../src/errors/basError.h"
#include "../../src/forms/Units.h"
#include "../../src/skin/SkinWindow.h"
#include "../../src/skin/frm.h"
#include "Hosted.h"
#include "TestSupport.h"

namespace test {

inline std::string Style(long borderStyle) { return Prop("BorderStyle", borderStyle); }
const std::string kAllButtons = Style(2) + Prop("HelpButtonVisible", -1) + Prop("TrayButtonVisible", -1);

// A host form with its skin, settled: auto&& [h, skin, host] = Skinned(lines).
struct Skinned {
    explicit Skinned(const std::string& lines, EventLog* log = nullptr)
        : h(lines, false, log), skin(nimbra::SkinWindow()), host(h.Form().hWnd()) {
        if (!h.loaded || !skin || skin->HostHwnd() != host) throw std::runtime_error("no skin started");
        nimbra::forms::DoEvents();
    }
    Hosted h;
    nimbra::frm* skin;
    HWND host;
};

// Pixels at the left, top, right and bottom edges.
using Edges = std::array<LONG, 4>;

// The skin around its host in the normal state: title above, frame on the other sides.
inline void ExpectWrapped(nimbra::frm* skin, HWND host, int title = 30, int frame = 4) {
    const RECT o = WindowRect(skin->hWnd()), i = WindowRect(host);
    EXPECT_EQ((Edges{i.left - o.left, i.top - o.top, o.right - i.right, o.bottom - i.bottom}),
              (Edges{frame, title, frame, frame}));
}
// Skin and host of a BorderStyle 2 form both in the state given, normal or maximised; maximised, the host lies right
// below the title band, nothing of the skin beside or below it.
inline void ExpectState(Hosted& h, nimbra::frm* skin, int state) {
    EXPECT_EQ(skin->WindowState(), state);
    EXPECT_EQ(h.Form().WindowState(), state);
    const bool maximised = state == nimbra::forms::vbMaximized;
    ExpectWrapped(skin, h.Form().hWnd(), maximised ? 26 : 30, maximised ? 0 : 4);
}

inline bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// Which of the given client points the window shows, as "1" and "0": inside its outline, or
// anywhere on it without one; nowhere while it is hidden.
inline std::string Covered(HWND window, std::initializer_list<POINT> points) {
    const RECT r = WindowRect(window);
    HRGN region = CreateRectRgn(0, 0, r.right - r.left, r.bottom - r.top);
    const bool shown = IsWindowVisible(window);
    GetWindowRgn(window, region);
    std::string s;
    for (const POINT& p : points) s += shown && PtInRegion(region, p.x, p.y) ? '1' : '0';
    DeleteObject(region);
    return s;
}

// Over the rectangle area of dc: the pixels the shaped window shows, and how many of colour c lie inside and outside
// its outline. A window without an outline shows everything, and so does no window at all.
struct Tally {
    int shown = 0, inside = 0, outside = 0;
};
inline Tally CountPixels(HDC dc, const RECT& area, COLORREF c, HWND shaped = nullptr) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool outlined = shaped && GetWindowRgn(shaped, region) != ERROR;
    Tally t;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const bool in = !outlined || PtInRegion(region, x, y);
            t.shown += in;
            (in ? t.inside : t.outside) += GetPixel(dc, x, y) == c;
        }
    DeleteObject(region);
    return t;
}

// A pixel of a picture's bitmap (a strip of button frames, a piece of the bar).
inline COLORREF PicturePixel(const nimbra::forms::Picture& picture, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture.Bitmap());
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

// A left click on a caption button as the mouse makes it: press and release inside it.
inline void Click(nimbra::forms::PictureBox& button) {
    SendMessageW(button.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(button.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    nimbra::forms::DoEvents();
}

// Runs messages until the skin shows the active or inactive look (2 s at most).
inline bool WaitForLook(nimbra::frm* skin, bool active) {
    for (const DWORD start = GetTickCount(); skin->IsWindowActive() != active && GetTickCount() - start < 2000;)
        nimbra::forms::RunUntilQuiet(20, 200);
    return skin->IsWindowActive() == active;
}

// Activates the skinned form's host, as a click on it would.
inline bool Activate(nimbra::frm* skin) {
    SetForegroundWindow(skin->HostHwnd());
    return WaitForLook(skin, true);
}

// Another top-level window, holding the activation while it lives; the skin must take its inactive look.
struct Elsewhere {
    explicit Elsewhere(nimbra::frm* skin)
        : hwnd(CreateWindowExW(0, L"STATIC", L"anderswo", WS_POPUP, 1200, 950, 20, 20, nullptr, nullptr, nullptr,
                               nullptr)) {
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        EXPECT_TRUE(WaitForLook(skin, false)) << "the skin kept its active look";
    }
    ~Elsewhere() { DestroyWindow(hwnd); }
    Elsewhere(const Elsewhere&) = delete;

    HWND hwnd;
};

// How many rounds a leak loop runs. Our owners' live counters are exact: a few tens of rounds show a leak of one
// object a round. --soak (NIMBRA_SOAK=1) runs thousands, for slow growth and slowdowns.
inline int SoakRounds(int quick, int full) {
    const char* soak = std::getenv("NIMBRA_SOAK");
    return soak && *soak && *soak != '0' ? full : quick;
}

inline std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class SkinFixture : public ::testing::Test {
protected:
    // The cursor stays off every form: over a caption button it keeps the hover poll running.
    void SetUp() override {
        SetCursorPos(1270, 1010);
        ResetBoxes();
        nimbra::SetSilentError(false);
        // A test that closed its last form leaves WM_QUIT queued; it would hold back every timer tick of the next.
        for (MSG quit; PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) {
        }
    }
    void TearDown() override {
        SetCursorPos(1270, 1010);
        nimbra::SetSilentError(false);
        nimbra::forms::DoEvents();
        EXPECT_EQ(Boxes().count, 0);
        if (reportsExpected_) return;
        for (const auto& r : reports_.Reports())
            ADD_FAILURE() << "reported " << Narrow(r[3]) << " " << Narrow(r[4]) << " in " << Narrow(r[5]) << " line "
                          << Narrow(r[6]);
    }
    // Events the host's sink wrote, for tests that give Skinned a log.
    std::wstring Events() const { return ReadUtf8(events_); }

    RecordedReports reports_;
    bool reportsExpected_ = false;
    const std::wstring events_ = ScratchFolder(L"skin-events") + L"\\events.txt";
};

}  // namespace test
