// The control xpForm: its stored properties, its life as an OLE control in a
// container (siting, in-place activation, design-time drawing, persistence),
// and the relays through which the skin raises its events.
#pragma once
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "../com/ComObject.h"
#include "../com/ConnectionPoint.h"
#include "../com/Dispatch.h"
#include "../errors/basError.h"
#include "../skin/SkinOwner.h"
#include "NimbraForm_h.h"

namespace nimbra {

class ControlWindow;

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
    : public ComObject<DispatchImpl<SkinOwner, IID__xpForm>, IConnectionPointContainer,
                       ClassInfoImpl<CLSID_xpForm, IID___xpForm>, IOleObject, IOleInPlaceObject,
                       IOleInPlaceActiveObject, IOleControl, IViewObject2, IPersistPropertyBag, IPersistStreamInit> {
public:
    xpForm();
    ~xpForm() override;

    const xpFormState& State() const { return state_; }
    // The control's identity, as QueryInterface(IID_IUnknown) answers it.
    IUnknown* Identity() { return static_cast<SkinOwner*>(this); }

    // ---- _xpForm
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

    // ---- the control's own procedures
    // Container callbacks. The reader and writer return the failure of the keys
    // that are not trapped, which fails the container's load or save request.
    void UserControl_InitProperties();
    HRESULT UserControl_ReadProperties(IPropertyBag* bag);
    HRESULT UserControl_WriteProperties(IPropertyBag* bag);
    void UserControl_Resize();
    void UserControl_Terminate();

    // The form the control is placed on (the extender's Parent), or empty.
    ComPtr<IDispatch> GetParent() override;
    // True while the host form is being designed (ambient UserMode False, or unknown).
    bool InDesignMode();
    // True when the library has a current skin window (any control's, not only this one's).
    static bool FormSet();

    // Relays: each raises one event; a by-reference Boolean comes back as the host left it.
    void evCloseButtonClicked(VARIANT_BOOL& Cancel) override;
    void evMaxButtonClicked(VARIANT_BOOL& Cancel) override;
    void evMinButtonClicked(VARIANT_BOOL& Cancel) override;
    void evHelpButtonClicked(VARIANT_BOOL& Cancel) override;
    void evTrayButtonClicked(VARIANT_BOOL& Cancel) override;
    void evResize() override;
    void evTitleClicked() override;
    void evTitleDblClicked(VARIANT_BOOL& CancelMaxRestore) override;
    // Move, Activate and Deactivate are in the event interface, but the skin
    // raises none of them: they are not part of what it needs of its owner.
    void evMove();
    void evActivate();
    void evDeactivate();

    // What a classic user control reports, in the registry and to the container:
    // activate when visible, inside-out, client site first.
    static constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                         OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

    // The control's own window (created on first need), its size in pixels.
    HWND Window();
    static SIZE IconSize();

    // ---- IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // ---- IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // ---- IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // ---- IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // ---- IPersist, IPersistPropertyBag, IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

private:
    void* Find(REFIID riid) override;

    template <class T>
    HRESULT Get(const wchar_t* name, const T& field, T* result);
    template <class T>
    HRESULT Let(const wchar_t* name, DISPID id, T& field, T value);
    // Tells the container a property changed, so it marks its form modified.
    void PropertyChanged(DISPID id);
    // A setter's step for the running skin: an enablement property goes to its
    // caption button at once, then the current skin window re-applies its settings.
    void RefreshSkin(DISPID id = DISPID_UNKNOWN, bool value = false);
    // Assigns the host form's own property of that name, failures ignored.
    void MirrorToHostForm(const wchar_t* property, const VARIANT& value, bool byReference);
    void RaiseCancellable(DISPID id, VARIANT_BOOL& cancel, const wchar_t* relay);
    void RaisePlain(DISPID id, const wchar_t* relay);
    HRESULT InPlaceActivate(bool uiActivate);

    xpFormState state_;
    ConnectionPoint events_{static_cast<IConnectionPointContainer*>(this), IID___xpForm};
    ConnectionPoint propertyNotify_{static_cast<IConnectionPointContainer*>(this), IID_IPropertyNotifySink};

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> oleAdvise_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    std::unique_ptr<ControlWindow> window_;
    bool inPlaceActive_ = false;
    bool dirty_ = false;
    bool terminated_ = false;  // the container closed us, or we were released
    int frozen_ = 0;  // FreezeEvents nesting: events are dropped while frozen
};

// Getters and setters under the control's guard; a setter stores, then tells the container.
template <class T>
HRESULT xpForm::Get(const wchar_t* name, const T& field, T* result) {
    if (!result) return E_POINTER;
    *result = T{};
    Guard({name, kUserControl, L"xpForm"}).Run([&] { *result = field; });
    return S_OK;
}

template <class T>
HRESULT xpForm::Let(const wchar_t* name, DISPID id, T& field, T value) {
    Guard({name, kUserControl, L"xpForm"})
        .Run([&] { field = value; }, [&] { RefreshSkin(id, value != T{}); }, [&] { PropertyChanged(id); });
    return S_OK;
}

}  // namespace nimbra
