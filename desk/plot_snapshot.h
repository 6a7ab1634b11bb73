#pragma once

// The part of the plot an operator's entry can change within a second: the fire-control state, the
// pending fixes and the input fields' texts. Put back in the same second it leaves the plot exactly
// as it was (the live figures are drawn again from the state).

#include "cycle/console_port.h"
#include "cycle/fix_recorder.h"
#include "model/state.h"

#include <QString>

#include <utility>
#include <vector>

namespace varmet {

struct PlotSnapshot
{
    FireControlState state;
    FixRecorder::Snapshot pending;
    std::vector<std::pair<Control, QString>> fields;
};

} // namespace varmet
