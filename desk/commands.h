#pragma once

// One command per operator action, each with its typed payload. A command applies itself to the
// desk (redo), names itself in the operator's words ("пеленг 45° цели 2") and gives its line in
// the journal. Undone in the same second it puts the plot back exactly as it was before it; undone
// later, when the plot has moved on, it undoes its own effect now (an entry: the previous value
// re-entered now and the fix it made removed) and its name says so.

#include "plot_snapshot.h"

#include "analysis/bearing_analysis.h"
#include "cycle/console_port.h"
#include "model/fix_log.h"

#include <QString>
#include <QUndoCommand>

#include <cstdint>
#include <optional>
#include <vector>

namespace varmet {

class Desk;
class Journal;

class DeskCommand : public QUndoCommand
{
public:
    // The command's line in the journal, in the driver's script language.
    virtual QString scriptLine() const = 0;
    // Records the command in the journal (as its line, unless it is a step or a setting merged
    // with the same one before it).
    virtual void record(Journal &journal) const;
    // The undo item's name now: a later undo says what it will do.
    QString undoName() const;

    // Whether the command goes on the undo stack (the flow of time does not: undo never stops the
    // clock). One that does not is done once and for good, and says afterwards what it was for
    // the plot: a change, nothing changed (journalled only), the plot saved, or another plot put
    // in its place (no undo outlives it).
    virtual bool undoable() const { return true; }
    enum class Outcome { Changed, Unchanged, Saved, Replaced };
    virtual Outcome outcome() const { return Outcome::Changed; }
    // What went wrong, to be told to the operator (a file refused or not written); none: done.
    virtual std::optional<QString> failure() const { return std::nullopt; }
    // Whether the command changes nothing but the board's picture (the state and the fixes stay).
    virtual bool drawsOnly() const { return false; }

    void redo() final;
    void undo() final;

protected:
    explicit DeskCommand(Desk &desk);
    virtual void apply() = 0;
    // Undone after time has passed: the command's own effect undone now.
    virtual void revertLater() = 0;
    // Whether revertLater() puts back exactly what the command changed, whenever it runs (a
    // switch, a spin field): then undo never goes back to the snapshot, which would also take back
    // what happened around the command.
    virtual bool revertsExactly() const { return false; }
    // What a later undo does, for its name ("введен прежний 40°"); empty: nothing to add.
    virtual QString laterNote() const { return {}; }
    // Removes the fixes this command made (logged since, or still pending).
    void removeFixesMade();
    // Notes again which fixes the command made since its snapshot (after a later step merged
    // into it).
    void noteFixesMade();
    // The fix log of slot `slot` (1 to SlotCount) on the desk.
    FixLog &logOf(int slot) const;

    Desk &m_desk;
    PlotSnapshot m_before;
    std::int32_t m_tick = 0;

private:
    struct MadeFix
    {
        int slot;
        Fix fix;
    };
    std::vector<MadeFix> m_made;
    bool m_recorded = false;
};

// A new text of an input field whose stands make fixes. Undone later, the text before is entered
// again and the fixes the command made are removed.
class FieldInput : public DeskCommand
{
protected:
    FieldInput(Desk &desk, Control field);

    Control m_field;
    QString m_previous; // the field's text before

private:
    void revertLater() override;
    QString laterNote() const override;
};

// A value the operator typed into an input field and confirmed (Enter), or a report confirmed
// equal to what the field shows: always a fix of the bearing or distance field.
class EnterValue : public FieldInput
{
public:
    EnterValue(Desk &desk, Control field, std::int32_t value);
    QString scriptLine() const override;

private:
    void apply() override;

    std::int32_t m_value;
};

// "Замер": the field's current value logged as a fix at the current time.
class FixNow : public DeskCommand
{
public:
    FixNow(Desk &desk, Control field);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override { removeFixesMade(); }

    Control m_field;
};

// "Удалить замер": the fix at `index` (from 0) of slot `slot`'s log.
class DeleteFix : public DeskCommand
{
public:
    DeleteFix(Desk &desk, int slot, std::size_t index);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;

    int m_slot;
    std::size_t m_index;
    std::optional<Fix> m_removed;
};

// "Очистить журнал" of slot `slot`.
class ClearLog : public DeskCommand
{
public:
    ClearLog(Desk &desk, int slot);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;

    int m_slot;
    FixLog m_cleared;
};

// "оценка" of the fix at `index` (from 0) of slot `slot`'s log: a distance only guessed
// (`estimate`) or measured; the fit weighs the two differently.
class MarkEstimate : public DeskCommand
{
public:
    MarkEstimate(Desk &desk, int slot, std::size_t index, bool estimate);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;

    int m_slot;
    std::size_t m_index;
    bool m_estimate;
    bool m_previous = false;
};

// A switch of the main window: "Отображение" of the angular (CheckBox1) or linear (CheckBox2)
// solution, target motion on or off (RadioButton1 on, or off: "Выкл. движение цели").
// `before`: what the switch showed before, when a widget has already changed (else read now).
class SetSwitch : public DeskCommand
{
public:
    SetSwitch(Desk &desk, Control control, bool on, std::optional<bool> before = {});
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }

    Control m_control;
    bool m_on;
    std::optional<bool> m_previous;
};

// A spin field changed by `steps` single steps of its arrows or keys (up: +), or typed (`steps`
// 0) as `typed`, the text it shows: journalled as "step X up" once a step, or "type X 5".
class SpinFieldChange : public DeskCommand
{
public:
    QString scriptLine() const override;
    void record(Journal &journal) const override;

protected:
    SpinFieldChange(Desk &desk, Control field, int steps, const QString &typed);

    Control m_field;
    int m_steps; // 0: typed
    QString m_typed;
};

// "Тетта (гр)" (SpinEdit1) or "Delta ет (м)" (SpinEdit3) set to `value`, stepped by `steps` single
// steps of its arrows or keys, or typed as `typed` (the text the field shows). `before`: the
// value before, when the field has already changed (else read now).
class SetSpin : public SpinFieldChange
{
public:
    static SetSpin *stepped(
        Desk &desk, Control control, int value, int steps, std::optional<int> before = {});
    static SetSpin *typed(Desk &desk, Control control, int value, const QString &text,
        std::optional<int> before = {});

private:
    SetSpin(Desk &desk, Control control, int value, int steps, const QString &typed,
        std::optional<int> before);
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }

    int m_value;
    std::optional<int> m_previous;
};

// "Новый галс" of slot `slot` from `tick` (now, or the manoeuvre a fit found): the fixes before it
// no longer describe the target's leg.
class NewLeg : public DeskCommand
{
public:
    NewLeg(Desk &desk, int slot, std::int32_t tick);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;

    int m_slot;
    std::int32_t m_legTick;
    std::optional<std::int32_t> m_previous;
};

// "Применить": the target of slot `slot` put where the fit says it is now, moving on the fit's
// course and speed; the fields show them rounded.
class ApplyFit : public DeskCommand
{
public:
    ApplyFit(Desk &desk, int slot, const FitSolution &fit);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;

    int m_slot;
    FitSolution m_fit;
    long double m_previousCourse = 0;
    long double m_previousSpeed = 0;
};

} // namespace varmet
