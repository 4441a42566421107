#include "ControlSite.h"

#include "EventSink.h"
#include "FormBag.h"
#include "HostForm.h"
#include "NamedDispatch.h"
#include "forms/Units.h"

namespace nimbra::host {
namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Describe(HRESULT hr) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring s = text ? text : L"";
    LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return s.empty() ? code : s + L" (" + code + L")";
}

// The extender: what the container adds around a control, here its Parent and Name.
class Extender final : public ComObject<NamedDispatch> {
public:
    Extender(HostForm* form, std::wstring name) : form_(form), name_(std::move(name)) {}

private:
    enum Id : DISPID { Parent = 1, Name };
    static constexpr DispatchName kNames[] = {{L"Parent", Parent}, {L"Name", Name}};
    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    }
    std::span<const DispatchName> Names() const override { return kNames; }
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) override {
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) || params.cArgs) return DISP_E_MEMBERNOTFOUND;
        if (!result) return S_OK;
        VariantInit(result);
        if (id == Parent) {
            result->vt = VT_DISPATCH;
            result->pdispVal = form_->Object();
            result->pdispVal->AddRef();
            return S_OK;
        }
        if (id == Name) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(name_.c_str());
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    HostForm* form_;
    std::wstring name_;
};

}  // namespace

ControlSite::ControlSite(HostForm* form, Block& block) : form_(form), block_(block) {
    extender_ = Make<Extender>(form, Wide(block.name));
}

void* ControlSite::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) return static_cast<IOleClientSite*>(this);
    if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) return static_cast<IOleInPlaceSite*>(this);
    if (riid == IID_IOleControlSite) return static_cast<IOleControlSite*>(this);
    if (riid == IID_IDispatch) return static_cast<IDispatch*>(this);
    if (riid == IID_IPropertyNotifySink) return static_cast<IPropertyNotifySink*>(this);
    if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) return static_cast<IOleInPlaceFrame*>(this);
    return nullptr;
}

bool ControlSite::Create(std::wstring& error) {
    const std::wstring who = L"Steuerelement " + Wide(block_.name) + L" (" + Wide(block_.type) + L"): ";
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Wide(block_.type).c_str(), &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_));
    if (FAILED(hr)) {
        error = who + L"kann nicht erzeugt werden: " + Describe(hr);
        return false;
    }
    ComPtr<IUnknown> created = control_;
    control_.Reset();
    return Attach(created.Get(), error);
}

bool ControlSite::Attach(IUnknown* control, std::wstring& error) {
    const std::wstring who = L"Steuerelement " + Wide(block_.name) + L" (" + Wide(block_.type) + L"): ";
    control_ = control;
    HRESULT hr = S_OK;
    const long left = forms::TwipsToPixelsX(block_.NumberOr("Left", 0));
    const long top = forms::TwipsToPixelsY(block_.NumberOr("Top", 0));
    position_ = RECT{left, top, left + forms::HimetricToPixelsX(block_.NumberOr("_ExtentX", 847)),
                     top + forms::HimetricToPixelsY(block_.NumberOr("_ExtentY", 847))};

    ComPtr<IOleObject> ole;
    control_.As(&ole);
    DWORD misc = 0;
    if (ole) ole->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (ole && (misc & OLEMISC_SETCLIENTSITEFIRST)) ole->SetClientSite(this);

    ComPtr<IPersistPropertyBag> persist;
    ComPtr<IPersistStreamInit> init;
    loading_ = true;
    if (SUCCEEDED(control_.As(&persist))) {
        ComPtr<FormBag> bag = Make<FormBag>(block_);
        hr = persist->Load(bag.Get(), nullptr);
        keysRead_ = bag->KeysRead();
    } else if (SUCCEEDED(control_.As(&init))) {
        hr = init->InitNew();
    }
    loading_ = false;
    if (FAILED(hr)) {
        error = who + L"Eigenschaften konnten nicht geladen werden: " + Describe(hr);
        Close();
        return false;
    }
    if (ole && !(misc & OLEMISC_SETCLIENTSITEFIRST)) ole->SetClientSite(this);
    Advise();
    if (ole) ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, form_->hWnd(), &position_);
    return true;
}

HRESULT ControlSite::Advise() {
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(control_.As(&points))) return S_FALSE;
    const IID source = EventSink::SourceInterface(control_.Get());
    if (source != IID_NULL && SUCCEEDED(points->FindConnectionPoint(source, &eventPoint_))) {
        eventSink_ = Make<EventSink>(control_.Get(), form_->Options().events);
        eventPoint_->Advise(eventSink_.Get(), &eventCookie_);
    }
    if (SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, &notifyPoint_)))
        notifyPoint_->Advise(static_cast<IPropertyNotifySink*>(this), &notifyCookie_);
    return S_OK;
}

HRESULT ControlSite::Save() {
    ComPtr<IPersistPropertyBag> persist;
    if (!control_ || FAILED(control_.As(&persist))) return S_FALSE;
    // What the control read is its own; it writes back what differs from its
    // defaults. Keys it never asked for (the container's, unknown ones) stay.
    for (const std::string& key : keysRead_) block_.Remove(key);
    ComPtr<FormBag> bag = Make<FormBag>(block_);
    return persist->Save(bag.Get(), TRUE, TRUE);
}

void ControlSite::Close() {
    if (eventPoint_ && eventCookie_) eventPoint_->Unadvise(eventCookie_);
    if (notifyPoint_ && notifyCookie_) notifyPoint_->Unadvise(notifyCookie_);
    eventPoint_.Reset();
    notifyPoint_.Reset();
    eventCookie_ = notifyCookie_ = 0;
    ComPtr<IOleObject> ole;
    if (control_ && SUCCEEDED(control_.As(&ole))) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
    }
    control_.Reset();  // the control's end runs when this was the last reference
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = form_->hWnd();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !doc || !position || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    *position = position_;
    *clip = position_;
    info->fMDIApp = FALSE;
    info->hwndFrame = form_->hWnd();
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT position) {
    if (!position) return E_POINTER;
    position_ = *position;
    ComPtr<IOleInPlaceObject> inPlace;
    if (control_ && SUCCEEDED(control_.As(&inPlace))) inPlace->SetObjectRects(&position_, &position_);
    // The container keeps the control's place and size in its own units.
    block_.Set("Left", Value::Number(forms::PixelsToTwipsX(position_.left)));
    block_.Set("Top", Value::Number(forms::PixelsToTwipsY(position_.top)));
    return S_OK;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** out) {
    if (!out) return E_POINTER;
    return extender_.CopyTo(out);
}

STDMETHODIMP ControlSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container) return E_POINTER;
    // Container units are twips: 1440 per inch against 2540 HIMETRIC.
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = forms::HimetricToTwips(himetric->x);
        container->y = forms::HimetricToTwips(himetric->y);
    } else {
        himetric->x = forms::TwipsToHimetric(container->x);
        himetric->y = forms::TwipsToHimetric(container->y);
    }
    return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        result->vt = VT_BOOL;
        result->boolVal = form_->Options().design ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(Wide(block_.name).c_str());
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

STDMETHODIMP ControlSite::OnChanged(DISPID) {
    // Values set while loading are the file's own.
    if (!loading_) form_->modified = true;
    return S_OK;
}

}  // namespace nimbra::host
