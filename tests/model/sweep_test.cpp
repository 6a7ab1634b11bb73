// A wide sweep of the inputs the controls can produce: no computation of a slot's turn may fault
// or leave a NaN or an infinity in the slot, and a solution must be a real one.

#include "model/figures.h"
#include "model/restrictions.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <random>
#include <sstream>

namespace varmet {
namespace {

struct SweepCase
{
    test::Scenario s;
    int bearing, ownSpeed;
    std::int32_t maxRun;
};

// What is wrong with the slot after its turn, or nullptr.
const char *Fault(const TargetSlot &s, const SweepCase &in)
{
    const long double fields[] = {s.AcousticBearing, s.DistancePx, s.RelCourse, s.RelSpeed, s.PosX,
        s.PosY, s.RelVelX, s.RelVelY, s.TurnDx1, s.TurnDy1, s.TurnDx2, s.TurnDy2, s.LeadAngle,
        s.LeadAngle1, s.LeadAngle2, s.LeadAngleCorr, s.Omega, s.Omega1, s.Omega2, s.SalvoMedianRaw,
        s.SalvoMedian, s.SalvoMedian1, s.SalvoMedian2, s.TurnBearing1, s.TurnBearing2,
        s.TorpedoPathPx, s.WakePath1Px, s.WakePath2Px, s.TurnPath1Px, s.TurnPath2Px, s.TargetRunPx,
        s.SecondTurn1, s.SecondTurn2};
    for (const long double x : fields) {
        if (!std::isfinite(x))
            return "a field is not finite";
    }
    if (!s.HasSolution) {
        const bool clear = s.TorpedoPathPx == 0 && s.TargetRunPx == 0 && s.WakePath1Px == 0;
        return clear && s.Omega == 0 ? nullptr : "an absent solution left results behind";
    }
    if (!(s.TorpedoPathPx > 0) || s.WakePath1Px < 0 || s.WakePath2Px < 0 || !s.HasLeadAngle
        || in.s.torpedoSpeed <= 0 || s.SalvoMedian < 0 || s.SalvoMedian > 360)
        return "a solution without a path, lead angle or torpedo speed, or a median beyond 360";
    const long double angles[]
        = {s.Omega, s.Omega1, s.Omega2, s.SecondTurn1, s.SecondTurn2, s.LeadAngle1, s.LeadAngle2};
    for (const long double angle : angles) {
        if (!(angle >= -180 && angle <= 180))
            return "an omega, lead or turn angle beyond half a circle";
    }
    if (in.s.correctionDegrees == 0 && in.s.deltaEtMetres == 0) { // both reach the same point
        const test::BoardPoint torpedo = test::PointAt(325, 325, s.SalvoMedianRaw, s.TorpedoPathPx);
        const test::BoardPoint target
            = test::PointAt(s.PosX, s.PosY, s.TargetCourse, s.TargetRunPx);
        if (std::hypot(torpedo.x - target.x, torpedo.y - target.y) > 1e-6L * (1 + s.TorpedoPathPx))
            return "the median misses the meeting point";
    }
    return nullptr;
}

constexpr std::array TargetSpeeds {0, 1, 10, 30, 45, 50};
constexpr std::array TorpedoSpeeds {0, 1, 10, 30, 45, 50, 70};
constexpr std::array Corrections {-45, -30, -10, -1, 0, 1, 10, 30, 45};
constexpr std::array Distances {0.0L, 0.5L, 1.0L, 2.0L, 37.3L, 100.0L, 300.0L, 459.6L};
constexpr std::array WakeLengths {0, 100, 1000, 2000, 5000};
constexpr std::array DeltaEts {0, 0, 100, 1000, 10000};
constexpr std::array MaxRuns {0, 19000, std::numeric_limits<std::int32_t>::max()};

// A case at bearing b and course k, the other inputs drawn from their spreads: a third of them
// uncorrected, the others at any whole correction within 45 degrees. The engine's sequence is
// fixed by the standard, so every run sweeps the same cases.
SweepCase Sampled(int b, int k, std::mt19937_64 &random)
{
    const auto pick = [&](const auto &list) { return list[random() % list.size()]; };
    test::Scenario s = test::Target(b, pick(Distances), k, pick(TargetSpeeds));
    s.correctionDegrees = random() % 3 == 0 ? 0 : -45 + static_cast<int>(random() % 91);
    s.wakeMetres = pick(WakeLengths);
    s.thetaSet = -150 + 10 * static_cast<int>(random() % 31);
    s.deltaEtMetres = pick(DeltaEts);
    s.ownCourse = static_cast<int>(random() % 360);
    s.torpedoSpeed = pick(TorpedoSpeeds);
    return {s, b, 5 * static_cast<int>(random() % 7), pick(MaxRuns)};
}

TEST(SweepTest, NoFaultAndNoNonFiniteField)
{
    std::uint64_t cases = 0, solved = 0, strokes = 0, faults = 0;
    std::ostringstream first;
    const auto run = [&](const SweepCase &in) {
        ++cases;
        TargetSlot slot;
        slot.AcousticBearing = in.bearing; // kept while the target stands at the centre
        slot.TargetCourse = in.s.targetCourse;
        slot.TargetSpeed = in.s.targetSpeed;
        const char *fault = nullptr;
        try {
            UpdateTargetVelocity(slot);
            UpdateRelativeMotion(slot, OwnVelocity(in.s.ownCourse, in.ownSpeed));
            slot = test::Solve(in.s, slot);
            slot.FixDistance = slot.DistancePx / 2;
            const auto theta = static_cast<std::int64_t>(in.s.thetaSet);
            CheckRestrictions(slot, {true, true, in.s.deltaEtMetres, theta, in.maxRun});
            strokes += TrackAndWake(slot).size() + MedianLine(slot, in.maxRun).size()
                + TorpedoPair(slot, in.maxRun).size();
            solved += slot.HasSolution;
            fault = Fault(slot, in);
            AdvancePosition(slot); // and one second of motion on from there
            UpdateRangeAndBearing(slot);
        } catch (const std::exception &e) {
            fault = e.what();
        }
        if (fault && faults++ < 5) {
            const test::Scenario &s = in.s;
            first << "B " << in.bearing << " x " << static_cast<double>(s.posX) << " y "
                  << static_cast<double>(s.posY) << " Kc " << s.targetCourse << " Vc "
                  << s.targetSpeed << " Vt " << s.torpedoSpeed << " dFi " << s.correctionDegrees
                  << " Theta " << s.thetaSet << " wake " << s.wakeMetres << " dEt "
                  << s.deltaEtMetres << " K " << s.ownCourse << " V " << in.ownSpeed << " E "
                  << in.maxRun << ": " << fault << "\n";
        }
    };

    std::mt19937_64 random;
    for (int b = 0; b < 360; ++b) { // every whole bearing and target course
        for (int k = 0; k < 360; ++k)
            run(Sampled(b, k, random));
    }
    // Along the line of sight and one degree off it, every speed pair and correction.
    for (int b = 0; b < 360; b += 13) {
        for (const int off : {0, 1, 179, 180, 181, 359}) {
            for (std::size_t i = 0; i < TargetSpeeds.size() * TorpedoSpeeds.size(); ++i) {
                for (const int correction : Corrections) {
                    SweepCase in = Sampled(b, (b + off) % 360, random);
                    in.s.targetSpeed = TargetSpeeds[i % TargetSpeeds.size()];
                    in.s.torpedoSpeed = TorpedoSpeeds[i / TargetSpeeds.size()];
                    in.s.correctionDegrees = correction;
                    run(in);
                }
            }
        }
    }
    EXPECT_EQ(faults, 0u) << first.str();
    EXPECT_GT(solved, cases / 10); // the sweep is no sweep of absent solutions
    EXPECT_GT(strokes, cases);
}

} // namespace
} // namespace varmet
