#include "input_commands.h"

#include "desk.h"
#include "field_words.h"

#include "session/journal.h"

#include "model/number_text.h"
#include "model/numeric.h"
#include "model/units.h"

#include <cstdlib>
#include <utility>

namespace varmet {
namespace {

// Undo items that merge with the one before them (QUndoCommand::id()).
enum MergeId { StepId = 1701, SelectId, SigmaId, DangerId, TargetNumberId };

QString Way(int steps)
{
    return steps > 0 ? QStringLiteral("up") : QStringLiteral("down");
}

// The journal line of a motion (Press, Repeat, Keys) of an arrow-stepped field: "press X up",
// "repeat X", "step X up".
template<typename Motion>
QString ArrowLine(Motion motion, QLatin1String field, int steps)
{
    if (motion == Motion::Press)
        return QStringLiteral("press %1 %2").arg(field, Way(steps));
    if (motion == Motion::Repeat)
        return QStringLiteral("repeat %1").arg(field);
    return QStringLiteral("step %1 %2").arg(field, Way(steps));
}

// Journals a motion: a press as it is (its release right after makes it a step), a repeat and each
// key step merged with the same line before it.
template<typename Motion>
void RecordArrow(Journal &journal, Motion motion, const QString &line, int steps)
{
    if (motion == Motion::Press)
        journal.action(line);
    else
        journal.repeatable(line, motion == Motion::Repeat ? 1 : std::abs(steps));
}

// Whether a motion joins the one before it into one undo item: the repeats of a held arrow join its
// press, key steps those of the same second.
template<typename Motion>
bool ArrowJoins(Motion earlier, Motion later, bool sameTick)
{
    if (later == Motion::Repeat)
        return earlier == Motion::Press || earlier == Motion::Repeat;
    return later == Motion::Keys && earlier == Motion::Keys && sameTick;
}

} // namespace

// ---- Arrows and keys --------------------------------------------------------------------------

StepField::StepField(Desk &desk, Control field, Motion motion, int steps, int value)
    : FieldInput(desk, field)
    , m_motion(motion)
    , m_steps(steps)
    , m_value(value)
{
    name();
}

void StepField::name()
{
    setText(FieldValueWords(m_field, QString::number(m_value), m_desk.selectedSlot()));
}

QString StepField::scriptLine() const
{
    return ArrowLine(m_motion, QLatin1String(objectName(m_field)), m_steps);
}

void StepField::record(Journal &journal) const
{
    RecordArrow(journal, m_motion, scriptLine(), m_steps);
}

int StepField::id() const
{
    return StepId;
}

bool StepField::mergeWith(const QUndoCommand *other)
{
    const auto *later = dynamic_cast<const StepField *>(other);
    if (!later || later->m_field != m_field
        || !ArrowJoins(m_motion, later->m_motion, later->m_tick == m_tick))
        return false;
    m_value = later->m_value;
    m_steps += later->m_steps;
    name();
    noteFixesMade();
    return true;
}

void StepField::apply()
{
    ConsolePort &fields = m_desk.fields();
    m_previous = fields.text(m_field);
    const QString text = QString::number(m_value);
    // A step at the end of a range changes nothing: no undo item (its line stays in the journal).
    if (!m_applied && text == m_previous)
        setObsolete(true);
    m_applied = true;
    fields.setText(m_field, text);
}

// ---- "Номер п/п" ------------------------------------------------------------------------------

SelectSlot *SelectSlot::stepped(Desk &desk, int number, int steps, std::optional<int> before)
{
    return new SelectSlot(desk, number, steps, {}, before);
}

SelectSlot *SelectSlot::typed(
    Desk &desk, int number, const QString &text, std::optional<int> before)
{
    return new SelectSlot(desk, number, 0, text, before);
}

SelectSlot::SelectSlot(
    Desk &desk, int number, int steps, const QString &typed, std::optional<int> before)
    : SpinFieldChange(desk, Control::SpinEdit2, steps, typed)
    , m_number(number)
    , m_spinBefore(before)
{
    setText(QStringLiteral("выбор цели %1").arg(number));
}

int SelectSlot::id() const
{
    return SelectId; // never merges: only so that a selection changing nothing leaves no item
}

void SelectSlot::apply()
{
    const ConsolePort &fields = m_desk.fields();
    // What "Номер п/п" held before: the console's field has already changed when it asks.
    const int before
        = !m_applied && m_spinBefore ? *m_spinBefore : fields.spinValue(Control::SpinEdit2);
    if (!m_applied) {
        m_shownBefore = m_desk.shownSlot();
        // A choice that shows no other slot (the same one, or a number being typed that
        // addresses none) leaves no undo item; its line stays in the journal.
        if (m_shownBefore == m_number || !TargetSlots::Contains(m_number))
            setObsolete(true);
    }
    m_applied = true;
    // The fields are loaded whenever the text changed: a step at the end of the range changes
    // nothing, a typed text always changed (it may have addressed no slot for a while). A window
    // shows the slot as its field changes; then it is not loaded twice.
    if (!setField(m_number) && (m_steps == 0 || before != m_number))
        ShowSlot(m_desk, m_number);
}

void SelectSlot::revertLater()
{
    if (!setField(m_shownBefore))
        ShowSlot(m_desk, m_shownBefore);
}

bool SelectSlot::setField(int number)
{
    const int shown = m_desk.shownSlot();
    m_desk.fields().setSpinValue(Control::SpinEdit2, number);
    return m_desk.shownSlot() != shown;
}

// ---- "Номер цели" ------------------------------------------------------------------------------

SetTargetNumber::SetTargetNumber(Desk &desk, Motion motion, int steps, std::int32_t value)
    : DeskCommand(desk)
    , m_slot(desk.selectedSlot().value_or(0))
    , m_motion(motion)
    , m_steps(steps)
    , m_value(value)
{
    name();
}

void SetTargetNumber::name()
{
    setText(QStringLiteral("номер цели %1 (цель п/п %2)").arg(m_value).arg(m_slot));
}

QString SetTargetNumber::scriptLine() const
{
    if (m_motion == Motion::Typed)
        return QStringLiteral("enter LabeledEdit4 %1").arg(m_value);
    return ArrowLine(m_motion, QLatin1String("LabeledEdit4"), m_steps);
}

void SetTargetNumber::record(Journal &journal) const
{
    if (m_motion == Motion::Typed)
        journal.action(scriptLine());
    else
        RecordArrow(journal, m_motion, scriptLine(), m_steps);
}

int SetTargetNumber::id() const
{
    return TargetNumberId;
}

bool SetTargetNumber::mergeWith(const QUndoCommand *other)
{
    const auto *later = dynamic_cast<const SetTargetNumber *>(other);
    if (!later || later->m_slot != m_slot
        || !ArrowJoins(m_motion, later->m_motion, later->m_tick == m_tick))
        return false;
    m_value = later->m_value;
    m_steps += later->m_steps;
    name();
    // Back where it began: no undo item left.
    setObsolete(m_previous && *m_previous == m_value);
    return true;
}

void SetTargetNumber::apply()
{
    if (!m_previous) {
        m_previous = TargetSlots::Contains(m_slot) ? m_desk.state().Slots[m_slot].TargetNumber : 0;
        // The end of the range, or no slot addressed: nothing to undo (the line stays).
        if (*m_previous == m_value || !TargetSlots::Contains(m_slot))
            setObsolete(true);
    }
    show(m_value);
}

void SetTargetNumber::revertLater()
{
    show(*m_previous);
}

void SetTargetNumber::show(std::int32_t value)
{
    if (TargetSlots::Contains(m_slot))
        m_desk.state().Slots[m_slot].TargetNumber = value;
    if (m_desk.selectedSlot().value_or(0) == m_slot)
        emit m_desk.targetNumberShown(value);
}

// ---- Settings within a tick --------------------------------------------------------------------

template<typename Self, typename Value>
SettingInTick<Self, Value>::SettingInTick(
    Desk &desk, Value value, int mergeId, const char *journalPrefix)
    : DeskCommand(desk)
    , m_value(std::move(value))
    , m_mergeId(mergeId)
    , m_journalPrefix(journalPrefix)
{ }

template<typename Self, typename Value>
void SettingInTick<Self, Value>::record(Journal &journal) const
{
    // A change right after the last one (no tick between) replaces its line.
    journal.setting(QLatin1String(m_journalPrefix), scriptLine());
}

template<typename Self, typename Value>
bool SettingInTick<Self, Value>::mergeWith(const QUndoCommand *other)
{
    const auto *later = dynamic_cast<const Self *>(other);
    if (!later || later->m_tick != m_tick)
        return false;
    m_value = later->m_value;
    name();
    // Back where it began: no undo item left.
    setObsolete(m_previous && *m_previous == m_value);
    return true;
}

template<typename Self, typename Value>
void SettingInTick<Self, Value>::apply()
{
    if (!m_previous)
        m_previous = current();
    if (*m_previous == m_value)
        setObsolete(true);
    set(m_value);
}

template<typename Self, typename Value>
void SettingInTick<Self, Value>::revertLater()
{
    set(*m_previous);
}

template class SettingInTick<SetSigma, FitSigmas>;
template class SettingInTick<SetDangerLimit, double>;

// ---- The bearing analysis ---------------------------------------------------------------------

namespace {

// "1.0", "0.05": as the σ boxes show it, without trailing zeros beyond the first decimal.
QString SigmaText(double value)
{
    QString text = QString::number(value, 'f', 2);
    if (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

} // namespace

SetSigma::SetSigma(Desk &desk, const FitSigmas &sigmas)
    : SettingInTick(desk, sigmas, SigmaId, "sigma ")
{
    name();
}

void SetSigma::name()
{
    const FitSigmas &before = m_previous.value_or(current());
    QStringList words;
    if (m_value.bearing != before.bearing)
        words << QStringLiteral("пеленга %1°").arg(SigmaText(m_value.bearing));
    if (m_value.distance != before.distance || words.isEmpty())
        words << QStringLiteral("дистанции %1 кбт").arg(SigmaText(m_value.distance));
    setText(QStringLiteral("СКО ") + words.join(QStringLiteral(", ")));
}

QString SetSigma::scriptLine() const
{
    return QStringLiteral("sigma %1 %2")
        .arg(QString::number(m_value.bearing, 'g', 17), QString::number(m_value.distance, 'g', 17));
}

FitSigmas SetSigma::current() const
{
    return m_desk.analysis().sigmas();
}

void SetSigma::set(const FitSigmas &sigmas)
{
    m_desk.analysis().setSigmas(sigmas);
}

Solve::Solve(Desk &desk, int slot, SlotFit fit)
    : DeskCommand(desk)
    , m_slot(slot)
    , m_fit(std::move(fit))
{
    setText(QStringLiteral("расчет решения цели %1").arg(slot));
}

QString Solve::scriptLine() const
{
    return QStringLiteral("solve");
}

void Solve::apply()
{
    m_previous = m_desk.analysis().fit(m_slot);
    m_desk.analysis().setFit(m_slot, m_fit);
}

void Solve::revertLater()
{
    m_desk.analysis().setFit(m_slot, m_previous);
}

// ---- The situation and the flow of time ---------------------------------------------------------

SetDangerLimit::SetDangerLimit(Desk &desk, double cables)
    : SettingInTick(desk, cables, DangerId, "situation limit")
{
    name();
}

void SetDangerLimit::name()
{
    setText(QStringLiteral("опасная дистанция %1 кбт").arg(QString::number(m_value, 'f', 1)));
}

QString SetDangerLimit::scriptLine() const
{
    return QStringLiteral("situation limit %1").arg(QString::number(m_value, 'f', 1));
}

double SetDangerLimit::current() const
{
    return m_desk.work().dangerLimit();
}

void SetDangerLimit::set(const double &cables)
{
    m_desk.work().setDangerLimit(cables);
}

SetTimeFlow *SetTimeFlow::speed(Desk &desk, int speed)
{
    return new SetTimeFlow(desk, speed, std::nullopt);
}

SetTimeFlow *SetTimeFlow::pause(Desk &desk, bool paused)
{
    return new SetTimeFlow(desk, std::nullopt, paused);
}

SetTimeFlow::SetTimeFlow(Desk &desk, std::optional<int> speed, std::optional<bool> paused)
    : DeskCommand(desk)
    , m_speed(speed)
    , m_paused(paused)
{ }

QString SetTimeFlow::scriptLine() const
{
    if (m_speed)
        return QStringLiteral("speed %1").arg(*m_speed);
    return *m_paused ? QStringLiteral("pause") : QStringLiteral("resume");
}

void SetTimeFlow::apply()
{
    if (m_speed)
        m_desk.work().setSpeed(*m_speed);
    else
        m_desk.work().setPaused(*m_paused);
}

void ShowSlot(Desk &desk, int number)
{
    if (!TargetSlots::Contains(number))
        return; // a number being typed addresses no slot until it is back in range
    TickCycle &cycle = desk.cycle();
    // What was typed into the slot shown so far is its input before another is shown.
    if (desk.shownSlot() != number)
        cycle.KeepInputs(desk.shownSlot());
    desk.setShownSlot(number);
    const TargetSlot &slot = desk.state().Slots[number];
    // Each write may run its field's entry: the entries of this loading are the program's, no
    // fixes, and move no target.
    const TickCycle::ProgramWriteScope programWrites = cycle.ProgramWrites();
    const TickCycle::SelectionLoad loading(cycle);
    ConsolePort &fields = desk.fields();
    const auto write = [&fields](Control field, const std::string &text) {
        fields.setText(field, QString::fromStdString(text));
    };
    static const std::string NoValue = "—";
    write(Control::LabeledEdit9, RealText(slot.TargetCourse));
    write(Control::LabeledEdit1, RealText(RoundHalfEven(slot.TargetSpeed)));
    emit desk.showingSlot(number);
    // Relative motion is computed for a target only.
    write(Control::LabeledEdit2, slot.IsTarget ? RealText(RoundHalfEven(slot.RelSpeed)) : NoValue);
    write(Control::LabeledEdit3, slot.IsTarget ? RealText(slot.RelCourse) : NoValue);
    write(Control::LabeledEdit18, RealText(RadiansToDegrees(slot.LeadCorrection)));
    write(Control::LabeledEdit7, RealText(slot.AcousticBearing));
    write(Control::LabeledEdit8, WholeText(slot.DistancePx / 2));
    write(Control::LabeledEdit16, WholeText(PxToInputMetres(slot.WakeLengthPx)));
    fields.setSpinValue(Control::SpinEdit1, RoundToInt32(slot.ThetaSet));
    fields.setSpinValue(Control::SpinEdit3, RoundToInt32(PxToInputMetres(slot.DeltaEtPx)));
    emit desk.slotShown(number);
}

} // namespace varmet
