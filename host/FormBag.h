// A control's property bag made from its block in the form file: values are
// read from the file's text and written back into it.
#pragma once
#include <ocidl.h>

#include <set>
#include <string>

#include "ComObject.h"
#include "FormFile.h"

namespace nimbra::host {

class FormBag final : public ComObject<IPropertyBag> {
public:
    explicit FormBag(Block& block) : block_(block) {}

    // A missing key is E_INVALIDARG, which a control reads as "use the default".
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

    const std::set<std::string>& KeysRead() const { return read_; }

    // The conversions, usable on their own: a file value as a VARIANT, and back.
    static HRESULT ToVariant(const Value& value, VARIANT* out);
    static HRESULT FromVariant(const VARIANT& in, Value& out);

private:
    void* Find(REFIID riid) override;
    Block& block_;
    std::set<std::string> read_;
};

// A picture object from .ico/.bmp file bytes, and back.
HRESULT LoadPicture(const std::vector<unsigned char>& image, IPictureDisp** out);
HRESULT SavePicture(IUnknown* picture, std::vector<unsigned char>& image);

std::string Narrow(const std::wstring& ascii);

}  // namespace nimbra::host
