// The report path as a user of the library meets it: the text, where it goes
// (handler, message box, log file) and what the guard lets run.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <utility>

#include "../../src/com/ComObject.h"
#include "../../src/com/LateBound.h"
#include "../../src/errors/Error.h"
#include "../../src/errors/basError.h"
#include "DispatchOnly.h"
#include "TestSupport.h"

using namespace nimbra;
using test::Boxes;

namespace {

void ReportDrawXP() { RaiseError(5, L"Ungültiger Prozeduraufruf", L"DrawXP", 0, L"Formular", L"frm"); }

void FailWin32(DWORD error) {
    SetLastError(error);
    CheckWin32(false);
}

// The system's own message for a Win32 error, not the runtime's German text, read here
// straight from the system.
std::wstring SystemMessage(DWORD error) {
    wchar_t text[512] = {};
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             HRESULT_FROM_WIN32(error), 0, text, 512, nullptr);
    while (n && (text[n - 1] == L'\n' || text[n - 1] == L'\r' || text[n - 1] == L' ')) --n;
    return std::wstring(text, n);
}

// A component whose every late-bound call raises its own error (DISP_E_EXCEPTION).
class Raising : public test::DispatchOnly {
public:
    Raising(WORD code, HRESULT scode, const wchar_t* description) : code_(code), scode_(scode), text_(description) {}
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* id) override {
        *id = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* e, UINT*) override {
        *e = EXCEPINFO{};
        e->wCode = code_;
        e->scode = scode_;
        e->bstrSource = SysAllocString(L"Komponente");
        e->bstrDescription = text_ ? SysAllocString(text_) : nullptr;
        return DISP_E_EXCEPTION;
    }

private:
    WORD code_;
    HRESULT scode_;
    const wchar_t* text_;
};

void CallRaising(WORD code, HRESULT scode, const wchar_t* description) {
    nimbra::Variant v;
    GetByName(Make<Raising>(code, scode, description).Get(), L"Left", &v);
}

// The program the library runs in: its folder, and its name from the backslash on.
std::pair<std::wstring, std::wstring> Program() {
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const size_t slash = path.find_last_of(L'\\');
    return {path.substr(0, slash), path.substr(slash)};
}

// The library's code is linked into this program, so the report's project is
// this file's name without extension: a renamed library says its own name.
std::wstring Project() { return Program().second.substr(1, Program().second.find_last_of(L'.') - 1); }

std::wstring DrawXPReport() {
    return L"Error no.: 5\r\nError description: Ungültiger Prozeduraufruf\r\nProject: " + Project() +
           L"\r\nModule: Formular frm\r\nLine/Procedure: 0/DrawXP\r\nVersion: 2.8.0";
}

class Reporting : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        SetSilentError(false);
    }
    void TearDown() override { Targets().handlerProgId = L"NimbraErrorHandler.ErrorHandler"; }
    test::ScopedValue noLog_{HKEY_CURRENT_USER, L"Software\\Nimbra", L"ErrorLog", nullptr};
    test::RecordedReports recorded_;
};

using ErrorReport = Reporting;
using Guard = Reporting;
using LogFile = Reporting;

// The handler gets the program's full path and the report's eight fields in order; a
// handler that fails, or none registered, makes each report one message box of six lines.
TEST_F(ErrorReport, GoesToTheHandlerOrElseToOneMessageBox) {
    ReportDrawXP();
    const auto reports = recorded_.Reports();
    ASSERT_EQ(reports.size(), 1u);
    const std::vector<std::wstring> expected{
        Project(), L"2.8.0", L"5", L"Ungültiger Prozeduraufruf", L"DrawXP", L"0", L"Formular", L"frm", L"RRRRRR"};
    EXPECT_EQ(std::vector<std::wstring>(reports[0].begin() + 1, reports[0].end()), expected);
    const std::wstring exe = reports[0][0], name = Program().second;
    ASSERT_GE(exe.size(), name.size());
    EXPECT_EQ(_wcsicmp(exe.substr(exe.size() - name.size()).c_str(), name.c_str()), 0) << exe;
    EXPECT_EQ(exe[1], L':') << exe;

    {
        test::ScopedEnv fail(L"NIMBRA_REPORT_FAIL", L"1");
        ReportDrawXP();
    }
    EXPECT_EQ(recorded_.Reports().size(), 2u);  // it was called, and failed
    EXPECT_EQ(Boxes().count, 1);                // for the second report only
    Targets().handlerProgId = L"NimbraTest.NoSuchHandler";
    ReportDrawXP();
    EXPECT_EQ(Boxes().count, 2);
    EXPECT_EQ(Boxes().text, DrawXPReport());
    EXPECT_EQ(Boxes().caption, L"Error");
    EXPECT_EQ(Boxes().style, static_cast<UINT>(MB_OK | MB_ICONHAND));
}

