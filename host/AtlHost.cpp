// A plain C++ program that hosts NimbraForm.xpForm the way many do: a
// top-level window of its own with a child of the platform's ATL control host
// class (AtlAxWin from atl.dll), whose window text is the ProgID. That host
// gives the control no form, no extender and no ambient properties, and
// refuses size requests: the control finds its host form in the window itself.
//
// usage: AtlHost [--quit-after MS] [--ready FILE] [--events LOG]
// --ready writes FILE once the window is shown and its messages have run;
// --events writes a line per event of the control, as NimbraHost does.
// The exit code is 0 when the window was closed.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "EventSink.h"
#include "forms/Handles.h"
#include "forms/Units.h"

namespace {

constexpr wchar_t kFrameClass[] = L"NimbraAtlFrame";

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg == WM_TIMER) DestroyWindow(hwnd);  // --quit-after: a test that hangs still ends
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// On the console: a test run shows no dialog.
int Fail(const wchar_t* what) {
    fwprintf(stderr, L"AtlHost: %ls\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    UINT quitAfter = 0;
    std::wstring ready, events;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring a = argv[i];
        if (a == L"--quit-after") quitAfter = static_cast<UINT>(_wtoi(argv[i + 1]));
        else if (a == L"--ready") ready = argv[i + 1];
        else if (a == L"--events") events = argv[i + 1];
    }
    // AtlAxWinInit initialises OLE itself; the program keeps its own count too.
    if (FAILED(OleInitialize(nullptr))) return 1;
    const HMODULE atl = LoadLibraryW(L"atl.dll");
    auto entry = [&](const char* name) { return atl ? reinterpret_cast<void*>(GetProcAddress(atl, name)) : nullptr; };
    const auto init = reinterpret_cast<BOOL(WINAPI*)()>(entry("AtlAxWinInit"));
    const auto control = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(entry("AtlAxGetControl"));
    if (!init || !control || !init()) return Fail(L"atl.dll: AtlAxWinInit fehlt.");

    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassW(&wc);
    const HWND frame = CreateWindowW(kFrameClass, L"ATL-Fenster", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 200, 150,
                                     420, 320, nullptr, nullptr, wc.hInstance, nullptr);
    // The control sits in its host window like any child control of the program.
    const HWND holder = frame ? CreateWindowW(L"AtlAxWin", L"NimbraForm.xpForm", WS_CHILD | WS_VISIBLE, 8, 8, 32, 32,
                                              frame, nullptr, wc.hInstance, nullptr)
                              : nullptr;
    nimbra::ComPtr<IUnknown> xpForm;
    if (!holder || FAILED(control(holder, &xpForm)))
        return Fail(L"Das Fenster mit dem Steuerelement konnte nicht erstellt werden.");
    CreateWindowW(L"STATIC", L"Ein gewöhnliches C++-Fenster, sein Steuerelement im ATL-Host.",
                  WS_CHILD | WS_VISIBLE, 60, 24, 320, 40, frame, nullptr, wc.hInstance, nullptr);
    // The program's own event handler, connected as any C++ client connects one.
    nimbra::host::EventLog log(events, {});
    nimbra::ComPtr<IConnectionPointContainer> points;
    nimbra::ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (!events.empty() && SUCCEEDED(xpForm.As(&points)) &&
        SUCCEEDED(points->FindConnectionPoint(nimbra::host::EventSink::SourceInterface(xpForm.Get()), &point)))
        point->Advise(nimbra::Make<nimbra::host::EventSink>(xpForm.Get(), &log).Get(), &cookie);
    xpForm.Reset();  // the host window owns the control
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    if (quitAfter) SetTimer(frame, 1, quitAfter, nullptr);
    // Ready once no message has come for 200 ms: shown, activated and painted.
    if (!ready.empty() && nimbra::forms::RunUntilQuiet(200, INFINITE))
        nimbra::forms::FileHandle(CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    point.Reset();
    points.Reset();
    OleUninitialize();
    return static_cast<int>(msg.wParam);
}
