// Calls by name on an IDispatch, the way a classic runtime binds late: how the
// library reaches the host form and outside components.
#pragma once
#include <oaidl.h>

#include <initializer_list>
#include <source_location>
#include <string>

namespace nimbra {

// A VARIANT that clears itself.
class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(Variant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(this); }
};

// Plain values as arguments and property values (nothing to clear).
inline VARIANT Int16(SHORT v) {
    VARIANT x;
    x.vt = VT_I2;
    x.iVal = v;
    return x;
}
inline VARIANT Int32(LONG v) {
    VARIANT x;
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}
inline VARIANT Boolean(bool v) {
    VARIANT x;
    x.vt = VT_BOOL;
    x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return x;
}
// Arguments the callee may change, as a classic ByRef parameter.
inline VARIANTARG ByRef(LONG& v) {
    VARIANTARG a;
    a.vt = VT_I4 | VT_BYREF;
    a.plVal = &v;
    return a;
}
inline VARIANTARG ByRef(BSTR& v) {
    VARIANTARG a;
    a.vt = VT_BSTR | VT_BYREF;
    a.pbstrVal = &v;
    return a;
}
inline VARIANTARG ByRef(VARIANT_BOOL& v) {
    VARIANTARG a;
    a.vt = VT_BOOL | VT_BYREF;
    a.pboolVal = &v;
    return a;
}

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
