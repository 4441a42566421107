// The report path as a user of the library meets it: the text, where it goes
// (handler, message box, log file) and what the guard lets run.
#include <gtest/gtest.h>

#include <functional>

#include <new>

#include "../../src/com/ComObject.h"
#include "../../src/errors/Error.h"
#include "../../src/errors/basError.h"
#include "TestSupport.h"

using namespace nimbra;
using test::Boxes;

namespace {

const std::wstring kDrawXPReport =
    L"Error no.: 5\r\n"
    L"Error description: Ungültiger Prozeduraufruf\r\n"
    L"Project: NimbraForm\r\n"
    L"Module: Formular frm\r\n"
    L"Line/Procedure: 0/DrawXP\r\n"
    L"Version: 2.8.0";

// HKCU\Software\Nimbra "ErrorLog", the log file's folder, while it lives (nullptr: no value).
struct ErrorLog : test::ScopedValue {
    explicit ErrorLog(const std::wstring* folder)
        : ScopedValue(HKEY_CURRENT_USER, L"Software\\Nimbra", L"ErrorLog", folder) {}
};

void ReportDrawXP() { RaiseError(5, L"Ungültiger Prozeduraufruf", L"DrawXP", 0, L"Formular", L"frm"); }

class Reporting : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        SetSilentError(false);
    }
    void TearDown() override { Targets().handlerProgId = L"NimbraErrorHandler.ErrorHandler"; }
    ErrorLog noLog_{nullptr};
};

using ErrorReport = Reporting;
using Guard = Reporting;
using LogFile = Reporting;

TEST_F(ErrorReport, TextHasTheSixLinesWithoutATrailingBreak) {
    EXPECT_EQ(ReportText(5, L"Ungültiger Prozeduraufruf", L"DrawXP", 0, L"Formular", L"frm"), kDrawXPReport);
    EXPECT_EQ(ReportText(-2147024809, L"x", L"Caption", 1234, kUserControl, L"xpForm"),
              L"Error no.: -2147024809\r\nError description: x\r\nProject: NimbraForm\r\n"
              L"Module: Benutzersteuerelement xpForm\r\nLine/Procedure: 1234/Caption\r\nVersion: 2.8.0");
}

TEST_F(ErrorReport, HandlerReceivesTheEightArgumentsInOrder) {
    test::RecordedReports recorded;
    ReportDrawXP();
    EXPECT_EQ(Boxes().count, 0);
    const auto reports = recorded.Reports();
    ASSERT_EQ(reports.size(), 1u);
    const std::vector<std::wstring> expected{GetHostExePath(), L"NimbraForm", L"2.8.0",  L"5",
                                             L"Ungültiger Prozeduraufruf", L"DrawXP", L"0", L"Formular",
                                             L"frm", L"RRRRRR"};
    EXPECT_EQ(reports[0], expected);
}

// A handler that fails, or none registered: each report is one message box.
TEST_F(ErrorReport, WithoutAWorkingHandlerEachReportIsOneMessageBox) {
    test::RecordedReports recorded;
    {
        test::ScopedEnv fail(L"NIMBRA_REPORT_FAIL", L"1");
        ReportDrawXP();
    }
    EXPECT_EQ(recorded.Reports().size(), 1u);  // it was called, and failed
    EXPECT_EQ(Boxes().count, 1);
    EXPECT_EQ(Boxes().text, kDrawXPReport);
    Targets().handlerProgId = L"NimbraTest.NoSuchHandler";
    ReportDrawXP();
    EXPECT_EQ(Boxes().count, 2);
    EXPECT_EQ(Boxes().text, kDrawXPReport);
    EXPECT_EQ(Boxes().caption, L"Error");
    EXPECT_EQ(Boxes().style, static_cast<UINT>(MB_OK | MB_ICONHAND));
}

TEST_F(ErrorReport, HostExePathIsTheFullPathOfThisProgram) {
    const std::wstring path = GetHostExePath();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring name = std::wstring(self).substr(std::wstring(self).find_last_of(L'\\') + 1);
    ASSERT_GE(path.size(), name.size());
    EXPECT_EQ(_wcsicmp(path.substr(path.size() - name.size()).c_str(), name.c_str()), 0) << path;
    EXPECT_EQ(path[1], L':') << path;
}

