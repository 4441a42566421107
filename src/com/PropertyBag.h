// A property bag in memory: the empty bag a new control reads its defaults
// from, and the form in which a control's properties travel through a stream.
#pragma once
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "ComObject.h"

namespace nimbra {

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
