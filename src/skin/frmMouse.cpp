// The skin's own mouse: moving by the title band, resizing by the frame, the
// sizing cursors, clicks and double clicks on the title, and the system menu.
// Positions are pixels relative to the skin; Left/Top/Width/Height are twips.
#include "frm.h"
#include "frmGeometry.h"

#include "../forms/Units.h"
#include "../subclass/basForm.h"

namespace nimbra {
namespace {

// The cursor shape of each resize zone, -1 (none) first.
constexpr int kZoneCursor[] = {forms::vbDefault, forms::vbSizeWE,   forms::vbSizeWE,   forms::vbSizeNS, forms::vbSizeNS,
                               forms::vbSizeNWSE, forms::vbSizeNESW, forms::vbSizeNESW, forms::vbSizeNWSE};

constexpr short kNoZone = -1;
constexpr long kMinimumSize = 500;  // twips, on both axes

}  // namespace

short frm::GetResizeMode() {
    short zone = kNoZone;
    bool done = false;
    float B = 0, W = 0, H = 0;
    Guard(InSkin(L"GetResizeMode")).Run(
        [&] { done = WindowState() != forms::vbNormal; },
        [&] {
            // The zone stays fixed for the whole drag.
            if (done || !ResizeArmed) return;
            zone = ResizeMode;
            done = true;
        },
        [&] { B = BorderWidth; }, [&] { W = static_cast<float>(ScaleWidth()); },
        [&] { H = static_cast<float>(ScaleHeight()); },
        [&] {
            if (done) return;
            const float X = MouseX, Y = MouseY;
            if (X <= B && Y <= B) zone = 7;
            else if (B < X && X < W - B && Y <= B) zone = 2;
            else if (X >= W - B && Y <= B) zone = 6;
            else if (X <= B && B < Y && Y < H - B) zone = 0;
            else if (X >= W - B && B < Y && Y < H - B) zone = 1;
            else if (X <= B && Y >= H - B) zone = 5;
            else if (X >= W - B && Y >= H - B) zone = 4;
            else if (B < X && X < W - B && Y >= H - B) zone = 3;
        });
    return zone;
}

bool frm::AsksForSysMenu(int button, float x, float y) {
    if (y < 0 || y > TitleHeight || IsTool()) return false;
    // Right anywhere in the band, left on the icon's columns (both bounds outside).
    return button == forms::vbRightButton ||
           (button == forms::vbLeftButton && skin::kIconLeft < x && x < skin::kIconRight);
}

void frm::Form_MouseDown(int Button, int, float X, float Y) {
    BusyScope busy(*this);
    Guard g(InSkin(L"Form_MouseDown"));
    bool menu = false;
    if (!RunLoaded(
            g, [&] { MeFocus(); },
            [&] {
                MouseX = X;
                MouseY = Y;
                LastButton = static_cast<short>(Button);
            },
            [&] {
                menu = AsksForSysMenu(Button, X, Y);
                if (menu) tmrSysMenu.SetEnabled(true);
            }) ||
        menu)
        return;
    // Each read is a statement of its own: with the silent switch on, a failed
    // Resizeable read counts as not resizeable and the move decision still runs.
    VARIANT_BOOL resizeable = VARIANT_FALSE, moveable = VARIANT_FALSE;
    bool arm = false;
    RunLoaded(
        g, [&] { ResizeMode = GetResizeMode(); }, [&] { Check(Owner().get_Resizeable(&resizeable)); },
        // Any button arms a resize on a frame zone; the release applies it.
        [&] { arm = resizeable && GetResizeMode() != kNoZone; },
        [&] {
            if (!arm) return;
            GetCursorPos(&ResizeStart);
            ResizeArmed = true;
        },
        [&] {
            if (!arm) Check(Owner().get_Moveable(&moveable));
        },
        [&] {
            if (arm) return;
            Moving = WindowState() == forms::vbNormal && MouseY < TitleHeight && moveable && !IgnoreNextMouseUp;
            if (!Moving) return;
            LockWindowUpdate(nullptr);
            GrabX = X;
            GrabY = Y;
        },
        [&] {
            if (!arm) ResizeArmed = false;
        },
        [&] { LastButton = static_cast<short>(Button); }, [&] { forms::DoEvents(); });
}

void frm::Form_MouseMove(int Button, int, float X, float Y) {
    BusyScope busy(*this);
    Guard g(InSkin(L"Form_MouseMove"));
    if (Button == forms::vbLeftButton && Moving) {
        // X and Y are relative to the window that moves with them: the grabbed
        // point stays under the cursor. One placement moves the skin.
        RunLoaded(
            g,
            [&] {
                Move(Left() + forms::PixelsToTwipsX(X - GrabX), Top() + forms::PixelsToTwipsY(Y - GrabY), Width(),
                     Height());
            },
            [&] { PlaceHostForm(); });
        return;
    }
    bool resizeable = false;
    short zone = kNoZone;
    RunLoaded(
        g,
        [&] {
            MouseX = X;
            MouseY = Y;
            LastButton = static_cast<short>(Button);
        },
        [&] {
            VARIANT_BOOL on = VARIANT_FALSE;
            Check(Owner().get_Resizeable(&on));
            resizeable = on != VARIANT_FALSE;
        },
        [&] {
            if (!resizeable) return;
            zone = GetResizeMode();
            if (zone != kNoZone && Button == forms::vbLeftButton) HeldOwner()->evResize();
        },
        [&] {
            if (resizeable) SetMousePointer(kZoneCursor[zone + 1]);
        });
}

void frm::Form_MouseUp(int Button, int, float X, float Y) {
    BusyScope busy(*this);
    Guard g(InSkin(L"Form_MouseUp"));
    // A failed Resizeable read is skipped under the silent switch: an armed
    // resize is still applied and disarmed.
    bool stop = false;
    if (!RunLoaded(
            g, [&] { forms::DoEvents(); },
            [&] {
                MouseX = X;
                MouseY = Y;
                LastButton = static_cast<short>(Button);
            },
            [&] { SetMousePointer(forms::vbDefault); },
            [&] { Moving = false; },  // the last move put the window where it stays
            [&] {
                // The release the menu's end swallows also ends a resize armed
                // by its press: left armed, any later release, on a skin
                // maximised meanwhile too, would apply it.
                stop = IgnoreNextMouseUp;
                IgnoreNextMouseUp = false;
                if (stop) ResizeArmed = false;
            },
            [&] {
                if (stop) return;
                VARIANT_BOOL resizeable = VARIANT_TRUE;
                Check(Owner().get_Resizeable(&resizeable));
                stop = resizeable == VARIANT_FALSE;
            }) ||
        stop)
        return;
    bool apply = false;
    // Only a normal skin has a frame to resize by.
    RunLoaded(
        g, [&] { apply = ResizeArmed && WindowState() == forms::vbNormal; },
        [&] {
            if (apply) ResizeArmed = false;
        },
        [&] {
            if (apply) GetCursorPos(&ResizeEnd);
        },
        [&] {
            if (apply) ApplyResize(ResizeStart, ResizeEnd, ResizeMode);
        },
        [&] {
            if (apply) ResizeMode = kNoZone;
        },
        [&] { ResizeArmed = false; });
}

void frm::ApplyResize(POINT start, POINT end, short zone) {
    const bool left = zone == 0 || zone == 5 || zone == 7, right = zone == 1 || zone == 4 || zone == 6;
    const bool top = zone == 2 || zone == 6 || zone == 7, bottom = zone == 3 || zone == 4 || zone == 5;
    if (!left && !right && !top && !bottom) return;
    double dx = 0, dy = 0;
    long L = 0, T = 0, W = 0, H = 0;
    // Nothing is reported: a step that fails is skipped.
    IgnoreErrors([&] { dx = (static_cast<double>(end.x) - start.x) * forms::TwipsPerPixelX(); },
                 [&] { dy = (static_cast<double>(end.y) - start.y) * forms::TwipsPerPixelY(); },
                 [&] { L = Left(); }, [&] { T = Top(); }, [&] { W = Width(); }, [&] { H = Height(); },
                 [&] {
                     // The opposite edge stays where it is; neither axis goes below the minimum.
                     if (left && W - dx < kMinimumSize) dx = W - kMinimumSize;
                     if (right && W + dx < kMinimumSize) dx = kMinimumSize - W;
                     if (top && H - dy < kMinimumSize) dy = H - kMinimumSize;
                     if (bottom && H + dy < kMinimumSize) dy = kMinimumSize - H;
                     const long ix = static_cast<long>(dx), iy = static_cast<long>(dy);
                     Move(left ? L + ix : L, top ? T + iy : T, left ? W - ix : right ? W + ix : W,
                          top ? H - iy : bottom ? H + iy : H);
                 });
}

void frm::Form_Click() {
    BusyScope busy(*this);
    Guard(InSkin(L"Form_Click")).Run([&] {
        if (MouseY < TitleHeight) HeldOwner()->evTitleClicked();
    });
}

void frm::Form_DblClick() {
    BusyScope busy(*this);
    Guard g(InSkin(L"Form_DblClick"));
    cColorStyle scheme{};
    bool tool = false;
    if (!RunLoaded(
            g, [&] { Check(Owner().get_ColorStyle(&scheme)); }, [&] { tool = IsTool(); }))
        return;
    const float iconTop = skin::IconTop(scheme);
    if (skin::kIconLeft <= MouseX && MouseX <= skin::kIconRight && iconTop <= MouseY &&
        MouseY <= iconTop + skin::kIconSize &&
        LastButton == forms::vbLeftButton && !tool) {
        // The host form closes the way any of its forms is asked to: its own
        // QueryUnload and Unload run; no CloseButtonClicked.
        RunLoaded(g, [&] { SendMessageW(HostHwnd(), WM_CLOSE, 0, 0); });
        return;
    }
    if (!tool && MouseY < TitleHeight && LastButton == forms::vbLeftButton && MouseX < ButtonsLeft) {
        VARIANT_BOOL CancelMaxRestore = VARIANT_FALSE;
        if (!RunLoaded(g, [&] { HeldOwner()->evTitleDblClicked(CancelMaxRestore); })) return;
        if (!CancelMaxRestore && !RunLoaded(
                                     g,
                                     [&] {
                                         MessageToSelf(
                                             HostHwnd(), WM_SIZE,
                                             WindowState() == forms::vbNormal ? SIZE_MAXIMIZED : SIZE_RESTORED);
                                     },
                                     [&] { SetCornersTransparency(); }, [&] { LayoutButtons(); }))
            return;
    }
    RunLoaded(g, [&] {
        if (MouseY < TitleHeight) MeFocus();
    });
}

void frm::tmrSysMenu_Timer() {
    BusyScope busy(*this);
    // Stopped before the menu opens: the menu's own loop keeps dispatching
    // timer ticks, and one request shows one menu.
    IgnoreErrors([&] { tmrSysMenu.SetEnabled(false); });
    Guard(InSkin(L"tmrSysMenu_Timer"))
        .Run([&] { ShowSysMenu(HostHwnd()); }, [&] { forms::DoEvents(); }, [&] { IgnoreNextMouseUp = true; });
}

}  // namespace nimbra
