#include "FormBag.h"

#include <olectl.h>

#include <cmath>

namespace nimbra::host {

std::string Narrow(const std::wstring& ascii) {
    std::string s;
    for (wchar_t c : ascii) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

HRESULT LoadPicture(const std::vector<unsigned char>& image, IPictureDisp** out) {
    *out = nullptr;
    if (image.empty()) return E_INVALIDARG;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, image.size());
    if (!memory) return E_OUTOFMEMORY;
    memcpy(GlobalLock(memory), image.data(), image.size());
    GlobalUnlock(memory);
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(memory, TRUE, &stream);
    if (FAILED(hr)) {
        GlobalFree(memory);
        return hr;
    }
    return OleLoadPicture(stream.Get(), static_cast<LONG>(image.size()), FALSE, IID_IPictureDisp,
                          reinterpret_cast<void**>(out));
}

HRESULT SavePicture(IUnknown* object, std::vector<unsigned char>& image) {
    ComPtr<IPicture> picture;
    ComPtr<IStream> stream;
    HRESULT hr = object->QueryInterface(IID_PPV_ARGS(&picture));
    if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    LONG size = 0;
    if (SUCCEEDED(hr)) hr = picture->SaveAsFile(stream.Get(), TRUE, &size);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(stream.Get(), &memory);
    if (FAILED(hr)) return hr;
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory));
    image.assign(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return image.empty() ? E_FAIL : S_OK;
}

HRESULT FormBag::ToVariant(const Value& value, VARIANT* out) {
    VariantInit(out);
    switch (value.kind) {
    case Value::Kind::String:
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocStringLen(value.text.data(), static_cast<UINT>(value.text.size()));
        return S_OK;
    case Value::Kind::Frx: {
        ComPtr<IPictureDisp> picture;
        HRESULT hr = LoadPicture(value.PictureData(), &picture);
        if (FAILED(hr)) return hr;
        out->vt = VT_DISPATCH;
        out->pdispVal = picture.Detach();
        return S_OK;
    }
    default: {
        double d = 0;
        if (value.AsNumber(d)) {
            if (std::floor(d) == d && d >= -2147483648.0 && d <= 2147483647.0) {
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(d);
            } else {
                out->vt = VT_R8;
                out->dblVal = d;
            }
            return S_OK;
        }
        // Not a number: the control decides what it makes of the text.
        std::wstring text(value.literal.begin(), value.literal.end());
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
    }
}

HRESULT FormBag::FromVariant(const VARIANT& in, Value& out) {
    switch (in.vt) {
    case VT_BSTR: out = Value::String(std::wstring(in.bstrVal ? in.bstrVal : L"", SysStringLen(in.bstrVal))); return S_OK;
    case VT_BOOL: out = Value::Boolean(in.boolVal != VARIANT_FALSE); return S_OK;
    case VT_UI1: out = Value::Number(in.bVal); return S_OK;
    case VT_I2: out = Value::Number(in.iVal); return S_OK;
    case VT_I4: out = Value::Number(in.lVal); return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        if (!in.punkVal) return E_INVALIDARG;
        std::vector<unsigned char> image;
        HRESULT hr = SavePicture(in.punkVal, image);
        if (SUCCEEDED(hr)) out = Value::Picture(image);
        return hr;
    }
    default: {
        VARIANT text;
        VariantInit(&text);
        HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&in), 0, VT_BSTR);
        if (FAILED(hr)) return hr;
        out = Value::Literal(Narrow(std::wstring(text.bstrVal, SysStringLen(text.bstrVal))));
        VariantClear(&text);
        return S_OK;
    }
    }
}

HRESULT FormBag::Load(LPCOLESTR name, VARIANT& out) {
    const std::string key = Narrow(name);
    read_.insert(key);
    const Value* stored = block_.Find(key);
    return stored ? ToVariant(*stored, &out) : E_INVALIDARG;
}

HRESULT FormBag::Store(LPCOLESTR name, Variant& value) {
    Value stored;
    const HRESULT hr = FromVariant(value, stored);
    if (FAILED(hr)) return hr;
    block_.Set(Narrow(name), stored);
    return S_OK;
}

}  // namespace nimbra::host
