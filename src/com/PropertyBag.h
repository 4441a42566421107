// A property bag in memory: the empty bag a new control reads its defaults
// from, and the form in which a control's properties travel through a stream.
#pragma once
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "ComObject.h"

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

class MemoryPropertyBag final : public ComObject<IPropertyBag> {
public:
    ~MemoryPropertyBag() override;

    // A missing key is E_INVALIDARG, as containers answer; a requested type converts.
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

    size_t Count() const { return values_.size(); }
    // Numbers, Booleans, strings and persistable objects (pictures).
    HRESULT SaveTo(IStream* stream) const;
    HRESULT LoadFrom(IStream* stream);

private:
    void* Find(REFIID riid) override;
    std::vector<std::pair<std::wstring, VARIANT>> values_;
};

}  // namespace nimbra
