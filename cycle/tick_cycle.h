#pragma once

// The once-a-second tick over the five target slots and the operator's fixes of the selected
// target (bearing, distance and course entries), between the model, the board and the console.

#include "console_port.h"
#include "fix_recorder.h"

#include "board/board.h"
#include "model/motion.h"
#include "model/numeric.h"
#include "model/restrictions.h"
#include "model/state.h"

#include <optional>
#include <string_view>
#include <utility>

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
    // distance, writing the rounded distance into "Д до цели (кбт)" first (which runs the
    // distance entry, nested, when that text changes).
    void LabeledEdit7Change();
    // Change of "Д до цели (кбт)": fixes the selected target at the new distance on the bearing
    // of its last fix.
    void LabeledEdit8Change();
    // While the console loads a newly selected slot into the fields: the bearing and distance
    // entries that the loading starts leave a slot that holds no target as it is.
    class SelectionLoad
    {
    public:
        explicit SelectionLoad(TickCycle &cycle)
            : m_cycle(cycle)
            , m_outer(cycle.m_loadingSelection)
        {
            cycle.m_loadingSelection = true;
        }
        ~SelectionLoad() { m_cycle.m_loadingSelection = m_outer; }
        SelectionLoad(const SelectionLoad &) = delete;
        SelectionLoad &operator=(const SelectionLoad &) = delete;

    private:
        TickCycle &m_cycle;
        bool m_outer;
    };

    // Change of "К пл" or "V пл (узл)": the own-ship vector follows at once.
    void RedrawOwnShipVector();
    // The time marks beside a track: the operational time (as the cycle starts) or the ship's
    // clock.
    void useShipClockMarks(bool shipClock) { m_shipClockMarks = shipClock; }
    bool shipClockMarks() const { return m_shipClockMarks; }

    // The operator's fixes. A bearing or distance entry becomes the slot's pending fix, which
    // enters the slot's log once the field has stood through two ticks. A typed value that the
    // operator confirms enters at once: call this right after its entry.
    void CommitPendingFixes();
    // The selected slot's log was cleared: its pending fixes go too.
    void ForgetPendingFixes(int number);
    // The pending fixes, for a session.
    FixRecorder &fixRecorder() { return m_fixes; }
    // While the scope lives, the entries that run are the program's own writes (slot selection
    // loading the fields, a computed solution put into them): they move the target as ever but
    // are no fixes.
    class ProgramWriteScope
    {
    public:
        explicit ProgramWriteScope(bool &flag)
            : m_flag(flag)
            , m_was(std::exchange(flag, true))
        { }
        ~ProgramWriteScope() { m_flag = m_was; }
        ProgramWriteScope(const ProgramWriteScope &) = delete;
        ProgramWriteScope &operator=(const ProgramWriteScope &) = delete;

    private:
        bool &m_flag;
        bool m_was;
    };
    [[nodiscard]] ProgramWriteScope ProgramWrites() { return ProgramWriteScope(m_programWrites); }

private:
    template<typename Step>
    void runHandler(Step step);

    void runTick();
    void slotTurn(int number);
    // Own course and speed from their fields, and own velocity from them.
    WholeVector takeOverOwnShip();
    void moveTarget(int number);
    void takeOverInputs(int number);
    void writeDisplays(const TargetSlot &slot);
    void writeNoTarget();
    void writeTimeMark(TargetSlot &slot);
    void applyRestrictions(const TargetSlot &slot);
    void showMarks(const RestrictionMarks &marks);
    // The selected slot for an entry, made a target by it; nothing while the entry comes from
    // loading a slot that holds no target, or no slot is addressed.
    std::optional<int> entrySlot();
    void bearingEntry();
    void distanceEntry();
    void placeAtFix(int number);
    void recordFix(int number, FixKind kind, long double value, std::optional<long double> expected,
        bool estimate = false);
    void showTrack(int number);
    void showMedian(int number);
    void showTorpedoPair(int number);

    // A field's text as a number; text that is none is a fault.
    template<typename Number>
    Number readNumber(Control control, std::optional<Number> (*parse)(std::string_view)) const;
    std::int32_t wholeNumber(Control control) const;
    long double realNumber(Control control) const;
    // The selected slot's number, or nothing while "Номер п/п" addresses no slot.
    std::optional<int> selectedSlot() const;

    FireControlState &m_state;
    Board &m_board;
    ConsolePort &m_console;
    FixRecorder m_fixes;
    // Entries running now are the program's own writes, not the operator's fixes.
    bool m_programWrites = false;
    bool m_ticking = false;
    bool m_loadingSelection = false;
    bool m_shipClockMarks = false;
};

} // namespace varmet
