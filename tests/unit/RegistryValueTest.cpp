// GetRegistryValue against real values of every shape a user's registry can hold.
#include <gtest/gtest.h>

#include "../../src/errors/basError.h"

using nimbra::GetRegistryValue;

namespace {

constexpr wchar_t kKey[] = L"Software\\NimbraTest\\Values";

class RegistryValue : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    std::wstring Get(const wchar_t* name) { return GetRegistryValue(HKEY_CURRENT_USER, kKey, name); }

    HKEY key_ = nullptr;
};

TEST_F(RegistryValue, TextNumbersAndOtherTypes) {
    const struct {
        const char* name;
        DWORD type;
        const char* data;
        DWORD size;
        const wchar_t* expected;
    } values[] = {
        {"sz", REG_SZ, "C:\\Logs", 8, L"C:\\Logs"},
        {"expand", REG_EXPAND_SZ, "%TEMP%\\x", 10, L"%TEMP%\\x"},  // given as stored, not expanded
        {"dword", REG_DWORD, "\xD2\x04\0\0", 4, L"1234"},
        {"binary", REG_BINARY, "abc", 3, L""},
        {"multi", REG_MULTI_SZ, "a\0b\0", 5, L""},
        {"embedded", REG_SZ, "ab\0cd", 6, L"ab"},
    };
    for (const auto& v : values) SetRaw(v.name, v.type, v.data, v.size);
    for (const auto& v : values)
        EXPECT_EQ(Get(std::wstring(v.name, v.name + strlen(v.name)).c_str()), v.expected) << v.name;
    EXPECT_EQ(Get(L"missing"), L"");
    EXPECT_EQ(GetRegistryValue(HKEY_CURRENT_USER, L"Software\\NimbraTest\\NoSuchKey", L"sz"), L"");
}

TEST_F(RegistryValue, LongAndUnterminatedValuesStayInsideTheBuffer) {
    const std::string long2000(2000, 'x');
    SetRaw("long", REG_SZ, long2000.c_str(), 2001);
    EXPECT_EQ(Get(L"long"), L"");  // does not fit the 1024-byte buffer

    const std::string almost(1023, 'z');  // no terminating NUL, fits
    SetRaw("almost", REG_SZ, almost.data(), 1023);
    EXPECT_EQ(Get(L"almost"), std::wstring(1023, L'z'));

    // Filling the buffer exactly without a NUL: the text, or nothing where the
    // system wants room for the NUL; never more than was stored.
    const std::string exact(1024, 'y');
    SetRaw("exact", REG_SZ, exact.data(), 1024);
    const std::wstring got = Get(L"exact");
    EXPECT_TRUE(got.empty() || got == std::wstring(1024, L'y')) << got.size();
}

}  // namespace
