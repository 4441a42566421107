// A small owner for the skin in place of the control: its properties are plain
// fields, any of its getters can be made to fail, and the events it is asked
// to raise are written down.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "../../src/control/xpForm.h"
#include "../../src/skin/SkinOwner.h"

namespace test {

class StandInOwner final : public nimbra::ComObject<nimbra::DispatchImpl<nimbra::SkinOwner, IID__xpForm>> {
public:
    std::set<std::wstring> failing;  // getters that fail, by property name
    std::vector<std::wstring> raised;
    cColorStyle ColorStyle = cXPBlue;
    cFormBorderStyle BorderStyle = cBorderSizeable;
    BYTE Transparency = 0;
#define NIMBRA_STANDIN_FIELD(name) VARIANT_BOOL name = VARIANT_TRUE;
    NIMBRA_XPFORM_BOOLEANS(NIMBRA_STANDIN_FIELD)
#undef NIMBRA_STANDIN_FIELD

    STDMETHODIMP About() override { return S_OK; }
#define NIMBRA_STANDIN_ACCESSORS(name)                                       \
    STDMETHODIMP get_##name(VARIANT_BOOL* result) override {                 \
        return Read(L"" #name, name, result);                                \
    }                                                                        \
    STDMETHODIMP put_##name(VARIANT_BOOL value) override {                   \
        name = value;                                                        \
        return S_OK;                                                         \
    }
    NIMBRA_XPFORM_BOOLEANS(NIMBRA_STANDIN_ACCESSORS)
#undef NIMBRA_STANDIN_ACCESSORS
    STDMETHODIMP get_ColorStyle(cColorStyle* result) override { return Read(L"ColorStyle", ColorStyle, result); }
    STDMETHODIMP put_ColorStyle(cColorStyle value) override { return ColorStyle = value, S_OK; }
    STDMETHODIMP get_BorderStyle(cFormBorderStyle* result) override {
        return Read(L"BorderStyle", BorderStyle, result);
    }
    STDMETHODIMP put_BorderStyle(cFormBorderStyle value) override { return BorderStyle = value, S_OK; }
    STDMETHODIMP get_Transparency(BYTE* result) override { return Read(L"Transparency", Transparency, result); }
    STDMETHODIMP put_Transparency(BYTE value) override { return Transparency = value, S_OK; }
    STDMETHODIMP get_Icon(IPictureDisp** result) override {
        *result = nullptr;
        return failing.count(L"Icon") ? E_FAIL : S_OK;
    }
    STDMETHODIMP putref_Icon(IPictureDisp*) override { return S_OK; }
    STDMETHODIMP get_Caption(BSTR* result) override {
        *result = failing.count(L"Caption") ? nullptr : SysAllocString(L"Ersatz");
        return *result ? S_OK : E_FAIL;
    }
    STDMETHODIMP put_Caption(BSTR) override { return S_OK; }

    nimbra::ComPtr<IDispatch> GetParent() override { return nullptr; }
    void evCloseButtonClicked(VARIANT_BOOL&) override { raised.push_back(L"CloseButtonClicked"); }
    void evMaxButtonClicked(VARIANT_BOOL&) override { raised.push_back(L"MaxButtonClicked"); }
    void evMinButtonClicked(VARIANT_BOOL&) override { raised.push_back(L"MinButtonClicked"); }
    void evHelpButtonClicked(VARIANT_BOOL&) override { raised.push_back(L"HelpButtonClicked"); }
    void evTrayButtonClicked(VARIANT_BOOL&) override { raised.push_back(L"TrayButtonClicked"); }
    void evResize() override { raised.push_back(L"Resize"); }
    void evTitleClicked() override { raised.push_back(L"TitleClicked"); }
    void evTitleDblClicked(VARIANT_BOOL&) override { raised.push_back(L"TitleDblClicked"); }

private:
    void* Find(REFIID riid) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__xpForm || riid == nimbra::IID_SkinOwner)
            return static_cast<nimbra::SkinOwner*>(this);
        return nullptr;
    }
    template <class T>
    HRESULT Read(const wchar_t* name, T value, T* result) {
        if (failing.count(name)) return E_FAIL;
        *result = value;
        return S_OK;
    }
};

}  // namespace test
