#pragma once

// The whole picture of the five target slots at a glance: for each, where the target stands and how
// it moves as the board has it, how close it comes to own ship along its relative-motion line and
// when, and whether firing at it is allowed now. A target that comes closer than a limit the
// operator sets, with the closest approach still ahead, is a danger.

#include "restrictions.h"
#include "state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace varmet {

// The light over the trial solution's bearing residuals, where the analysis gives one.
enum class FitLamp { None, Green, Amber, Red };

struct SituationSettings
{
    // The display boxes, the second turn's path shown and the maximum run, as for the banner; the
    // meeting angle is each slot's own.
    RestrictionInputs Display;
    long double DangerCables = 5;
};

struct SlotPicture
{
    int Slot = 0; // 1..5
    bool IsTarget = false; // nothing below is meaningful without a target
    std::int32_t Number = 0; // "Номер цели"
    long double Bearing = 0; // degrees, to the plotted position
    long double Distance = 0; // cables
    long double Course = 0; // "Кц"
    long double Speed = 0; // "Vц (узл)"
    // The least distance (cables) along the relative-motion line the board moves the target by, and
    // the seconds until it; no time when it has passed or the target keeps its distance.
    long double Cpa = 0;
    std::optional<long double> Tcpa;
    bool Danger = false; // closest approach, to a tenth, under the limit and still ahead
    bool FireAllowed = false; // a firing solution without a broken limit
    FitLamp Light = FitLamp::None; // the caller's, from the bearing analysis
};

SlotPicture PictureOfSlot(const TargetSlot &slot, int number, const SituationSettings &settings);
std::array<SlotPicture, SlotCount> Situation(
    const TargetSlots &slots, const SituationSettings &settings);

// A time to the closest approach as "M:SS" (whole seconds, half to even); "-" for none.
std::string TcpaText(const std::optional<long double> &seconds);

} // namespace varmet
