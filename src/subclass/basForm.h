// Ties controls to window handles: the window property "xpForm:Control" on a
// control's own window holds the control's address (no counted reference).
#pragma once
#include <windows.h>

namespace nimbra {

class xpForm;

// Sets (tag true) or removes (tag false) the property on hwnd. Returns true on success.
bool TagControl(HWND hwnd, xpForm* control, bool tag);
// The control whose window is hwnd, or nullptr.
xpForm* ControlFromhWnd(HWND hwnd);

}  // namespace nimbra
