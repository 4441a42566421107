// xpForm's properties in the host form's file: the container's property bag,
// or a stream that carries a bag, and the start of the control at run time.
#include "../com/LateBound.h"
#include "../com/PropertyBag.h"
#include "../errors/basError.h"
#include "../skin/SkinWindow.h"
#include "../skin/frm.h"
#include "../subclass/basForm.h"
#include "xpForm.h"

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

// Keys 10 to 18 in reading order: what follows Icon and Caption.
struct LateKey {
    const wchar_t* key;
    VARTYPE type;
    VARIANT fallback;
};

}  // namespace

void xpForm::UserControl_InitProperties() {
    Guard(InControl(L"UserControl_InitProperties")).Run([&] {
        // Every key from its default, and at run time the start, exactly as a load does.
        ComPtr<MemoryPropertyBag> empty = Make<MemoryPropertyBag>();
        Check(UserControl_ReadProperties(empty.Get()));
    });
}

HRESULT xpForm::UserControl_ReadProperties(IPropertyBag* bag) {
    if (!bag) return E_POINTER;
    auto flag = [&](const wchar_t* key, bool fallback) {
        Variant v;
        Check(Convert(ReadKey(bag, key, Boolean(fallback)), VT_BOOL, v));
        return v.boolVal;
    };
    const bool trapped = Guard(InControl(L"UserControl_ReadProperties"))
                             .Run(
                                 [&] {
                                     Variant v;
                                     Check(Convert(ReadKey(bag, L"ColorStyle", Int16(0)), VT_I4, v));
                                     put_ColorStyle(static_cast<cColorStyle>(v.lVal));
                                 },
                                 [&] { put_CloseButtonVisible(flag(L"CloseButtonVisible", true)); },
                                 [&] { put_CloseButtonEnabled(flag(L"CloseButtonEnabled", true)); },
                                 [&] { put_MaxButtonVisible(flag(L"MaxButtonVisible", true)); },
                                 [&] { put_MaxButtonEnabled(flag(L"MaxButtonEnabled", true)); },
                                 [&] { put_MinButtonVisible(flag(L"MinButtonVisible", true)); },
                                 [&] { put_MinButtonEnabled(flag(L"MinButtonEnabled", true)); });
    if (!trapped) return S_OK;  // reported; the other keys keep their values

    // Icon and Caption default to the host form's own. Reading the host's
    // value is a statement of its own: a host that refuses it still leaves
    // the stored value to be read.
    Variant hostIcon, hostCaption;
    IgnoreErrors(
        [&] {
            if (ComPtr<IDispatch> parent = GetParent()) GetByName(parent.Get(), L"Icon", &hostIcon);
        },
        [&] {
            Variant stored = ReadKey(bag, L"Icon", hostIcon);
            ComPtr<IPictureDisp> picture;
            if ((stored.vt == VT_DISPATCH || stored.vt == VT_UNKNOWN) && stored.punkVal)
                Check(stored.punkVal->QueryInterface(IID_PPV_ARGS(&picture)));
            else if (stored.vt != VT_EMPTY && stored.vt != VT_NULL)
                Raise(13);
            putref_Icon(picture.Get());
        },
        [&] {
            if (ComPtr<IDispatch> parent = GetParent()) GetByName(parent.Get(), L"Caption", &hostCaption);
        },
        [&] {
            Variant caption;
            Check(Convert(ReadKey(bag, L"Caption", hostCaption), VT_BSTR, caption));
            put_Caption(caption.bstrVal);
        });

    // From here on nothing is trapped: the first failure fails the container's load.
    const LateKey late[] = {
        {L"IconShow", VT_BOOL, Boolean(true)},       {L"HelpButtonEnabled", VT_BOOL, Boolean(true)},
        {L"HelpButtonVisible", VT_BOOL, Boolean(false)}, {L"TrayButtonEnabled", VT_BOOL, Boolean(true)},
        {L"TrayButtonVisible", VT_BOOL, Boolean(false)}, {L"Moveable", VT_BOOL, Boolean(true)},
        {L"Resizeable", VT_BOOL, Boolean(true)},      {L"BorderStyle", VT_I4, Int16(2)},
        {L"Transparency", VT_UI1, Int16(0)},
    };
    for (const LateKey& k : late) {
        Variant v;
        HRESULT hr = Convert(ReadKey(bag, k.key, k.fallback), k.type, v);
        if (FAILED(hr)) return hr;
        const std::wstring_view key = k.key;
        if (key == L"IconShow") put_IconShow(v.boolVal);
        else if (key == L"HelpButtonEnabled") put_HelpButtonEnabled(v.boolVal);
        else if (key == L"HelpButtonVisible") put_HelpButtonVisible(v.boolVal);
        else if (key == L"TrayButtonEnabled") put_TrayButtonEnabled(v.boolVal);
        else if (key == L"TrayButtonVisible") put_TrayButtonVisible(v.boolVal);
        else if (key == L"Moveable") put_Moveable(v.boolVal);
        else if (key == L"Resizeable") put_Resizeable(v.boolVal);
        else if (key == L"BorderStyle") put_BorderStyle(static_cast<cFormBorderStyle>(v.lVal));
        else put_Transparency(v.bVal);
    }

    if (!InDesignMode() && !state_.Started) {
        // The control's window carries its address, so the skin finds it from the handle.
        state_.ControlHWnd = Window();
        if (!state_.ControlHWnd) return E_FAIL;
        TagControl(state_.ControlHWnd, Identity(), true);
        // SkinWindow names the new skin before LoadForm runs, and Tag is set before
        // LoadForm reads it.
        frm* skin = NewSkinWindow();
        if (!skin->Load(WS_POPUP | WS_CLIPCHILDREN)) return E_FAIL;
        skin->SetUCParent(GetParent().Get());
        skin->Tag = std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(state_.ControlHWnd)));
        skin->LoadForm();
        skin->RefreshForm();
        if (skin->Loaded()) skin->Show();
        state_.Started = true;
    }
    return S_OK;
}

