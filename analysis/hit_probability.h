#pragma once

// The odds that a salvo fired now hits the target: the target's position and velocity drawn from
// the fit's uncertainty (its covariance, taken as normal), each draw met by a torpedo running
// straight along the salvo median until its run ends. Seeded: one fit and one salvo always give one
// answer. Positions are cables in own ship's true-track frame, as in the bearing analysis.

#include "bearing_analysis.h"

#include <cstdint>
#include <optional>

namespace varmet {

// One torpedo of a salvo, as it leaves own ship.
struct Salvo
{
    std::int32_t Tick = 0; // fired at
    SeaPoint From; // own ship then
    long double Course = 0; // the salvo median, degrees
    long double TorpedoSpeed = 0; // knots
    long double RunCables = 0; // the torpedo stops after this run
};

struct HitOddsSettings
{
    int Draws = 4000;
    std::uint64_t Seed = 18;
    // A hit passes within half the target's length; outside an exercise the length is not known
    // and this is taken.
    long double TargetLengthMetres = 100;
};

// The salvo the angular firing problem gives when it is solved on `aimed` (its course and speed,
// its bearing and distance from own ship at `tick`), fired at `tick`; `maxRunMetres` is "Е (м)".
// Absent where the problem has no solution (no torpedo speed, the target outruns it, the median
// never meets the track).
std::optional<Salvo> SalvoAimedAt(const TargetMotion &aimed, const OwnShipTrack &own,
    std::int32_t tick, std::int32_t ownCourse, std::int32_t torpedoSpeed, std::int32_t maxRunMetres,
    long double leadCorrection = 0);

// The salvo of the slot's present solution (its salvo median, as the console shows it), fired at
// `tick`; absent while the slot has no solution or the torpedo no speed.
std::optional<Salvo> SalvoOfSlot(const TargetSlot &slot, const OwnShipTrack &own, std::int32_t tick,
    std::int32_t torpedoSpeed, std::int32_t maxRunMetres);

// The closest approach (cables) of the salvo's torpedo to a target on `target`, over the run.
long double SalvoMiss(const Salvo &salvo, const TargetMotion &target);

// The share of the fit's draws that the salvo hits, 0..1.
long double HitProbability(
    const FitSolution &fit, const Salvo &salvo, const HitOddsSettings &settings = {});

} // namespace varmet
