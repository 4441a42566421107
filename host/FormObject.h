// The late-bound face of a host form, as a classic forms engine gives it to
// controls: hWnd, Left, Top, Width, Height (twips, outer size), ScaleWidth,
// ScaleHeight (twips, client size), WindowState, Caption and Icon.
#pragma once
#include <ocidl.h>

#include "ComObject.h"
#include "NamedDispatch.h"

namespace nimbra::host {

class HostForm;

class FormObject final : public ComObject<NamedDispatch> {
public:
    explicit FormObject(HostForm* form) : form_(form) {}
    // The form is gone: every later call fails, as a call on an unloaded form does.
    void Detach() { form_ = nullptr; }

private:
    void* Find(REFIID riid) override;
    std::span<const DispatchName> Names() const override;
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) override;

    HostForm* form_;
};

}  // namespace nimbra::host
