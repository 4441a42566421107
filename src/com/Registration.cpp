#include "Registration.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>

#include "Module.h"
#include "../forms/Handles.h"

namespace nimbra {
namespace {

// CATID_Control, the "Controls" component category.
constexpr GUID kCatidControl = {0x40FC6ED4, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};

constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring GuidText(const GUID& g) {
    wchar_t text[40];
    StringFromGUID2(g, text, 40);
    return text;
}

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void DeleteKey(const std::wstring& key) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

// The module's own type library's identity: what its classes name and what
// unregistering removes.
bool LibraryIdentity(ITypeLib* lib, TLIBATTR& identity) {
    TLIBATTR* attr = nullptr;
    if (!lib || FAILED(lib->GetLibAttr(&attr))) return false;
    identity = *attr;
    lib->ReleaseTLibAttr(attr);
    return true;
}

// Under WOW64 a class's CLSID key has one copy per architecture, but its
// ProgID key is shared by both. Whether the other architecture's server still
// registers the class decides whether the ProgID may go. On a system without
// WOW64 the flag is ignored and this reads our own, already emptied, view.
bool OtherArchitectureHas(const std::wstring& key) {
    constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    forms::RegistryKey k;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | kOtherView, k.put()) == ERROR_SUCCESS;
}

}  // namespace

const ClassEntry* FindClass(std::span<const ClassEntry> classes, REFCLSID clsid) {
    for (const auto& c : classes)
        if (*c.clsid == clsid) return &c;
    return nullptr;
}

HRESULT RegisterServer(std::span<const ClassEntry> classes, int toolboxBitmap) {
    ITypeLib* lib = TypeLibrary();
    if (!lib) return SELFREG_E_TYPELIB;
    std::wstring path = ModulePath();
    if (FAILED(RegisterTypeLib(lib, path.data(), nullptr))) return SELFREG_E_TYPELIB;

    TLIBATTR identity;
    if (!LibraryIdentity(lib, identity)) return SELFREG_E_TYPELIB;
    const std::wstring libid = GuidText(identity.guid);
    const std::wstring version = std::to_wstring(identity.wMajorVerNum) + L"." + std::to_wstring(identity.wMinorVerNum);
    bool ok = true;
    for (const auto& c : classes) {
        const std::wstring key = L"CLSID\\" + GuidText(*c.clsid);
        ok = ok && SetValue(key, nullptr, c.progId) && SetValue(key + L"\\InprocServer32", nullptr, path) &&
             SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
             SetValue(key + L"\\ProgID", nullptr, c.progId) && SetValue(key + L"\\TypeLib", nullptr, libid) &&
             SetValue(key + L"\\Version", nullptr, version) && SetValue(c.progId, nullptr, c.progId) &&
             SetValue(std::wstring(c.progId) + L"\\CLSID", nullptr, GuidText(*c.clsid));
        if (c.miscStatus) {
            // What containers look for: the Control key and the controls category,
            // the OLEMISC bits before the object exists, and the toolbox picture.
            // Deliberately not in the safe-for-scripting or safe-for-initialising
            // categories: SpEv reads and writes files.
            ok = ok && SetValue(key + L"\\Control", nullptr, L"") &&
                 SetValue(key + L"\\Implemented Categories\\" + GuidText(kCatidControl), nullptr, L"") &&
                 SetValue(key + L"\\MiscStatus", nullptr, L"0") &&
                 SetValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(c.miscStatus)) &&
                 SetValue(key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(toolboxBitmap));
        }
    }
    if (!ok) {
        UnregisterServer(classes);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer(std::span<const ClassEntry> classes) {
    for (const auto& c : classes) {
        const std::wstring clsid = L"CLSID\\" + GuidText(*c.clsid);
        DeleteKey(clsid);
        if (!OtherArchitectureHas(clsid)) DeleteKey(c.progId);
    }
    // Also removes the Interface keys RegisterTypeLib wrote for our interfaces.
    TLIBATTR identity;
    if (!LibraryIdentity(TypeLibrary(), identity)) return S_FALSE;
    const HRESULT hr = UnRegisterTypeLib(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum,
                                         identity.lcid, kSysKind);
    return SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED ? S_OK : S_FALSE;
}

}  // namespace nimbra
