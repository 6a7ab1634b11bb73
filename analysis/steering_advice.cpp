#include "steering_advice.h"

#include "model/units.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <vector>

namespace varmet {

namespace {

using Vector4 = Eigen::Matrix<long double, 4, 1>;
using Matrix4 = Eigen::Matrix<long double, 4, 4>;

constexpr long double SecondsPerCableAtOneKnot = 360;
constexpr long double DegreesPerRadian = 180 / Pi;
constexpr int CourseStep = 10;
constexpr long double SmallestEigenRatio = 1e-12L;
constexpr std::int32_t DefaultInterval = 30;

// Parameters: the target's position now (cables) and velocity (knots); an observation at tick t
// sees the target at position + velocity * (t - now) / 360.
class Information
{
public:
    Information(const TargetMotion &believed, std::int32_t nowTick)
        : m_now(nowTick)
    {
        const SeaPoint at = believed.PositionAt(nowTick);
        const SeaPoint v = SeaVelocity(believed.Course, believed.Speed);
        m_x = {at.East, at.North, v.East * SecondsPerCableAtOneKnot,
            v.North * SecondsPerCableAtOneKnot};
    }

    void Add(std::int32_t tick, SeaPoint own, FixKind kind, long double sigma)
    {
        const long double tau = (tick - m_now) / SecondsPerCableAtOneKnot;
        const long double dE = m_x(0) + m_x(2) * tau - own.East;
        const long double dN = m_x(1) + m_x(3) * tau - own.North;
        const long double square = dE * dE + dN * dN;
        if (square == 0)
            return;
        long double gE = 0;
        long double gN = 0;
        if (kind == FixKind::Bearing) {
            gE = DegreesPerRadian * dN / square / sigma;
            gN = -DegreesPerRadian * dE / square / sigma;
        } else {
            const long double range = std::sqrt(square);
            gE = dE / range / sigma;
            gN = dN / range / sigma;
        }
        const Vector4 row(gE, gN, gE * tau, gN * tau);
        m_matrix.noalias() += row * row.transpose();
    }

    // The distance's standard deviation at `tick` from `own`, absent where the information
    // leaves it undetermined.
    std::optional<long double> SdDistance(std::int32_t tick, SeaPoint own) const
    {
        const long double tau = (tick - m_now) / SecondsPerCableAtOneKnot;
        const long double dE = m_x(0) + m_x(2) * tau - own.East;
        const long double dN = m_x(1) + m_x(3) * tau - own.North;
        const long double range = std::hypot(dE, dN);
        if (!(range > 0))
            return std::nullopt;
        const Vector4 g(dE / range, dN / range, dE / range * tau, dN / range * tau);
        Vector4 scale;
        for (int i = 0; i < 4; ++i) {
            if (!(m_matrix(i, i) > 0))
                return std::nullopt;
            scale(i) = 1 / std::sqrt(m_matrix(i, i));
        }
        const Matrix4 scaled = scale.asDiagonal() * m_matrix * scale.asDiagonal();
        const Eigen::SelfAdjointEigenSolver<Matrix4> eigen(scaled);
        if (eigen.info() != Eigen::Success)
            return std::nullopt;
        const Vector4 values = eigen.eigenvalues();
        if (!(values(0) > SmallestEigenRatio * values(3)))
            return std::nullopt;
        const Vector4 projected = eigen.eigenvectors().transpose() * scale.asDiagonal() * g;
        const long double variance = (projected.array().square() / values.array()).sum();
        if (!std::isfinite(variance))
            return std::nullopt;
        return std::sqrt(variance);
    }

private:
    std::int32_t m_now;
    Vector4 m_x;
    Matrix4 m_matrix = Matrix4::Zero();
};

} // namespace

std::int32_t BearingInterval(const FixLog &log)
{
    std::optional<std::int32_t> first;
    std::optional<std::int32_t> last;
    int count = 0;
    for (const Fix &fix : log.Fixes()) {
        if (fix.Kind != FixKind::Bearing || !FitUses(log, fix))
            continue;
        first = first.value_or(fix.Tick);
        last = fix.Tick;
        ++count;
    }
    if (count < 2 || *last <= *first)
        return DefaultInterval;
    return std::max<std::int32_t>(1, (*last - *first) / (count - 1));
}

std::optional<SteeringAdvice> AdviseCourse(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &believed, std::int32_t nowTick, const FitSettings &settings, int minutes,
    std::int32_t reportEvery)
{
    if (own.Legs().empty() || minutes <= 0 || reportEvery <= 0
        || !(settings.SigmaBearingDegrees > 0) || !(settings.SigmaDistanceCables > 0))
        return std::nullopt;
    const long double speed = own.Legs().back().Speed;
    const long double present = own.Legs().back().Course;
    if (!(speed > 0))
        return std::nullopt;

    Information past(believed, nowTick);
    for (const Fix &fix : log.Fixes()) {
        if (!FitUses(log, fix))
            continue;
        past.Add(fix.Tick, own.PositionAt(fix.Tick), fix.Kind,
            fix.Kind == FixKind::Bearing ? settings.SigmaBearingDegrees
                                         : settings.SigmaDistanceCables);
    }
    const SeaPoint ownNow = own.PositionAt(nowTick);
    const std::int32_t end = nowTick + minutes * 60;
    const auto steered = [&](long double course) -> std::optional<long double> {
        Information information = past;
        const SeaPoint v = SeaVelocity(course, speed);
        const auto ownAt = [&](std::int32_t tick) {
            return SeaPoint {
                ownNow.East + v.East * (tick - nowTick), ownNow.North + v.North * (tick - nowTick)};
        };
        for (std::int32_t tick = nowTick + reportEvery; tick <= end; tick += reportEvery)
            information.Add(tick, ownAt(tick), FixKind::Bearing, settings.SigmaBearingDegrees);
        return information.SdDistance(end, ownAt(end));
    };

    std::optional<SteeringAdvice> best;
    for (int course = 0; course < 360; course += CourseStep) {
        const std::optional<long double> sd = steered(course);
        if (!sd)
            continue;
        // On a tie the smaller turn.
        const auto turn = [present](long double c) { return std::fabs(FoldBearing(c - present)); };
        if (!best || *sd < best->SdDistance * (1 - 1e-9L)
            || (*sd <= best->SdDistance * (1 + 1e-9L) && turn(course) < turn(best->Course)))
            best = SteeringAdvice {static_cast<long double>(course), *sd, std::nullopt, minutes};
    }
    if (best)
        best->SdDistanceAhead = steered(present);
    return best;
}

} // namespace varmet
