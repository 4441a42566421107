#include "LateBound.h"

#include <dispex.h>
#include <wrl/client.h>

#include <vector>

#include "Failure.h"

namespace nimbra {

using Microsoft::WRL::ComPtr;

HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags, VARIANTARG* args, UINT count,
                     VARIANT* result, std::wstring* description) {
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
        // The callee raised its own error: a runtime number in wCode (what a
        // classic component raises) or an HRESULT in scode, with its own words.
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        if (excep.wCode) hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode);
        else if (FAILED(excep.scode)) hr = excep.scode;
        if (description && excep.bstrDescription) *description = excep.bstrDescription;
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    return hr;
}

void CheckCall(HRESULT hr, const std::wstring& description, std::source_location where) {
    if (FAILED(hr) && !description.empty()) Raise(RuntimeErrorOf(hr), description, where);
    Check(hr, where);
}

void GetByName(IDispatch* target, const wchar_t* name, VARIANT* result, std::source_location where) {
    std::wstring description;
    CheckCall(InvokeByName(target, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, 0, result, &description),
              description, where);
}

void PutByName(IDispatch* target, const wchar_t* name, const VARIANT& value, bool byReference,
               std::source_location where) {
    VARIANTARG arg = value;
    std::wstring description;
    CheckCall(InvokeByName(target, name, byReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, &arg, 1,
                           nullptr, &description),
              description, where);
}

void CallByName(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANTARG> args, VARIANT* result,
                std::source_location where) {
    std::vector<VARIANTARG> a(args);
    std::wstring description;
    CheckCall(InvokeByName(target, name, DISPATCH_METHOD, a.data(), static_cast<UINT>(a.size()), result,
                           &description),
              description, where);
}

}  // namespace nimbra