// A failed call reports the classic runtime's number and German text where it maps the
// failure, else the raw HRESULT; a Win32 failure the system's text; a component its own.
TEST_F(Guard, FailuresCarryTheRuntimesNumbersAndTexts) {
    const struct {
        std::function<void()> fail;
        long number;
        std::wstring text;
    } cases[] = {
        {[] { Check(DISP_E_TYPEMISMATCH); }, 13, L"Typen unverträglich"},
        {[] { Check(DISP_E_PARAMNOTOPTIONAL); }, 449, L"Argument ist nicht optional"},
        {[] { Check(DISP_E_OVERFLOW); }, 6, L"Überlauf"},
        {[] { Check(DISP_E_MEMBERNOTFOUND); }, 438, L"Objekt unterstützt diese Eigenschaft oder Methode nicht"},
        {[] { Check(E_INVALIDARG); }, 5, L"Ungültiger Prozeduraufruf oder ungültiges Argument"},
        // A classic component's runtime error travels in FACILITY_CONTROL.
        {[] { Check(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53)); }, 53, L"Datei nicht gefunden"},
        {[] { Raise(76); }, 76, L"Pfad nicht gefunden"},
        {[] { throw std::bad_alloc(); }, 7, L"Nicht genügend Speicher"},
        // A container that refuses a request.
        {[] { Check(E_NOTIMPL); }, 445, L"Objekt unterstützt diese Aktion nicht"},
        // The skin's Tag read as a number.
        {[] { CLng(L"zwölf"); }, 13, L"Typen unverträglich"},
        {[] { FailWin32(ERROR_FILE_NOT_FOUND); }, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
         SystemMessage(ERROR_FILE_NOT_FOUND)},
        {[] { FailWin32(ERROR_INVALID_PARAMETER); }, 5, SystemMessage(ERROR_INVALID_PARAMETER)},
        {[] { CallRaising(380, 0, L"Höhe zu klein"); }, 380, L"Höhe zu klein"},
        {[] { CallRaising(380, 0, nullptr); }, 380, L"Ungültiger Eigenschaftswert"},
        {[] { CallRaising(0, E_INVALIDARG, L"Nur ganze Zahlen"); }, 5, L"Nur ganze Zahlen"},
    };
    Procedure p{L"TextRead", kClassModule, L"SpEv"};
    for (const auto& c : cases) nimbra::Guard(p).Run(c.fail);
    const auto r = recorded_.Reports();
    ASSERT_EQ(r.size(), std::size(cases));
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i][3], std::to_wstring(cases[i].number)) << i;
        EXPECT_EQ(r[i][4], cases[i].text) << i;
    }
}

// No value, a blank one (neither at the drive's root nor in the working folder), a missing
// folder or "*APP*" (a folder of that name) write no file; "*app*" is the library's folder.
// A record is the date and time, the six report lines and 30 hyphens.
TEST_F(LogFile, OnlyAnExistingFolderOrAppGetsTheFile) {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::wstring app = Program().first, folder = test::ScratchFolder(L"log"), withSlash = folder + L"\\",
                       missing = folder + L"\\does\\not\\exist";
    const struct {
        const wchar_t* value;  // nullptr: no value
        std::wstring folder;   // where the file would land
        bool written;
    } cases[] = {
        {nullptr, cwd, false},   {L"", L"", false},        {L"   ", cwd, false},           {L"*APP*", app, false},
        {L"*app*", app, true},   {missing.c_str(), missing, false}, {folder.c_str(), folder, true},
        {withSlash.c_str(), folder, true},
    };
    const std::wstring wide = L"\r\n" + DrawXPReport() + L"\r\n" + std::wstring(30, L'-') + L"\r\n";
    const std::string record(wide.begin(), wide.end());  // in the ANSI code page: ü is one byte
    for (const auto& c : cases) {
        const std::wstring file = c.folder + L"\\NimbraError.txt", value = c.value ? c.value : L"";
        SCOPED_TRACE(std::string(value.begin(), value.end()));
        DeleteFileW(file.c_str());
        {
            test::ScopedValue log(HKEY_CURRENT_USER, L"Software\\Nimbra", L"ErrorLog", c.value ? &value : nullptr);
            ReportDrawXP();
        }
        EXPECT_EQ(test::Exists(file), c.written);
        if (c.written) {
            const std::string text = test::ReadBytes(file);
            EXPECT_EQ(text.substr(std::min(text.find("\r\n"), text.size())), record);
            EXPECT_LT(text.find(' '), text.find("\r\n"));  // "date time" on the first line
        }
        DeleteFileW(file.c_str());
    }
    EXPECT_EQ(recorded_.Reports().size(), std::size(cases));
    EXPECT_EQ(Boxes().count, 0);
}

// The first Error object of a process clears the silent switch; later ones keep it (-1).
TEST(FirstUse, FirstErrorObjectClearsTheSwitchLaterOnesKeepIt) {
    SetSilentError(true);
    auto first = Make<nimbra::Error>();
    VARIANT_BOOL v = VARIANT_TRUE;
    ASSERT_EQ(first->get_SilentError(&v), S_OK);
    EXPECT_EQ(v, VARIANT_FALSE);
    ASSERT_EQ(first->put_SilentError(VARIANT_TRUE), S_OK);
    ASSERT_EQ(Make<nimbra::Error>()->get_SilentError(&v), S_OK);
    EXPECT_EQ(v, VARIANT_TRUE);
}

}  // namespace
