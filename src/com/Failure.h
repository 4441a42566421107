// A run-time failure inside a guarded procedure: the number and description a
// classic runtime reports, and the statement it happened in. Thrown only inside
// guarded bodies; the guard catches it before any COM or window boundary.
#pragma once
#include <windows.h>

#include <source_location>
#include <string>

namespace nimbra {

struct Failure {
    long number;
    std::wstring description;
    std::source_location where;
};

// The German runtime's description of one of its error numbers; for a number
// it has no text of its own, the runtime's "Anwendungs- oder objektdefinierter Fehler".
std::wstring RuntimeErrorText(long number);

// A runtime error with the runtime's own description.
[[noreturn]] void Raise(long number, std::source_location where = std::source_location::current());
[[noreturn]] void Raise(long number, std::wstring description,
                        std::source_location where = std::source_location::current());

// The runtime error number the classic runtime reports for a failed automation
// or COM call (DISP_E_TYPEMISMATCH is 13), or the HRESULT itself where it maps none.
long RuntimeErrorOf(HRESULT hr);

// A failed HRESULT becomes a failure with the number and text the classic
// runtime would report; success passes through.
HRESULT Check(HRESULT hr, std::source_location where = std::source_location::current());

// A Win32 call that reported failure through its result and GetLastError.
void CheckWin32(bool ok, std::source_location where = std::source_location::current());

// The description of a failed HRESULT: the runtime's text for the numbers it
// maps, else the callee's error info, else the system's message.
std::wstring DescribeHresult(HRESULT hr);
// The system's message for an HRESULT.
std::wstring SystemText(HRESULT hr);

// Text to a 32-bit integer as the classic runtime converts it: no number is
// error 13, one beyond the range error 6.
long CLng(const std::wstring& text, std::source_location where = std::source_location::current());

}  // namespace nimbra
