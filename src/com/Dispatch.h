// IDispatch answered from the embedded type library, so that names, DISPIDs
// and argument conversion live in one place: the library's description.
#pragma once
#include <oaidl.h>

#include "Module.h"

namespace nimbra {

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
        return ti->Invoke(static_cast<Interface*>(this), id, flags, params, result, excep, argErr);
    }
};

}  // namespace nimbra
