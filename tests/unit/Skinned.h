// What the skin's tests share: a settled skinned host form, the form-file
// lines that shape it, the check that the skin wraps its host, and a fixture
// that fails any test which reported an error or showed a message box.
#pragma once
#include <gtest/gtest.h>

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

// A host form with its skin, after the start's own messages have run.
struct Skinned {
    explicit Skinned(const std::string& lines, EventLog* log = nullptr)
        : h(lines, false, log), skin(nimbra::SkinWindow()) {
        if (!h.loaded || !skin || skin->HostHwnd() != h.Form().hWnd()) throw std::runtime_error("no skin started");
        nimbra::forms::DoEvents();
    }
    HWND Host() { return h.Form().hWnd(); }

    Hosted h;
    nimbra::frm* skin;
};

// The skin around its host in the normal state: title above, frame on the other sides.
inline void ExpectWrapped(nimbra::frm* skin, HWND host, int title = 30, int frame = 4) {
    const RECT outer = WindowRect(skin->hWnd()), inner = WindowRect(host);
    EXPECT_EQ(inner.left - outer.left, frame);
    EXPECT_EQ(inner.top - outer.top, title);
    EXPECT_EQ(outer.right - inner.right, frame);
    EXPECT_EQ(outer.bottom - inner.bottom, frame);
}

// Maximised: the host directly below the title band, across the skin's whole
// width and down to its bottom edge, nothing of the skin left beside or below.
inline void ExpectMaximisedPair(nimbra::frm* skin, HWND host, int title = 26) {
    const RECT outer = WindowRect(skin->hWnd()), inner = WindowRect(host);
    EXPECT_EQ(inner.left, outer.left);
    EXPECT_EQ(inner.top, outer.top + title);
    EXPECT_EQ(inner.right, outer.right);
    EXPECT_EQ(inner.bottom, outer.bottom);
}

inline bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// Which of the given client points the window's outline covers, as "1" and "0".
inline std::string Covered(HWND window, std::initializer_list<POINT> points) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    std::string s;
    for (const POINT& p : points) s += kind != ERROR && PtInRegion(region, p.x, p.y) ? '1' : '0';
    DeleteObject(region);
    return s;
}

// Over the rectangle area of dc: the pixels the shaped window shows, and how many
// of colour c lie inside and outside its outline. A window without an outline
// shows everything, and so does no window at all.
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

inline std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class SkinFixture : public ::testing::Test {
protected:
    // The cursor starts and ends off every form: over a caption button it keeps the hover poll running.
    void SetUp() override {
        SetCursorPos(1270, 1010);
        ResetBoxes();
        nimbra::SetSilentError(false);
        // A test that closed its last form leaves WM_QUIT queued; it would hold
        // back every timer tick of the next one.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
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
    void ClearEvents() const { DeleteFileW(events_.c_str()); }

    RecordedReports reports_;
    bool reportsExpected_ = false;
    const std::wstring events_ = ScratchFolder(L"skin-events") + L"\\events.txt";
};

}  // namespace test
