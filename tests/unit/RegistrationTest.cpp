// Registration and the module's life as COM sees them (regsvr32 itself: side_by_side.sh).
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

std::wstring Lower(std::wstring s) {
    CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::wstring Guid(const GUID& g) {
    wchar_t t[40];
    StringFromGUID2(g, t, 40);
    return Lower(t);
}

using Keys = std::map<std::wstring, std::wstring>;

// Every key and value under root as "path|name" -> value, in lower case as the registry compares names.
void Dump(HKEY root, const std::wstring& path, Keys& out) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t name[512];
    wchar_t data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD n = 512, size = sizeof data;
        if (RegEnumValueW(key, i, name, &n, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
            break;
        out[Lower(path + L"|" + name)] = Lower(std::wstring(data, wcsnlen(data, size / sizeof(wchar_t))));
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

// The code linked into this program registers into a scratch key; the prefix's stays.
TEST(Registration, WhatContainersLookForAndNothingLeftBehind) {
    const wchar_t* scratch = L"Software\\NimbraTest\\Classes";
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch);
    HKEY classes, other;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes), ERROR_SUCCESS);
    Keys once, after;
    EXPECT_EQ(nimbra::RegisterServer(), S_OK);
    Dump(classes, L"", once);
    EXPECT_EQ(nimbra::UnregisterServer(), S_OK);
    Dump(classes, L"", after);
    // The other architecture's view is not redirected (under Wine it is the prefix's real
    // one): the shared ProgIDs stay exactly when the class is registered there.
    const std::wstring xp = L"clsid\\" + Guid(CLSID_xpForm);
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const bool otherArchitecture =
        RegOpenKeyExW(HKEY_CLASSES_ROOT, xp.c_str(), 0, KEY_READ | otherView, &other) == ERROR_SUCCESS;
    if (otherArchitecture) RegCloseKey(other);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(classes);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch);

    EXPECT_EQ(once[xp + L"\\inprocserver32|threadingmodel"], L"apartment");
    EXPECT_FALSE(once.count(L"clsid\\" + Guid(CLSID_clsFormSubclass)));  // not creatable
    // What a toolbox looks for; nothing safe for scripts (7dd95801) or initialisation (7dd95802).
    for (const std::wstring& key : {xp + L"\\control", xp + L"\\toolboxbitmap32", L"interface\\" + Guid(IID___xpForm),
                                    xp + L"\\implemented categories\\{40fc6ed4-2438-11cf-a3db-080036f12502}"})
        EXPECT_TRUE(once.count(key)) << std::string(key.begin(), key.end());
    for (const auto& [key, value] : once)
        EXPECT_TRUE(key.find(L"7dd95801") == key.npos && key.find(L"7dd95802") == key.npos);
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
    auto getClassObject = reinterpret_cast<decltype(&DllGetClassObject)>(
        reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
    auto canUnload =
        reinterpret_cast<decltype(&DllCanUnloadNow)>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
    ASSERT_TRUE(getClassObject && canUnload);
    EXPECT_EQ(canUnload(), S_OK);

    ComPtr<IClassFactory> factory;
    auto factoryOf = [&](const CLSID& clsid) {
        return getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
    };
    EXPECT_EQ(factoryOf(CLSID_clsFormSubclass), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(factoryOf(CLSID_SpEv), S_OK);
    ComPtr<IDispatch> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object.GetAddressOf())), S_OK);
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
