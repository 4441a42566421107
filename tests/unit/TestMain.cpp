#include <gtest/gtest.h>
#include <objbase.h>
#include <olectl.h>

#include <filesystem>

#include "../../src/errors/basError.h"
#include "TestSupport.h"

namespace test {
namespace {

int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR caption, UINT style) {
    ReportBoxes& b = Boxes();
    ++b.count;
    b.text = text ? text : L"";
    b.caption = caption ? caption : L"";
    b.style = style;
    return IDOK;
}

}  // namespace

HRESULT NewIconPicture(IPictureDisp** picture) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = LoadIconW(nullptr, IDI_APPLICATION);
    return OleCreatePictureIndirect(&desc, IID_IPictureDisp, FALSE, reinterpret_cast<void**>(picture));
}

ReportBoxes& Boxes() {
    static ReportBoxes boxes;
    return boxes;
}
void ResetBoxes() { Boxes() = ReportBoxes{}; }

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value)
    : name_(name), old_(Env(name)), had_(GetEnvironmentVariableW(name, nullptr, 0) != 0) {
    SetEnvironmentVariableW(name, value.c_str());
}
ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr); }

ScopedValue::ScopedValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring* value) : name_(name) {
    RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    if (RegQueryValueExW(key_, name, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
        old_.resize(size);
        had_ = RegQueryValueExW(key_, name, nullptr, &oldType_, old_.data(), &size) == ERROR_SUCCESS;
    }
    Set(value);
}
void ScopedValue::Set(const std::wstring* value) {
    if (value)
        RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key_, name_);
}
ScopedValue::~ScopedValue() {
    if (had_)
        RegSetValueExW(key_, name_, 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
    else
        RegDeleteValueW(key_, name_);
    RegCloseKey(key_);
}

std::wstring ScratchFolder(const std::wstring& name) {
    std::wstring root = Env(L"NIMBRA_SCRATCH");
    if (root.empty()) root = std::filesystem::temp_directory_path().wstring();
    const std::wstring folder = root + L"\\" + name;
    // Emptied, as earlier runs leave their files; one another process still holds may stay.
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::vector<std::wstring> Split(const std::wstring& s, const std::wstring& separator) {
    std::vector<std::wstring> parts;
    size_t pos = 0;
    for (;;) {
        const size_t next = s.find(separator, pos);
        parts.push_back(s.substr(pos, next - pos));
        if (next == std::wstring::npos) return parts;
        pos = next + separator.size();
    }
}

RecordedReports::RecordedReports()
    : path_(ScratchFolder(L"reports") + L"\\reports.txt"), env_(L"NIMBRA_REPORT_LOG", path_) {}

std::vector<std::vector<std::wstring>> RecordedReports::Reports() const {
    std::vector<std::vector<std::wstring>> out;
    for (const auto& line : Split(ReadUtf8(path_), L"\n"))
        if (!line.empty()) out.push_back(Split(line, L"\t"));
    return out;
}

}  // namespace test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    CoInitialize(nullptr);
    // No test run ever waits on a message box: reports that would show one are counted.
    nimbra::Targets().messageBox = test::RecordBox;
    const int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
