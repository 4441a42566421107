// A small owner for the skin in place of the control: its properties are plain fields, any of their getters can be
// made to fail, and the events it is asked to raise go nowhere.
#pragma once
#include <set>
#include <string>

#include "../../src/control/xpForm.h"
#include "../../src/skin/SkinOwner.h"

namespace test {

class StandInOwner final : public nimbra::ComObject<nimbra::DispatchImpl<nimbra::SkinOwner, IID__xpForm>> {
public:
    std::set<std::wstring> failing;  // getters that fail, by property name
    // The plain properties start at the defaults an empty form file gives.
#define NIMBRA_STANDIN(name, dispid, kind, fallback, stored, browsable, help)                         \
    NIMBRA_IF_PLAIN(kind, nimbra::Kind##kind name = nimbra::DefaultOf<nimbra::Kind##kind>(fallback);  \
                    STDMETHODIMP get_##name(nimbra::Kind##kind* result) override {                    \
                        return Read(L"" #name, name, result);                                         \
                    } STDMETHODIMP put_##name(nimbra::Kind##kind value) override {                    \
                        return name = value, S_OK;                                                    \
                    })
    NIMBRA_XPFORM_PROPERTIES(NIMBRA_STANDIN)
#undef NIMBRA_STANDIN

    STDMETHODIMP About() override { return S_OK; }
    STDMETHODIMP get_Icon(IPictureDisp** result) override { return *result = nullptr, S_OK; }
    STDMETHODIMP putref_Icon(IPictureDisp*) override { return S_OK; }
    STDMETHODIMP get_Caption(BSTR* result) override { return *result = SysAllocString(L"Ersatz"), S_OK; }
    STDMETHODIMP put_Caption(BSTR) override { return S_OK; }

    nimbra::ComPtr<IDispatch> GetParent() override { return nullptr; }
#define NIMBRA_STANDIN_RELAY(name, dispid, argument, raiser, help) \
    NIMBRA_IF_SKIN(raiser, void ev##name(NIMBRA_EVENT_PARAMS(argument)) override {})
    NIMBRA_XPFORM_EVENTS(NIMBRA_STANDIN_RELAY)
#undef NIMBRA_STANDIN_RELAY

private:
    void* Find(REFIID riid) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__xpForm || riid == nimbra::IID_SkinOwner)
            return static_cast<nimbra::SkinOwner*>(this);
        return nullptr;
    }
    template <class T>
    HRESULT Read(const wchar_t* name, T value, T* result) {
        return failing.count(name) ? E_FAIL : (*result = value, S_OK);
    }
};

}  // namespace test
