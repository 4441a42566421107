#include "xpForm.h"

#include "../about/NimbraAbout.h"
#include "../com/LateBound.h"
#include "../com/WindowObject.h"
#include "../errors/basError.h"
#include "../forms/Form.h"
#include "../forms/Placement.h"
#include "../skin/SkinWindow.h"
#include "../subclass/basForm.h"
#include "ControlWindow.h"

namespace nimbra {
namespace {

Procedure InControl(const wchar_t* procedure) { return {procedure, kUserControl, L"xpForm"}; }

}  // namespace

xpForm::xpForm() = default;

xpForm::~xpForm() {
    UserControl_Terminate();
}

void* xpForm::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__xpForm || riid == IID_SkinOwner)
        return static_cast<SkinOwner*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
    if (riid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) return static_cast<IOleInPlaceObject*>(this);
    if (riid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
    if (riid == IID_IOleControl) return static_cast<IOleControl*>(this);
    if (riid == IID_IViewObject || riid == IID_IViewObject2) return static_cast<IViewObject2*>(this);
    if (riid == IID_IPersist || riid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
    if (riid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
    return nullptr;
}

// ---- properties -------------------------------------------------------------

void xpForm::PropertyChanged(DISPID id) {
    dirty_ = true;
    propertyNotify_.NotifyChanged(id);
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

bool xpForm::FormSet() { return SkinSet(); }

void xpForm::RefreshSkin(DISPID id, bool value) {
    if (!FormSet()) return;
    EnableSkinButton(id, value);
    RefreshCurrentSkin();
}

void xpForm::MirrorToHostForm(const wchar_t* property, const VARIANT& value, bool byReference) {
    // The host form's own title and icon are what the taskbar and task switcher
    // show; a host without them, or one that refuses, changes nothing.
    IgnoreErrors([&] {
        ComPtr<IDispatch> parent = GetParent();
        if (parent) PutByName(parent.Get(), property, value, byReference);
    });
}

STDMETHODIMP xpForm::About() {
    Guard(InControl(L"About")).Run([] {
        // What a classic runtime says when a form shown modally is shown modally again.
        if (!ShowNimbraAbout()) Raise(400);
    });
    return S_OK;
}

STDMETHODIMP xpForm::get_Icon(IPictureDisp** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    Guard(InControl(L"Icon")).Run([&] { state_.Icon.CopyTo(result); });
    return S_OK;
}
template <class Store>
HRESULT xpForm::LetMirrored(const wchar_t* name, DISPID id, Store store, const VARIANT& value, bool byReference) {
    Guard g(InControl(name));
    if (!g.Run(store)) return S_OK;
    MirrorToHostForm(name, value, byReference);
    g.Run([&] { RefreshSkin(); }, [&] { PropertyChanged(id); });
    return S_OK;
}

STDMETHODIMP xpForm::putref_Icon(IPictureDisp* value) {
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    return LetMirrored(L"Icon", _xpFormId::Icon, [&] { state_.Icon = value; }, v, true);
}

STDMETHODIMP xpForm::get_Caption(BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    Guard(InControl(L"Caption")).Run([&] {
        *result = SysAllocStringLen(state_.Caption.data(), static_cast<UINT>(state_.Caption.size()));
        if (!*result) Raise(7);
    });
    return S_OK;
}
STDMETHODIMP xpForm::put_Caption(BSTR value) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return LetMirrored(L"Caption", _xpFormId::Caption,
                       [&] { state_.Caption.assign(value ? value : L"", SysStringLen(value)); }, v, false);
}

// ---- the control's life -----------------------------------------------------

ComPtr<IDispatch> xpForm::GetParent() {
    ComPtr<IDispatch> parent;
    IgnoreErrors([&] {
        ComPtr<IOleControlSite> controlSite;
        ComPtr<IDispatch> extender;
        if (!site_ || FAILED(site_.As(&controlSite)) || FAILED(controlSite->GetExtendedControl(&extender)) ||
            !extender)
            return;
        Variant v;
        GetByName(extender.Get(), L"Parent", &v);
        if (v.vt == VT_DISPATCH && v.pdispVal) parent = v.pdispVal;
    });
    bool hasWindow = false;
    IgnoreErrors([&] {
        Variant h;
        if (parent) GetByName(parent.Get(), L"hWnd", &h);
        hasWindow = h.vt != VT_EMPTY;
    });
    return hasWindow ? parent : HolderForm();
}

ComPtr<IDispatch> xpForm::HolderForm() {
    const HWND own = window_ ? window_->hWnd() : nullptr;
    if (!own || !(GetWindowLongPtrW(own, GWL_STYLE) & WS_CHILD)) return nullptr;  // not placed yet
    HWND holder = GetAncestor(own, GA_ROOT);
    for (HWND w = ::GetParent(own); w; w = ::GetParent(w))
        if (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_MDICHILD) {
            holder = w;
            break;
        }
    if (holder != holderWindow_) holder_ = Make<WindowObject>(holder), holderWindow_ = holder;
    return holder_;
}

bool xpForm::InDesignMode() {
    // Unknown counts as design time: a control never starts its skin by mistake.
    // A container with no ambient properties at all is no form designer (a
    // C++ program's control host): there the control runs.
    ComPtr<IDispatch> ambient;
    if (!site_) return true;
    if (FAILED(site_.As(&ambient))) return false;
    DISPPARAMS none{};
    Variant userMode;
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                               &userMode, nullptr, nullptr)))
        return true;
    Variant b;
    if (FAILED(VariantChangeType(&b, &userMode, 0, VT_BOOL))) return true;
    return b.boolVal == VARIANT_FALSE;
}

