// A property bag in memory: the empty bag a new control reads its defaults
// from, and the form in which a control's properties travel through a stream.
#pragma once
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "ComObject.h"
#include "Variant.h"

namespace nimbra {

// What IPropertyBag::Read hands back: the stored value as it is when the caller
// asks for no type (value->vt VT_EMPTY on entry) or for the stored one, else
// converted to the type asked for.
inline HRESULT ReadAs(const VARIANT& stored, VARIANT* value) {
    const VARTYPE wanted = value->vt;
    VariantInit(value);
    VARIANT* source = const_cast<VARIANT*>(&stored);  // neither call changes its source
    if (wanted == VT_EMPTY || wanted == stored.vt) return VariantCopy(value, source);
    return VariantChangeType(value, source, 0, wanted);
}

// IPropertyBag over a store of its own: the pointer checks, a value given by
// reference written as the value it points at, and the conversion to the type
// the reader asks for are the same for every bag; where values live is not.
// All inline: NimbraHost's bag uses it without the rest of this layer's library.
class StoredPropertyBag : public ComObject<IPropertyBag> {
public:
    // A missing key is E_INVALIDARG, as containers answer (a control then uses
    // its default); a requested type converts.
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) final {
        if (!name || !value) return E_POINTER;
        Variant stored;
        const HRESULT hr = Load(name, stored);
        return FAILED(hr) ? hr : ReadAs(stored, value);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) final {
        if (!name || !value) return E_POINTER;
        Variant given;
        const HRESULT hr = VariantCopyInd(&given, value);
        return FAILED(hr) ? hr : Store(name, given);
    }

protected:
    // The value stored under name, into out (empty on entry); E_INVALIDARG when none is.
    virtual HRESULT Load(LPCOLESTR name, VARIANT& out) = 0;
    // Keeps value under name; the bag may take the value over.
    virtual HRESULT Store(LPCOLESTR name, Variant& value) = 0;

private:
    void* Find(REFIID riid) final {
        return riid == IID_IUnknown || riid == IID_IPropertyBag ? static_cast<IPropertyBag*>(this) : nullptr;
    }
};

class MemoryPropertyBag final : public StoredPropertyBag {
public:
    ~MemoryPropertyBag() override;

    size_t Count() const { return values_.size(); }
    // Numbers, Booleans, strings and persistable objects (pictures).
    HRESULT SaveTo(IStream* stream) const;
    HRESULT LoadFrom(IStream* stream);

private:
    HRESULT Load(LPCOLESTR name, VARIANT& out) override;
    HRESULT Store(LPCOLESTR name, Variant& value) override;
    std::vector<std::pair<std::wstring, VARIANT>> values_;
};

}  // namespace nimbra
