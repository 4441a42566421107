// The class objects DllGetClassObject hands out, one per creatable class.
#pragma once
#include "ComObject.h"

namespace nimbra {

class ClassFactory final : public ComObject<IClassFactory> {
public:
    using Create = HRESULT (*)(REFIID iid, void** out);
    explicit ClassFactory(Create create) : create_(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? ModuleAddRef() : ModuleRelease();
        return S_OK;
    }

private:
    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
    }
    Create create_;
};

// Creates a T and hands out the requested interface; no exception escapes.
template <class T>
HRESULT CreateInstanceOf(REFIID iid, void** out) {
    try {
        return Make<T>()->QueryInterface(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace nimbra
