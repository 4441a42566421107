#include "xpForm.h"

#include "../errors/basError.h"

namespace nimbra {
namespace {

Procedure InControl(const wchar_t* procedure) { return {procedure, kUserControl, L"xpForm"}; }

}  // namespace

xpForm::xpForm() = default;

void* xpForm::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__xpForm) return static_cast<_xpForm*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
}

template <class T>
HRESULT xpForm::Get(const wchar_t* name, const T& field, T* result) {
    if (!result) return E_POINTER;
    *result = T{};
    Guard(InControl(name)).Run([&] { *result = field; });
    return S_OK;
}

template <class T>
HRESULT xpForm::Let(const wchar_t* name, DISPID id, T& field, T value) {
    Guard(InControl(name)).Run([&] { field = value; }, [&] { PropertyChanged(id); });
    return S_OK;
}

STDMETHODIMP xpForm::About() {
    return E_NOTIMPL;  // the about window is not part of the library yet
}

STDMETHODIMP xpForm::get_ColorStyle(cColorStyle* result) { return Get(L"ColorStyle", state_.ColorStyle, result); }
STDMETHODIMP xpForm::put_ColorStyle(cColorStyle value) {
    return Let(L"ColorStyle", _xpFormId::ColorStyle, state_.ColorStyle, value);
}
STDMETHODIMP xpForm::get_BorderStyle(cFormBorderStyle* result) {
    return Get(L"BorderStyle", state_.BorderStyle, result);
}
STDMETHODIMP xpForm::put_BorderStyle(cFormBorderStyle value) {
    return Let(L"BorderStyle", _xpFormId::BorderStyle, state_.BorderStyle, value);
}

STDMETHODIMP xpForm::get_Transparency(BYTE* result) { return Get(L"Transparency", state_.Transparency, result); }
STDMETHODIMP xpForm::put_Transparency(BYTE value) {
    // The skin's alpha is computed from 0..99.
    return Let(L"Transparency", _xpFormId::Transparency, state_.Transparency, value > 99 ? BYTE{99} : value);
}

STDMETHODIMP xpForm::get_Icon(IPictureDisp** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    Guard(InControl(L"Icon")).Run([&] { state_.Icon.CopyTo(result); });
    return S_OK;
}
STDMETHODIMP xpForm::putref_Icon(IPictureDisp* value) {
    Guard(InControl(L"Icon")).Run([&] { state_.Icon = value; }, [&] { PropertyChanged(_xpFormId::Icon); });
    return S_OK;
}

STDMETHODIMP xpForm::get_Caption(BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    Guard(InControl(L"Caption")).Run([&] {
        *result = SysAllocStringLen(state_.Caption.data(), static_cast<UINT>(state_.Caption.size()));
        if (!*result) Raise(7, L"Out of memory");
    });
    return S_OK;
}
STDMETHODIMP xpForm::put_Caption(BSTR value) {
    Guard(InControl(L"Caption"))
        .Run([&] { state_.Caption.assign(value ? value : L"", SysStringLen(value)); },
             [&] { PropertyChanged(_xpFormId::Caption); });
    return S_OK;
}

STDMETHODIMP xpForm::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP xpForm::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    return FindPoint({&events_, &propertyNotify_}, iid, out);
}

STDMETHODIMP xpForm::GetClassInfo(ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = TypeInfoOf(CLSID_xpForm);
    if (!*out) return E_UNEXPECTED;
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP xpForm::GetGUID(DWORD kind, GUID* out) {
    if (!out) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *out = IID___xpForm;
    return S_OK;
}

}  // namespace nimbra
