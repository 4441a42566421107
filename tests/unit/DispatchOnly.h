// A test object that answers only IDispatch, as script engines' event sinks
// do. Derived classes write Invoke, and GetIDsOfNames if called by name.
#pragma once
#include <oaidl.h>

#include "../../src/com/ComObject.h"

namespace test {

class DispatchOnly : public nimbra::ComObject<IDispatch> {
    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    }

public:
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace test
