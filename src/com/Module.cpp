#include "Module.h"

#include <map>

namespace nimbra {
namespace {

LONG g_references = 0;

struct TypeInfoCache {
    ITypeLib* lib = nullptr;
    std::map<GUID, ITypeInfo*, bool (*)(const GUID&, const GUID&)> infos{
        [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; }};
};

// Held for the life of the process: released type infos would be re-read per
// call otherwise, and oleaut32 may already be gone when static destructors run.
TypeInfoCache& Cache() {
    static TypeInfoCache* cache = new TypeInfoCache;
    return *cache;
}

}  // namespace

HMODULE ModuleHandle() {
    // The module this code was linked into: the OCX, or a test program that embeds
    // the same resources.
    static HMODULE module = [] {
        HMODULE m = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ModuleHandle), &m);
        return m;
    }();
    return module;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(ModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ModuleAddRef() { InterlockedIncrement(&g_references); }
void ModuleRelease() { InterlockedDecrement(&g_references); }
bool ModuleInUse() { return g_references != 0; }

ITypeLib* TypeLibrary() {
    TypeInfoCache& c = Cache();
    if (!c.lib) LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &c.lib);
    return c.lib;
}

ITypeInfo* TypeInfoOf(REFGUID guid) {
    TypeInfoCache& c = Cache();
    auto it = c.infos.find(guid);
    if (it != c.infos.end()) return it->second;
    ITypeLib* lib = TypeLibrary();
    ITypeInfo* info = nullptr;
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(guid, &info))) return nullptr;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
        const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
        info->ReleaseTypeAttr(attr);
        HREFTYPE ref;
        ITypeInfo* vtable = nullptr;
        if (dual && SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, &vtable))) {
            info->Release();
            info = vtable;
        }
    }
    c.infos.emplace(guid, info);
    return info;
}

}  // namespace nimbra
