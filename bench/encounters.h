#pragma once

// Generated encounters for the evaluation programs: own ship on two legs, one target that runs
// straight or zigs once, and the sonar's whole-degree bearings every 20 s with 0.5° noise. Every
// draw comes from one seeded generator, so a seed names a set of encounters exactly.

#include "analysis/bearing_analysis.h"
#include "exercise/sonar.h"
#include "exercise/truth.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

namespace varmet::bench {

inline constexpr std::int32_t ReportEvery = 20;
inline constexpr long double NoiseDegrees = 0.5L;
// The σ that matches whole-degree reports of 0.5° noise: the rounding adds a uniform error of
// variance 1/12.
inline const long double MatchedSigma = std::sqrt(NoiseDegrees * NoiseDegrees + 1.0L / 12);

class Draws
{
public:
    explicit Draws(std::uint64_t seed)
        : m_engine(seed)
    { }
    long double Uniform(long double low, long double high)
    {
        return low + (high - low) * static_cast<long double>(m_engine() >> 11) * 0x1.0p-53L;
    }
    long double Sign() { return (m_engine() & 1) ? 1 : -1; }
    std::uint64_t Seed() { return m_engine(); }

private:
    std::mt19937_64 m_engine;
};

struct EncounterPlan
{
    long double NearestStart = 30; // cables
    long double FarthestStart = 70;
    std::int32_t OwnTurnTick = 360;
    bool Zig = false;
};

struct Encounter
{
    OwnShipTrack Own;
    ExerciseTarget Target;
    std::int32_t OwnTurnTick = 0;
    std::optional<std::int32_t> ZigTick;
    std::int32_t End = 0;
};

inline Encounter MakeEncounter(Draws &draws, const EncounterPlan &plan)
{
    Encounter e;
    e.OwnTurnTick = plan.OwnTurnTick;
    const long double ownSpeed = draws.Uniform(6, 12);
    const long double ownCourse = draws.Uniform(0, 360);
    const long double turned
        = std::fmod(ownCourse + draws.Sign() * draws.Uniform(60, 120) + 360, 360.0L);
    e.Target.Number = 1;
    e.Target.Bearing = draws.Uniform(0, 360);
    e.Target.Distance = draws.Uniform(plan.NearestStart, plan.FarthestStart);
    e.Target.Course = draws.Uniform(0, 360);
    e.Target.Speed = draws.Uniform(6, 18);
    const std::int32_t zig = plan.OwnTurnTick + static_cast<std::int32_t>(draws.Uniform(480, 720));
    const long double zigBy = draws.Sign() * draws.Uniform(50, 100);
    if (plan.Zig) {
        e.ZigTick = zig;
        e.Target.Manoeuvres.push_back(
            {zig, std::fmod(e.Target.Course + zigBy + 360, 360.0L), e.Target.Speed});
    }
    e.End = zig + 600;
    for (std::int32_t tick = 1; tick <= e.End; ++tick)
        e.Own.Advance(tick, tick <= plan.OwnTurnTick ? ownCourse : turned, ownSpeed);
    return e;
}

// The nearest the target comes to own ship over the encounter, cables.
inline long double Nearest(const Encounter &e)
{
    const TargetTruth truth(e.Target);
    long double nearest = 1e9L;
    for (std::int32_t tick = 0; tick <= e.End; tick += ReportEvery)
        nearest = std::min(nearest, SeaDistance(e.Own.PositionAt(tick), truth.PositionAt(tick)));
    return nearest;
}

// An encounter that keeps the target beyond 8 cables, where bearings stay well behaved.
inline Encounter DrawEncounter(Draws &draws, const EncounterPlan &plan)
{
    for (;;) {
        Encounter e = MakeEncounter(draws, plan);
        if (Nearest(e) > 8)
            return e;
    }
}

// The sonar: a whole-degree bearing at every report time.
class Sonar
{
public:
    Sonar(const Encounter &e, std::uint64_t seed)
        : m_encounter(e)
        , m_truth(e.Target)
        , m_noise(seed)
    {
        m_settings.BearingSigma = NoiseDegrees;
        m_settings.Interval = ReportEvery;
    }
    Fix Report(std::int32_t tick)
    {
        const auto report = TakeBearing(m_settings, 1, m_encounter.Own.PositionAt(tick),
            m_truth.PositionAt(tick), tick, m_noise);
        return {tick, FixKind::Bearing, static_cast<long double>(report->Bearing), std::nullopt};
    }
    const TargetTruth &Truth() const { return m_truth; }

private:
    const Encounter &m_encounter;
    TargetTruth m_truth;
    SonarSettings m_settings;
    NoiseSource m_noise;
};

// The operator's trial before any solution: 50 cables along the latest bearing, course north at
// 10 knots.
inline TargetMotion RoughTrial(const OwnShipTrack &own, const Fix &latest)
{
    const SeaPoint from = own.PositionAt(latest.Tick);
    const long double b = latest.Value * 3.14159265358979323846L / 180;
    return {{from.East + 50 * std::sin(b), from.North + 50 * std::cos(b)}, latest.Tick, 0, 10};
}

} // namespace varmet::bench
