#pragma once

// The truth of an exercise: each target's true track at sea, in cables east and north of where
// own ship stood at the start, with its manoeuvres at their times. Own ship's true track is the
// model's own (FireControlState::OwnTrack), moved by the trainee's course and speed.

#include "exercise_file.h"

#include "model/own_track.h"

#include <vector>

namespace varmet {

class TargetTruth
{
public:
    explicit TargetTruth(const ExerciseTarget &target);

    // Position, course and speed `seconds` after the start. A manoeuvre at time t is steered
    // from t on: at t the position is still that of the old leg's end.
    SeaPoint PositionAt(long double seconds) const;
    long double CourseAt(long double seconds) const;
    long double SpeedAt(long double seconds) const;
    // The times at which course or speed change, in order.
    std::vector<long double> ChangeTimes() const;

private:
    struct Leg
    {
        long double Start = 0; // seconds
        SeaPoint From;
        long double Course = 0;
        long double Speed = 0;
    };
    const Leg &legAt(long double seconds) const;

    std::vector<Leg> m_legs;
};

} // namespace varmet
