#include "situation.h"

#include "angular.h"
#include "number_text.h"
#include "units.h"

#include <cmath>

namespace varmet {

namespace {

// The meeting angle as the display forms it from the two whole numbers it shows.
std::optional<std::int64_t> meetingAngle(const TargetSlot &slot)
{
    if (!slot.HasLeadAngle)
        return std::nullopt;
    const auto heading = ParseWhole(RealText(HeadingAngle(slot)));
    const auto lead = ParseWhole(WholeText(slot.LeadAngleCorr * DisplayRadiansToDegrees));
    if (!heading || !lead)
        return std::nullopt;
    return *heading + *lead;
}

} // namespace

SlotPicture PictureOfSlot(const TargetSlot &slot, int number, const SituationSettings &settings)
{
    SlotPicture picture;
    picture.Slot = number;
    picture.Number = slot.TargetNumber;
    picture.IsTarget = slot.IsTarget;
    if (!slot.IsTarget)
        return picture;
    picture.Course = slot.TargetCourse;
    picture.Speed = slot.TargetSpeed;

    // At sea, cables east and north of own ship.
    const long double east = (slot.PosX - BoardCenter) / PxPerCable;
    const long double north = -(slot.PosY - BoardCenter) / PxPerCable;
    picture.Distance = std::hypot(east, north);
    picture.Bearing = picture.Distance > 0
        ? std::fmod(RadiansToDegrees(std::atan2(east, north)) + 360, 360.0L)
        : 0;

    // The board moves the target by RelSpeed whole knots along RelCourse: 1/360 cable a second
    // per knot.
    const long double speed = slot.RelSpeed / 360;
    const long double course = DegreesToRadians(slot.RelCourse);
    const long double ve = speed * std::sin(course);
    const long double vn = speed * std::cos(course);
    const long double square = ve * ve + vn * vn;
    picture.Cpa = picture.Distance;
    if (square > 0) {
        const long double t = -(east * ve + north * vn) / square;
        picture.Cpa = std::hypot(east + ve * t, north + vn * t);
        if (t > 0)
            picture.Tcpa = t;
    }
    // Judged as the dock shows both, in tenths of a cable: a pass shown as "5.0" is not under 5.
    picture.Danger = picture.Tcpa
        && std::nearbyint(picture.Cpa * 10) < std::nearbyint(settings.DangerCables * 10);

    RestrictionInputs inputs = settings.Display;
    inputs.theta = meetingAngle(slot);
    picture.FireAllowed = slot.HasSolution && !CheckRestrictions(slot, inputs).banner;
    return picture;
}

std::array<SlotPicture, SlotCount> Situation(
    const TargetSlots &slots, const SituationSettings &settings)
{
    std::array<SlotPicture, SlotCount> pictures;
    for (int number = 1; number <= SlotCount; ++number)
        pictures[static_cast<std::size_t>(number - 1)]
            = PictureOfSlot(slots[number], number, settings);
    return pictures;
}

std::string TcpaText(const std::optional<long double> &seconds)
{
    if (!seconds || !std::isfinite(*seconds))
        return "-";
    const long long whole = std::llrint(*seconds);
    const long long s = whole % 60;
    return std::to_string(whole / 60) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

} // namespace varmet
