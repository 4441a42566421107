// Several skinned forms open: each settles at once, with an activation and a few paints, and an idle skinned form
// then does nothing at all. Counted by thread hooks, from the outside, for every window of the thread.
#include <array>
#include <map>
#include <memory>
#include <type_traits>

#include "Skinned.h"

using namespace nimbra;
using namespace test;

namespace {

// WM_ACTIVATE that activates, WM_PAINT and WM_TIMER, of a window or any child of it.
enum { kActivations, kPaints, kTimers };
using Counts = std::array<int, 3>;

// Messages of this thread's windows, by top-level window; the thread's own timers under nullptr.
std::map<HWND, Counts> g_seen;

// Sent messages (CWPSTRUCT: an UpdateWindow's paint, activation) and the
// queue's (MSG: paints and timers the loop takes, counted when removed).
template <class Message>
LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const Message*>(lParam);
    if (code == HC_ACTION && (std::is_same_v<Message, CWPSTRUCT> || wParam == PM_REMOVE)) {
        Counts& c = g_seen[GetAncestor(m->hwnd, GA_ROOT)];
        c[kActivations] += m->message == WM_ACTIVATE && LOWORD(m->wParam) != WA_INACTIVE;
        c[kPaints] += m->message == WM_PAINT;
        c[kTimers] += m->message == WM_TIMER;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

using Hook = std::unique_ptr<std::remove_pointer_t<HHOOK>, decltype(&UnhookWindowsHookEx)>;
Hook Install(int kind, HOOKPROC procedure) {
    return Hook(SetWindowsHookExW(kind, procedure, nullptr, GetCurrentThreadId()), UnhookWindowsHookEx);
}

using SkinQuiet = SkinFixture;

TEST_F(SkinQuiet, SeveralFormsSettleAtOnceAndThenDoNothing) {
    forms::RunUntilQuiet(100, 2000);  // what earlier tests left behind
    g_seen.clear();
    const Hook sent = Install(WH_CALLWNDPROC, OnMessage<CWPSTRUCT>), taken = Install(WH_GETMESSAGE, OnMessage<MSG>);
    ASSERT_TRUE(sent && taken);
    // Three forms loaded and shown one after the other, as a host application does.
    Skinned blue(Prop("ColorStyle", 0)), silver(Prop("ColorStyle", 1)), olive(Prop("ColorStyle", 2));
    for (Skinned* s : {&blue, &silver, &olive}) s->h.Form().Show();
    EXPECT_TRUE(forms::RunUntilQuiet(300, 10000)) << "the forms never settled";
    for (Skinned* s : {&blue, &silver, &olive}) {
        const HWND skin = s->skin->hWnd();
        const Counts c = g_seen[skin];
        // One activation at its start, handed on to its host; its paints (the skin and its five buttons) twice over
        // at most: 13 were seen, 27 when each start ran its activation twice.
        EXPECT_EQ(c[kActivations], 1) << skin;
        EXPECT_LE(c[kPaints], 20) << skin;
        EXPECT_EQ(c[kTimers], 0) << skin;
    }
    EXPECT_EQ(g_seen[nullptr][kTimers], 0) << "a timer of the thread ticked: the hover poll runs only under the mouse";
    // Idle: no timer, no activation, no paint, in any window of the thread.
    g_seen.clear();
    forms::RunFor(1000);
    for (const auto& [window, c] : g_seen) EXPECT_EQ(c, Counts{}) << window;
}

}  // namespace
