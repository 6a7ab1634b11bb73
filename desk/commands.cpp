#include "commands.h"

#include "desk.h"
#include "field_words.h"

#include "session/journal.h"

#include "analysis/bearing_analysis.h"
#include "model/motion.h"
#include "model/number_text.h"
#include "model/units.h"

#include <algorithm>
#include <cmath>

namespace varmet {
namespace {

bool SameFix(const Fix &a, const Fix &b)
{
    return a.Tick == b.Tick && a.Kind == b.Kind && a.Value == b.Value;
}

// The fixes appended to each slot's log since `before`: those after the one that was last then.
template<typename Add>
void FixesAdded(const PlotSnapshot &before, const FireControlState &after, Add add)
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const auto &old = before.state.FixLogs[static_cast<std::size_t>(slot - 1)].Fixes();
        const auto &now = after.FixLogs[static_cast<std::size_t>(slot - 1)].Fixes();
        auto first = now.begin();
        if (!old.empty()) {
            const auto last = std::find_if(
                now.rbegin(), now.rend(), [&](const Fix &fix) { return SameFix(fix, old.back()); });
            first = last == now.rend() ? now.end() : last.base();
        }
        for (auto it = first; it != now.end(); ++it)
            add(slot, *it);
    }
}

QString SlotWords(int slot)
{
    return QStringLiteral(" цели %1").arg(slot);
}

} // namespace

// ---- The common door ----------------------------------------------------------------------------

DeskCommand::DeskCommand(Desk &desk)
    : m_desk(desk)
{ }

void DeskCommand::redo()
{
    // Only what goes on the undo stack needs the plot as it was.
    const bool tracked = undoable();
    if (tracked)
        m_before = m_desk.snapshot();
    m_tick = m_desk.state().TickCount;
    apply();
    // Journalled once, when first done (here, as the stack may merge it into the one before).
    if (!m_recorded) {
        m_recorded = true;
        record(m_desk.journal());
    }
    if (tracked)
        noteFixesMade();
}

void DeskCommand::noteFixesMade()
{
    m_made.clear();
    FixesAdded(m_before, m_desk.state(), [this](int slot, const Fix &fix) {
        // A fix pending before the command that entered its log since is not the command's.
        const auto &was
            = m_before.pending
                  .pending[static_cast<std::size_t>(slot - 1)][static_cast<std::size_t>(fix.Kind)];
        if (!was || !SameFix(was->fix, fix))
            m_made.push_back({slot, fix});
    });
    // A fix still pending enters the log with a later tick: it is the entry's fix too.
    const FixRecorder::Snapshot now = m_desk.cycle().fixRecorder().snapshot();
    for (int slot = 1; slot <= SlotCount; ++slot) {
        for (std::size_t kind = 0; kind < 2; ++kind) {
            const auto &was = m_before.pending.pending[static_cast<std::size_t>(slot - 1)][kind];
            const auto &is = now.pending[static_cast<std::size_t>(slot - 1)][kind];
            if (is && (!was || was->order != is->order))
                m_made.push_back({slot, is->fix});
        }
    }
}

void DeskCommand::record(Journal &journal) const
{
    journal.action(scriptLine());
}

void DeskCommand::undo()
{
    if (m_desk.state().TickCount == m_tick && !revertsExactly())
        m_desk.restore(m_before);
    else
        revertLater();
}

QString DeskCommand::undoName() const
{
    if (m_desk.state().TickCount == m_tick || revertsExactly())
        return text();
    const QString note = laterNote();
    return note.isEmpty() ? text() : QStringLiteral("%1 (%2)").arg(text(), note);
}

FixLog &DeskCommand::logOf(int slot) const
{
    return m_desk.state().FixLogs[static_cast<std::size_t>(slot - 1)];
}

