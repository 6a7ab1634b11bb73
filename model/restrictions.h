#pragma once

// The firing restrictions of the selected target: which display fields turn red and whether the
// banner "СТРЕЛЬБА ЗАПРЕЩЕНА" is raised. The blinking is the caller's.

#include "state.h"

#include <cstdint>
#include <optional>

namespace varmet {

struct RestrictionInputs
{
    bool angularShown = false; // "Отображение" of the angular solution ticked
    bool linearShown = false; // "Отображение" of the linear solution ticked
    std::int32_t secondTurnPathShown = 0; // "Delta ет (м)" as shown, metres
    std::optional<std::int64_t> theta; // the displayed meeting angle; none when not shown
    std::int32_t maxRun = 0; // metres
};

// Red marks of the fields (true: red) and the banner.
struct RestrictionMarks
{
    bool banner = false;
    bool omega = false; // " W (град)"
    bool path = false; // " ет (м)"
    bool omega1 = false; // "W1 (град)"
    bool omega2 = false; // "W2 (град)"
    bool path1 = false; // "ет1 (м)"
    bool path2 = false; // "ет2 (м)"
    bool theta = false; // "Тетта"
    friend bool operator==(const RestrictionMarks &, const RestrictionMarks &) = default;
};

// A slot without a solution counts as a broken omega and a broken run of each solution, under
// the same display-box and "armed" (fix farther than 1 cable) conditions as those limits.
RestrictionMarks CheckRestrictions(const TargetSlot &slot, const RestrictionInputs &inputs);

} // namespace varmet
