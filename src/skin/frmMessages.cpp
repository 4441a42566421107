// The skin window's handler of the host form's messages: it keeps the skin in
// step with the host's minimise, maximise, restore and activation. It is also
// called directly, with made-up WM_SIZE messages, to maximise and restore, and
// it calls itself; every path may run while another is still on the stack.
#include <cmath>

#include "../errors/basError.h"
#include "../forms/Units.h"
#include "../subclass/basForm.h"
#include "frm.h"

namespace nimbra {

void frm::oSubClass_MessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                   VARIANT_BOOL& cancelMessage) {
    Guard g(InSkin(L"oSubClass_MessageCatched"));
    if (Unloading) {
        // The close action has begun: the host gets its own procedure back, nothing else.
        g.Run([&] {
            VARIANT_BOOL ignored;
            Check(oSubClass ? oSubClass->StopSubClass(&ignored) : E_POINTER);
        });
        return;
    }
    // The word parameter is taken whole, as a 32-bit value: a minimised window's
    // activation (high word set) or a system command with its low bits set is
    // not one of the values looked for.
    const DWORD word = static_cast<DWORD>(wParam);
    switch (uMsg) {
    case WM_SIZE: HostSized(g, static_cast<long>(word)); break;
    case WM_ACTIVATE: HostActivated(g, hwnd, word); break;
    case WM_MDIACTIVATE: {
        // An MDI child is activated by its client, without WM_ACTIVATE, and its
        // skin, a child window beside it, never is: the activation the host is
        // given counts for the skin as its own would.
        const bool active = reinterpret_cast<HWND>(lParam) == hwnd;
        // The client brings the active child to the top; its skin goes right below it.
        if (active)
            g.Run([&] { SetWindowPos(hWnd(), hwnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); },
                  [&] { Form_Activate(); });
        HostActivated(g, hwnd, active ? WA_ACTIVE : WA_INACTIVE);
        break;
    }
    case WM_SYSCOMMAND:
        // The system menu's Close is the close button's click, event included.
        if (word == SC_CLOSE) g.Run([&] { bClose_Click(); });
        if (word == SC_MAXIMIZE) g.Run([&] { MessageToSelf(hwnd, WM_SIZE, SIZE_MAXIMIZED); });
        // Alt+Space: the host's own default would open its menu at the host's
        // corner, under the title bar; a native window shows it below its icon.
        if ((word & 0xFFF0) == SC_KEYMENU && lParam == VK_SPACE) g.Run([&] { KeyMenu(cancelMessage); });
        break;
    case WM_INITMENUPOPUP:
        // The host's system menu is about to show: its entries say what the skin allows.
        if (HIWORD(lParam)) g.Run([&] { SysMenuStates(reinterpret_cast<HMENU>(wParam)); });
        break;
    case WM_EXITSIZEMOVE:
        // The system menu's Move or Size moved the host alone: the skin wraps it again.
        g.Run([&] { SetMePos(); }, [&] { LockWinPos(); });
        break;
    default: break;
    }
}

void frm::KeyMenu(VARIANT_BOOL& cancelMessage) {
    RECT skin{};
    CheckWin32(GetWindowRect(hWnd(), &skin));
    const POINT below{skin.left + 6, skin.top + static_cast<LONG>(std::lround(TitleHeight))};
    // WM_POPUPSYSTEMMENU, posted: the menu runs once this message is done.
    CheckWin32(PostMessageW(HostHwnd(), 0x313, 0, fLongVal(below.y, static_cast<short>(below.x))) != FALSE);
    cancelMessage = VARIANT_TRUE;
}

void frm::SysMenuStates(HMENU menu) {
    VARIANT_BOOL moveable = VARIANT_FALSE, resizeable = VARIANT_FALSE, maxEnabled = VARIANT_FALSE,
                 minEnabled = VARIANT_FALSE, closeEnabled = VARIANT_FALSE;
    Check(Owner().get_Moveable(&moveable));
    Check(Owner().get_Resizeable(&resizeable));
    Check(Owner().get_MaxButtonEnabled(&maxEnabled));
    Check(Owner().get_MinButtonEnabled(&minEnabled));
    Check(Owner().get_CloseButtonEnabled(&closeEnabled));
    const bool normal = WindowState() == forms::vbNormal, tool = IsTool();
    const struct {
        UINT command;
        bool enabled;
    } entries[] = {
        {SC_RESTORE, !normal},
        {SC_MOVE, normal && moveable},
        {SC_SIZE, normal && resizeable},
        {SC_MINIMIZE, minEnabled && !tool},
        {SC_MAXIMIZE, normal && maxEnabled && !tool},
        {SC_CLOSE, closeEnabled != VARIANT_FALSE},
    };
    for (const auto& e : entries) EnableMenuItem(menu, e.command, MF_BYCOMMAND | (e.enabled ? MF_ENABLED : MF_GRAYED));
}

