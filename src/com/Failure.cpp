#include "Failure.h"

#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

namespace nimbra {
namespace {

struct RuntimeError {
    long number;
    const wchar_t* text;
};

// The German runtime's texts for the errors this library raises or maps.
constexpr RuntimeError kRuntimeErrors[] = {
    {5, L"Ungültiger Prozeduraufruf oder ungültiges Argument"},
    {6, L"Überlauf"},
    {7, L"Nicht genügend Speicher"},
    {9, L"Index außerhalb des gültigen Bereichs"},
    {11, L"Division durch Null"},
    {13, L"Typen unverträglich"},
    {51, L"Interner Fehler"},
    {52, L"Dateiname oder -nummer falsch"},
    {53, L"Datei nicht gefunden"},
    {54, L"Dateimodus falsch"},
    {57, L"Geräte-E/A-Fehler"},
    {61, L"Datenträger voll"},
    {62, L"Einlesen hinter Dateiende"},
    {70, L"Zugriff verweigert"},
    {75, L"Fehler beim Zugriff auf Pfad/Datei"},
    {76, L"Pfad nicht gefunden"},
    {91, L"Objektvariable oder With-Blockvariable nicht festgelegt"},
    {380, L"Ungültiger Eigenschaftswert"},
    {384, L"Ein Formular kann nicht verschoben oder in der Größe verändert werden, solange es minimiert oder "
          L"maximiert ist"},
    {400, L"Formular wird bereits angezeigt; kann nicht modal angezeigt werden"},
    {424, L"Objekt erforderlich"},
    {429, L"Objekterstellung durch ActiveX-Komponente nicht möglich"},
    {430, L"Klasse unterstützt keine Automatisierung oder nicht die erwartete Schnittstelle"},
    {438, L"Objekt unterstützt diese Eigenschaft oder Methode nicht"},
    {445, L"Objekt unterstützt diese Aktion nicht"},
    {448, L"Benanntes Argument nicht gefunden"},
    {449, L"Argument ist nicht optional"},
    {450, L"Falsche Anzahl an Argumenten oder ungültige Eigenschaftszuweisung"},
    {451, L"Property Let-Prozedur nicht definiert und Property Get-Prozedur hat kein Objekt zurückgegeben"},
    {481, L"Ungültiges Bild"},
};

// The automation and COM failures the classic runtime turns into its own numbers.
struct Mapped {
    HRESULT hr;
    long number;
};
constexpr Mapped kMapped[] = {
    {DISP_E_TYPEMISMATCH, 13},   {DISP_E_PARAMNOTOPTIONAL, 449}, {DISP_E_OVERFLOW, 6},
    {DISP_E_MEMBERNOTFOUND, 438}, {DISP_E_UNKNOWNNAME, 438},      {DISP_E_BADPARAMCOUNT, 450},
    {DISP_E_PARAMNOTFOUND, 448}, {DISP_E_BADINDEX, 9},           {DISP_E_DIVBYZERO, 11},
    {DISP_E_NOTACOLLECTION, 451}, {E_OUTOFMEMORY, 7},             {E_INVALIDARG, 5},
    {E_NOINTERFACE, 430},        {REGDB_E_CLASSNOTREG, 429},     {CO_E_CLASSSTRING, 429},
    {CTL_E_INVALIDPICTURE, 481}, {E_NOTIMPL, 445},
};

std::wstring ErrorInfoText() {
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {};
    BSTR text = nullptr;
    std::wstring s;
    if (SUCCEEDED(info->GetDescription(&text)) && text) s = text;
    SysFreeString(text);
    return s;
}

}  // namespace

std::wstring RuntimeErrorText(long number) {
    for (const auto& e : kRuntimeErrors)
        if (e.number == number) return e.text;
    return L"Anwendungs- oder objektdefinierter Fehler";
}

[[noreturn]] void Raise(long number, std::source_location where) {
    throw Failure{number, RuntimeErrorText(number), where};
}

[[noreturn]] void Raise(long number, std::wstring description, std::source_location where) {
    throw Failure{number, std::move(description), where};
}

long RuntimeErrorOf(HRESULT hr) {
    for (const auto& m : kMapped)
        if (m.hr == hr) return m.number;
    // A runtime error raised by a classic component travels as FACILITY_CONTROL with its number.
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && HRESULT_SEVERITY(hr)) return HRESULT_CODE(hr);
    return hr;
}

std::wstring SystemText(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring s = n ? std::wstring(text, n) : L"Automatisierungsfehler";
    LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

std::wstring DescribeHresult(HRESULT hr) {
    const long number = RuntimeErrorOf(hr);
    // The callee's own text wins for a component's error; the runtime's own
    // numbers keep the runtime's text, as the classic runtime shows them.
    if (number == hr || HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
        std::wstring s = ErrorInfoText();
        if (!s.empty()) return s;
    }
    if (number != hr) return RuntimeErrorText(number);
    return SystemText(hr);
}

HRESULT Check(HRESULT hr, std::source_location where) {
    if (FAILED(hr)) Raise(RuntimeErrorOf(hr), DescribeHresult(hr), where);
    return hr;
}

void CheckWin32(bool ok, std::source_location where) {
    if (ok) return;
    const DWORD error = GetLastError();
    const HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    // The system's own words for its own failure, also where the runtime maps the number.
    Raise(RuntimeErrorOf(hr), SystemText(hr), where);
}

long CLng(const std::wstring& text, std::source_location where) {
    LONG value = 0;
    Check(VarI4FromStr(const_cast<OLECHAR*>(text.c_str()), LOCALE_USER_DEFAULT, 0, &value), where);
    return value;
}

}  // namespace nimbra
