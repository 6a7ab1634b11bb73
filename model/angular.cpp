#include "angular.h"

#include "angles.h"
#include "numeric.h"
#include "trig.h"
#include "units.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace varmet {

namespace {

// Below this |sine| of the angle between the corrected median and the target's track the two are
// taken as parallel: they meet nowhere within any distance the board can show.
constexpr long double ParallelTolerance = 1e-12L;

// Target heading angle q = (B - 180) - Kц, whole degrees, unreduced.
long double headingDegrees(const TargetSlot &slot)
{
    return (slot.AcousticBearing - 180) - slot.TargetCourse;
}

// Whether q is a whole multiple of 180: the target runs along the line of sight, towards own
// ship or away from it.
bool alongLineOfSight(long double q)
{
    // q is nearly always a whole number of degrees, whose remainder integer division gives
    // exactly and far more cheaply than the extended-precision fmod.
    if (std::fabs(q) <= 0x1p62L) {
        const long long whole = std::llrint(q);
        if (whole == q)
            return whole % 180 == 0;
    }
    return std::fmod(q, 180.0L) == 0;
}

// sin(q * LeadDegreesToRadians) for every whole heading angle q: a bearing and a course below a
// full turn keep q within -539..179. Filled once with that same expression, so a lookup gives
// exactly what the lead angle took before, at a fraction of the cost.
class LeadSineTable
{
public:
    static constexpr int Lowest = -539;
    static constexpr int Highest = 179;

    static const LeadSineTable &instance()
    {
        static const LeadSineTable table;
        return table;
    }

    long double sine(long double q) const
    {
        if (q >= Lowest && q <= Highest) {
            const long long whole = std::llrint(q);
            if (whole == q)
                return m_values[static_cast<std::size_t>(whole - Lowest)];
        }
        return compute(q);
    }

private:
    LeadSineTable()
    {
        for (int q = Lowest; q <= Highest; ++q)
            m_values[static_cast<std::size_t>(q - Lowest)] = compute(q);
    }

    static long double compute(long double q) { return SinRadians(q * LeadDegreesToRadians); }

    std::array<long double, Highest - Lowest + 1> m_values {};
};

// ArcSin(x) as ArcTan2(x, sqrt(1 - x * x)), for |x| <= 1 up to rounding.
long double arcSin(long double x)
{
    const long double clamped = std::clamp(x, -1.0L, 1.0L);
    return std::atan2(clamped, std::sqrt(std::max(0.0L, 1 - clamped * clamped)));
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
    const long double crossing = SinRadians(Pi - (qr + slot.LeadAngleCorr));
    if (std::fabs(crossing) < ParallelTolerance)
        return std::nullopt;
    const long double path = (SinDegrees(q) * slot.DistancePx) / crossing;
    if (!(std::isfinite(path) && path > 0))
        return std::nullopt; // the median crosses the track astern of own ship
    return Meeting {path, (SinRadians(slot.LeadAngle) * slot.DistancePx) / crossing};
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
    const long double q = headingDegrees(slot);
    // Along the line of sight sin q is exactly 0; the written degree factor would leave a
    // lead angle of some 1e-17 rad, enough to show a median of 0 as 360.
    if (torpedoSpeed > 0 && !alongLineOfSight(q)) {
        const long double argument
            = LeadSineTable::instance().sine(q) * (slot.TargetSpeed / torpedoSpeed);
        if (std::fabs(argument) <= 1)
            slot.LeadAngle = arcSin(argument);
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
    const long double q = headingDegrees(slot);
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

long double HeadingAngle(const TargetSlot &slot)
{
    return FoldHeadingAngle(headingDegrees(slot));
}

} // namespace varmet
