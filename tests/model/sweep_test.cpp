// Every input the controls can produce, or a wide sample of them: no computation of a slot's turn
// may fault or leave a NaN or an infinity in the slot, and a solution always has a real path.

#include "model/angles.h"
#include "model/angular.h"
#include "model/figures.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/restrictions.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <sstream>
#include <string>

namespace varmet {
namespace {

struct SweepInputs
{
    int bearing = 0;
    int course = 0;
    int targetSpeed = 0;
    int torpedoSpeed = 0;
    long double distancePx = 0;
    int correction = 0;
    int theta = 0;
    int wakeMetres = 0;
    int deltaEtMetres = 0;
    int ownCourse = 0;
    int ownSpeed = 0;
    std::int32_t maxRun = 0;
};

std::string Describe(const SweepInputs &in)
{
    std::ostringstream out;
    out << "B " << in.bearing << " Kc " << in.course << " Vc " << in.targetSpeed << " Vt "
        << in.torpedoSpeed << " D " << static_cast<double>(in.distancePx) << " dFi "
        << in.correction << " Theta " << in.theta << " wake " << in.wakeMetres << " dEt "
        << in.deltaEtMetres << " K " << in.ownCourse;
    return out.str();
}

// A fixed, well-mixed choice from a list for the n-th case (splitmix64).
std::uint64_t Mix(std::uint64_t n)
{
    n += 0x9E3779B97F4A7C15ull;
    n = (n ^ (n >> 30)) * 0xBF58476D1CE4E5B9ull;
    n = (n ^ (n >> 27)) * 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

template<typename T, std::size_t N>
T Pick(const std::array<T, N> &list, std::uint64_t n, std::uint64_t salt)
{
    return list[Mix(n * 16 + salt) % N];
}

bool Finite(long double x)
{
    return std::isfinite(x);
}

bool WithinHalfCircle(long double x)
{
    return x >= -180 && x <= 180;
}

// The first thing wrong with the slot after its turn, or nullptr.
const char *Fault(const TargetSlot &s, const SweepInputs &in)
{
    const long double reals[] = {s.AcousticBearing, s.DistancePx, s.RelCourse, s.RelSpeed, s.PosX,
        s.PosY, s.RelVelX, s.RelVelY, s.TurnDx1, s.TurnDy1, s.TurnDx2, s.TurnDy2, s.LeadAngle,
        s.LeadAngle1, s.LeadAngle2, s.LeadAngleCorr, s.Omega, s.Omega1, s.Omega2, s.SalvoMedianRaw,
        s.SalvoMedian, s.SalvoMedian1, s.SalvoMedian2, s.TurnBearing1, s.TurnBearing2,
        s.TorpedoPathPx, s.WakePath1Px, s.WakePath2Px, s.TurnPath1Px, s.TurnPath2Px, s.TargetRunPx,
        s.SecondTurn1, s.SecondTurn2};
    for (const long double x : reals) {
        if (!Finite(x))
            return "a field is not finite";
    }
    if (!s.HasSolution) {
        if (s.TorpedoPathPx != 0 || s.TargetRunPx != 0 || s.WakePath1Px != 0 || s.Omega != 0)
            return "an absent solution left results behind";
        return nullptr;
    }
    if (!(s.TorpedoPathPx > 0) || s.WakePath1Px < 0 || s.WakePath2Px < 0)
        return "a solution without a positive path";
    if (in.torpedoSpeed <= 0 || !s.HasLeadAngle)
        return "a solution without torpedo speed or lead angle";
    if (!WithinHalfCircle(s.Omega) || !WithinHalfCircle(s.Omega1) || !WithinHalfCircle(s.Omega2)
        || !WithinHalfCircle(s.SecondTurn1) || !WithinHalfCircle(s.SecondTurn2)
        || !WithinHalfCircle(s.LeadAngle1) || !WithinHalfCircle(s.LeadAngle2))
        return "an omega, lead or turn angle beyond half a circle";
    if (s.SalvoMedian < 0 || s.SalvoMedian > 360)
        return "a salvo median outside 0..360";
    if (in.correction == 0 && in.deltaEtMetres == 0) {
        // Uncorrected, torpedo and target reach the same point.
        const BoardPointF torpedo
            = PointAt(BoardCenter, BoardCenter, s.SalvoMedianRaw, s.TorpedoPathPx);
        const BoardPointF target = PointAt(s.PosX, s.PosY, s.TargetCourse, s.TargetRunPx);
        const long double miss = std::hypot(torpedo.x - target.x, torpedo.y - target.y);
        if (miss > 1e-6L * (1 + s.TorpedoPathPx))
            return "the median misses the meeting point";
    }
    return nullptr;
}

class Sweep
{
public:
    void run(const SweepInputs &in)
    {
        ++m_cases;
        TargetSlot slot;
        slot.AcousticBearing = in.bearing;
        slot.DistancePx = in.distancePx;
        const BoardPointF at = PointAt(BoardCenter, BoardCenter, in.bearing, in.distancePx);
        slot.PosX = at.x;
        slot.PosY = at.y;
        slot.TargetCourse = in.course;
        slot.TargetSpeed = in.targetSpeed;
        slot.LeadCorrection = in.correction * Pi / 180;
        slot.ThetaSet = in.theta;
        slot.WakeLengthPx = InputMetresToPx(in.wakeMetres);
        slot.DeltaEtPx = InputMetresToPx(in.deltaEtMetres);
        slot.FixDistance = in.distancePx / 2;
        try {
            UpdateTargetVelocity(slot);
            UpdateRelativeMotion(slot, OwnVelocity(in.ownCourse, in.ownSpeed));
            ComputeLeadAngle(slot, in.torpedoSpeed);
            ComputeAngularSolution(slot, in.ownCourse, in.torpedoSpeed);
            ComputeTorpedoPair(slot, in.ownCourse, in.deltaEtMetres);
            RestrictionInputs restriction;
            restriction.angularShown = restriction.linearShown = true;
            restriction.secondTurnPathShown = in.deltaEtMetres;
            restriction.theta = in.theta;
            restriction.maxRun = in.maxRun;
            CheckRestrictions(slot, restriction);
            m_strokes += TrackAndWake(slot).size() + MedianLine(slot, in.maxRun).size()
                + TorpedoPair(slot, in.maxRun).size();
            if (slot.HasSolution)
                ++m_solved;
            if (const char *fault = Fault(slot, in))
                note(in, fault);
            // One second of motion on from there.
            AdvancePosition(slot);
            UpdateRangeAndBearing(slot);
            if (!std::isfinite(slot.PosX) || !std::isfinite(slot.AcousticBearing))
                note(in, "the motion left a field not finite");
        } catch (const std::exception &e) {
            note(in, e.what());
        }
    }

    void expectClean() const
    {
        EXPECT_EQ(m_failures, 0u) << m_first;
        EXPECT_GT(m_solved, 0u);
        EXPECT_GT(m_strokes, m_cases);
        ::testing::Test::RecordProperty("cases", std::to_string(m_cases));
        ::testing::Test::RecordProperty("solved", std::to_string(m_solved));
    }

private:
    void note(const SweepInputs &in, const std::string &what)
    {
        if (m_failures++ < 5)
            m_first += Describe(in) + ": " + what + "\n";
    }

    std::uint64_t m_cases = 0;
    std::uint64_t m_solved = 0;
    std::uint64_t m_strokes = 0;
    std::uint64_t m_failures = 0;
    std::string m_first;
};

constexpr std::array TargetSpeeds {0, 1, 10, 30, 45, 50};
constexpr std::array TorpedoSpeeds {0, 1, 10, 30, 45, 50, 70};
constexpr std::array Distances {0.0L, 0.5L, 1.0L, 2.0L, 37.3L, 100.0L, 300.0L, 459.6L};
constexpr std::array Corrections {-45, -30, -10, -1, 0, 0, 0, 1, 10, 30, 45};
constexpr std::array WakeLengths {0, 100, 1000, 2000, 5000};
constexpr std::array DeltaEts {0, 0, 100, 1000, 10000};
constexpr std::array MaxRuns {0, 19000, std::numeric_limits<std::int32_t>::max()};
constexpr std::array OwnSpeeds {0, 5, 10, 30};

int ThetaFor(std::uint64_t n)
{
    return -150 + 10 * static_cast<int>(Mix(n * 16 + 7) % 31);
}

// Every whole bearing and target course, each pair at one target speed of the spread; the other
// inputs are sampled.
TEST(SweepTest, EveryBearingAndCourse)
{
    Sweep sweep;
    std::uint64_t n = 0;
    for (int bearing = 0; bearing < 360; ++bearing) {
        for (int course = 0; course < 360; ++course, ++n) {
            SweepInputs in;
            in.bearing = bearing;
            in.course = course;
            in.targetSpeed = Pick(TargetSpeeds, n, 0);
            in.torpedoSpeed = Pick(TorpedoSpeeds, n, 1);
            in.distancePx = Pick(Distances, n, 2);
            in.correction = Pick(Corrections, n, 3);
            in.theta = ThetaFor(n);
            in.wakeMetres = Pick(WakeLengths, n, 4);
            in.deltaEtMetres = Pick(DeltaEts, n, 5);
            in.ownCourse = static_cast<int>(Mix(n * 16 + 6) % 360);
            in.ownSpeed = Pick(OwnSpeeds, n, 8);
            in.maxRun = Pick(MaxRuns, n, 9);
            sweep.run(in);
        }
    }
    sweep.expectClean();
}

// Along the line of sight and one degree off it, every target and torpedo speed and correction.
TEST(SweepTest, AlongTheLineOfSight)
{
    Sweep sweep;
    std::uint64_t n = 0;
    for (int bearing = 0; bearing < 360; bearing += 13) {
        for (const int offCourse : {0, 1, 179, 180, 181, 359}) {
            for (const int targetSpeed : TargetSpeeds) {
                for (const int torpedoSpeed : TorpedoSpeeds) {
                    for (const int correction : Corrections) {
                        ++n;
                        SweepInputs in;
                        in.bearing = bearing;
                        in.course = (bearing + offCourse) % 360;
                        in.targetSpeed = targetSpeed;
                        in.torpedoSpeed = torpedoSpeed;
                        in.distancePx = Pick(Distances, n, 2);
                        in.correction = correction;
                        in.theta = ThetaFor(n);
                        in.wakeMetres = Pick(WakeLengths, n, 4);
                        in.deltaEtMetres = Pick(DeltaEts, n, 5);
                        in.maxRun = 19000;
                        sweep.run(in);
                    }
                }
            }
        }
    }
    sweep.expectClean();
}

// Every correction and meeting angle over a coarser grid of the geometry.
TEST(SweepTest, EveryCorrectionAndMeetingAngle)
{
    Sweep sweep;
    std::uint64_t n = 0;
    for (int bearing = 0; bearing < 360; bearing += 15) {
        for (int course = 0; course < 360; course += 15) {
            for (const int targetSpeed : {0, 10, 45, 50}) {
                for (const int torpedoSpeed : {0, 45}) {
                    for (int correction = -45; correction <= 45; correction += 5) {
                        for (const long double distance : {0.0L, 100.0L}) {
                            ++n;
                            SweepInputs in;
                            in.bearing = bearing;
                            in.course = course;
                            in.targetSpeed = targetSpeed;
                            in.torpedoSpeed = torpedoSpeed;
                            in.distancePx = distance;
                            in.correction = correction;
                            in.theta = ThetaFor(n);
                            in.wakeMetres = Pick(WakeLengths, n, 4);
                            in.deltaEtMetres = Pick(DeltaEts, n, 5);
                            in.ownCourse = static_cast<int>(Mix(n * 16 + 6) % 360);
                            in.maxRun = 19000;
                            sweep.run(in);
                        }
                    }
                }
            }
        }
    }
    sweep.expectClean();
}

} // namespace
} // namespace varmet
