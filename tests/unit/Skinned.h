// What the skin's tests share: a settled skinned host form, the form-file
// lines that shape it, the check that the skin wraps its host, and a fixture
// that fails any test which reported an error or showed a message box.
#pragma once
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "../../src/errors/basError.h"
#include "../../src/forms/Units.h"
#include "../../src/skin/SkinWindow.h"
#include "../../src/skin/frm.h"
#include "Hosted.h"
#include "TestSupport.h"

namespace test {

// One property line of the control's block in a form file.
inline std::string Prop(const std::string& name, long value) {
    return "      " + name + std::string(name.size() < 16 ? 16 - name.size() : 0, ' ') + "=   " +
           std::to_string(value) + "\r\n";
}
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

inline bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

inline std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class SkinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetBoxes();
        nimbra::SetSilentError(false);
        // A test that closed its last form leaves WM_QUIT queued; it would hold
        // back every timer tick of the next one.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void TearDown() override {
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
