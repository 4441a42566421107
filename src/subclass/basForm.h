// The window-level helpers of the library: controls found from their windows,
// objects from their addresses, redraw locking, and the one window procedure
// through which every hooked window reaches its clsFormSubclass.
#pragma once
#include <windows.h>

#include <cstddef>

#include "../com/ComObject.h"
#include "../errors/basError.h"

namespace nimbra {

class clsFormSubclass;

// ---- controls and their windows (basForm.cpp)
// The window property "xpForm:Control" on a control's own window holds the
// address of the control's IUnknown (no counted reference).

// Sets (tag true) or removes (tag false) the property on hwnd. Returns true on success.
bool TagControl(HWND hwnd, IUnknown* control, bool tag);
// The control whose window is hwnd, or nullptr.
IUnknown* ControlFromhWnd(HWND hwnd);
// The same as a counted reference; control is left alone when there is none.
bool ControlFromhWnd(HWND hwnd, ComPtr<IUnknown>& control);

// A counted reference to the object at address (an address handed out as
// LONG_PTR, as ClassAddress is), or empty for 0. T must be complete here.
template <class T>
ComPtr<T> ObjectFromPtr(LONG_PTR address) {
    ComPtr<T> object;
    Guard({L"ObjectFromPtr", kStdModule, L"basForm"}).Run([&] {
        if (address) object = reinterpret_cast<T*>(address);
    });
    return object;
}

// Stops (lock true) or resumes (lock false) drawing of hwnd; resuming repaints
// the window and its children at once.
void LockWindow(HWND hwnd, bool lock);

// Makes hwnd a layered window with the constant alpha (0 invisible .. 255 opaque).
void SetTransparency(HWND hwnd, short Alpha);

// (low & 0xFFFF) + 65536 * high as a Long, rounded as a classic runtime
// rounds; outside the Long range it fails with error 6.
LONG fLongVal(double high, short low);

// Shows hwnd's own system menu at the cursor; returns when the menu has
// closed. The chosen command reaches hwnd as WM_SYSCOMMAND.
void ShowSysMenu(HWND hwnd);

// ---- hooked windows (HookTable.cpp)
// A hooked window carries a hook record: the procedure its messages go on to
// and the object they reach first. A record whose object has let go keeps
// forwarding until the window is destroyed, so whoever hooked the window after
// us is never cut off. A window and the object that hooks it belong to one thread.

// The procedure installed on every hooked window.
LRESULT CALLBACK modWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// A window procedure as SetWindowLongPtr takes it. Going through a WNDPROC
// parameter lets the compiler check the calling convention (CALLBACK), which a
// cast straight to an integer hides; on i686 a wrong one corrupts the stack.
inline LONG_PTR WindowProcValue(WNDPROC procedure) { return reinterpret_cast<LONG_PTR>(procedure); }

// Puts modWindowProc on hwnd for owner, or hands a forwarding record on hwnd to
// owner. Returns the procedure messages go on to, or nullptr when the window
// cannot be hooked: not ours to change, or already hooked by another object.
WNDPROC HookWindow(HWND hwnd, clsFormSubclass* owner);
// Takes owner off hwnd: the previous procedure goes back while modWindowProc
// is still the one installed, otherwise the record only stops calling owner.
// False when owner does not hook hwnd or the procedure could not be put back.
bool UnhookWindow(HWND hwnd, clsFormSubclass* owner);
// Leaves owner's record on hwnd forwarding, whatever else failed: an object
// that goes away is never called again.
void ForgetHookOwner(HWND hwnd, clsFormSubclass* owner);
// Hook records alive in this process (tests count them for leaks).
std::size_t LiveHookRecords();

}  // namespace nimbra
