// The form file's text as the IDE writes it: the Western code page, words and
// property lines, numeric literals, the Boolean comment, and whole files read
// and written at once. Shared by the reader, the writer and the value tree.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::host::text {

// "lt\0\0" opens a picture blob in the .frx, followed by its length.
constexpr char kPictureMagic[4] = {'l', 't', '\0', '\0'};

// From and to the code page the IDE writes forms in.
std::wstring Widen(std::string_view s);
std::string Narrow(std::wstring_view w);

// Property names compare case-insensitively (ASCII), as in the classic language.
bool SameName(std::string_view a, std::string_view b);
std::wstring LowerW(std::wstring s);

size_t IndentOf(std::string_view s);  // leading blanks
std::string_view Trim(std::string_view s);
std::vector<std::string_view> Words(std::string_view s);
// "Name = value": a first word followed, maybe after blanks, by '='.
bool IsPropertyLine(std::string_view trimmed);
bool IsHexDigit(char c);

// Reads a numeric literal as the classic language does; out may be null to only check it.
bool ReadNumber(std::string_view s, double* out);

// The IDE aligns the comment of a Boolean: "-1  'True", "0   'False".
std::string BooleanComment(bool b);
bool IsBooleanComment(std::string_view comment);

std::string Hex4(unsigned long v);  // at least four upper-case hex digits
std::wstring FileNameOf(const std::wstring& path);

std::optional<std::string> ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& data);

}  // namespace nimbra::host::text
