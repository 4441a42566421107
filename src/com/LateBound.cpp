#include "LateBound.h"

#include <vector>

#include "../errors/Failure.h"

namespace nimbra {

HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags, VARIANTARG* args, UINT count,
                     VARIANT* result) {
    if (!target) return E_POINTER;
    DISPID id;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = target->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // DISPPARAMS wants the last argument first.
    std::vector<VARIANTARG> reversed(args, args + count);
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, count, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep{};
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        if (FAILED(excep.scode)) hr = excep.scode;
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    return hr;
}

void GetByName(IDispatch* target, const wchar_t* name, VARIANT* result, std::source_location where) {
    Check(InvokeByName(target, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, 0, result), where);
}

void PutByName(IDispatch* target, const wchar_t* name, const VARIANT& value, bool byReference,
               std::source_location where) {
    VARIANTARG arg = value;
    Check(InvokeByName(target, name, byReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, &arg, 1,
                       nullptr),
          where);
}

void CallByName(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANTARG> args, VARIANT* result,
                std::source_location where) {
    std::vector<VARIANTARG> a(args);
    Check(InvokeByName(target, name, DISPATCH_METHOD, a.data(), static_cast<UINT>(a.size()), result), where);
}

}  // namespace nimbra
