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
#include "../com/LateBound.h"
#include "../errors/basError.h"
#include "../skin/SkinOwner.h"
#include "NimbraForm_h.h"

namespace nimbra {

class ControlWindow;

// The state of one control: a field per property of the list; Booleans are
// automation Booleans (True = -1).
struct xpFormState {
#define NIMBRA_FIELD(name, dispid, kind, fallback, stored, browsable, help) Kind##kind name{};
    NIMBRA_XPFORM_PROPERTIES(NIMBRA_FIELD)
#undef NIMBRA_FIELD
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
    STDMETHODIMP get_Icon(IPictureDisp** result) override;
    STDMETHODIMP putref_Icon(IPictureDisp* value) override;
    STDMETHODIMP get_Caption(BSTR* result) override;
    STDMETHODIMP put_Caption(BSTR value) override;
    // The plain properties: stored under the guard; a set tells the container and the skin.
#define NIMBRA_ACCESSORS(name, dispid, kind, fallback, stored, browsable, help)                            \
    NIMBRA_IF_PLAIN(kind, STDMETHODIMP get_##name(Kind##kind* result) override {                          \
        return Get(L"" #name, state_.name, result);                                                       \
    } STDMETHODIMP put_##name(Kind##kind value) override {                                                \
        return Let(L"" #name, dispid, state_.name, Accept(value));                                        \
    })
    NIMBRA_XPFORM_PROPERTIES(NIMBRA_ACCESSORS)
#undef NIMBRA_ACCESSORS

    // ---- the control's own procedures
    // Container callbacks. The reader and writer return the failure of the keys
    // that are not trapped, which fails the container's load or save request.
    void UserControl_InitProperties();
    HRESULT UserControl_ReadProperties(IPropertyBag* bag);
    HRESULT UserControl_WriteProperties(IPropertyBag* bag);
    void UserControl_Resize();
    void UserControl_Terminate();

    // The form the control is placed on: the extender's Parent; where the
    // container gives none, or one without a window handle, the window that
    // holds the control's window. Empty before the control is placed.
    ComPtr<IDispatch> GetParent() override;
    // True while the host form is being designed (ambient UserMode False, or unknown).
    bool InDesignMode();
    // True when the library has a current skin window (any control's, not only this one's).
    static bool FormSet();

    // Relays: each raises one event; a by-reference Boolean comes back as the
    // host left it. Move, Activate and Deactivate are in the event interface,
    // but the skin raises none of them: nothing calls their relays.
#define NIMBRA_RELAY(name, dispid, argument, raiser, help) \
    void ev##name(NIMBRA_EVENT_PARAMS(argument)) NIMBRA_IF_SKIN(raiser, override);
    NIMBRA_XPFORM_EVENTS(NIMBRA_RELAY)
#undef NIMBRA_RELAY

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
    // A setter whose value the host form's own property of that name takes too.
    template <class Store>
    HRESULT LetMirrored(const wchar_t* name, DISPID id, Store store, const VARIANT& value, bool byReference);
    // The host form's own property of that name, read late bound; left empty
    // without a host form. A refused read fails the calling step.
    void HostProperty(const wchar_t* name, Variant& value);
    // Raises an event; with a Boolean the host may set, passed by reference.
    void FireEvent(DISPID id, const wchar_t* relay, VARIANT_BOOL* cancel = nullptr);
    // What a setter stores: the skin's alpha is computed from 0..99.
    static BYTE Accept(BYTE value) { return value > 99 ? BYTE{99} : value; }
    template <class T>
    static T Accept(T value) { return value; }
    HRESULT InPlaceActivate(bool uiActivate);
    // Starts the skin once, at run time, as soon as there is a host form;
    // late: only the in-place activation has given the control its place.
    HRESULT StartIfDue(bool late);
    // The window holding the control's window, with a classic form's face:
    // the MDI child it sits in, or its top-level window.
    ComPtr<IDispatch> HolderForm();

    xpFormState state_;
    ConnectionPoint events_{static_cast<IConnectionPointContainer*>(this), IID___xpForm};
    ConnectionPoint propertyNotify_{static_cast<IConnectionPointContainer*>(this), IID_IPropertyNotifySink};

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> oleAdvise_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    std::unique_ptr<ControlWindow> window_;
    RECT containerRect_{};  // where the container last put the control
    ComPtr<IDispatch> holder_;
    HWND holderWindow_ = nullptr;
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
