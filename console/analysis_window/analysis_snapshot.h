#pragma once

// What the analysis window shows of one target at one tick: its fixes with their residuals
// against the trial solution and the fitted one, the trial solution's residual summary, and the
// points of the two charts. Built afresh every tick while the window is shown.

#include "analysis/bearing_analysis.h"

#include <QList>
#include <QPointF>

#include <optional>
#include <vector>

namespace varmet {

struct FixRow
{
    Fix fix;
    bool used = true; // since the "Новый галс" mark
    std::optional<long double> trialResidual; // degrees or cables
    std::optional<long double> fitResidual;
};

// Chart points: x in minutes of operational time, y in degrees. Bearings are unwrapped about the
// latest bearing fix, so that a track across north stays one line.
struct ChartPoints
{
    QList<QPointF> usedFixes;
    QList<QPointF> unusedFixes;
    QList<QPointF> trialLine;
    QList<QPointF> fitLine;
    QList<QPointF> trialResiduals;
    QList<QPointF> fitResiduals;
};

struct AnalysisSnapshot
{
    std::vector<FixRow> rows; // in log order
    std::optional<ResidualSummary> summary;
    ChartPoints chart;
};

// `shownBefore`, when given, are the rows of the last snapshot of the same target on the same fit:
// a fix that stands as it stood keeps its fit residual, which only a new fit changes.
AnalysisSnapshot TakeSnapshot(const TargetSlot &slot, const FixLog &log, const OwnShipTrack &own,
    std::int32_t nowTick, const FitSolution *fit, const std::vector<FixRow> *shownBefore = nullptr);

} // namespace varmet
