#pragma once

#include <algorithm>
#include <cmath>

// A rate measured beside its reference on a busy machine varies from run to run
// with what else runs. Both are run in turn, round after round, until two rounds
// in a row give ratios within a tenth of each other; the best rate of each is
// what the machine can do.
struct BestRates {
    double measured { 0 };
    double reference { 0 };
};

template <class Measured, class Reference>
BestRates BestOfInterleaved(Measured measured, Reference reference)
{
    constexpr int kMinRounds = 3;
    constexpr int kMaxRounds = 12;
    constexpr double kAgreement = 0.10;
    BestRates best;
    double previousRatio = 0;
    for (int round = 1; round <= kMaxRounds; ++round) {
        const double referenceRate = reference();
        const double measuredRate = measured();
        best.reference = std::max(best.reference, referenceRate);
        best.measured = std::max(best.measured, measuredRate);
        const double ratio = referenceRate > 0 ? measuredRate / referenceRate : 0;
        if (round >= kMinRounds && previousRatio > 0 && std::abs(ratio - previousRatio) <= kAgreement * previousRatio)
            break;
        previousRatio = ratio;
    }
    return best;
}
