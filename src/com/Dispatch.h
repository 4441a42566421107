// IDispatch answered from the embedded type library, so that names, DISPIDs
// and argument conversion live in one place: the library's description.
#pragma once
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

#include "Module.h"

namespace nimbra {

using Microsoft::WRL::ComPtr;

// Arguments as ITypeInfo::Invoke can take them. Two gaps are closed here:
// script engines pass a variable by reference as VT_VARIANT|VT_BYREF, where a
// typed by-reference parameter (String ByRef) wants VT_BSTR|VT_BYREF; and an
// omitted optional by-reference parameter must arrive as a pointer to its
// default value. Rewritten arguments point at the caller's own variable, so
// changes still reach it.
class InvokeArguments {
public:
    InvokeArguments(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params);
    ~InvokeArguments();
    InvokeArguments(const InvokeArguments&) = delete;
    InvokeArguments& operator=(const InvokeArguments&) = delete;

    DISPPARAMS* Params() { return params_; }

private:
    DISPPARAMS* params_;
    DISPPARAMS rewritten_{};
    std::vector<VARIANTARG> args_;
    std::vector<VARIANT> defaults_;  // sized once: arguments point into it
};

template <class Interface, const GUID& iid>
class DispatchImpl : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = TypeInfoOf(iid) ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* ti = TypeInfoOf(iid);
        if (!ti) return TYPE_E_ELEMENTNOTFOUND;
        ti->AddRef();
        *info = ti;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* ti = TypeInfoOf(iid);
        return ti ? ti->GetIDsOfNames(names, count, ids) : E_UNEXPECTED;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* ti = TypeInfoOf(iid);
        if (!ti) return E_UNEXPECTED;
        InvokeArguments args(ti, id, flags, params);
        return ti->Invoke(static_cast<Interface*>(this), id, flags, args.Params(), result, excep, argErr);
    }
};

// IProvideClassInfo2 of a class: its coclass as the type library describes it,
// and the dispinterface its events go out on.
template <const GUID& clsid, const GUID& events>
class ClassInfoImpl : public IProvideClassInfo2 {
public:
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = TypeInfoOf(clsid);
        if (!*out) return E_UNEXPECTED;
        (*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* out) override {
        if (!out) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *out = events;
        return S_OK;
    }
};

}  // namespace nimbra
