// Reference counting shared by every COM class of the library. A class lists
// its interfaces as bases and answers QueryInterface through Find(); the one
// IUnknown here overrides the IUnknown of every base.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include "Module.h"

namespace nimbra {

using Microsoft::WRL::ComPtr;

template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = Find(riid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    // The interface pointer for riid, or nullptr; not AddRef'd.
    virtual void* Find(REFIID riid) = 0;

private:
    LONG refs_ = 0;  // the first ComPtr takes the creator's reference
    ModuleReference module_;
};

// An out-parameter answered with what make returns; make runs only when the
// caller gave somewhere to put it.
template <class T, class Make>
HRESULT Answer(T* out, Make make) {
    if (!out) return E_POINTER;
    *out = make();
    return S_OK;
}

// An enumeration the object does not offer, which connection points and their
// containers may decline: no object, E_NOTIMPL.
template <class T>
HRESULT NoEnumerator(T** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

// Creates an object owned by the returned pointer. (MinGW's ComPtr::Attach adds
// a reference, unlike the documented one, so nothing here relies on Attach.)
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    return ComPtr<T>(new T(static_cast<Args&&>(args)...));
}

}  // namespace nimbra
