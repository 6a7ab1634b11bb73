#include "truth.h"

#include "model/units.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace varmet {

namespace {

SeaPoint along(SeaPoint from, long double course, long double speed, long double seconds)
{
    const SeaPoint v = SeaVelocity(course, speed);
    return {from.East + v.East * seconds, from.North + v.North * seconds};
}

} // namespace

TargetTruth::TargetTruth(const ExerciseTarget &target)
{
    const long double b = DegreesToRadians(target.Bearing);
    Leg first {0, {target.Distance * std::sin(b), target.Distance * std::cos(b)}, target.Course,
        target.Speed};
    m_legs.push_back(first);
    for (const Manoeuvre &m : target.Manoeuvres) {
        const Leg &last = m_legs.back();
        m_legs.push_back({static_cast<long double>(m.Time),
            along(last.From, last.Course, last.Speed, m.Time - last.Start), m.Course, m.Speed});
    }
}

const TargetTruth::Leg &TargetTruth::legAt(long double seconds) const
{
    const auto next = std::upper_bound(m_legs.begin() + 1, m_legs.end(), seconds,
        [](long double t, const Leg &leg) { return t < leg.Start; });
    return *std::prev(next);
}

SeaPoint TargetTruth::PositionAt(long double seconds) const
{
    const Leg &leg = legAt(seconds);
    return along(leg.From, leg.Course, leg.Speed, seconds - leg.Start);
}

long double TargetTruth::CourseAt(long double seconds) const
{
    return legAt(seconds).Course;
}

long double TargetTruth::SpeedAt(long double seconds) const
{
    return legAt(seconds).Speed;
}

std::vector<long double> TargetTruth::ChangeTimes() const
{
    std::vector<long double> times;
    for (auto leg = m_legs.begin() + 1; leg != m_legs.end(); ++leg)
        times.push_back(leg->Start);
    return times;
}

} // namespace varmet
