#include "basForm.h"

namespace nimbra {
namespace {
constexpr wchar_t kControlProperty[] = L"xpForm:Control";
}

bool TagControl(HWND hwnd, xpForm* control, bool tag) {
    if (!hwnd || !IsWindow(hwnd)) return false;
    if (tag) return SetPropW(hwnd, kControlProperty, control) != FALSE;
    RemovePropW(hwnd, kControlProperty);
    return true;
}

xpForm* ControlFromhWnd(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    return static_cast<xpForm*>(GetPropW(hwnd, kControlProperty));
}

}  // namespace nimbra
