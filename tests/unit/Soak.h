// How many rounds a leak loop runs. The live counters our owners keep are
// exact, so a few tens of rounds show a leak of one object a round; the long
// runs (./nimbra test --soak sets NIMBRA_SOAK=1) look for slow growth and
// slowdowns that only show after thousands.
#pragma once
#include <cstdlib>

namespace test {

inline int SoakRounds(int quick, int full) {
    const char* soak = std::getenv("NIMBRA_SOAK");
    return soak && *soak && *soak != '0' ? full : quick;
}

}  // namespace test
