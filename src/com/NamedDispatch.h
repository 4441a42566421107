// IDispatch for small objects without a type library: members are found by
// name in the object's own table and handled by one Call.
#pragma once
#include <oaidl.h>

#include <span>

namespace nimbra {

struct DispatchName {
    const wchar_t* name;
    DISPID id;
};

class NamedDispatch : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const DispatchName& n : Names())
            if (CompareStringOrdinal(names[0], -1, n.name, -1, TRUE) == CSTR_EQUAL) {
                ids[0] = n.id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // no named arguments here
            }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        DISPPARAMS none{};
        return Call(id, flags, params ? *params : none, result);
    }

protected:
    virtual std::span<const DispatchName> Names() const = 0;
    // A property get (or method) fills result when given; a put finds its value in rgvarg[0].
    virtual HRESULT Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) = 0;
};

}  // namespace nimbra
