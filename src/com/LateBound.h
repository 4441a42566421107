// Calls by name on an IDispatch, the way a classic runtime binds late: how the
// library reaches the host form and outside components.
#pragma once
#include <oaidl.h>

#include <initializer_list>
#include <source_location>
#include <string>

#include "Variant.h"

namespace nimbra {

// A VARIANT of type vt whose one field set fills in. The values below differ
// in nothing else.
template <class Set>
inline VARIANT Typed(VARTYPE vt, Set set) {
    VARIANT x;
    x.vt = vt;
    set(x);
    return x;
}

// Plain values as arguments and property values (nothing to clear).
inline VARIANT Int16(SHORT v) { return Typed(VT_I2, [&](VARIANT& x) { x.iVal = v; }); }
inline VARIANT Int32(LONG v) { return Typed(VT_I4, [&](VARIANT& x) { x.lVal = v; }); }
inline VARIANT Boolean(bool v) {
    return Typed(VT_BOOL, [&](VARIANT& x) { x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE; });
}
// Arguments the callee may change, as a classic ByRef parameter.
inline VARIANTARG ByRef(LONG& v) { return Typed(VT_I4 | VT_BYREF, [&](VARIANT& x) { x.plVal = &v; }); }
inline VARIANTARG ByRef(BSTR& v) { return Typed(VT_BSTR | VT_BYREF, [&](VARIANT& x) { x.pbstrVal = &v; }); }
inline VARIANTARG ByRef(VARIANT_BOOL& v) { return Typed(VT_BOOL | VT_BYREF, [&](VARIANT& x) { x.pboolVal = &v; }); }

// Arguments in source order (first argument first); by-reference arguments are
// VT_BYREF variants the callee may change. Returns the call's HRESULT; an
// error the callee raised comes back as its runtime number in FACILITY_CONTROL
// (or its HRESULT), with its own text in description when given.
HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags, VARIANTARG* args, UINT count,
                     VARIANT* result, std::wstring* description = nullptr);

// A failed call's failure: the callee's own text where it gave one.
void CheckCall(HRESULT hr, const std::wstring& description,
               std::source_location where = std::source_location::current());

// The same, raising a failure (see Failure.h) when the call fails.
void GetByName(IDispatch* target, const wchar_t* name, VARIANT* result,
               std::source_location where = std::source_location::current());
void PutByName(IDispatch* target, const wchar_t* name, const VARIANT& value, bool byReference = false,
               std::source_location where = std::source_location::current());
void CallByName(IDispatch* target, const wchar_t* name, std::initializer_list<VARIANTARG> args,
                VARIANT* result = nullptr, std::source_location where = std::source_location::current());

}  // namespace nimbra
