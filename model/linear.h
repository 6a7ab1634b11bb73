#pragma once

// The firing problem by linear quantities: two torpedoes into the first and the third quarter of
// the target's wake, optionally with a second turn at the set meeting angle.

#include "state.h"

#include <cstdint>

namespace varmet {

// All results of torpedo 1, then torpedo 2. Expects ComputeAngularSolution to have run.
// `secondTurnPathShown` is the path after the second turn that "Delta ет (м)" shows now, in
// metres: the second-turn angles are 0 while it is 0, whatever the slot holds. When the slot has
// no solution, every result is 0.
void ComputeTorpedoPair(TargetSlot &slot, std::int32_t ownCourse, std::int32_t secondTurnPathShown);

} // namespace varmet
