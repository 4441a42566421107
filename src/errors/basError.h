// The library's one error-reporting path: the guard every procedure carries,
// RaiseError that reports, and the registry and process readers it uses.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

#include "../com/Failure.h"

namespace nimbra {

// Module kinds as the report names them.
inline constexpr wchar_t kUserControl[] = L"Benutzersteuerelement";
inline constexpr wchar_t kFormModule[] = L"Formular";
inline constexpr wchar_t kStdModule[] = L"Modul";
inline constexpr wchar_t kClassModule[] = L"Klassenmodul";

// The library-wide silent switch: failures are skipped instead of reported.
bool SilentError();
void SetSilentError(bool on);

void RaiseError(long number, const std::wstring& description, const std::wstring& procedure, long line,
                const std::wstring& moduleKind, const std::wstring& moduleName);

std::wstring GetRegistryValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);
std::wstring GetHostExePath();

// The six-line report RaiseError hands on.
std::wstring ReportText(long number, const std::wstring& description, const std::wstring& procedure, long line,
                        const std::wstring& moduleKind, const std::wstring& moduleName);

// What RaiseError talks to. Tests point these elsewhere so that no run ever
// waits on a message box.
struct ReportTargets {
    const wchar_t* handlerProgId = L"NimbraErrorHandler.ErrorHandler";
    int(WINAPI* messageBox)(HWND, LPCWSTR text, LPCWSTR caption, UINT style) = MessageBoxW;
};
ReportTargets& Targets();

// Guard identity of one procedure.
struct Procedure {
    const wchar_t* name;
    const wchar_t* moduleKind;
    const wchar_t* moduleName;
};

// Runs a procedure's statements in order. A failing statement is skipped when
// the silent switch is on; otherwise it is reported with the procedure's
// identity and the rest of the procedure is left out. Nothing escapes.
class Guard {
public:
    explicit Guard(Procedure id, bool report = true) : id_(id), report_(report) {}

    // True when every statement ran without a failure that ended the procedure.
    template <class... Statements>
    bool Run(Statements&&... statements) {
        return (Step(statements) && ...);
    }

private:
    template <class F>
    bool Step(F& statement) {
        try {
            statement();
            return true;
        } catch (...) {
            return Handle(std::current_exception());
        }
    }
    bool Handle(std::exception_ptr failure);

    Procedure id_;
    bool report_;
};

// An ignore-and-continue stretch: every failing statement is skipped, nothing
// is reported, whatever the silent switch says.
template <class... Statements>
void IgnoreErrors(Statements&&... statements) {
    Guard(Procedure{L"", L"", L""}, false).Run(static_cast<Statements&&>(statements)...);
}

}  // namespace nimbra
