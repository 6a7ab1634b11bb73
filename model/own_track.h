#pragma once

// Own ship's true track at sea, for the bearing analysis and the exercises. It is kept apart from
// the board's own-ship vector: each tick moves own ship by the course and speed that tick reads
// from "К пл" and "V пл (узл)" as entered, not rounded to whole knots. Positions are cables east
// and north of where own ship stood at tick 0; speed V knots is V / 360 cables per second.

#include <cstdint>
#include <vector>

namespace varmet {

struct SeaPoint
{
    long double East = 0; // cables
    long double North = 0;
};

// A stretch of steady course and speed, from StartTick on.
struct OwnLeg
{
    std::int32_t StartTick = 0;
    SeaPoint Start; // own ship's position at StartTick
    long double Course = 0; // degrees clockwise from north
    long double Speed = 0; // knots
};

class OwnShipTrack
{
public:
    // One second of steady course and speed, which brings own ship to `tick` (one after the last).
    void Advance(std::int32_t tick, long double courseDegrees, long double speedKnots);

    // Own ship's position at a tick of the track (0 .. LastTick()); before tick 0 it is the start,
    // after the last tick own ship is taken on along its last leg.
    SeaPoint PositionAt(long double tick) const;
    std::int32_t LastTick() const { return m_lastTick; }

    // The legs in order; a new leg starts at every change of course or speed.
    const std::vector<OwnLeg> &Legs() const { return m_legs; }
    // Whether course or speed changed between two ticks (a manoeuvre within the span).
    bool ManoeuvredBetween(std::int32_t fromTick, std::int32_t toTick) const;

    // Restores a track written out before (a session); legs must be in order of StartTick.
    static OwnShipTrack FromLegs(std::vector<OwnLeg> legs, std::int32_t lastTick);

private:
    std::vector<OwnLeg> m_legs;
    std::int32_t m_lastTick = 0;
};

// The velocity of a course and speed in cables per second (east, north).
SeaPoint SeaVelocity(long double courseDegrees, long double speedKnots);

// Bearing (degrees, 0 <= b < 360) and distance (cables) from `from` to `to`; bearing 0 when they
// coincide.
long double SeaBearing(SeaPoint from, SeaPoint to);
long double SeaDistance(SeaPoint from, SeaPoint to);

} // namespace varmet
