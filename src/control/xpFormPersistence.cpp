// xpForm's properties in the host form's file: the container's property bag,
// or a stream that carries a bag, and the start of the control at run time.
#include "../com/LateBound.h"
#include "../com/PropertyBag.h"
#include "../errors/basError.h"
#include "../skin/SkinWindow.h"
#include "../subclass/basForm.h"
#include "xpForm.h"

#include <type_traits>
#include <vector>

namespace nimbra {
namespace {

Procedure InControl(const wchar_t* procedure) { return {procedure, kUserControl, L"xpForm"}; }

// The stored value, or the default when the bag has no such key.
Variant ReadKey(IPropertyBag* bag, const wchar_t* key, const VARIANT& fallback) {
    Variant v;
    if (FAILED(bag->Read(key, &v, nullptr))) {
        VariantClear(&v);
        VariantCopy(&v, const_cast<VARIANT*>(&fallback));
    }
    return v;
}

HRESULT Convert(const VARIANT& from, VARTYPE to, Variant& out) {
    return VariantChangeType(&out, const_cast<VARIANT*>(&from), 0, to);
}

// Writes a key unless its value equals the default, as the classic runtime does:
// the container then leaves it out of the file.
HRESULT WriteKey(IPropertyBag* bag, const wchar_t* key, VARIANT value, const VARIANT& fallback) {
    if (VarCmp(&value, const_cast<VARIANT*>(&fallback), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ) return S_OK;
    return bag->Write(key, &value);
}

// The automation type a property is kept in, in the file and in its conversions.
template <class T>
constexpr VARTYPE VarTypeOf() {
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) return VT_BOOL;
    else if constexpr (std::is_same_v<T, BYTE>) return VT_UI1;
    else return VT_I4;  // the enumerations
}

template <class T>
Variant ToVariant(T value) {
    Variant v;
    v.vt = VarTypeOf<T>();
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    else if constexpr (std::is_same_v<T, BYTE>) v.bVal = value;
    else v.lVal = static_cast<LONG>(value);
    return v;
}

// From a value already converted to VarTypeOf<T>.
template <class T>
T FromVariant(const VARIANT& v) {
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) return v.boolVal;
    else if constexpr (std::is_same_v<T, BYTE>) return v.bVal;
    else return static_cast<T>(v.lVal);
}

enum class Stored { Early, Host, Late, No };

// A key of the form file with a plain value, and how it reaches the control.
struct Key {
    const wchar_t* name;
    Stored stored;
    Variant fallback;  // of the key's own type, the one its value is converted to
    void (*apply)(xpForm&, const VARIANT&);
    Variant (*value)(const xpFormState&);
};

const std::vector<Key>& Keys() {
    static const std::vector<Key> keys = [] {
        std::vector<Key> k;
#define NIMBRA_KEY(name, dispid, kind, fallback, stored, browsable, help)                                    \
    NIMBRA_IF_PLAIN(kind, k.push_back({L"" #name, Stored::stored, ToVariant(DefaultOf<Kind##kind>(fallback)), \
                                      [](xpForm& c, const VARIANT& v) { c.put_##name(FromVariant<Kind##kind>(v)); }, \
                                      [](const xpFormState& s) { return ToVariant(s.name); }});)
        NIMBRA_XPFORM_PROPERTIES(NIMBRA_KEY)
#undef NIMBRA_KEY
        return k;
    }();
    return keys;
}

}  // namespace

void xpForm::HostProperty(const wchar_t* name, Variant& value) {
    if (ComPtr<IDispatch> parent = GetParent()) GetByName(parent.Get(), name, &value);
}

void xpForm::UserControl_InitProperties() {
    Guard(InControl(L"UserControl_InitProperties")).Run([&] {
        // Every key from its default, and at run time the start, exactly as a load does.
        ComPtr<MemoryPropertyBag> empty = Make<MemoryPropertyBag>();
        Check(UserControl_ReadProperties(empty.Get()));
    });
}

HRESULT xpForm::UserControl_ReadProperties(IPropertyBag* bag) {
    if (!bag) return E_POINTER;
    // The first keys each under the guard: one that fails is reported, and
    // the other keys keep their values.
    Guard g(InControl(L"UserControl_ReadProperties"));
    for (const Key& k : Keys()) {
        if (k.stored != Stored::Early) continue;
        if (!g.Run([&] {
                Variant v;
                Check(Convert(ReadKey(bag, k.name, k.fallback), k.fallback.vt, v));
                k.apply(*this, v);
            }))
            return S_OK;
    }

    // Icon and Caption default to the host form's own. Reading the host's
    // value is a statement of its own: a host that refuses it still leaves
    // the stored value to be read.
    Variant hostIcon, hostCaption;
    IgnoreErrors(
        [&] { HostProperty(L"Icon", hostIcon); },
        [&] {
            Variant stored = ReadKey(bag, L"Icon", hostIcon);
            ComPtr<IPictureDisp> picture;
            if ((stored.vt == VT_DISPATCH || stored.vt == VT_UNKNOWN) && stored.punkVal)
                Check(stored.punkVal->QueryInterface(IID_PPV_ARGS(&picture)));
            else if (stored.vt != VT_EMPTY && stored.vt != VT_NULL)
                Raise(13);
            putref_Icon(picture.Get());
        },
        [&] { HostProperty(L"Caption", hostCaption); },
        [&] {
            Variant caption;
            Check(Convert(ReadKey(bag, L"Caption", hostCaption), VT_BSTR, caption));
            put_Caption(caption.bstrVal);
        });

    // From here on nothing is trapped: the first failure fails the container's load.
    for (const Key& k : Keys()) {
        if (k.stored != Stored::Late) continue;
        Variant v;
        const HRESULT hr = Convert(ReadKey(bag, k.name, k.fallback), k.fallback.vt, v);
        if (FAILED(hr)) return hr;
        k.apply(*this, v);
    }

    return StartIfDue(false);
}

HRESULT xpForm::StartIfDue(bool late) {
    if (state_.Started || InDesignMode()) return S_OK;
    // A container that loads the control before placing it has no host form
    // for it yet: the in-place activation starts it.
    const ComPtr<IDispatch> host = GetParent();
    if (!host) return S_OK;
    if (late) {
        // Loaded before there was a host form: what defaults to the host form's
        // own and was left empty takes it now, as a default (the host has it already).
        Variant caption, icon;
        IgnoreErrors(
            [&] {
                if (state_.Caption.empty()) HostProperty(L"Caption", caption);
            },
            [&] {
                if (caption.vt == VT_BSTR) state_.Caption.assign(caption.bstrVal, SysStringLen(caption.bstrVal));
            },
            [&] {
                if (!state_.Icon) HostProperty(L"Icon", icon);
            },
            [&] {
                if (icon.vt == VT_DISPATCH && icon.pdispVal)
                    Check(icon.pdispVal->QueryInterface(IID_PPV_ARGS(state_.Icon.ReleaseAndGetAddressOf())));
            });
    }
    // The control's window carries its address, so the skin finds it from the handle.
    state_.ControlHWnd = Window();
    if (!state_.ControlHWnd) return E_FAIL;
    TagControl(state_.ControlHWnd, Identity(), true);
    if (!StartSkin(host.Get(), state_.ControlHWnd)) return E_FAIL;
    state_.Started = true;
    return S_OK;
}

HRESULT xpForm::UserControl_WriteProperties(IPropertyBag* bag) {
    if (!bag) return E_POINTER;
    const xpFormState& s = state_;
    Guard g(InControl(L"UserControl_WriteProperties"));
    for (const Key& k : Keys())
        if (k.stored == Stored::Early && !g.Run([&] { Check(WriteKey(bag, k.name, k.value(s), k.fallback)); }))
            return S_OK;

    // As in the reader, the host's value is read in a statement of its own.
    Variant hostCaption, hostIcon;
    IgnoreErrors(
        [&] { HostProperty(L"Caption", hostCaption); },
        [&] {
            Variant caption;
            caption.vt = VT_BSTR;
            caption.bstrVal = SysAllocStringLen(s.Caption.data(), static_cast<UINT>(s.Caption.size()));
            if (hostCaption.vt == VT_EMPTY) Check(bag->Write(L"Caption", &caption));
            else Check(WriteKey(bag, L"Caption", caption, hostCaption));
        },
        [&] { HostProperty(L"Icon", hostIcon); },
        [&] {
            // The same picture object as the host form's is its default: left out.
            if ((hostIcon.vt == VT_DISPATCH || hostIcon.vt == VT_UNKNOWN) && hostIcon.punkVal &&
                s.Icon.Get() == hostIcon.punkVal)
                return;
            if (!s.Icon) return;
            VARIANT icon;
            icon.vt = VT_DISPATCH;
            icon.pdispVal = s.Icon.Get();
            Check(bag->Write(L"Icon", &icon));
        });

    for (const Key& k : Keys()) {
        if (k.stored != Stored::Late) continue;
        const HRESULT hr = WriteKey(bag, k.name, k.value(s), k.fallback);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// ---- IPersist* --------------------------------------------------------------

STDMETHODIMP xpForm::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_xpForm;
    return S_OK;
}

STDMETHODIMP xpForm::InitNew() {
    UserControl_InitProperties();
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP xpForm::Load(IPropertyBag* bag, IErrorLog*) {
    const HRESULT hr = UserControl_ReadProperties(bag);
    dirty_ = false;
    return hr;
}

STDMETHODIMP xpForm::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    const HRESULT hr = UserControl_WriteProperties(bag);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP xpForm::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>();
    HRESULT hr = bag->LoadFrom(stream);
    return SUCCEEDED(hr) ? Load(bag.Get(), nullptr) : hr;
}

STDMETHODIMP xpForm::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    ComPtr<MemoryPropertyBag> bag = Make<MemoryPropertyBag>();
    HRESULT hr = Save(bag.Get(), clearDirty, TRUE);
    return SUCCEEDED(hr) ? bag->SaveTo(stream) : hr;
}

STDMETHODIMP xpForm::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    return E_NOTIMPL;  // a picture's size is not known before it is written
}

}  // namespace nimbra