void DeskCommand::removeFixesMade()
{
    FixRecorder &recorder = m_desk.cycle().fixRecorder();
    FixRecorder::Snapshot pending = recorder.snapshot();
    for (const MadeFix &made : m_made) {
        FixLog &log = logOf(made.slot);
        const auto &fixes = log.Fixes();
        const auto found = std::find_if(fixes.rbegin(), fixes.rend(), [&](const Fix &fix) {
            return fix.Kind == made.fix.Kind && fix.Value == made.fix.Value
                && fix.Tick >= made.fix.Tick;
        });
        if (found != fixes.rend()) {
            log.Remove(static_cast<std::size_t>(std::distance(found, fixes.rend()) - 1));
            continue;
        }
        auto &waiting = pending.pending[static_cast<std::size_t>(made.slot - 1)]
                                       [static_cast<std::size_t>(made.fix.Kind)];
        if (waiting && SameFix(waiting->fix, made.fix))
            waiting.reset();
    }
    recorder.restore(pending);
    for (const MadeFix &made : m_made)
        m_desk.fixesChangedIn(made.slot);
}

// ---- Entries
// --------------------------------------------------------------------------------------

FieldInput::FieldInput(Desk &desk, Control field)
    : DeskCommand(desk)
    , m_field(field)
{ }

void FieldInput::revertLater()
{
    {
        const TickCycle::ProgramWriteScope programWrites = m_desk.cycle().ProgramWrites();
        m_desk.fields().setText(m_field, m_previous);
    }
    removeFixesMade();
}

QString FieldInput::laterNote() const
{
    return QStringLiteral("ввести прежнее %1, замер убрать").arg(m_previous);
}

EnterValue::EnterValue(Desk &desk, Control field, std::int32_t value)
    : FieldInput(desk, field)
    , m_value(value)
{
    setText(FieldValueWords(field, QString::number(value), desk.selectedSlot().value_or(0)));
}

QString EnterValue::scriptLine() const
{
    return QStringLiteral("enter %1 %2").arg(QLatin1String(objectName(m_field))).arg(m_value);
}

void EnterValue::apply()
{
    ConsolePort &fields = m_desk.fields();
    m_previous = fields.text(m_field);
    const QString text = QString::number(m_value);
    if (m_previous == text)
        m_desk.cycle().EnterAgain(m_field); // the same report again is a fix of its own
    else
        fields.setText(m_field, text);
    m_desk.cycle().CommitPendingFixes();
}

FixNow::FixNow(Desk &desk, Control field)
    : DeskCommand(desk)
    , m_field(field)
{
    setText(QStringLiteral("замер: ")
        + FieldValueWords(field, desk.fields().text(field), desk.selectedSlot().value_or(0)));
}

QString FixNow::scriptLine() const
{
    return QStringLiteral("fix %1").arg(QLatin1String(objectName(m_field)));
}

void FixNow::apply()
{
    m_desk.cycle().EnterAgain(m_field);
    m_desk.cycle().CommitPendingFixes();
}

// ---- Switches and spin fields
// -------------------------------------------------------------------------------------

SetSwitch::SetSwitch(Desk &desk, Control control, bool on, std::optional<bool> before)
    : DeskCommand(desk)
    , m_control(control)
    , m_on(on)
    , m_previous(before)
{
    const QStringList words = scriptLine().split(QLatin1Char(' '));
    setText(SwitchWords(words.value(0), words.value(1), words.value(2)));
}

QString SetSwitch::scriptLine() const
{
    if (m_control == Control::RadioButton1)
        return m_on ? QStringLiteral("select RadioButton1") : QStringLiteral("select RadioButton2");
    return QStringLiteral("check %1 %2")
        .arg(QLatin1String(objectName(m_control)),
            m_on ? QStringLiteral("on") : QStringLiteral("off"));
}

void SetSwitch::apply()
{
    if (!m_previous)
        m_previous = m_desk.fields().isChecked(m_control);
    m_desk.fields().setChecked(m_control, m_on);
}

void SetSwitch::revertLater()
{
    m_desk.fields().setChecked(m_control, *m_previous);
}

SpinFieldChange::SpinFieldChange(Desk &desk, Control field, int steps, const QString &typed)
    : DeskCommand(desk)
    , m_field(field)
    , m_steps(steps)
    , m_typed(typed)
{ }

QString SpinFieldChange::scriptLine() const
{
    const QLatin1String name(objectName(m_field));
    if (m_steps == 0)
        return QStringLiteral("type %1 %2").arg(name, m_typed).trimmed();
    return QStringLiteral("step %1 %2").arg(name, m_steps > 0 ? "up" : "down");
}

