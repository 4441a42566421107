// What the skin needs of the control that started it: the control's properties
// through its own dual interface, the form it sits on, and the relays that raise
// its events. The skin finds its owner from the control's window and asks for
// this interface; it never sees the control's class.
#pragma once
#include <oaidl.h>

#include "../com/ComObject.h"
#include "NimbraForm_h.h"

namespace nimbra {

// In-process only, never marshalled.
inline constexpr IID IID_SkinOwner = {0x61ce8152, 0xe4bb, 0x4c27, {0x8f, 0xcb, 0xcc, 0x68, 0xe9, 0x2e, 0x8b, 0x9a}};

class SkinOwner : public _xpForm {
public:
    // The form the control is placed on (the container's extender Parent), or empty.
    virtual ComPtr<IDispatch> GetParent() = 0;

    // Each raises one event; a by-reference Boolean comes back as the host left it.
    virtual void evCloseButtonClicked(VARIANT_BOOL& Cancel) = 0;
    virtual void evMaxButtonClicked(VARIANT_BOOL& Cancel) = 0;
    virtual void evMinButtonClicked(VARIANT_BOOL& Cancel) = 0;
    virtual void evHelpButtonClicked(VARIANT_BOOL& Cancel) = 0;
    virtual void evTrayButtonClicked(VARIANT_BOOL& Cancel) = 0;
    virtual void evResize() = 0;
    virtual void evTitleClicked() = 0;
    virtual void evTitleDblClicked(VARIANT_BOOL& CancelMaxRestore) = 0;

protected:
    ~SkinOwner() = default;
};

}  // namespace nimbra

// So ComPtr::As finds the interface's identity.
__CRT_UUID_DECL(nimbra::SkinOwner, 0x61ce8152, 0xe4bb, 0x4c27, 0x8f, 0xcb, 0xcc, 0x68, 0xe9, 0x2e, 0x8b, 0x9a)
