// Stands in, in the tests, for the help program NimbraHelp.exe and for the
// browser and mail program a link opens: appends one line "command line<TAB>
// working directory<TAB>show command" (UTF-8) to the file NIMBRA_STANDIN_LOG
// names, and ends. It shows no window.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t log[MAX_PATH], cwd[MAX_PATH];
    if (!GetEnvironmentVariableW(L"NIMBRA_STANDIN_LOG", log, MAX_PATH)) return 1;
    GetCurrentDirectoryW(MAX_PATH, cwd);
    STARTUPINFOW si{};
    GetStartupInfoW(&si);
    const int show = si.dwFlags & STARTF_USESHOWWINDOW ? si.wShowWindow : -1;
    const std::wstring line = std::wstring(GetCommandLineW()) + L"\t" + cwd + L"\t" + std::to_wstring(show) + L"\n";
    char bytes[8192];
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    // One write of the whole line: a reader sees it complete or not at all.
    HANDLE f = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (n <= 0 || f == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(f, bytes, n - 1, &written, nullptr);  // without the terminating NUL
    CloseHandle(f);
    return 0;
}