void SpinFieldChange::record(Journal &journal) const
{
    if (m_steps == 0)
        journal.action(scriptLine());
    else // each single step, merged with those before it into "step SpinEdit1 up 3"
        journal.repeatable(scriptLine(), std::abs(m_steps));
}

SetSpin *SetSpin::stepped(
    Desk &desk, Control control, int value, int steps, std::optional<int> before)
{
    return new SetSpin(desk, control, value, steps, {}, before);
}

SetSpin *SetSpin::typed(
    Desk &desk, Control control, int value, const QString &text, std::optional<int> before)
{
    return new SetSpin(desk, control, value, 0, text, before);
}

SetSpin::SetSpin(Desk &desk, Control control, int value, int steps, const QString &typed,
    std::optional<int> before)
    : SpinFieldChange(desk, control, steps, typed)
    , m_value(value)
    , m_previous(before)
{
    setText(FieldValueWords(control, QString::number(value), desk.selectedSlot()));
}

void SetSpin::apply()
{
    if (!m_previous)
        m_previous = m_desk.fields().spinValue(m_field);
    m_desk.fields().setSpinValue(m_field, m_value);
}

void SetSpin::revertLater()
{
    m_desk.fields().setSpinValue(m_field, *m_previous);
}

// ---- The fix log
// ----------------------------------------------------------------------------------

DeleteFix::DeleteFix(Desk &desk, int slot, std::size_t index)
    : DeskCommand(desk)
    , m_slot(slot)
    , m_index(index)
{
    setText(QStringLiteral("удаление замера %1").arg(index + 1) + SlotWords(slot));
}

QString DeleteFix::scriptLine() const
{
    return QStringLiteral("deletefix %1").arg(m_index + 1);
}

void DeleteFix::apply()
{
    FixLog &log = logOf(m_slot);
    m_removed.reset();
    if (m_index < log.Fixes().size())
        m_removed = log.Fixes()[m_index];
    log.Remove(m_index);
    m_desk.fixesChangedIn(m_slot);
}

void DeleteFix::revertLater()
{
    if (m_removed)
        logOf(m_slot).Insert(m_index, *m_removed);
    m_desk.fixesChangedIn(m_slot);
}

ClearLog::ClearLog(Desk &desk, int slot)
    : DeskCommand(desk)
    , m_slot(slot)
{
    setText(QStringLiteral("очистка журнала замеров") + SlotWords(slot));
}

QString ClearLog::scriptLine() const
{
    return QStringLiteral("clearlog");
}

void ClearLog::apply()
{
    FixLog &log = logOf(m_slot);
    m_cleared = log;
    log.Clear();
    m_desk.cycle().ForgetPendingFixes(m_slot);
    m_desk.fixesChangedIn(m_slot);
}

void ClearLog::revertLater()
{
    // The cleared fixes come back before those made since.
    FixLog &log = logOf(m_slot);
    FixLog restored = m_cleared;
    for (const Fix &fix : log.Fixes())
        restored.Add(fix);
    if (log.NewLegTick)
        restored.NewLegTick = log.NewLegTick;
    log = restored;
    m_desk.fixesChangedIn(m_slot);
}

MarkEstimate::MarkEstimate(Desk &desk, int slot, std::size_t index, bool estimate)
    : DeskCommand(desk)
    , m_slot(slot)
    , m_index(index)
    , m_estimate(estimate)
{
    setText(QStringLiteral("замер %1 — %2")
                .arg(index + 1)
                .arg(estimate ? QStringLiteral("оценка") : QStringLiteral("измерение"))
        + SlotWords(slot));
}

QString MarkEstimate::scriptLine() const
{
    return QStringLiteral("estimate %1 %2").arg(m_index + 1).arg(m_estimate ? "on" : "off");
}

void MarkEstimate::apply()
{
    FixLog &log = logOf(m_slot);
    m_previous = m_index < log.Fixes().size() && log.Fixes()[m_index].Estimate;
    log.SetEstimate(m_index, m_estimate);
    m_desk.fixesChangedIn(m_slot);
}

