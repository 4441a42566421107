// Registration and the module's life as regsvr32 and COM see them. regsvr32
// in and out, in both architectures' views, is the side-by-side run's
// (e2e/side_by_side.sh); every suite here starts from its registration.
#include <gtest/gtest.h>
#include <olectl.h>

#include <map>
#include <string>

#include "../../src/com/ComObject.h"
#include "../../src/Classes.h"
#include "NimbraForm_h.h"
#include "TestSupport.h"

using nimbra::ComPtr;

namespace {

std::wstring Guid(const GUID& g) {
    wchar_t t[40];
    StringFromGUID2(g, t, 40);
    return t;
}

std::wstring Lower(std::wstring s) {
    CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// Every key and value under root by "path|name", paths in lower case as the
// registry compares them.
void Dump(HKEY root, const std::wstring& path, std::map<std::wstring, std::wstring>& out) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD n = 512, size = sizeof data, type = 0;
        if (RegEnumValueW(key, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::wstring value(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0') value.pop_back();
        out[Lower(path + L"|" + name)] = value;
    }
    for (DWORD i = 0;; ++i) {
        DWORD n = 512;
        if (RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring child = path.empty() ? name : path + L"\\" + name;
        out[Lower(child)] = L"";
        Dump(root, child, out);
    }
    RegCloseKey(key);
}

bool KeyExists(const std::wstring& path, REGSAM view = 0) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(Registration, TwiceIsHarmlessAndUnregisteringLeavesNothing) {
    // Registration of the code linked into this program, redirected into a scratch
    // key so the prefix's real registration is untouched.
    const wchar_t* scratch = L"Software\\NimbraTest\\Classes";
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch);
    HKEY classes;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes), ERROR_SUCCESS);

    std::map<std::wstring, std::wstring> once, twice, after;
    const HRESULT first = nimbra::RegisterServer();
    Dump(classes, L"", once);
    const HRESULT second = nimbra::RegisterServer();
    Dump(classes, L"", twice);
    const HRESULT removed = nimbra::UnregisterServer();
    Dump(classes, L"", after);
    // The other architecture's view is not redirected with HKEY_CLASSES_ROOT
    // (under Wine it is the prefix's real one): the shared ProgIDs stay
    // exactly when the class is registered there.
    const bool otherArchitecture = KeyExists(L"CLSID\\" + Guid(CLSID_xpForm),
                                             sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);

    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(classes);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch);

    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, S_OK);
    EXPECT_EQ(removed, S_OK);
    EXPECT_EQ(once, twice);
    const std::wstring xp = Lower(L"CLSID\\" + Guid(CLSID_xpForm));
    EXPECT_EQ(once[xp + L"\\inprocserver32|threadingmodel"], L"Apartment");
    EXPECT_EQ(once[L"nimbraform.error\\clsid|"], Guid(CLSID_Error));
    EXPECT_TRUE(once.count(Lower(L"Interface\\" + Guid(IID___xpForm))));
    EXPECT_FALSE(once.count(Lower(L"CLSID\\" + Guid(CLSID_clsFormSubclass))));  // not creatable
    // What a container's toolbox looks for, and nothing that would mark the
    // control safe for scripts or initialisation.
    EXPECT_TRUE(once.count(xp + L"\\control"));
    EXPECT_TRUE(once.count(xp + L"\\toolboxbitmap32"));
    EXPECT_TRUE(once.count(xp + L"\\implemented categories\\{40fc6ed4-2438-11cf-a3db-080036f12502}"));
    for (const auto& [key, value] : once) {
        EXPECT_EQ(key.find(L"7dd95801"), std::wstring::npos);  // CATID_SafeForScripting
        EXPECT_EQ(key.find(L"7dd95802"), std::wstring::npos);  // CATID_SafeForInitializing
    }
    for (const auto& [key, value] : after) {
        // Empty parents shared with everyone else's registrations may stay.
        const bool progId = key.starts_with(L"nimbraform.");
        EXPECT_TRUE(key == L"clsid" || key == L"typelib" || key == L"interface" || (progId && otherArchitecture))
            << "left behind: " << std::string(key.begin(), key.end());
    }
    EXPECT_EQ(after.count(L"nimbraform.xpform") == 1, otherArchitecture);
}

TEST(Registration, ModuleStaysLoadedWhileAnythingLives) {
    HMODULE ocx = LoadLibraryW(test::Env(L"NIMBRA_OCX").c_str());
    ASSERT_NE(ocx, nullptr);
    auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    auto canUnload =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
    ASSERT_TRUE(getClassObject && canUnload);
    EXPECT_EQ(canUnload(), S_OK);

    ComPtr<IClassFactory> factory;
    auto factoryOf = [&](const CLSID& clsid) {
        return getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
    };
    EXPECT_EQ(factoryOf(CLSID_clsFormSubclass), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(factoryOf(CLSID_SpEv), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ComPtr<IDispatch> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object.GetAddressOf())), S_OK);
    ComPtr<IUnknown> outer;
    EXPECT_EQ(factory->CreateInstance(object.Get(), IID_IUnknown, reinterpret_cast<void**>(outer.GetAddressOf())),
              CLASS_E_NOAGGREGATION);
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);  // the object and the lock
    object.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);  // the lock
    ASSERT_EQ(factoryOf(CLSID_SpEv), S_OK);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_OK);
    FreeLibrary(ocx);
}

}  // namespace
