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

[[noreturn]] void Raise(long number, std::wstring description,
                        std::source_location where = std::source_location::current());

// A failed HRESULT becomes a failure with that code as its number (how classic
// runtimes report automation errors); success passes through.
HRESULT Check(HRESULT hr, std::source_location where = std::source_location::current());

// A Win32 call that reported failure through its result and GetLastError.
void CheckWin32(bool ok, std::source_location where = std::source_location::current());

// The system's text for an HRESULT, or a generic one.
std::wstring DescribeHresult(HRESULT hr);

}  // namespace nimbra
