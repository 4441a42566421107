// Shared pieces of the unit tests: the message-box recorder every test run
// installs, scoped environment and registry values, files in the scratch folder.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../src/forms/Text.h"

namespace test {

// Message boxes RaiseError would have shown in this process since the last Reset.
struct ReportBoxes {
    int count = 0;
    std::wstring text, caption;
    UINT style = 0;
};
ReportBoxes& Boxes();
void ResetBoxes();

inline std::wstring Env(const wchar_t* name) {
    wchar_t buf[2048];
    const DWORD n = GetEnvironmentVariableW(name, buf, 2048);
    return n && n < 2048 ? std::wstring(buf, n) : std::wstring();
}

class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const std::wstring& value);
    ~ScopedEnv();

private:
    std::wstring name_, old_;
    bool had_;
};

// A registry value for the life of the object (nullptr: no value); the old one comes back.
class ScopedValue {
public:
    ScopedValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring* value);
    ~ScopedValue();
    void Set(const std::wstring* value);

private:
    HKEY key_ = nullptr;
    const wchar_t* name_;
    std::vector<BYTE> old_;
    DWORD oldType_ = 0;
    bool had_ = false;
};

// A window's rectangle on the screen, in pixels.
inline RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

// The system's application icon as a new picture object; the caller owns the
// one reference put in *picture.
HRESULT NewIconPicture(IPictureDisp** picture);

// A fresh, empty folder under the build's scratch folder.
std::wstring ScratchFolder(const std::wstring& name);
inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline std::wstring ReadUtf8(const std::wstring& path) { return nimbra::forms::Widen(ReadBytes(path), CP_UTF8); }
std::vector<std::wstring> Split(const std::wstring& s, const std::wstring& separator);

// Lines the recording error handler wrote while this object lived, fields split.
class RecordedReports {
public:
    RecordedReports();
    std::vector<std::vector<std::wstring>> Reports() const;

private:
    std::wstring path_;
    ScopedEnv env_;
};

}  // namespace test
