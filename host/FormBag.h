// A control's property bag made from its block in the form file: values are
// read from the file's text and written back into it.
#pragma once
#include <ocidl.h>

#include <set>
#include <string>

#include "FormFile.h"
#include "PropertyBag.h"

namespace nimbra::host {

class FormBag final : public StoredPropertyBag {
public:
    explicit FormBag(Block& block) : block_(block) {}

    const std::set<std::string>& KeysRead() const { return read_; }

    // The conversions, usable on their own: a file value as a VARIANT, and back.
    static HRESULT ToVariant(const Value& value, VARIANT* out);
    static HRESULT FromVariant(const VARIANT& in, Value& out);

private:
    HRESULT Load(LPCOLESTR name, VARIANT& out) override;
    HRESULT Store(LPCOLESTR name, Variant& value) override;
    Block& block_;
    std::set<std::string> read_;
};

// A picture object from .ico/.bmp file bytes, and back.
HRESULT LoadPicture(const std::vector<unsigned char>& image, IPictureDisp** out);
HRESULT SavePicture(IUnknown* picture, std::vector<unsigned char>& image);

std::string Narrow(const std::wstring& ascii);

}  // namespace nimbra::host