void MarkEstimate::revertLater()
{
    logOf(m_slot).SetEstimate(m_index, m_previous);
    m_desk.fixesChangedIn(m_slot);
}

NewLeg::NewLeg(Desk &desk, int slot, std::int32_t tick)
    : DeskCommand(desk)
    , m_slot(slot)
    , m_legTick(tick)
{
    setText(QStringLiteral("новый галс") + SlotWords(slot));
}

QString NewLeg::scriptLine() const
{
    // From now, or from an earlier tick (the manoeuvre a fit found).
    return m_legTick == m_desk.state().TickCount ? QStringLiteral("newleg")
                                                 : QStringLiteral("newleg %1").arg(m_legTick);
}

void NewLeg::apply()
{
    FixLog &log = logOf(m_slot);
    m_previous = log.NewLegTick;
    log.NewLegTick = m_legTick;
    m_desk.fixesChangedIn(m_slot);
}

void NewLeg::revertLater()
{
    logOf(m_slot).NewLegTick = m_previous;
    m_desk.fixesChangedIn(m_slot);
}

// ---- The fit
// ----------------------------------------------------------------------------------------

ApplyFit::ApplyFit(Desk &desk, int slot, const FitSolution &fit)
    : DeskCommand(desk)
    , m_slot(slot)
    , m_fit(fit)
{
    setText(QStringLiteral("применение решения") + SlotWords(slot));
}

QString ApplyFit::scriptLine() const
{
    return QStringLiteral("apply");
}

void ApplyFit::apply()
{
    const FitSolution *found = &m_fit;
    FireControlState &state = m_desk.state();
    TargetSlot &slot = state.Slots[m_slot];
    m_previousCourse = slot.TargetCourse;
    m_previousSpeed = slot.TargetSpeed;
    // The target where the fit has it now, on the fit's own course and speed: the trial
    // solution is the fit.
    const SeaPoint own = state.OwnTrack.PositionAt(state.TickCount);
    const SeaPoint at = found->Motion.PositionAt(state.TickCount);
    slot.IsTarget = true;
    slot.PosX = BoardCenter + (at.East - own.East) * PxPerCable;
    slot.PosY = BoardCenter - (at.North - own.North) * PxPerCable;
    slot.FixBearing = PredictedBearing(found->Motion, state.OwnTrack, state.TickCount);
    slot.FixDistance = PredictedDistance(found->Motion, state.OwnTrack, state.TickCount);
    slot.TargetCourse = std::fmod(found->Course, 360.0L);
    slot.TargetSpeed = found->Speed;
    UpdateTargetVelocity(slot);
    UpdateRangeAndBearing(slot);
    // The fields show the solution rounded; showing it moves nothing.
    TickCycle &cycle = m_desk.cycle();
    const TickCycle::ProgramWriteScope programWrites = cycle.ProgramWrites();
    const TickCycle::SelectionLoad showing(cycle);
    ConsolePort &fields = m_desk.fields();
    long double course = RoundHalfEven(slot.TargetCourse);
    if (course >= 360)
        course -= 360;
    fields.setText(Control::LabeledEdit9, QString::fromStdString(WholeText(course)));
    fields.setText(Control::LabeledEdit1, QString::fromStdString(WholeText(slot.TargetSpeed)));
    fields.setText(Control::LabeledEdit8, QString::fromStdString(WholeText(slot.DistancePx / 2)));
    cycle.ShowFigures();
}

void ApplyFit::revertLater()
{
    TargetSlot &slot = m_desk.state().Slots[m_slot];
    slot.TargetCourse = m_previousCourse;
    slot.TargetSpeed = m_previousSpeed;
    UpdateTargetVelocity(slot);
    TickCycle &cycle = m_desk.cycle();
    const TickCycle::ProgramWriteScope programWrites = cycle.ProgramWrites();
    const TickCycle::SelectionLoad showing(cycle);
    m_desk.fields().setText(
        Control::LabeledEdit9, QString::fromStdString(WholeText(m_previousCourse)));
    m_desk.fields().setText(
        Control::LabeledEdit1, QString::fromStdString(WholeText(m_previousSpeed)));
    cycle.ShowFigures();
}

} // namespace varmet
