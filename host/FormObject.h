// The late-bound face of a host form, as a classic forms engine gives it to
// controls: the window's classic names and units, with the form's own Icon.
#pragma once
#include <ocidl.h>

#include "WindowObject.h"

namespace nimbra::host {

class HostForm;

class FormObject final : public WindowObject {
public:
    explicit FormObject(HostForm* form) : form_(form) {}
    // The form is gone: every later call fails, as a call on an unloaded form does.
    void Detach() { form_ = nullptr; }

private:
    HWND Window() const override;
    HRESULT GetIcon(IPictureDisp** icon) override;
    void PutIcon(IPictureDisp* icon) override;

    HostForm* form_;
};

}  // namespace nimbra::host