// ---- the guard --------------------------------------------------------------

TEST_F(Guard, ReportsTheFailingStatementAndLeavesTheProcedure) {
    test::RecordedReports recorded;
    std::vector<int> ran;
    long failLine = 0;
    const bool completed = nimbra::Guard({L"LoadForm", kFormModule, L"frm"})
                               .Run([&] { ran.push_back(1); },
                                    [&] { failLine = __LINE__; Raise(91, L"Objektvariable nicht festgelegt"); },
                                    [&] { ran.push_back(3); });
    EXPECT_FALSE(completed);
    EXPECT_EQ(ran, std::vector<int>{1});
    const auto reports = recorded.Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][3], L"91");
    EXPECT_EQ(reports[0][5], L"LoadForm");
    EXPECT_EQ(reports[0][6], std::to_wstring(failLine));
    EXPECT_EQ(reports[0][7] + L" " + reports[0][8], L"Formular frm");
}

TEST_F(Guard, SilentSwitchSkipsOnlyTheFailingStatement) {
    test::RecordedReports recorded;
    SetSilentError(true);
    std::vector<int> ran;
    const bool completed = nimbra::Guard({L"DrawXP", kFormModule, L"frm"})
                               .Run([&] { ran.push_back(1); }, [&] { Check(E_FAIL); ran.push_back(2); },
                                    [&] { throw std::bad_alloc(); }, [&] { ran.push_back(4); });
    SetSilentError(false);
    EXPECT_TRUE(completed);
    EXPECT_EQ(ran, (std::vector<int>{1, 4}));
    EXPECT_TRUE(recorded.Reports().empty());
    EXPECT_EQ(Boxes().count, 0);
}

TEST_F(Guard, IgnoreErrorsRunsEveryStatementAndReportsNothing) {
    test::RecordedReports recorded;
    int ran = 0;
    IgnoreErrors([&] { Raise(5, L"x"); }, [&] { ++ran; }, [&] { CheckWin32(false); }, [&] { ++ran; });
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(recorded.Reports().empty());
}

// A failed call reports what the classic runtime would: its own number and
// German text where it maps the failure, the raw HRESULT otherwise.
TEST_F(Guard, FailuresCarryTheRuntimesNumbersAndTexts) {
    const struct {
        std::function<void()> fail;
        long number;
        const wchar_t* text;  // nullptr: any non-empty text
    } cases[] = {
        {[] { Check(DISP_E_TYPEMISMATCH); }, 13, L"Typen unverträglich"},
        {[] { Check(DISP_E_PARAMNOTOPTIONAL); }, 449, L"Argument ist nicht optional"},
        {[] { Check(DISP_E_OVERFLOW); }, 6, L"Überlauf"},
        {[] { Check(DISP_E_MEMBERNOTFOUND); }, 438, L"Objekt unterstützt diese Eigenschaft oder Methode nicht"},
        {[] { Check(E_OUTOFMEMORY); }, 7, L"Nicht genügend Speicher"},
        {[] { Check(E_INVALIDARG); }, 5, L"Ungültiger Prozeduraufruf oder ungültiges Argument"},
        // A classic component's runtime error travels in FACILITY_CONTROL.
        {[] { Check(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53)); }, 53, L"Datei nicht gefunden"},
        {[] { Raise(76); }, 76, L"Pfad nicht gefunden"},
        {[] { throw std::bad_alloc(); }, 7, L"Nicht genügend Speicher"},
        {[] { Check(E_FAIL); }, E_FAIL, nullptr},
        {[] {
             SetLastError(ERROR_FILE_NOT_FOUND);
             CheckWin32(false);
         },
         HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), nullptr},
    };
    test::RecordedReports recorded;
    Procedure p{L"TextRead", kClassModule, L"SpEv"};
    for (const auto& c : cases) nimbra::Guard(p).Run(c.fail);
    const auto r = recorded.Reports();
    ASSERT_EQ(r.size(), std::size(cases));
    for (size_t i = 0; i < r.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r[i][3], std::to_wstring(cases[i].number));
        EXPECT_FALSE(r[i][4].empty());
        if (cases[i].text) {
            EXPECT_EQ(r[i][4], cases[i].text);
        }
    }
}

