#pragma once

// Everything a session file holds: the fire-control state, the board, the console's controls and
// the operator's journal. The controls are a plain map from a control's object name (with a
// ".property" suffix for what is not its text) to its state as text; only the console knows what
// they mean.

#include "board/board.h"
#include "cycle/fix_recorder.h"
#include "exercise/exercise.h"
#include "model/state.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

namespace varmet {

using ControlStates = std::map<QString, QString>;

struct SessionData
{
    FireControlState state;
    FixRecorder::Snapshot pendingFixes; // entries not yet settled into the fix logs
    BoardRecord board;
    // The operator's inputs by name; an input a file lacks is absent here and takes its default.
    ControlStates controls;
    // What the console keeps beside the model: the time marks' clock and the held arrow.
    bool shipClockMarks = false; // time marks by the ship's clock, not operational time
    std::optional<std::size_t> heldStepper; // which of the four held-stepping arrows is down
    std::int32_t holdTicks = 0; // the hold timer's ticks since that press
    QString journal; // the operator's actions from start-up, in the script language
    std::optional<ExerciseState> exercise; // the exercise started last, running or ended
    // The inputs came from a newer minor version of their section: names this program does not
    // know are passed over instead of refused.
    bool inputsOfNewerMinor = false;
};

} // namespace varmet
