#include "PropertyBag.h"

#include <ole2.h>

namespace nimbra {
namespace {

constexpr DWORD kMagic = 0x4250464E;  // "NFPB"

HRESULT WriteBytes(IStream* s, const void* data, ULONG size) {
    ULONG done = 0;
    HRESULT hr = s->Write(data, size, &done);
    return FAILED(hr) ? hr : done == size ? S_OK : STG_E_WRITEFAULT;
}
HRESULT ReadBytes(IStream* s, void* data, ULONG size) {
    ULONG done = 0;
    HRESULT hr = s->Read(data, size, &done);
    return FAILED(hr) ? hr : done == size ? S_OK : STG_E_READFAULT;
}
template <class T>
HRESULT WriteValue(IStream* s, const T& v) {
    return WriteBytes(s, &v, sizeof v);
}
template <class T>
HRESULT ReadValue(IStream* s, T& v) {
    return ReadBytes(s, &v, sizeof v);
}
HRESULT WriteText(IStream* s, const wchar_t* text, UINT length) {
    HRESULT hr = WriteValue(s, static_cast<DWORD>(length));
    return FAILED(hr) ? hr : WriteBytes(s, text, length * sizeof(wchar_t));
}
HRESULT ReadText(IStream* s, std::wstring& text) {
    DWORD length = 0;
    HRESULT hr = ReadValue(s, length);
    if (FAILED(hr)) return hr;
    if (length > (1u << 24)) return STG_E_READFAULT;  // not ours
    text.resize(length);
    return ReadBytes(s, text.data(), length * sizeof(wchar_t));
}

}  // namespace

MemoryPropertyBag::~MemoryPropertyBag() {
    for (auto& [name, value] : values_) VariantClear(&value);
}

HRESULT MemoryPropertyBag::Load(LPCOLESTR name, VARIANT& out) {
    for (auto& [key, stored] : values_)
        if (_wcsicmp(key.c_str(), name) == 0) return VariantCopy(&out, &stored);
    return E_INVALIDARG;
}

HRESULT MemoryPropertyBag::Store(LPCOLESTR name, Variant& value) {
    for (auto& [key, stored] : values_)
        if (_wcsicmp(key.c_str(), name) == 0) {
            VariantClear(&stored);
            stored = value.Detach();
            return S_OK;
        }
    values_.emplace_back(name, value.Detach());
    return S_OK;
}

HRESULT MemoryPropertyBag::SaveTo(IStream* s) const {
    HRESULT hr = WriteValue(s, kMagic);
    if (SUCCEEDED(hr)) hr = WriteValue(s, static_cast<DWORD>(values_.size()));
    for (const auto& [name, v] : values_) {
        if (SUCCEEDED(hr)) hr = WriteText(s, name.data(), static_cast<UINT>(name.size()));
        if (SUCCEEDED(hr)) hr = WriteValue(s, v.vt);
        if (FAILED(hr)) return hr;
        switch (v.vt) {
        case VT_BOOL: hr = WriteValue(s, v.boolVal); break;
        case VT_I2: hr = WriteValue(s, v.iVal); break;
        case VT_I4: hr = WriteValue(s, v.lVal); break;
        case VT_UI1: hr = WriteValue(s, v.bVal); break;
        case VT_BSTR: hr = WriteText(s, v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal)); break;
        case VT_UNKNOWN:
        case VT_DISPATCH: {
            const BYTE present = v.punkVal != nullptr;
            hr = WriteValue(s, present);
            ComPtr<IPersistStream> persist;
            if (SUCCEEDED(hr) && present) {
                hr = v.punkVal->QueryInterface(IID_PPV_ARGS(&persist));
                if (SUCCEEDED(hr)) hr = OleSaveToStream(persist.Get(), s);
            }
            break;
        }
        default: hr = DISP_E_BADVARTYPE;
        }
    }
    return hr;
}

HRESULT MemoryPropertyBag::LoadFrom(IStream* s) {
    DWORD magic = 0, count = 0;
    HRESULT hr = ReadValue(s, magic);
    if (SUCCEEDED(hr) && magic != kMagic) hr = STG_E_INVALIDHEADER;
    if (SUCCEEDED(hr)) hr = ReadValue(s, count);
    for (DWORD i = 0; SUCCEEDED(hr) && i < count; ++i) {
        std::wstring name;
        VARTYPE vt = VT_EMPTY;
        hr = ReadText(s, name);
        if (SUCCEEDED(hr)) hr = ReadValue(s, vt);
        if (FAILED(hr)) break;
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        switch (vt) {
        case VT_BOOL: hr = ReadValue(s, v.boolVal); break;
        case VT_I2: hr = ReadValue(s, v.iVal); break;
        case VT_I4: hr = ReadValue(s, v.lVal); break;
        case VT_UI1: hr = ReadValue(s, v.bVal); break;
        case VT_BSTR: {
            std::wstring text;
            hr = ReadText(s, text);
            v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            break;
        }
        case VT_UNKNOWN:
        case VT_DISPATCH: {
            BYTE present = 0;
            v.punkVal = nullptr;
            hr = ReadValue(s, present);
            if (SUCCEEDED(hr) && present)
                hr = OleLoadFromStream(s, vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                       reinterpret_cast<void**>(&v.punkVal));
            break;
        }
        default: hr = DISP_E_BADVARTYPE; v.vt = VT_EMPTY;
        }
        if (SUCCEEDED(hr)) hr = Write(name.c_str(), &v);
        VariantClear(&v);
    }
    return hr;
}

}  // namespace nimbra
