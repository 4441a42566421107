// What the window hook adds to a message: SendMessage round trips to a plain
// window, to one under a bare subclass that only passes messages on, and to
// one hooked by clsFormSubclass with a handler that does nothing. The three
// are measured in turns, several rounds, best round each, so that a slower
// stretch of the machine hits all of them alike.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "../src/subclass/basForm.h"
#include "../src/subclass/clsFormSubclass.h"

namespace {

constexpr UINT kMessage = WM_USER + 1;
constexpr int kRoundTrips = 200000;
constexpr int kRounds = 5;
constexpr wchar_t kClass[] = L"NimbraHookBench";

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMessage) return static_cast<LRESULT>(wParam) + 1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

WNDPROC g_barePrevious = nullptr;
LRESULT CALLBACK BareSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_barePrevious, hwnd, msg, wParam, lParam);
}

class IdleSink final : public nimbra::MessageSink {
    void oSubClass_MessageCatched(HWND, UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&) override {}
    void SetClassAddress(LONG_PTR) override {}
};

HWND NewWindow() {
    return CreateWindowExW(0, kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Microseconds per round trip; false in ok when an answer was not the window's own.
double Measure(HWND hwnd, bool& ok) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    long long sum = 0;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRoundTrips; ++i) sum += SendMessageW(hwnd, kMessage, i, 0);
    QueryPerformanceCounter(&end);
    ok = ok && sum == static_cast<long long>(kRoundTrips) * (kRoundTrips + 1) / 2;
    return double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / kRoundTrips;
}

}  // namespace

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);

    const HWND plain = NewWindow(), bare = NewWindow(), hooked = NewWindow();
    if (!plain || !bare || !hooked) {
        std::printf("hook: could not create the windows\n");
        return 0;
    }
    g_barePrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(bare, GWLP_WNDPROC, nimbra::WindowProcValue(BareSubclassProc)));
    IdleSink sink;
    auto subclass = nimbra::Make<nimbra::clsFormSubclass>(&sink);
    if (!subclass->StartSubclass(hooked)) {
        std::printf("hook: StartSubclass failed\n");
        return 0;
    }

    bool ok = true;
    double best[3] = {1e300, 1e300, 1e300};
    const HWND windows[3] = {plain, bare, hooked};
    for (HWND w : windows) SendMessageW(w, kMessage, 0, 0);  // first calls pay for lookups and caches
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < 3; ++i) best[i] = std::min(best[i], Measure(windows[i], ok));

    std::printf("hook: plain %.3f us/message, bare subclass %.3f us, clsFormSubclass %.3f us\n", best[0], best[1],
                best[2]);
    std::printf("hook ratio (clsFormSubclass / bare subclass): %.2f (target <= 1.20)\n", best[2] / best[1]);
    std::printf("hook ratio (clsFormSubclass / plain): %.2f\n", best[2] / best[0]);
    if (!ok) std::printf("hook: some answers did not come from the window's own procedure\n");

    subclass->StopSubClass();
    for (HWND w : windows) DestroyWindow(w);
    return 0;
}
