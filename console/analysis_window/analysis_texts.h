#pragma once

// The words and numbers of the bearing analysis as the operator reads them.

#include "analysis/bearing_analysis.h"
#include "analysis/steering_advice.h"

#include <QString>

#include <cstdint>

namespace varmet {

// A real with a fixed number of decimals (point as separator), rounded half to even; "-0.0"
// never appears.
QString FixedText(long double value, int decimals);

// Operational time of a tick: "ч:мм:сс".
QString TickTimeText(std::int32_t tick);

// Why there is no solution, and what to do about it, from the fixes used: whether own ship changed
// course or speed among them decides whether a turn of own ship is still the remedy.
QString FailureText(FitFailure failure, bool ownShipManoeuvred);

// The solution, with its standard deviations, its misfit and the number of fixes used.
QString SolutionText(const FitSolution &solution, std::int32_t solvedTick);

// The manoeuvre test's figures and the σ they were tested with.
QString TestText(const ManoeuvreTest &test);

// The warning that the target has probably manoeuvred, with where its new leg likely starts;
// empty unless the test fires.
QString ManoeuvreText(const ManoeuvreTest &test);

// Where to steer so that the bearings fix the distance.
QString AdviceText(const SteeringAdvice &advice);

// The odds of a hit of a salvo fired now, on the fit's solution and on the console's; a dash
// where there is no salvo. `fitRejected`: the manoeuvre test has rejected the fit, and its odds
// are marked so.
QString HitOddsText(std::optional<long double> onFit, std::optional<long double> onConsole,
    long double targetLengthMetres, bool fitRejected);

// The trial solution's residuals: RMS and the largest one.
QString SummaryText(const ResidualSummary &summary);

} // namespace varmet