SIZE xpForm::IconSize() { return ControlWindow::Image1Size(); }

HWND xpForm::Window() {
    if (!window_) window_ = std::make_unique<ControlWindow>();
    return window_->hWnd();
}

void xpForm::UserControl_Resize() {
    Guard(InControl(L"UserControl_Resize")).Run([&] {
        // Whatever size the designer asks for, the control keeps Image1's size
        // with Image1 at its top-left corner.
        if (!inPlaceSite_ || !window_) return;
        RECT r = forms::OuterRect(window_->hWnd());
        const SIZE icon = IconSize();
        if (r.right - r.left == icon.cx && r.bottom - r.top == icon.cy) return;
        r.right = r.left + icon.cx;
        r.bottom = r.top + icon.cy;
        window_->Site(nullptr, r);
        // A container may refuse the size: then it decides, and the control
        // keeps the place it was given. A refusal is no error.
        if (FAILED(inPlaceSite_->OnPosRectChange(&r))) window_->Site(nullptr, containerRect_);
    });
}

void xpForm::UserControl_Terminate() {
    // Once: when the container closes the control with its form, or at the last release.
    if (terminated_) return;
    terminated_ = true;
    Guard(InControl(L"UserControl_Terminate")).Run([&] { TagControl(state_.ControlHWnd, Identity(), false); });
    // Every form the library loaded goes, also skins of other controls.
    IgnoreErrors([&] {
        // Newest first, from a copy: unloading edits the list.
        const auto forms = forms::LoadedForms();
        for (auto f = forms.rbegin(); f != forms.rend(); ++f) IgnoreErrors([&] { (*f)->Unload(forms::vbFormCode); });
    });
    IgnoreErrors([] { CollectSkinWindows(); });
}

// ---- relays -----------------------------------------------------------------

void xpForm::FireEvent(DISPID id, const wchar_t* relay, VARIANT_BOOL* cancel) {
    Guard(InControl(relay)).Run([&] {
        if (frozen_) return;
        if (!cancel) return events_.Fire(id);
        VARIANTARG arg;
        arg.vt = VT_BOOL | VT_BYREF;
        arg.pboolVal = cancel;
        events_.Fire(id, &arg, 1);
    });
}

#define NIMBRA_CANCEL_None
#define NIMBRA_CANCEL_Cancel , &Cancel
#define NIMBRA_CANCEL_CancelMaxRestore , &CancelMaxRestore
#define NIMBRA_RELAY(name, dispid, argument, raiser, help) \
    void xpForm::ev##name(NIMBRA_EVENT_PARAMS(argument)) { FireEvent(dispid, L"ev" #name NIMBRA_CANCEL_##argument); }
NIMBRA_XPFORM_EVENTS(NIMBRA_RELAY)
#undef NIMBRA_RELAY

// ---- connection points and class info ----------------------------------------

STDMETHODIMP xpForm::EnumConnectionPoints(IEnumConnectionPoints** out) { return NoEnumerator(out); }

STDMETHODIMP xpForm::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    return FindPoint({&events_, &propertyNotify_}, iid, out);
}

}  // namespace nimbra
