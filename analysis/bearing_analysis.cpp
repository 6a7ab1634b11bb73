#include "bearing_analysis.h"

#include "model/units.h"

#include <cmath>

namespace varmet {

namespace {

constexpr long double CablesPerPx = 1 / PxPerCable;

} // namespace

SeaPoint TargetMotion::PositionAt(long double tick) const
{
    const SeaPoint velocity = SeaVelocity(Course, Speed);
    const long double seconds = tick - AtTick;
    return {At.East + velocity.East * seconds, At.North + velocity.North * seconds};
}

TargetMotion TrialMotion(const TargetSlot &slot, const OwnShipTrack &own, std::int32_t nowTick)
{
    const SeaPoint ownNow = own.PositionAt(nowTick);
    // Board y grows southward.
    const SeaPoint at {ownNow.East + (slot.PosX - BoardCenter) * CablesPerPx,
        ownNow.North - (slot.PosY - BoardCenter) * CablesPerPx};
    return {at, nowTick, slot.TargetCourse, slot.TargetSpeed};
}

long double PredictedBearing(const TargetMotion &target, const OwnShipTrack &own, long double tick)
{
    return SeaBearing(own.PositionAt(tick), target.PositionAt(tick));
}

long double PredictedDistance(const TargetMotion &target, const OwnShipTrack &own, long double tick)
{
    return SeaDistance(own.PositionAt(tick), target.PositionAt(tick));
}

long double FoldBearing(long double degrees)
{
    long double folded = std::fmod(degrees, 360.0L);
    if (folded > 180)
        folded -= 360;
    else if (folded <= -180)
        folded += 360;
    return folded;
}

std::optional<long double> Residual(
    const Fix &fix, const TargetMotion &target, const OwnShipTrack &own)
{
    const SeaPoint from = own.PositionAt(fix.Tick);
    const SeaPoint to = target.PositionAt(fix.Tick);
    if (fix.Kind == FixKind::Distance)
        return fix.Value - SeaDistance(from, to);
    if (from.East == to.East && from.North == to.North)
        return std::nullopt;
    return FoldBearing(fix.Value - SeaBearing(from, to));
}

FitLight LightOf(long double rmsDegrees)
{
    if (rmsDegrees <= 1)
        return FitLight::Green;
    if (rmsDegrees <= 3)
        return FitLight::Amber;
    return FitLight::Red;
}

std::optional<ResidualSummary> SummariseBearingResiduals(
    const FixLog &log, const TargetMotion &target, const OwnShipTrack &own)
{
    ResidualSummary summary;
    long double sumSquares = 0;
    for (const Fix &fix : log.Fixes()) {
        if (fix.Kind != FixKind::Bearing)
            continue;
        const std::optional<long double> residual = Residual(fix, target, own);
        if (!residual)
            continue;
        sumSquares += *residual * *residual;
        if (std::fabs(*residual) > std::fabs(summary.Largest))
            summary.Largest = *residual;
        ++summary.Count;
    }
    if (summary.Count == 0)
        return std::nullopt;
    summary.Rms = std::sqrt(sumSquares / static_cast<long double>(summary.Count));
    summary.Light = LightOf(summary.Rms);
    return summary;
}

std::optional<long double> BearingRateDegreesPerMinute(const TargetSlot &slot)
{
    const long double x = slot.PosX - BoardCenter;
    const long double y = slot.PosY - BoardCenter;
    const long double rangeSquared = x * x + y * y;
    if (rangeSquared == 0)
        return std::nullopt;
    // The tick moves the target RelSpeed / 180 px a second along RelCourse (screen angle - 90).
    const long double screen = DegreesToRadians(slot.RelCourse - 90);
    const long double vx = std::cos(screen) * slot.RelSpeed / SecondsPerPxAtOneKnot;
    const long double vy = std::sin(screen) * slot.RelSpeed / SecondsPerPxAtOneKnot;
    // Bearing = atan2(east, north) with east = x, north = -y.
    const long double radiansPerSecond = (x * vy - y * vx) / rangeSquared;
    return RadiansToDegrees(radiansPerSecond) * 60;
}

bool FitUses(const FixLog &log, const Fix &fix)
{
    return !log.NewLegTick || fix.Tick >= *log.NewLegTick;
}

FitResult Fit(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings)
{
    (void)log, (void)own, (void)trial, (void)nowTick, (void)settings;
    return FitFailure::Singular; // not yet
}

} // namespace varmet
