#include "analysis_snapshot.h"

#include <cmath>

namespace varmet {

namespace {

// Enough points for a smooth line across the chart's width, few enough for every tick.
constexpr std::int32_t MaxLinePoints = 240;

double minutes(long double tick)
{
    return static_cast<double>(tick / 60);
}

// Degrees to a hundredth: finer than any chart shows, so that a prediction that did not really
// change gives the same points and the chart is left alone.
double shown(long double degrees)
{
    return static_cast<double>(std::rint(degrees * 100) / 100);
}

// A prediction sampled at whole multiples of a step from `fromTick`, and at `toTick`.
QList<QPointF> predictedLine(const TargetMotion &motion, const OwnShipTrack &own,
    std::int32_t fromTick, std::int32_t toTick, long double reference)
{
    QList<QPointF> line;
    if (toTick < fromTick)
        return line;
    std::int32_t step = 1;
    for (const std::int32_t s : {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600}) {
        step = s;
        if ((toTick - fromTick) / s < MaxLinePoints)
            break;
    }
    const auto add = [&](std::int32_t tick) {
        const long double bearing = PredictedBearing(motion, own, tick);
        line.append({minutes(tick), shown(reference + FoldBearing(bearing - reference))});
    };
    for (std::int32_t tick = fromTick; tick < toTick; tick += step)
        add(tick);
    add(toTick);
    return line;
}

} // namespace

AnalysisSnapshot TakeSnapshot(const TargetSlot &slot, const FixLog &log, const OwnShipTrack &own,
    std::int32_t nowTick, const FitSolution *fit, const std::vector<FixRow> *shownBefore)
{
    AnalysisSnapshot shot;
    const TargetMotion trial = TrialMotion(slot, own, nowTick);
    std::vector<long double> summarised; // the trial's bearing residuals the light is made of

    const std::optional<Fix> latest = log.LatestOf(FixKind::Bearing);
    const long double reference = latest ? latest->Value : 0;
    std::optional<std::int32_t> firstTick;
    std::optional<std::int32_t> firstUsedTick;

    shot.rows.reserve(log.Fixes().size());
    for (const Fix &fix : log.Fixes()) {
        FixRow row {fix, FitUses(log, fix), Residual(fix, trial, own), std::nullopt};
        const std::size_t at = shot.rows.size();
        if (fit && row.used) {
            const FixRow *before
                = shownBefore && at < shownBefore->size() ? &(*shownBefore)[at] : nullptr;
            row.fitResidual = before && before->fitResidual && before->used
                    && before->fix.Tick == fix.Tick && before->fix.Kind == fix.Kind
                    && before->fix.Value == fix.Value && before->fix.Estimate == fix.Estimate
                ? before->fitResidual
                : Residual(fix, fit->Motion, own);
        }
        if (fix.Kind == FixKind::Bearing && row.used && row.trialResidual)
            summarised.push_back(*row.trialResidual);
        shot.rows.push_back(row);
        if (!firstTick)
            firstTick = fix.Tick;
        if (row.used && !firstUsedTick)
            firstUsedTick = fix.Tick;
        if (fix.Kind != FixKind::Bearing)
            continue;
        const double x = minutes(fix.Tick);
        const QPointF dot(x, shown(reference + FoldBearing(fix.Value - reference)));
        (row.used ? shot.chart.usedFixes : shot.chart.unusedFixes).append(dot);
        if (row.trialResidual)
            shot.chart.trialResiduals.append({x, shown(*row.trialResidual)});
        if (row.fitResidual)
            shot.chart.fitResiduals.append({x, shown(*row.fitResidual)});
    }
    shot.summary = SummariseResiduals(summarised);
    if (!latest)
        return shot;
    // Over the times of the fixes: tick after tick the lines stand until a fix or the trial
    // solution changes.
    const std::int32_t lastTick = log.Fixes().back().Tick;
    shot.chart.trialLine = predictedLine(trial, own, *firstTick, lastTick, reference);
    if (fit && firstUsedTick)
        shot.chart.fitLine = predictedLine(fit->Motion, own, *firstUsedTick, lastTick, reference);
    return shot;
}

} // namespace varmet
