#include "angular.h"

#include "angles.h"
#include "numeric.h"
#include "units.h"

#include <cmath>
#include <optional>

namespace varmet {

namespace {

// Below this |sine| of the angle between the corrected median and the target's track the two are
// taken as parallel: they meet nowhere within any distance the board can show.
constexpr long double ParallelTolerance = 1e-12L;

// Whether q is a whole multiple of 180: the target runs along the line of sight, towards own
// ship or away from it.
bool alongLineOfSight(long double q)
{
    return std::fmod(q, 180.0L) == 0;
}

struct Meeting
{
    long double pathPx; // torpedo path along the salvo median
    long double targetRunPx; // target advance during the whole run
};

// Torpedo and target on the line of sight: the general formula degenerates to 0 / 0 there, so
// the path comes from the closing speed instead.
std::optional<Meeting> meetAlongLineOfSight(
    const TargetSlot &slot, long double q, long double speedRatio)
{
    if (slot.LeadCorrection != 0)
        return std::nullopt; // a corrected median leaves the line and never meets the track
    const long double cosQ = std::fmod(q / 180, 2.0L) == 0 ? 1.0L : -1.0L;
    // The lead angle is 0 here, so the torpedo closes at Vт + Vц cos q.
    const long double closing = 1 + speedRatio * cosQ;
    if (closing == 0)
        return std::nullopt;
    const long double path = slot.DistancePx / closing;
    if (!(std::isfinite(path) && path > 0))
        return std::nullopt;
    return Meeting {path, speedRatio * path};
}

std::optional<Meeting> meetAcrossTrack(const TargetSlot &slot, long double q)
{
    const long double qr = DegreesToRadians(q);
    const long double crossing = std::sin(Pi - (qr + slot.LeadAngleCorr));
    if (std::fabs(crossing) < ParallelTolerance)
        return std::nullopt;
    const long double path = (std::sin(qr) * slot.DistancePx) / crossing;
    if (!(std::isfinite(path) && path > 0))
        return std::nullopt; // the median crosses the track astern of own ship
    return Meeting {path, (std::sin(slot.LeadAngle) * slot.DistancePx) / crossing};
}

void clearSolution(TargetSlot &slot)
{
    slot.TorpedoPathPx = 0;
    slot.SalvoMedianRaw = 0;
    slot.SalvoMedian = 0;
    slot.Omega = 0;
    slot.TargetRunPx = 0;
    slot.HasSolution = false;
}

} // namespace

void ComputeLeadAngle(TargetSlot &slot, std::int32_t torpedoSpeed)
{
    slot.LeadAngle = 0;
    slot.HasLeadAngle = true;
    const long double q = UnfoldedHeadingAngle(slot);
    // Along the line of sight sin q is exactly 0; the written degree factor would leave a
    // lead angle of some 1e-17 rad, enough to show a median of 0 as 360.
    if (torpedoSpeed > 0 && !alongLineOfSight(q)) {
        const long double argument
            = std::sin(q * LeadDegreesToRadians) * (slot.TargetSpeed / torpedoSpeed);
        if (std::fabs(argument) <= 1)
            slot.LeadAngle = ArcSin(argument);
        else
            slot.HasLeadAngle = false; // the target outruns the torpedo across the line of sight
    }
    slot.LeadAngleCorr = slot.LeadAngle + slot.LeadCorrection;
}

void ComputeAngularSolution(TargetSlot &slot, std::int32_t ownCourse, std::int32_t torpedoSpeed)
{
    if (torpedoSpeed <= 0 || !slot.HasLeadAngle) {
        clearSolution(slot);
        return;
    }
    const long double q = UnfoldedHeadingAngle(slot);
    const long double speedRatio = slot.TargetSpeed / torpedoSpeed;
    const std::optional<Meeting> meeting = alongLineOfSight(q)
        ? meetAlongLineOfSight(slot, q, speedRatio)
        : meetAcrossTrack(slot, q);
    if (!meeting) {
        clearSolution(slot);
        return;
    }

    slot.TorpedoPathPx = meeting->pathPx;
    slot.SalvoMedianRaw = RadiansToDegrees(slot.LeadAngleCorr) + slot.AcousticBearing;
    slot.SalvoMedian = static_cast<double>(FoldDirection(slot.SalvoMedianRaw));
    slot.Omega
        = static_cast<double>(ReduceOmega(static_cast<long double>(slot.SalvoMedian) - ownCourse));
    // The second term: the target's advance while the torpedo runs its leg after the second turn.
    slot.TargetRunPx = meeting->targetRunPx + (slot.TargetSpeed * slot.DeltaEtPx) / torpedoSpeed;
    slot.HasSolution = true;
}

bool IsDrawable(long double omega, long double pathPx, std::int32_t maxRun)
{
    return std::fabs(omega) < OmegaLimit && UsableRunShare * maxRun > PathMetres(pathPx);
}

long double UnfoldedHeadingAngle(const TargetSlot &slot)
{
    return (slot.AcousticBearing - 180) - slot.TargetCourse;
}

long double HeadingAngle(const TargetSlot &slot)
{
    return FoldHeadingAngle(UnfoldedHeadingAngle(slot));
}

} // namespace varmet
