// GetRegistryValue against real values of every shape a user's registry can hold.
#include <gtest/gtest.h>

#include "../../src/errors/basError.h"

using nimbra::GetRegistryValue;

namespace {

constexpr wchar_t kKey[] = L"Software\\NimbraTest\\Values";

TEST(RegistryValue, TextNumbersOtherTypesAndValuesTooLongForTheBuffer) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string x2000(2000, 'x'), z1023(1023, 'z'), y1024(1024, 'y');
    const struct {
        const char* name;
        DWORD type;
        const char* data;
        DWORD size;
        std::wstring expected;
        bool orEmpty;  // where the system wants room for a NUL the stored text lacks
    } values[] = {
        {"sz", REG_SZ, "C:\\Logs", 8, L"C:\\Logs", false},
        {"expand", REG_EXPAND_SZ, "%TEMP%\\x", 10, L"%TEMP%\\x", false},  // given as stored, not expanded
        {"dword", REG_DWORD, "\xD2\x04\0\0", 4, L"1234", false},
        {"binary", REG_BINARY, "abc", 3, L"", false},  // as any type but text and number
        {"embedded", REG_SZ, "ab\0cd", 6, L"ab", false},
        // The buffer holds 1024 bytes: a longer text gives nothing, never more than was stored.
        {"long", REG_SZ, x2000.c_str(), 2001, L"", false},  // with its NUL
        {"almost", REG_SZ, z1023.data(), 1023, std::wstring(1023, L'z'), false},  // no NUL, fits
        {"exact", REG_SZ, y1024.data(), 1024, std::wstring(1024, L'y'), true},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        ASSERT_EQ(RegSetValueExA(key, v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.data), v.size), ERROR_SUCCESS);
        const std::wstring name(v.name, v.name + strlen(v.name));
        const std::wstring got = GetRegistryValue(HKEY_CURRENT_USER, kKey, name.c_str());
        if (!(v.orEmpty && got.empty())) {
            EXPECT_EQ(got, v.expected);
        }
    }
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, kKey, L"missing"), L"");
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, L"Software\\NimbraTest\\NoSuchKey", L"sz"), L"");
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

}  // namespace