void frm::MessageToSelf(HWND hwnd, UINT message, WPARAM state) {
    UINT m = message;
    WPARAM w = state;
    LPARAM l = 0;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    oSubClass_MessageCatched(hwnd, m, w, l, cancel);
}

void frm::HostSized(Guard& g, long state) {
    bool changed = false;
    if (!g.Run([&] { changed = HostForm && state != LastWindowState; })) return;
    if (changed) {
        const bool minimised = state == SIZE_MINIMIZED, maximised = state == SIZE_MAXIMIZED;
        const bool restored = !minimised && !maximised;  // any other kind counts as a restore
        auto when = [](bool condition, auto step) {
            return [condition, step] {
                if (condition) step();
            };
        };
        const bool ran = RunLoaded(g,
            [&] { SetHostLong(L"WindowState", state); },
            when(minimised, [&] { SetVisible(false); }),
            // Maximise: the system picks both rectangles; the host then goes
            // under the title bar, across the whole width and down to the
            // skin's bottom edge. Its height comes from the skin, not from the
            // host's own: a nested WM_SIZE (the host's own maximise arriving
            // inside this one) has already placed the host below the title.
            when(maximised, [&] { SetWindowState(forms::vbMaximized); }), when(maximised, [&] { SetFrameMetrics(); }),
            when(maximised, [&] { Form_Resize(); }), when(maximised, [&] { forms::DoEvents(); }),
            when(maximised,
                 [&] {
                     const int title = static_cast<int>(std::lround(TitleHeight));
                     MoveWindow(HostHwnd(), 0, title, static_cast<int>(ScaleWidth()),
                                static_cast<int>(ScaleHeight()) - title, FALSE);
                 }),
            when(maximised, [&] { forms::DoEvents(); }), when(maximised, [&] { KeepHostPos = true; }),
            when(maximised, [&] { Form_Resize(); }), when(maximised, [&] { KeepHostPos = false; }),
            when(maximised, [&] { MeFocus(); }), when(maximised, [&] { LockWinPos(); }),
            // Restore: the system brings the host back to its own normal bounds.
            when(restored, [&] { SetVisible(true); }), when(restored, [&] { InSetMePos = true; }),
            when(restored, [&] { SetWindowState(forms::vbNormal); }), when(restored, [&] { SetFrameMetrics(); }),
            when(restored, [&] { forms::DoEvents(); }), when(restored, [&] { InSetMePos = false; }),
            when(restored && LastWindowState != forms::vbMinimized, [&] { PlaceHostForm(); }),
            // Every state change: wrap the host again and redraw everything.
            [&] { InSetMePos = true; }, [&] { SetMePos(); }, [&] { SetFocus(HostHwnd()); },
            [&] { SetButtonData(); }, [&] { MeFocus(); }, [&] { LockWinPos(); });
        if (!ran) return;
    } else if (!g.Run(
                   [&] {
                       // A host inside another window is wrapped again on every size;
                       // a top-level host's plain resizes are not followed.
                       if (HostForm && ::GetParent(HostHwnd())) SetMePos();
                   },
                   [&] {
                       if (HostForm && ::GetParent(HostHwnd())) DrawXP();
                   })) {
        return;
    }
    // Recorded only now: a nested WM_SIZE with the same state takes the same path.
    g.Run([&] { LastWindowState = static_cast<short>(WindowState()); });
}

void frm::HostActivated(Guard& g, HWND hwnd, DWORD kind) {
    int hostState = 0;
    bool differs = false;
    g.Run(
        [&] {
            if (!HostForm) return;
            hostState = HostLong(L"WindowState");
            differs = hostState != LastWindowState;
        },
        [&] {
            // The host changed state on its own: follow it first. With the state
            // recorded already, the nested call takes the no-change path.
            if (!differs) return;
            LastWindowState = static_cast<short>(hostState);
            MessageToSelf(hwnd, WM_SIZE, static_cast<WPARAM>(hostState));
        },
        [&] {
            if (kind == WA_ACTIVE || kind == WA_CLICKACTIVE || GetFocus() == hWnd()) {
                SetVisible(true);
                InSetMePos = true;
                WindowActive = true;
            } else {
                WindowActive = false;
            }
        },
        [&] {
            if (HostForm && HostLong(L"WindowState") == forms::vbNormal) SetMePos();
        },
        [&] { DrawXP(); }, [&] { DrawButtons(); });
}

}  // namespace nimbra
