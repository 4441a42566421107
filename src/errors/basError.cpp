#include "basError.h"

#include <tlhelp32.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "../com/AppObject.h"
#include "../com/ComObject.h"
#include "../com/LateBound.h"
#include "../forms/Handles.h"
#include "../forms/Text.h"

namespace nimbra {
namespace {

bool g_silent = false;

std::wstring Trim(const std::wstring& s) {
    const size_t first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

std::wstring Now() {
    wchar_t date[128] = L"", time[128] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

// Appends one record; any failure (missing folder, locked file, no rights) is swallowed.
void AppendToLog(std::wstring folder, const std::wstring& report) {
    if (folder == L"*app*") folder = ThisLibrary().path;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    const std::wstring file = folder + L"NimbraError.txt";
    const forms::FileHandle h(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return;
    const std::string record = forms::Narrow(Now() + L"\r\n" + report + L"\r\n" + std::wstring(30, L'-') + L"\r\n");
    DWORD written = 0;
    WriteFile(h.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

void ShowReportBox(const std::wstring& text) {
    Targets().messageBox(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONHAND);  // style 16
}

// A BSTR variable the callee may replace through a reference.
struct BstrVar {
    BSTR value;
    explicit BstrVar(const std::wstring& s) : value(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~BstrVar() { SysFreeString(value); }
};

}  // namespace

bool SilentError() { return g_silent; }
void SetSilentError(bool on) { g_silent = on; }

ReportTargets& Targets() {
    static ReportTargets targets;
    return targets;
}

bool Guard::Handle(std::exception_ptr failure) {
    long number = 0;
    long line = 0;
    std::wstring description;
    try {
        std::rethrow_exception(failure);
    } catch (const Failure& f) {
        number = f.number;
        description = f.description;
        line = static_cast<long>(f.where.line());
    } catch (const std::bad_alloc&) {
        number = 7;
        description = RuntimeErrorText(7);
    } catch (const std::exception& e) {
        number = 5;
        description = forms::Widen(e.what());
    } catch (...) {
        number = 51;
        description = RuntimeErrorText(51);
    }
    if (!report_ || g_silent) return true;  // skip the statement, go on
    RaiseError(number, description, id_.name, line, id_.moduleKind, id_.moduleName);
    return false;
}

std::wstring ReportText(long number, const std::wstring& description, const std::wstring& procedure, long line,
                        const std::wstring& moduleKind, const std::wstring& moduleName) {
    const LibraryInfo& lib = ThisLibrary();
    return L"Error no.: " + std::to_wstring(number) + L"\r\n" +
           L"Error description: " + description + L"\r\n" +
           L"Project: " + lib.exeName + L"\r\n" +
           L"Module: " + moduleKind + L" " + moduleName + L"\r\n" +
           L"Line/Procedure: " + std::to_wstring(line) + L"/" + procedure + L"\r\n" +
           L"Version: " + lib.Version();
}

void RaiseError(long number, const std::wstring& description, const std::wstring& procedure, long line,
                const std::wstring& moduleKind, const std::wstring& moduleName) {
    try {
        ComPtr<IDispatch> handler;
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromProgID(Targets().handlerProgId, &clsid)))
            CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&handler));

        const std::wstring report = ReportText(number, description, procedure, line, moduleKind, moduleName);
        const std::wstring folder = Trim(GetRegistryValue(HKEY_CURRENT_USER, L"Software\\Nimbra", L"ErrorLog"));
        if (!folder.empty()) AppendToLog(folder, report);

        if (!handler) {
            ShowReportBox(report);
            return;
        }
        // The handler may change any by-reference argument; ours are copies.
        BstrVar exe(GetHostExePath()), desc(description), proc(procedure), kind(moduleKind), module(moduleName);
        long num = number, ln = line;
        ComPtr<IDispatch> app = NewAppObject();
        VARIANTARG appArg;
        appArg.vt = VT_DISPATCH;
        appArg.pdispVal = app.Get();
        VARIANTARG exeArg;
        exeArg.vt = VT_BSTR;
        exeArg.bstrVal = exe.value;
        VARIANTARG args[] = {exeArg,         appArg,           ByRef(num),        ByRef(desc.value),
                             ByRef(proc.value), ByRef(ln), ByRef(kind.value), ByRef(module.value)};
        Variant result;
        if (FAILED(InvokeByName(handler.Get(), L"RaiseError", DISPATCH_METHOD, args, 8, &result)))
            ShowReportBox(report);
    } catch (...) {
        // Reporting must never fail its caller; out of memory here has nowhere to go.
    }
}

std::wstring GetRegistryValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
    forms::RegistryKey key;
    if (RegOpenKeyExA(root, forms::Narrow(keyPath).c_str(), 0, 0x2003F, key.put()) != ERROR_SUCCESS) return {};
    // One byte more than we offer, so a value without a terminating NUL stays bounded.
    std::vector<char> buffer(1025, '\0');
    DWORD size = 1024, type = 0;
    const LONG rc = RegQueryValueExA(key.get(), forms::Narrow(valueName).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc != ERROR_SUCCESS) return {};
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return forms::Widen(std::string_view(buffer.data(), strnlen(buffer.data(), size)));
    case REG_DWORD: {
        DWORD v = 0;
        memcpy(&v, buffer.data(), sizeof v);  // little-endian, as stored
        return std::to_wstring(v);
    }
    default: return {};
    }
}

std::wstring GetHostExePath() {
    const DWORD self = GetCurrentProcessId();
    const forms::FileHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));  // INVALID_HANDLE_VALUE on failure
    if (!snap) return {};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::wstring name;
    for (BOOL more = Process32FirstW(snap.get(), &entry); more; more = Process32NextW(snap.get(), &entry)) {
        if (entry.th32ProcessID == self) {
            name.assign(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
            break;
        }
    }
    if (name.empty()) return {};
    // The snapshot names the file only; resolved the way the process itself would.
    wchar_t full[256];
    const DWORD n = GetFullPathNameW(name.c_str(), 255, full, nullptr);
    if (n > 0 && n < 255) return std::wstring(full, n);
    return name;
}

}  // namespace nimbra
