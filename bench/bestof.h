#pragma once

#include <algorithm>
#include <cmath>

// A figure measured beside its reference on a busy machine varies from run to run
// with what else runs. Both are run in turn, round after round, until two rounds
// in a row give ratios within a tenth of each other; the best figure of each is
// what the machine can do: the highest rate, the shortest time.
struct BestRates {
    double measured { 0 };
    double reference { 0 };
};

template <class Measured, class Reference, class Better>
BestRates BestOfRounds(Measured measured, Reference reference, Better better)
{
    constexpr int kMinRounds = 3;
    constexpr int kMaxRounds = 12;
    constexpr double kAgreement = 0.10;
    BestRates best;
    double previousRatio = 0;
    for (int round = 1; round <= kMaxRounds; ++round) {
        const double referenceFigure = reference();
        const double measuredFigure = measured();
        best.reference = round == 1 ? referenceFigure : better(best.reference, referenceFigure);
        best.measured = round == 1 ? measuredFigure : better(best.measured, measuredFigure);
        const double ratio = referenceFigure > 0 ? measuredFigure / referenceFigure : 0;
        if (round >= kMinRounds && previousRatio > 0 && std::abs(ratio - previousRatio) <= kAgreement * previousRatio)
            break;
        previousRatio = ratio;
    }
    return best;
}

// Rates: the highest of each.
template <class Measured, class Reference>
BestRates BestOfInterleaved(Measured measured, Reference reference)
{
    return BestOfRounds(measured, reference, [](double a, double b) { return std::max(a, b); });
}

// Times: the shortest of each.
template <class Measured, class Reference>
BestRates ShortestOfInterleaved(Measured measured, Reference reference)
{
    return BestOfRounds(measured, reference, [](double a, double b) { return std::min(a, b); });
}
