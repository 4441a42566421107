// The late-bound face of a window with the names and units of a classic form:
// hWnd, Caption, Icon, Left, Top, Width, Height (outer size, twips,
// in the parent's coordinates), ScaleWidth, ScaleHeight (inside, twips) and
// WindowState. The host forms of our container are such objects; so is the
// window that holds a control whose container gives it no form.
#pragma once
#include <ocidl.h>

#include "ComObject.h"
#include "NamedDispatch.h"

namespace nimbra {

class WindowObject : public ComObject<NamedDispatch> {
public:
    explicit WindowObject(HWND window = nullptr) : window_(window) {}

protected:
    // The window answered for; none once it is gone, and every call then fails.
    virtual HWND Window() const { return IsWindow(window_) ? window_ : nullptr; }
    // The icon: a plain window shows it and keeps the picture it was given;
    // without one it answers a picture of the window's own icon.
    virtual HRESULT GetIcon(IPictureDisp** icon);
    virtual void PutIcon(IPictureDisp* icon);

    void* Find(REFIID riid) override;

private:
    std::span<const DispatchName> Names() const override;
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) override;

    HWND window_;
    ComPtr<IPictureDisp> icon_;
};

// Shows an icon picture as the window's icons (none for any other picture);
// the picture keeps owning the icon.
void ShowIcon(HWND window, IPictureDisp* picture);

}  // namespace nimbra
