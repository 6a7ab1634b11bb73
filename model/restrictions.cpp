#include "restrictions.h"

#include "units.h"

#include <cmath>

namespace varmet {

namespace {

// The meeting angles the torpedo may take: 30..150 degrees either way.
constexpr std::int64_t SmallestMeetingAngle = 30;
constexpr std::int64_t LargestMeetingAngle = 150;

bool omegaTooLarge(long double omega)
{
    return std::fabs(omega) >= OmegaLimit;
}

bool runTooLong(long double pathPx, std::int32_t maxRun)
{
    return PathMetres(pathPx) >= UsableRunShare * maxRun;
}

bool meetingAngleOutside(const std::optional<std::int64_t> &theta)
{
    if (!theta)
        return false;
    const std::int64_t magnitude = *theta < 0 ? -*theta : *theta;
    return magnitude < SmallestMeetingAngle || magnitude > LargestMeetingAngle;
}

} // namespace

RestrictionMarks CheckRestrictions(const TargetSlot &slot, const RestrictionInputs &inputs)
{
    const bool armed = slot.FixDistance > 1;
    // Without a solution there is nothing to fire: its omega and its run count as broken.
    const bool absent = !slot.HasSolution;
    const bool thetaOutside = meetingAngleOutside(inputs.theta);

    const bool omegaBroken = absent || omegaTooLarge(slot.Omega);
    const bool pathBroken = absent || runTooLong(slot.TorpedoPathPx, inputs.maxRun);
    const bool omega1Broken = absent || omegaTooLarge(slot.Omega1);
    const bool omega2Broken = absent || omegaTooLarge(slot.Omega2);
    const bool path1Broken = absent || runTooLong(slot.WakePath1Px, inputs.maxRun);
    const bool path2Broken = absent || runTooLong(slot.WakePath2Px, inputs.maxRun);

    RestrictionMarks marks;
    const bool angularViolation
        = inputs.angularShown && armed && (omegaBroken || pathBroken || thetaOutside);
    // Only torpedo 1 raises the banner, and the meeting angle only without a second turn.
    const bool linearViolation = inputs.linearShown && armed
        && (omega1Broken || path1Broken || (inputs.secondTurnPathShown == 0 && thetaOutside));
    marks.banner = angularViolation || linearViolation;

    // The run fields turn red whether or not a fix is armed.
    marks.omega = inputs.angularShown && armed && omegaBroken;
    marks.path = inputs.angularShown && pathBroken;
    marks.omega1 = inputs.linearShown && armed && omega1Broken;
    marks.omega2 = inputs.linearShown && armed && omega2Broken;
    marks.path1 = inputs.linearShown && path1Broken;
    marks.path2 = inputs.linearShown && path2Broken;
    marks.theta = (inputs.angularShown || inputs.linearShown) && armed && thetaOutside;
    return marks;
}

} // namespace varmet
