#include "own_track.h"

#include "units.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace varmet {

namespace {

constexpr long double SecondsPerHour = 3600.0L;
constexpr long double CablesPerMile = 10.0L;

SeaPoint Along(SeaPoint start, SeaPoint velocity, long double seconds)
{
    return {start.East + velocity.East * seconds, start.North + velocity.North * seconds};
}

} // namespace

SeaPoint SeaVelocity(long double courseDegrees, long double speedKnots)
{
    const long double cablesPerSecond = speedKnots * CablesPerMile / SecondsPerHour;
    const long double course = DegreesToRadians(courseDegrees);
    return {cablesPerSecond * std::sin(course), cablesPerSecond * std::cos(course)};
}

long double SeaBearing(SeaPoint from, SeaPoint to)
{
    const long double east = to.East - from.East;
    const long double north = to.North - from.North;
    if (east == 0 && north == 0)
        return 0;
    const long double bearing = RadiansToDegrees(std::atan2(east, north));
    return bearing < 0 ? bearing + 360.0L : bearing;
}

long double SeaDistance(SeaPoint from, SeaPoint to)
{
    return std::hypot(to.East - from.East, to.North - from.North);
}

void OwnShipTrack::Advance(std::int32_t tick, long double courseDegrees, long double speedKnots)
{
    if (m_legs.empty() || m_legs.back().Course != courseDegrees
        || m_legs.back().Speed != speedKnots)
        m_legs.push_back({m_lastTick, PositionAt(m_lastTick), courseDegrees, speedKnots});
    m_lastTick = tick;
}

SeaPoint OwnShipTrack::PositionAt(long double tick) const
{
    if (m_legs.empty() || tick <= m_legs.front().StartTick)
        return m_legs.empty() ? SeaPoint {} : m_legs.front().Start;
    const auto next = std::upper_bound(m_legs.begin(), m_legs.end(), tick,
        [](long double t, const OwnLeg &leg) { return t < leg.StartTick; });
    const OwnLeg &leg = *std::prev(next);
    return Along(leg.Start, SeaVelocity(leg.Course, leg.Speed), tick - leg.StartTick);
}

bool OwnShipTrack::ManoeuvredBetween(std::int32_t fromTick, std::int32_t toTick) const
{
    // A leg that starts strictly inside the span changed course or speed there.
    return std::any_of(m_legs.begin(), m_legs.end(),
        [&](const OwnLeg &leg) { return leg.StartTick > fromTick && leg.StartTick < toTick; });
}

OwnShipTrack OwnShipTrack::FromLegs(std::vector<OwnLeg> legs, std::int32_t lastTick)
{
    OwnShipTrack track;
    track.m_legs = std::move(legs);
    track.m_lastTick = lastTick;
    return track;
}

} // namespace varmet
