#pragma once

// The once-a-second tick over the five target slots and the operator's fixes of the selected
// target (bearing, distance and course entries), between the model, the board and the console.

#include "console_port.h"

#include "board/board.h"
#include "model/state.h"

namespace varmet {

class TickCycle
{
public:
    TickCycle(FireControlState &state, Board &board, ConsolePort &console);

    // The clock and its two time texts, then a slot turn for slots 1 to 5. A fault ends the tick
    // at that step and is reported once; a tick never re-enters (a call while one runs, e.g. from
    // the nested loop of the fault's message box, does nothing).
    void Timer1Timer();

    // Change of "П акустический": fixes the selected target on the new bearing at its present
    // distance, writing the rounded distance into "Д до цели (кбт)" first.
    void LabeledEdit7Change();
    // Change of "Д до цели (кбт)": fixes the selected target at the new distance on the bearing
    // of its last fix.
    void LabeledEdit8Change();
    // Change of "Кц": nothing until the next tick takes the course over.
    void LabeledEdit9Change() {}
    // Change of "К пл" or "V пл (узл)": the own-ship vector follows at once.
    void RedrawOwnShipVector();

private:
    // members in tick_cycle.cpp's order of use
    FireControlState &m_state;
    Board &m_board;
    ConsolePort &m_console;
    bool m_busy = false;
};

} // namespace varmet
