#pragma once

// The plot as the operator works on it, without any widget: own ship, the five slots, the fix logs,
// the board, the clock and the tick cycle over the input fields, the analysis state with the last
// the journal and the undo stack. Every operator action is a DeskCommand, and
// execute() is the one door it goes through: applied, recorded in the journal (the driver's script
// language, so that a journal replays), put on the undo stack, and counted as a change.

#include "analysis_state.h"
#include "plot_snapshot.h"
#include "work_settings.h"

#include "board/board.h"
#include "cycle/console_port.h"
#include "cycle/tick_cycle.h"
#include "session/journal.h"

#include <QObject>
#include <QUndoStack>

#include <array>
#include <memory>
#include <optional>

namespace varmet {

class DeskCommand;

class Desk : public QObject
{
    Q_OBJECT
public:
    // `fields`: where the operator's inputs and the displays live (the console's fields, or
    // DeskFields without a window); it runs the cycle's entries when a text changes.
    explicit Desk(ConsolePort &fields, QObject *parent = nullptr);
    ~Desk() override;

    FireControlState &state() { return m_state; }
    const FireControlState &state() const { return m_state; }
    Board &board() { return *m_board; }
    TickCycle &cycle() { return *m_cycle; }
    ConsolePort &fields() { return m_fields; }
    const ConsolePort &fields() const { return m_fields; }
    Journal &journal() { return m_journal; }
    const Journal &journal() const { return m_journal; }
    QUndoStack &undoStack() { return m_undo; }
    // The fits' σ and each slot's last fit.
    AnalysisState &analysis() { return m_analysis; }
    const AnalysisState &analysis() const { return m_analysis; }
    // The danger limit and the flow of time.
    WorkSettings &work() { return m_work; }
    const WorkSettings &work() const { return m_work; }

    // The one door of an operator action (takes it over): applied, journalled, undoable, a change.
    // A command that merges into the one before it is journalled as it is applied, before the
    // stack drops it.
    // A command that cannot be undone is done once and counted as it says (a save marks the plot
    // saved, an open or a start replaces it); returns what went wrong with it, for the operator.
    std::optional<QString> execute(DeskCommand *command);
    // Undo and redo of the last action, themselves journalled ("undo", "redo"); false: none.
    bool undo();
    bool redo();
    // "Отменить: пеленг 45° цели 2", or nothing to undo.
    QString undoText() const;
    QString redoText() const;

    // The selected slot as "Номер п/п" shows it, when it addresses one.
    std::optional<int> selectedSlot() const;

    // The slot whose inputs the fields show (ShowSlot changes it).
    int shownSlot() const { return m_shownSlot; }
    void setShownSlot(int number) { m_shownSlot = number; }

    // Whether anything changed since the plot was last saved or opened.
    bool hasChanges() const { return m_journal.revision() != m_savedRevision; }
    void markSaved() { m_savedRevision = m_journal.revision(); }

    // Slot `number`'s fixes or its new-leg mark changed (a fit made before is out of date).
    void fixesChangedIn(int number) { emit fixesChanged(number); }
    // Another plot replaces this one (a session opened, an exercise started, a replay, a
    // restart): no fit and no undo outlive it.
    void replacePlot();

    // What an entry can change, and putting it back without running any entry.
    PlotSnapshot snapshot() const;
    void restore(const PlotSnapshot &snapshot);
    // While the fields are put back no entry may run (whoever runs entries asks).
    bool restoring() const { return m_restoring; }

signals:
    // After every command, undo and redo: the plot may show something else.
    void changed();
    // After a command that changed the board's picture alone (an eraser stroke's every part): what
    // follows the state or the fixes has nothing to do.
    void pictureChanged();
    // Another plot replaced this one.
    void replaced();
    // The fields are being loaded to show slot `number`: its course and speed are written, its
    // target number (a field only the window has) comes next.
    void showingSlot(int number);
    // The fields show slot `number`.
    void slotShown(int number);
    // "Номер цели" of the selected slot is now `value` (a field only the window has).
    void targetNumberShown(std::int32_t value);
    // A command changed slot `number`'s fixes, or the plot was put back: a fit of it is stale.
    void fixesChanged(int number);

private:
    ConsolePort &m_fields;
    FireControlState m_state;
    std::unique_ptr<Board> m_board;
    std::unique_ptr<TickCycle> m_cycle;
    Journal m_journal;
    AnalysisState m_analysis;
    WorkSettings m_work;
    std::uint64_t m_savedRevision = 0;
    QUndoStack m_undo;
    bool m_restoring = false;
    int m_shownSlot = 1;
};

} // namespace varmet
