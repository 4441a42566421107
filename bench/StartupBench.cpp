// The cost of skinning at start-up: showing N forms with the control against
// the same N forms without it, in one process, side by side. Also the CPU the
// process spends over the first seconds after the forms appear, when an idle
// skinned form must be as quiet as a plain one.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchForm.h"
#include "FormFile.h"
#include "HostForm.h"
#include "forms/Units.h"

using namespace nimbra;
using namespace nimbra::host;

namespace {

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME f) {
        return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

struct Forms {
    std::vector<std::unique_ptr<FormFile>> files;
    std::vector<std::unique_ptr<HostForm>> forms;
    Forms(int n, bool skinned) {
        std::vector<std::wstring> errors;
        for (int i = 0; i < n; ++i) {
            files.push_back(std::make_unique<FormFile>(FormFile::Parse(FormText(i, skinned), L"Bench.frm")));
            forms.push_back(std::make_unique<HostForm>(files.back()->Form(), HostOptions{}));
            forms.back()->Create(errors);
        }
        for (auto& f : forms) f->Show();
        for (const auto& e : errors) std::fwprintf(stderr, L"%ls\n", e.c_str());
    }
    ~Forms() {
        for (auto f = forms.rbegin(); f != forms.rend(); ++f) (*f)->Unload();
        nimbra::forms::DoEvents();
    }
};

// Seconds to show N forms until they have settled, and close them again.
double ShowAndClose(int n, bool skinned) {
    const double start = Now();
    {
        Forms shown(n, skinned);
        nimbra::forms::DoEvents();  // until nothing is waiting: the forms have settled
    }
    return Now() - start;
}

// CPU seconds of this process from the start of N forms over the given time.
double CpuOver(int n, bool skinned, double seconds) {
    const double cpu = CpuSeconds(), end = Now() + seconds;
    Forms shown(n, skinned);
    nimbra::forms::RunFor(static_cast<DWORD>(std::max(0.0, end - Now()) * 1000));
    return CpuSeconds() - cpu;
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    constexpr int kRounds = 5;
    ShowAndClose(1, true);  // loads the server, its pictures and the window classes once
    for (int n : {1, 5}) {
        double plain = 1e30, skinned = 1e30;
        // Interleaved rounds, so both see the same machine; the best of each.
        for (int r = 0; r < kRounds; ++r) {
            plain = std::min(plain, ShowAndClose(n, false));
            skinned = std::min(skinned, ShowAndClose(n, true));
        }
        std::printf("startup, %d form%s: skinned %.0f ms, plain %.0f ms\n", n, n == 1 ? "" : "s", skinned * 1e3,
                    plain * 1e3);
        std::printf("startup ratio, %d form%s (skinned / plain): %.2f (target <= %.1f)\n", n, n == 1 ? "" : "s",
                    skinned / plain, n == 1 ? 1.5 : 2.0);
    }
    const double plainCpu = CpuOver(5, false, 5.0), skinnedCpu = CpuOver(5, true, 5.0);
    std::printf("first 5 s, 5 forms: CPU skinned %.0f ms, plain %.0f ms\n", skinnedCpu * 1e3, plainCpu * 1e3);
    std::printf("settling CPU ratio (skinned / plain): %.2f (target <= 1.5)\n", skinnedCpu / plainCpu);
    OleUninitialize();
    return 0;
}
