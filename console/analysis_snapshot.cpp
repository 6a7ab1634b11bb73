#include "analysis_snapshot.h"

#include <algorithm>

namespace varmet {

namespace {

// Enough points for a smooth line across the chart's width, few enough for every tick.
constexpr std::int32_t MaxLinePoints = 240;

double minutes(long double tick)
{
    return static_cast<double>(tick / 60);
}

QList<QPointF> predictedLine(const TargetMotion &motion, const OwnShipTrack &own,
    std::int32_t fromTick, std::int32_t toTick, long double reference)
{
    QList<QPointF> line;
    if (toTick < fromTick)
        return line;
    const std::int32_t span = toTick - fromTick;
    const std::int32_t points = std::min(span, MaxLinePoints - 1) + 1;
    line.reserve(points);
    for (std::int32_t i = 0; i < points; ++i) {
        const long double tick
            = points == 1 ? fromTick : fromTick + static_cast<long double>(span) * i / (points - 1);
        const long double bearing = PredictedBearing(motion, own, tick);
        line.append(
            {minutes(tick), static_cast<double>(reference + FoldBearing(bearing - reference))});
    }
    return line;
}

} // namespace

AnalysisSnapshot TakeSnapshot(const TargetSlot &slot, const FixLog &log, const OwnShipTrack &own,
    std::int32_t nowTick, const FitSolution *fit)
{
    AnalysisSnapshot shot;
    const TargetMotion trial = TrialMotion(slot, own, nowTick);
    shot.summary = SummariseBearingResiduals(log, trial, own);

    const std::optional<Fix> latest = log.LatestOf(FixKind::Bearing);
    const long double reference = latest ? latest->Value : 0;
    std::optional<std::int32_t> firstTick;
    std::optional<std::int32_t> firstUsedTick;

    shot.rows.reserve(log.Fixes().size());
    for (const Fix &fix : log.Fixes()) {
        FixRow row {fix, FitUses(log, fix), Residual(fix, trial, own), std::nullopt};
        if (fit && row.used)
            row.fitResidual = Residual(fix, fit->Motion, own);
        shot.rows.push_back(row);
        if (!firstTick)
            firstTick = fix.Tick;
        if (row.used && !firstUsedTick)
            firstUsedTick = fix.Tick;
        if (fix.Kind != FixKind::Bearing)
            continue;
        const double x = minutes(fix.Tick);
        const QPointF dot(x, static_cast<double>(reference + FoldBearing(fix.Value - reference)));
        (row.used ? shot.chart.usedFixes : shot.chart.unusedFixes).append(dot);
        if (row.trialResidual)
            shot.chart.trialResiduals.append({x, static_cast<double>(*row.trialResidual)});
        if (row.fitResidual)
            shot.chart.fitResiduals.append({x, static_cast<double>(*row.fitResidual)});
    }
    if (!latest)
        return shot;
    shot.chart.trialLine = predictedLine(trial, own, *firstTick, nowTick, reference);
    if (fit && firstUsedTick)
        shot.chart.fitLine = predictedLine(fit->Motion, own, *firstUsedTick, nowTick, reference);
    return shot;
}

} // namespace varmet
