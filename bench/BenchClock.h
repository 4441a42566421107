// The benchmarks' clock: seconds from the performance counter.
#pragma once
#include <windows.h>

#include <algorithm>

inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds per call of step(i), the best of rounds of count calls; afterRound
// runs after each round, inside the timing (e.g. what the calls left pending).
template <class F, class G = void (*)()>
double Best(int rounds, int count, F step, G afterRound = [] {}) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const double start = Now();
        for (int i = 0; i < count; ++i) step(i);
        afterRound();
        best = std::min(best, (Now() - start) / count);
    }
    return best;
}
