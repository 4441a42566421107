#include "AppObject.h"

#include <vector>

#include "ComObject.h"
#include "NamedDispatch.h"

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
        info.title = VersionString(block, L"ProductName");
        info.fileDescription = VersionString(block, L"FileDescription");
    }
    if (info.title.empty()) info.title = info.exeName;
    return info;
}

class AppObject final : public ComObject<NamedDispatch> {
    enum Id : DISPID { EXEName = 1, Path, Title, FileDescription, Major, Minor, Revision };
    static constexpr DispatchName kNames[] = {
        {L"EXEName", EXEName}, {L"Path", Path},   {L"Title", Title},         {L"FileDescription", FileDescription},
        {L"Major", Major},     {L"Minor", Minor}, {L"Revision", Revision},
    };

    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    }
    std::span<const DispatchName> Names() const override { return kNames; }

    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) override {
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        if (params.cArgs) return DISP_E_BADPARAMCOUNT;
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
