// Several skinned forms open: each settles at once, with an activation and a
// few paints, and an idle skinned form then does nothing at all. Counted by
// thread hooks, from the outside, for every window of the thread.
#include <gtest/gtest.h>

#include <map>

#include "../../src/forms/Form.h"
#include "../../src/forms/Units.h"
#include "Skinned.h"

using namespace nimbra;
using namespace test;

namespace {

struct Counts {
    int activations = 0;  // WM_ACTIVATE that activates
    int paints = 0;       // WM_PAINT of the window or any child of it
    int timers = 0;       // WM_TIMER of the window or any child of it
};

// Messages of this thread's windows, by top-level window.
std::map<HWND, Counts>& Seen() {
    static std::map<HWND, Counts> seen;
    return seen;
}

void Count(HWND hwnd, UINT message, WPARAM wParam) {
    if (!hwnd) return;
    Counts& c = Seen()[GetAncestor(hwnd, GA_ROOT)];
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) ++c.activations;
    if (message == WM_PAINT) ++c.paints;
    if (message == WM_TIMER) ++c.timers;
}

// Sent messages (an UpdateWindow's paint, activation) ...
LRESULT CALLBACK OnSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        Count(m->hwnd, m->message, m->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
// ... and the queue's (paints and timers the loop takes).
LRESULT CALLBACK OnTaken(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const auto* m = reinterpret_cast<const MSG*>(lParam);
        Count(m->hwnd, m->message, m->wParam);
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

class MessageCount {
public:
    MessageCount()
        : sent_(SetWindowsHookExW(WH_CALLWNDPROC, OnSent, nullptr, GetCurrentThreadId())),
          taken_(SetWindowsHookExW(WH_GETMESSAGE, OnTaken, nullptr, GetCurrentThreadId())) {
        Seen().clear();
    }
    ~MessageCount() {
        UnhookWindowsHookEx(sent_);
        UnhookWindowsHookEx(taken_);
    }
    bool Installed() const { return sent_ && taken_; }
    MessageCount(const MessageCount&) = delete;
    MessageCount& operator=(const MessageCount&) = delete;

private:
    HHOOK sent_, taken_;
};

using SkinQuiet = SkinFixture;

TEST_F(SkinQuiet, SeveralFormsSettleAtOnceAndThenDoNothing) {
    forms::RunUntilQuiet(100, 2000);  // what earlier tests left behind
    MessageCount count;
    ASSERT_TRUE(count.Installed());
    // Three forms open one after the other, as a host application loads and
    // shows them; the last one shown is the active one.
    Hosted blue(Prop("ColorStyle", 0), false), silver(Prop("ColorStyle", 1), false),
        olive(Prop("ColorStyle", 2), false);
    std::vector<HWND> skins;
    for (Hosted* h : {&blue, &silver, &olive}) {
        ASSERT_TRUE(h->loaded);
        h->Form().Show();
        for (forms::Form* f : forms::LoadedForms())
            if (auto* skin = dynamic_cast<frm*>(f); skin && skin->HostHwnd() == h->Form().hWnd())
                skins.push_back(skin->hWnd());
    }
    ASSERT_EQ(skins.size(), 3u);
    EXPECT_TRUE(forms::RunUntilQuiet(300, 10000)) << "the forms never settled";
    for (HWND skin : skins) {
        const Counts c = Seen()[skin];
        // One activation at its start, handed on to its host; its paints
        // (the skin and its five buttons) twice over at most: 13 were seen,
        // 27 when each start ran its activation twice.
        EXPECT_EQ(c.activations, 1) << skin;
        EXPECT_LE(c.paints, 20) << skin;
        EXPECT_EQ(c.timers, 0) << skin;
    }

    // Idle: no timer, no activation, no paint, in any window of the thread.
    Seen().clear();
    forms::RunFor(1000);
    for (const auto& [window, c] : Seen()) {
        EXPECT_EQ(c.activations, 0) << window;
        EXPECT_EQ(c.paints, 0) << window;
        EXPECT_EQ(c.timers, 0) << window;
    }
}

}  // namespace
