// The control xpForm: its stored properties and the COM faces script clients
// and containers use. Persistence, siting and the skin build on this.
#pragma once
#include "../com/ComObject.h"
#include "../com/ConnectionPoint.h"
#include "../com/Dispatch.h"
#include "NimbraForm_h.h"

namespace nimbra {

// The Boolean properties, in the order the type library lists them.
#define NIMBRA_XPFORM_BOOLEANS(X)                                                                          \
    X(CloseButtonVisible) X(CloseButtonEnabled) X(MaxButtonVisible) X(MaxButtonEnabled) X(MinButtonVisible) \
    X(MinButtonEnabled) X(HelpButtonVisible) X(HelpButtonEnabled) X(TrayButtonVisible) X(TrayButtonEnabled) \
    X(IconShow) X(Moveable) X(Resizeable) X(ShowInTaskBar)

// The state of one control; Booleans are automation Booleans (True = -1).
struct xpFormState {
    cColorStyle ColorStyle{};
#define NIMBRA_FIELD(name) VARIANT_BOOL name = VARIANT_FALSE;
    NIMBRA_XPFORM_BOOLEANS(NIMBRA_FIELD)
#undef NIMBRA_FIELD
    ComPtr<IPictureDisp> Icon;
    std::wstring Caption;
    cFormBorderStyle BorderStyle{};
    BYTE Transparency = 0;  // 0 to 99
    bool Started = false;
    HWND ControlHWnd = nullptr;
};

class xpForm final
    : public ComObject<DispatchImpl<_xpForm, IID__xpForm>, IConnectionPointContainer, IProvideClassInfo2> {
public:
    xpForm();

    const xpFormState& State() const { return state_; }

    // _xpForm
    STDMETHODIMP About() override;
    STDMETHODIMP get_ColorStyle(cColorStyle* result) override;
    STDMETHODIMP put_ColorStyle(cColorStyle value) override;
    STDMETHODIMP get_BorderStyle(cFormBorderStyle* result) override;
    STDMETHODIMP put_BorderStyle(cFormBorderStyle value) override;
    STDMETHODIMP get_Icon(IPictureDisp** result) override;
    STDMETHODIMP putref_Icon(IPictureDisp* value) override;
    STDMETHODIMP get_Caption(BSTR* result) override;
    STDMETHODIMP put_Caption(BSTR value) override;
    STDMETHODIMP get_Transparency(BYTE* result) override;
    STDMETHODIMP put_Transparency(BYTE value) override;
#define NIMBRA_WIDE(text) L"" text
#define NIMBRA_ACCESSORS(name)                                                \
    STDMETHODIMP get_##name(VARIANT_BOOL* result) override {                  \
        return Get(NIMBRA_WIDE(#name), state_.name, result);                  \
    }                                                                         \
    STDMETHODIMP put_##name(VARIANT_BOOL value) override {                    \
        return Let(NIMBRA_WIDE(#name), _xpFormId::name, state_.name, value);  \
    }
    NIMBRA_XPFORM_BOOLEANS(NIMBRA_ACCESSORS)
#undef NIMBRA_ACCESSORS
#undef NIMBRA_WIDE

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* out) override;

    // Raises one of the control's events; by-reference arguments come back changed.
    void RaiseEvent(DISPID id, VARIANTARG* args = nullptr, UINT count = 0) { events_.Fire(id, args, count); }

private:
    void* Find(REFIID riid) override;

    template <class T>
    HRESULT Get(const wchar_t* name, const T& field, T* result);
    template <class T>
    HRESULT Let(const wchar_t* name, DISPID id, T& field, T value);
    // Tells the container a property changed, so it marks its form modified.
    void PropertyChanged(DISPID id) { propertyNotify_.NotifyChanged(id); }

    xpFormState state_;
    ConnectionPoint events_{this, IID___xpForm};
    ConnectionPoint propertyNotify_{this, IID_IPropertyNotifySink};
};

}  // namespace nimbra
