#include "hit_probability.h"

#include "model/angular.h"
#include "model/units.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <random>

namespace varmet {

namespace {

constexpr long double SecondsPerCableAtOneKnot = 360;

// Standard normal numbers by Box–Muller from the 64-bit Mersenne twister: the same sequence on
// every platform, unlike the standard library's distributions.
class Normals
{
public:
    explicit Normals(std::uint64_t seed)
        : m_engine(seed)
    { }

    double Next()
    {
        if (m_spare) {
            const double spare = *m_spare;
            m_spare.reset();
            return spare;
        }
        const double u = Uniform();
        const double v = Uniform();
        const double radius = std::sqrt(-2 * std::log(u));
        const double angle = 2 * std::numbers::pi * v;
        m_spare = radius * std::sin(angle);
        return radius * std::cos(angle);
    }

private:
    double Uniform() // in (0, 1]
    {
        return (static_cast<double>(m_engine() >> 11) + 1) * 0x1.0p-53;
    }

    std::mt19937_64 m_engine;
    std::optional<double> m_spare;
};

// The gap's least length over 0..end while target and torpedo both move straight.
long double ClosestOver(SeaPoint gap, SeaPoint closing, long double end)
{
    const long double square = closing.East * closing.East + closing.North * closing.North;
    long double t = 0;
    if (square > 0)
        t = std::clamp(-(gap.East * closing.East + gap.North * closing.North) / square, 0.0L, end);
    return std::hypot(gap.East + closing.East * t, gap.North + closing.North * t);
}

} // namespace

std::optional<Salvo> SalvoAimedAt(const TargetMotion &aimed, const OwnShipTrack &own,
    std::int32_t tick, std::int32_t ownCourse, std::int32_t torpedoSpeed, std::int32_t maxRunMetres,
    long double leadCorrection)
{
    const SeaPoint from = own.PositionAt(tick);
    const SeaPoint at = aimed.PositionAt(tick);
    TargetSlot slot;
    slot.AcousticBearing = SeaBearing(from, at);
    slot.DistancePx = SeaDistance(from, at) * PxPerCable;
    slot.TargetCourse = aimed.Course;
    slot.TargetSpeed = aimed.Speed;
    slot.LeadCorrection = leadCorrection;
    ComputeLeadAngle(slot, torpedoSpeed);
    ComputeAngularSolution(slot, ownCourse, torpedoSpeed);
    if (!slot.HasSolution)
        return std::nullopt;
    return Salvo {tick, from, static_cast<long double>(slot.SalvoMedian),
        static_cast<long double>(torpedoSpeed),
        std::max<long double>(0, maxRunMetres) / PathMetresPerCable};
}

std::optional<Salvo> SalvoOfSlot(const TargetSlot &slot, const OwnShipTrack &own, std::int32_t tick,
    std::int32_t torpedoSpeed, std::int32_t maxRunMetres)
{
    if (!slot.HasSolution || torpedoSpeed <= 0)
        return std::nullopt;
    return Salvo {tick, own.PositionAt(tick), static_cast<long double>(slot.SalvoMedian),
        static_cast<long double>(torpedoSpeed),
        std::max<long double>(0, maxRunMetres) / PathMetresPerCable};
}

long double SalvoMiss(const Salvo &salvo, const TargetMotion &target)
{
    const SeaPoint at = target.PositionAt(salvo.Tick);
    const SeaPoint targetVelocity = SeaVelocity(target.Course, target.Speed);
    const SeaPoint torpedoVelocity = SeaVelocity(salvo.Course, salvo.TorpedoSpeed);
    const long double end = salvo.TorpedoSpeed > 0
        ? salvo.RunCables / (salvo.TorpedoSpeed / SecondsPerCableAtOneKnot)
        : 0;
    return ClosestOver({at.East - salvo.From.East, at.North - salvo.From.North},
        {targetVelocity.East - torpedoVelocity.East, targetVelocity.North - torpedoVelocity.North},
        end);
}

long double HitProbability(
    const FitSolution &fit, const Salvo &salvo, const HitOddsSettings &settings)
{
    if (settings.Draws <= 0 || salvo.TorpedoSpeed <= 0)
        return 0;
    Eigen::Matrix4d covariance;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            covariance(row, column)
                = static_cast<double>(fit.Covariance[static_cast<std::size_t>(row * 4 + column)]);
    // A square root of the covariance that tolerates a direction it leaves certain.
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix4d> eigen(covariance);
    if (eigen.info() != Eigen::Success)
        return 0;
    const Eigen::Matrix4d root
        = eigen.eigenvectors() * eigen.eigenvalues().cwiseMax(0.0).cwiseSqrt().asDiagonal();

    const SeaPoint velocity = SeaVelocity(fit.Course, fit.Speed);
    const long double knotsPerCableSecond = SecondsPerCableAtOneKnot;
    const Eigen::Vector4d mean(static_cast<double>(fit.Motion.At.East),
        static_cast<double>(fit.Motion.At.North),
        static_cast<double>(velocity.East * knotsPerCableSecond),
        static_cast<double>(velocity.North * knotsPerCableSecond));
    const long double half = settings.TargetLengthMetres / 2 / PathMetresPerCable;
    const long double lead = (salvo.Tick - fit.Motion.AtTick) / SecondsPerCableAtOneKnot;
    const SeaPoint torpedo = SeaVelocity(salvo.Course, salvo.TorpedoSpeed);
    const long double end = salvo.RunCables / (salvo.TorpedoSpeed / SecondsPerCableAtOneKnot);

    Normals normals(settings.Seed);
    int hits = 0;
    for (int draw = 0; draw < settings.Draws; ++draw) {
        const Eigen::Vector4d z(normals.Next(), normals.Next(), normals.Next(), normals.Next());
        const Eigen::Vector4d x = mean + root * z;
        // Knots to cables a second; the target drawn at the fit's tick is carried to the salvo's.
        const SeaPoint v {x(2) / knotsPerCableSecond, x(3) / knotsPerCableSecond};
        const SeaPoint gap {
            x(0) + x(2) * lead - salvo.From.East, x(1) + x(3) * lead - salvo.From.North};
        if (ClosestOver(gap, {v.East - torpedo.East, v.North - torpedo.North}, end) <= half)
            ++hits;
    }
    return static_cast<long double>(hits) / settings.Draws;
}

} // namespace varmet
