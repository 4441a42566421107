// What the skin needs of the control that started it: the control's properties
// through its own dual interface, the form it sits on, and the relays that raise
// its events. The skin finds its owner from the control's window and asks for
// this interface; it never sees the control's class.
#pragma once
#include <oaidl.h>
#include <ocidl.h>

#include <string>
#include <type_traits>

#include "../com/ComObject.h"
#include "NimbraForm_h.h"
#include "xpFormMembers.h"

namespace nimbra {

// The C++ type of each kind of property in the control's list.
using KindBool = VARIANT_BOOL;
using KindColor = cColorStyle;
using KindBorder = cFormBorderStyle;
using KindByte = BYTE;
using KindPicture = ComPtr<IPictureDisp>;
using KindText = std::wstring;

// A property's value when the form file has none, from the list's default column.
template <class T>
T DefaultOf(int value) {
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) return value ? VARIANT_TRUE : VARIANT_FALSE;
    else return static_cast<T>(value);
}

// In-process only, never marshalled.
inline constexpr IID IID_SkinOwner = {0x61ce8152, 0xe4bb, 0x4c27, {0x8f, 0xcb, 0xcc, 0x68, 0xe9, 0x2e, 0x8b, 0x9a}};

class SkinOwner : public _xpForm {
public:
    // The form the control is placed on (the container's extender Parent), or empty.
    virtual ComPtr<IDispatch> GetParent() = 0;

    // The relays of the events the skin raises: each raises one event; a
    // by-reference Boolean comes back as the host left it.
#define NIMBRA_SKIN_RELAY(name, dispid, argument, raiser, help) \
    NIMBRA_IF_SKIN(raiser, virtual void ev##name(NIMBRA_EVENT_PARAMS(argument)) = 0;)
    NIMBRA_XPFORM_EVENTS(NIMBRA_SKIN_RELAY)
#undef NIMBRA_SKIN_RELAY

protected:
    ~SkinOwner() = default;
};

}  // namespace nimbra

// So ComPtr::As finds the interface's identity.
__CRT_UUID_DECL(nimbra::SkinOwner, 0x61ce8152, 0xe4bb, 0x4c27, 0x8f, 0xcb, 0xcc, 0x68, 0xe9, 0x2e, 0x8b, 0x9a)
