#include "AppObject.h"

#include <string_view>
#include <vector>

#include "ComObject.h"

namespace nimbra {
namespace {

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    }* t = nullptr;
    UINT size = 0;
    void* data = const_cast<BYTE*>(block.data());
    if (!VerQueryValueW(data, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", t->language, t->codePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data, query, reinterpret_cast<void**>(&text), &size) || !text) return {};
    return std::wstring(text, wcsnlen(text, size));
}

LibraryInfo ReadLibraryInfo() {
    LibraryInfo info;
    const std::wstring file = ModulePath();
    const size_t slash = file.find_last_of(L"\\/");
    info.path = slash == std::wstring::npos ? L"" : file.substr(0, slash);
    std::wstring name = slash == std::wstring::npos ? file : file.substr(slash + 1);
    info.exeName = name.substr(0, name.find_last_of(L'.'));

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (size && GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) && fixed) {
            // Classic projects keep major.minor in the first half and the
            // revision in the last word of the file version.
            info.major = HIWORD(fixed->dwFileVersionMS);
            info.minor = LOWORD(fixed->dwFileVersionMS);
            info.revision = LOWORD(fixed->dwFileVersionLS);
        }
        // The project's own name, whatever the file was renamed to.
        if (auto internal = VersionString(block, L"InternalName"); !internal.empty()) info.exeName = internal;
        info.title = VersionString(block, L"ProductName");
        info.fileDescription = VersionString(block, L"FileDescription");
    }
    if (info.title.empty()) info.title = info.exeName;
    return info;
}

class AppObject final : public ComObject<IDispatch> {
    enum Id : DISPID { EXEName = 1, Path, Title, FileDescription, Major, Minor, Revision };
    static constexpr std::pair<std::wstring_view, Id> kNames[] = {
        {L"EXEName", EXEName}, {L"Path", Path},   {L"Title", Title},         {L"FileDescription", FileDescription},
        {L"Major", Major},     {L"Minor", Minor}, {L"Revision", Revision},
    };

    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    }

public:
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const auto& [name, id] : kNames)
            if (CompareStringOrdinal(names[0], -1, name.data(), static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
                ids[0] = id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs) return DISP_E_BADPARAMCOUNT;
        if (!result) return S_OK;
        const LibraryInfo& info = ThisLibrary();
        VariantInit(result);
        auto text = [&](const std::wstring& s) {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        };
        auto number = [&](WORD n) {
            result->vt = VT_I2;
            result->iVal = static_cast<SHORT>(n);
        };
        switch (id) {
        case EXEName: text(info.exeName); break;
        case Path: text(info.path); break;
        case Title: text(info.title); break;
        case FileDescription: text(info.fileDescription); break;
        case Major: number(info.major); break;
        case Minor: number(info.minor); break;
        case Revision: number(info.revision); break;
        default: return DISP_E_MEMBERNOTFOUND;
        }
        return S_OK;
    }
};

}  // namespace

const LibraryInfo& ThisLibrary() {
    static const LibraryInfo info = ReadLibraryInfo();
    return info;
}

ComPtr<IDispatch> NewAppObject() { return Make<AppObject>(); }

}  // namespace nimbra
