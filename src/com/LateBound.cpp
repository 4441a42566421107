#include "LateBound.h"

#include <dispex.h>
#include <wrl/client.h>

#include <vector>

#include "Failure.h"

namespace nimbra {

using Microsoft::WRL::ComPtr;

HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags, VARIANTARG* args, UINT count,
                     VARIANT* result) {
    if (!target) return E_POINTER;
    DISPID id;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = target->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    ComPtr<IDispatchEx> ex;
    if (hr == E_NOTIMPL && SUCCEEDED(target->QueryInterface(IID_PPV_ARGS(&ex)))) {
        // Some script objects answer only through IDispatchEx (Wine's VBScript
        // class instances among them); such an object is called that way too.
        hr = ex->GetDispID(n, fdexNameCaseInsensitive, &id);
    } else {
        ex.Reset();
    }
    if (FAILED(hr)) return hr;
    // DISPPARAMS wants the last argument first.
    // Never a null array, even without arguments: some callees read it regardless.
    std::vector<VARIANTARG> reversed(count ? count : 1);
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, count, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep{};
    hr = ex ? ex->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, result, &excep, nullptr)
            : target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, nullptr);
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
