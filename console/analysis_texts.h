#pragma once

// The words and numbers of the bearing analysis as the operator reads them.

#include "analysis/bearing_analysis.h"

#include <QString>

#include <cstdint>

namespace varmet {

// A real with a fixed number of decimals (point as separator), rounded half to even; "-0.0"
// never appears.
QString FixedText(long double value, int decimals);

// Operational time of a tick: "ч:мм:сс".
QString TickTimeText(std::int32_t tick);

// Why there is no solution, and what to do about it.
QString FailureText(FitFailure failure);

// The solution, with its standard deviations, its misfit and the number of fixes used.
QString SolutionText(const FitSolution &solution, std::int32_t solvedTick);

// The warning that the target has probably manoeuvred; empty unless the misfit says so.
QString ManoeuvreText(const FitSolution &solution);

// The trial solution's residuals: RMS and the largest one.
QString SummaryText(const ResidualSummary &summary);

} // namespace varmet