HRESULT xpForm::UserControl_WriteProperties(IPropertyBag* bag) {
    if (!bag) return E_POINTER;
    const xpFormState& s = state_;
    auto flag = [&](const wchar_t* key, VARIANT_BOOL value, bool fallback) {
        Check(WriteKey(bag, key, Boolean(value != VARIANT_FALSE), Boolean(fallback)));
    };
    const bool trapped = Guard(InControl(L"UserControl_WriteProperties"))
                             .Run([&] { Check(WriteKey(bag, L"ColorStyle", Int32(s.ColorStyle), Int16(0))); },
                                  [&] { flag(L"CloseButtonVisible", s.CloseButtonVisible, true); },
                                  [&] { flag(L"CloseButtonEnabled", s.CloseButtonEnabled, true); },
                                  [&] { flag(L"MaxButtonVisible", s.MaxButtonVisible, true); },
                                  [&] { flag(L"MaxButtonEnabled", s.MaxButtonEnabled, true); },
                                  [&] { flag(L"MinButtonVisible", s.MinButtonVisible, true); },
                                  [&] { flag(L"MinButtonEnabled", s.MinButtonEnabled, true); });
    if (!trapped) return S_OK;

    // As in the reader, the host's value is read in a statement of its own.
    Variant hostCaption, hostIcon;
    IgnoreErrors(
        [&] {
            if (ComPtr<IDispatch> parent = GetParent()) GetByName(parent.Get(), L"Caption", &hostCaption);
        },
        [&] {
            Variant caption;
            caption.vt = VT_BSTR;
            caption.bstrVal = SysAllocStringLen(s.Caption.data(), static_cast<UINT>(s.Caption.size()));
            if (hostCaption.vt == VT_EMPTY) Check(bag->Write(L"Caption", &caption));
            else Check(WriteKey(bag, L"Caption", caption, hostCaption));
        },
        [&] {
            if (ComPtr<IDispatch> parent = GetParent()) GetByName(parent.Get(), L"Icon", &hostIcon);
        },
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

    const std::pair<const wchar_t*, VARIANT_BOOL> flags[] = {
        {L"IconShow", s.IconShow},
        {L"HelpButtonEnabled", s.HelpButtonEnabled},
        {L"HelpButtonVisible", s.HelpButtonVisible},
        {L"TrayButtonEnabled", s.TrayButtonEnabled},
        {L"TrayButtonVisible", s.TrayButtonVisible},
        {L"Moveable", s.Moveable},
        {L"Resizeable", s.Resizeable},
    };
    const bool defaults[] = {true, true, false, true, false, true, true};
    for (size_t i = 0; i < std::size(flags); ++i) {
        HRESULT hr = WriteKey(bag, flags[i].first, Boolean(flags[i].second != VARIANT_FALSE), Boolean(defaults[i]));
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = WriteKey(bag, L"BorderStyle", Int32(s.BorderStyle), Int16(2));
    if (FAILED(hr)) return hr;
    VARIANT transparency;
    transparency.vt = VT_UI1;
    transparency.bVal = s.Transparency;
    return WriteKey(bag, L"Transparency", transparency, Int16(0));
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
