#pragma once

// All state of the fire-control model: five target slots and the program-wide scalars. Every
// item starts at zero except TimeMode, which starts at 1. Nothing is saved between runs.

#include "fix_log.h"
#include "own_track.h"

#include <array>
#include <cstdint>

namespace varmet {

// One target. Reals are 80-bit long doubles except the few fields held as doubles. Directions
// are degrees clockwise from north, distances and paths board px, speeds knots.
struct TargetSlot
{
    // Whether the slot holds a target: from its first bearing or distance entry on. A slot that
    // was never fixed is not moved, drawn, solved or checked.
    bool IsTarget = false;
    std::int32_t TargetNumber = 0; // "Номер цели"
    long double FixBearing = 0; // bearing of the last fix, whole degrees
    long double FixDistance = 0; // distance of the last fix, cables
    long double AcousticBearing = 0; // current bearing to the plotted position, 0..359
    long double DistancePx = 0; // current distance to the plotted position, unrounded
    long double TargetCourse = 0; // "Кц"
    long double TargetSpeed = 0; // "Vц (узл)"
    long double RelCourse = 0; // relative course, 0..359
    long double RelSpeed = 0; // relative speed, whole knots
    long double PosX = 0; // plotted position
    long double PosY = 0;
    long double RelVelX = 0; // relative velocity, whole knots
    long double RelVelY = 0;
    long double TargetVelX = 0; // target velocity, whole knots
    long double TargetVelY = 0;
    long double TurnDx1 = 0; // second-turn points, offsets from the board centre
    long double TurnDy1 = 0;
    long double TurnDx2 = 0;
    long double TurnDy2 = 0;
    std::int32_t LastTimeMarkTick = 0;
    long double LeadAngle = 0; // Fi of the salvo median, radians, without correction
    long double LeadAngle1 = 0; // Fi1, degrees
    long double LeadAngle2 = 0; // Fi2, degrees
    long double LeadCorrection = 0; // "Delta Fi (Fi)", radians
    long double LeadAngleCorr = 0; // LeadAngle + LeadCorrection, radians
    double Omega = 0; // W of the salvo median, -180..180
    double Omega1 = 0;
    double Omega2 = 0;
    long double SalvoMedianRaw = 0; // salvo median before folding
    double SalvoMedian = 0; // Mz, 0..360
    long double SalvoMedian1 = 0; // Mz1, unfolded
    long double SalvoMedian2 = 0;
    long double TurnBearing1 = 0; // bearings of the second-turn points, whole degrees
    long double TurnBearing2 = 0;
    long double TorpedoPathPx = 0; // et along the salvo median
    long double WakePath1Px = 0; // et1, et2 straight into the wake
    long double WakePath2Px = 0;
    long double TurnPath1Px = 0; // et1, et2 to the second-turn points
    long double TurnPath2Px = 0;
    long double TargetRunPx = 0; // target advance during the torpedo run
    long double ThetaSet = 0; // "Тетта (гр)", whole degrees
    long double DeltaEtPx = 0; // "Delta ет (м)" in px; 0: no second turn
    double SecondTurn1 = 0; // Alfa'1, Alfa'2
    double SecondTurn2 = 0;
    long double WakeLengthPx = 0; // "КС (м)" in px

    // Whether a lead angle exists (|Vц / Vт * sin q| <= 1); without it "Fi" has no value.
    bool HasLeadAngle = false;
    // Whether the firing problem has a solution this tick: a torpedo speed above 0, a lead angle,
    // and a corrected median that crosses the target's track ahead of own ship. Without it both
    // solutions are absent: no median line, no torpedo pair, and a true track of length 0.
    bool HasSolution = false;

    // Whether the torpedoes make a second turn: a path after it of 0 means none.
    bool HasSecondTurn() const { return DeltaEtPx != 0; }
};

inline constexpr int SlotCount = 5;

// The five slots, numbered 1..5 as "Номер п/п" shows them.
class TargetSlots
{
public:
    static constexpr bool Contains(int number) { return number >= 1 && number <= SlotCount; }

    // number must satisfy Contains().
    TargetSlot &operator[](int number) { return m_slots[static_cast<std::size_t>(number - 1)]; }
    const TargetSlot &operator[](int number) const
    {
        return m_slots[static_cast<std::size_t>(number - 1)];
    }

    auto begin() { return m_slots.begin(); }
    auto end() { return m_slots.end(); }
    auto begin() const { return m_slots.begin(); }
    auto end() const { return m_slots.end(); }

private:
    std::array<TargetSlot, SlotCount> m_slots {};
};

// The eraser outline on the board (left, top, right, bottom); the board keeps it.
struct EraseRectangle
{
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// The slots and the program-wide scalars, as one value owned by the main window.
struct FireControlState
{
    TargetSlots Slots;
    std::int32_t OwnCourse = 0; // "К пл", whole degrees
    std::int32_t OwnSpeed = 0; // "V пл (узл)"
    std::int32_t OwnVecX = 0; // own velocity, whole knots
    std::int32_t OwnVecY = 0;
    std::int32_t TorpedoSpeed = 0; // "Vт (узл)"
    std::int32_t MaxRun = 0; // "Е (м)", metres
    std::int32_t TickCount = 0;
    std::int32_t Minutes = 0;
    std::int32_t Seconds = 0;
    std::uint8_t TimeMode = 1; // 1: operational time on the board, 0: ship's clock
    std::uint8_t HeldStepper = 0; // held up-down button, 0 none, 1..4
    std::int32_t HoldTicks = 0;

    // For the bearing analysis and the exercises: each slot's log of fixes (by slot number - 1)
    // and own ship's true track.
    std::array<FixLog, SlotCount> FixLogs {};
    OwnShipTrack OwnTrack;
};

} // namespace varmet
