// xpForm as an OLE control: siting, in-place activation, extents and the
// design-time drawing through IViewObject.
#include "../errors/basError.h"
#include "ControlWindow.h"
#include "xpForm.h"

#include "../forms/Units.h"

namespace nimbra {
namespace {

SIZEL PixelsToHimetric(SIZE px) { return {forms::PixelsToHimetricX(px.cx), forms::PixelsToHimetricY(px.cy)}; }

}  // namespace

STDMETHODIMP xpForm::SetClientSite(IOleClientSite* site) {
    site_ = site;
    if (!site) inPlaceSite_.Reset();
    return S_OK;
}

STDMETHODIMP xpForm::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    return site_.CopyTo(site);
}

STDMETHODIMP xpForm::Close(DWORD saveOption) {
    InPlaceDeactivate();
    if (site_ && dirty_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
        site_->SaveObject();
    if (oleAdvise_) oleAdvise_->SendOnClose();
    // The form goes away with its controls: the control ends now, not when the
    // last reference (a skin window's, perhaps) is let go.
    UserControl_Terminate();
    return S_OK;
}

HRESULT xpForm::InPlaceActivate(bool uiActivate) {
    if (!site_) return E_UNEXPECTED;
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSite> site;
        if (FAILED(site_.As(&site))) return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
        site->OnInPlaceActivate();
        inPlaceSite_ = site;
        inPlaceActive_ = true;
    }
    HWND parent = nullptr;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    if (FAILED(inPlaceSite_->GetWindow(&parent)) ||
        FAILED(inPlaceSite_->GetWindowContext(&frame, &document, &position, &clip, &info)))
        return E_FAIL;
    Window();
    containerRect_ = position;
    window_->Site(parent, position);
    UserControl_Resize();
    // A container that sites the control only now gives it its host form now.
    StartIfDue(true);
    // Image1 is what a designer sees; the running form shows the skin instead.
    ShowWindow(window_->hWnd(), InDesignMode() ? SW_SHOWNA : SW_HIDE);
    if (uiActivate) {
        inPlaceSite_->OnUIActivate();
        if (frame) frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
        if (document) document->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
    return S_OK;
}

STDMETHODIMP xpForm::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    if (site && !site_) SetClientSite(site);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE: return InPlaceActivate(true);
    case OLEIVERB_INPLACEACTIVATE: return InPlaceActivate(false);
    case OLEIVERB_HIDE:
        if (window_) ShowWindow(window_->hWnd(), SW_HIDE);
        return S_OK;
    default: return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP xpForm::EnumVerbs(IEnumOLEVERB** out) { return OleRegEnumVerbs(CLSID_xpForm, out); }

STDMETHODIMP xpForm::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP xpForm::GetUserType(DWORD form, LPOLESTR* type) { return OleRegGetUserType(CLSID_xpForm, form, type); }

STDMETHODIMP xpForm::SetExtent(DWORD aspect, SIZEL*) {
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    // The designer may drag any size; the control answers with its own.
    UserControl_Resize();
    return S_OK;
}

STDMETHODIMP xpForm::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    *size = PixelsToHimetric(IconSize());
    return S_OK;
}

STDMETHODIMP xpForm::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!oleAdvise_ && FAILED(CreateOleAdviseHolder(&oleAdvise_))) return E_OUTOFMEMORY;
    return oleAdvise_->Advise(sink, cookie);
}

STDMETHODIMP xpForm::Unadvise(DWORD cookie) {
    return oleAdvise_ ? oleAdvise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP xpForm::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(out) : S_OK;
}

STDMETHODIMP xpForm::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP xpForm::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_ ? window_->hWnd() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP xpForm::InPlaceDeactivate() {
    if (!inPlaceActive_) return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    if (window_) ShowWindow(window_->hWnd(), SW_HIDE);
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.Reset();
    return S_OK;
}

STDMETHODIMP xpForm::UIDeactivate() {
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP xpForm::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    containerRect_ = *position;
    if (window_) window_->Site(nullptr, *position);
    UserControl_Resize();
    return S_OK;
}

STDMETHODIMP xpForm::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP xpForm::OnAmbientPropertyChange(DISPID id) {
    if ((id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) && window_ && inPlaceActive_)
        ShowWindow(window_->hWnd(), InDesignMode() ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

STDMETHODIMP xpForm::FreezeEvents(BOOL freeze) {
    frozen_ += freeze ? 1 : -1;
    if (frozen_ < 0) frozen_ = 0;
    return S_OK;
}

STDMETHODIMP xpForm::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw, LPCRECTL bounds, LPCRECTL,
                          BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!draw || !bounds) return E_INVALIDARG;
    ControlWindow::DrawImage1(draw, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
    return S_OK;
}

STDMETHODIMP xpForm::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP xpForm::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) viewSink_.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP xpForm::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace nimbra
