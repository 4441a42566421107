// Text between UTF-16 and the byte encodings files and the ANSI functions
// use: the system's ANSI code page unless told otherwise.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace nimbra::forms {

// flags: WideCharToMultiByte's, e.g. WC_NO_BEST_FIT_CHARS; a character the code
// page lacks then becomes '?' (not for UTF-8, which has every character).
inline std::string Narrow(std::wstring_view w, UINT codePage = CP_ACP, DWORD flags = 0) {
    if (w.empty()) return {};
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int n = WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, fallback,
                                      nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), s.data(), n, fallback, nullptr);
    return s;
}

inline std::wstring Widen(std::string_view s, UINT codePage = CP_ACP) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

}  // namespace nimbra::forms