// ---- the log file -----------------------------------------------------------

TEST_F(LogFile, FolderWithAndWithoutBackslashIsTheSameFile) {
    const std::wstring folder = test::ScratchFolder(L"log-slash");
    test::RecordedReports recorded;  // keeps the reports out of message boxes
    {
        ErrorLog log(&folder);
        ReportDrawXP();
    }
    {
        const std::wstring withSlash = folder + L"\\";
        ErrorLog log(&withSlash);
        ReportDrawXP();
    }
    const std::string text = test::ReadBytes(folder + L"\\NimbraError.txt");
    // Each record: date and time, the six report lines, 30 hyphens.
    const std::string tail = "\r\nError no.: 5\r\nError description: Ung\xfcltiger Prozeduraufruf\r\n"
                             "Project: NimbraForm\r\nModule: Formular frm\r\nLine/Procedure: 0/DrawXP\r\n"
                             "Version: 2.8.0\r\n" + std::string(30, '-') + "\r\n";
    size_t first = text.find(tail);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(tail, first + 1), std::string::npos);
    EXPECT_NE(text.substr(0, text.find("\r\n")).find(' '), std::string::npos);  // "date time"
    EXPECT_EQ(recorded.Reports().size(), 2u);
}

// No value, a blank one, a folder that does not exist or "*APP*" (a folder of
// that name, which cannot exist) write no file; "*app*" means the library's
// folder. The reports reach the handler regardless.
TEST_F(LogFile, OnlyAnExistingFolderOrAppGetsTheFile) {
    test::RecordedReports recorded;
    wchar_t self[MAX_PATH], cwd[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring app(self);
    app.resize(app.find_last_of(L'\\'));
    const std::wstring missing = test::ScratchFolder(L"log-missing") + L"\\does\\not\\exist";
    const struct {
        const wchar_t* value;  // nullptr: no value
        std::wstring folder;   // where the file would land
        bool written;
    } cases[] = {
        {nullptr, L"", false}, {L"", L"", false},     {L"", cwd, false},   {L"   ", L"", false},
        {L"   ", cwd, false},  {L"*APP*", app, false}, {L"*app*", app, true}, {missing.c_str(), missing, false},
    };
    for (const auto& c : cases) {
        const std::wstring file = c.folder + L"\\NimbraError.txt", value = c.value ? c.value : L"";
        DeleteFileW(file.c_str());
        {
            ErrorLog log(c.value ? &value : nullptr);
            ReportDrawXP();
        }
        EXPECT_EQ(test::Exists(file), c.written) << std::string(value.begin(), value.end());
        DeleteFileW(file.c_str());
    }
    EXPECT_EQ(recorded.Reports().size(), std::size(cases));
    EXPECT_EQ(Boxes().count, 0);
}

// ---- the Error class --------------------------------------------------------

TEST(FirstUse, FirstErrorObjectClearsTheSwitchLaterOnesKeepIt) {
    SetSilentError(true);
    auto first = Make<nimbra::Error>();
    VARIANT_BOOL v = VARIANT_TRUE;
    ASSERT_EQ(first->get_SilentError(&v), S_OK);
    EXPECT_EQ(v, VARIANT_FALSE);

    ASSERT_EQ(first->put_SilentError(VARIANT_TRUE), S_OK);
    auto second = Make<nimbra::Error>();
    ASSERT_EQ(second->get_SilentError(&v), S_OK);
    EXPECT_EQ(v, VARIANT_TRUE);  // -1 exactly
    EXPECT_TRUE(SilentError());
    second->put_SilentError(VARIANT_FALSE);
    EXPECT_FALSE(SilentError());
}

}  // namespace
