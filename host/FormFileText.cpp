#include "FormFileText.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "../src/forms/Handles.h"
#include "../src/forms/Text.h"

namespace nimbra::host::text {
namespace {

// The IDE writes forms in the Western ANSI code page, whatever the system's is.
constexpr UINT kCodePage = 1252;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::wstring Widen(std::string_view s) { return forms::Widen(s, kCodePage); }

// No best fit: a character the code page lacks becomes '?', as the IDE writes it,
// rather than a look-alike that would read back as a different text.
std::string Narrow(std::wstring_view w) { return forms::Narrow(w, kCodePage, WC_NO_BEST_FIT_CHARS); }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::wstring LowerW(std::wstring s) {
    for (auto& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

size_t IndentOf(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

std::string_view Trim(std::string_view s) {
    s.remove_prefix(IndentOf(s));
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (true) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i == s.size()) return words;
        size_t start = i;
        while (i < s.size() && !IsBlank(s[i])) ++i;
        words.push_back(s.substr(start, i - start));
    }
}

// "Name = value": a first word followed, maybe after blanks, by '='.
bool IsPropertyLine(std::string_view trimmed) {
    size_t i = 0;
    while (i < trimmed.size() && !IsBlank(trimmed[i]) && trimmed[i] != '=') ++i;
    while (i < trimmed.size() && IsBlank(trimmed[i])) ++i;
    return i < trimmed.size() && trimmed[i] == '=';
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool ReadNumber(std::string_view s, double* out) {
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        std::string_view digits = s.substr(2);
        bool isLong = !digits.empty() && digits.back() == '&';
        if (isLong) digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 8) return false;
        uint32_t v = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || end != digits.data() + digits.size()) return false;
        // &HFFFF is the Integer -1, &HFFFF& the Long 65535, &H8000000F& the Long -2147483633.
        if (out) *out = !isLong && digits.size() <= 4 ? static_cast<int16_t>(v) : static_cast<int32_t>(v);
        return true;
    }
    // from_chars would also take "inf" and "nan"; only plain decimals and reals pass here.
    size_t i = s.size() && s[0] == '-' ? 1 : 0;
    size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (i == s.size() || !IsDigit(s[i])) return false;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    if (i != s.size()) return false;
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    if (out) *out = v;
    return true;
}

std::string BooleanComment(bool b) { return b ? "  'True" : "   'False"; }

bool IsBooleanComment(std::string_view comment) {
    std::string_view c = Trim(comment);
    return SameName(c, "'True") || SameName(c, "'False");
}

std::string Hex4(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04lX", v);
    return buf;
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const forms::FileHandle h(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h) return std::nullopt;
    std::optional<std::string> result;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart < 0x40000000) {
        std::string data(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (data.empty() || (ReadFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) &&
                             got == data.size()))
            result = std::move(data);
    }
    return result;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
    forms::FileHandle h(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    const bool ok = data.empty() || (WriteFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &written,
                                               nullptr) &&
                                     written == data.size());
    // Closing flushes what the system still holds: its failure is the write's.
    return CloseHandle(h.take()) && ok;
}

}  // namespace nimbra::host::text
