#include "desk.h"

#include "commands.h"

namespace varmet {
namespace {

// The input fields whose texts an action can change.
constexpr Control Inputs[] = {Control::LabeledEdit1, Control::LabeledEdit5, Control::LabeledEdit6,
    Control::LabeledEdit7, Control::LabeledEdit8, Control::LabeledEdit9, Control::LabeledEdit14,
    Control::LabeledEdit15, Control::LabeledEdit16, Control::LabeledEdit18};

} // namespace

Desk::Desk(ConsolePort &fields, QObject *parent)
    : QObject(parent)
    , m_fields(fields)
    , m_board(std::make_unique<Board>())
    , m_cycle(std::make_unique<TickCycle>(m_state, *m_board, fields))
{
    m_undo.setUndoLimit(200);
    // A fit never outlives the fixes or the plot it was made on.
    connect(this, &Desk::fixesChanged, &m_analysis, &AnalysisState::forgetFit);
    connect(this, &Desk::replaced, &m_analysis, &AnalysisState::forgetFits);
}

Desk::~Desk() = default;

std::optional<QString> Desk::execute(DeskCommand *command)
{
    if (command->undoable()) {
        const bool drawsOnly = command->drawsOnly();
        m_undo.push(command); // applies and journals it, or merges it into the one before
        if (drawsOnly)
            emit pictureChanged();
        else
            emit changed();
        return std::nullopt;
    }
    const std::unique_ptr<DeskCommand> once(command);
    const bool changedBefore = hasChanges();
    once->redo();
    switch (once->outcome()) {
    case DeskCommand::Outcome::Changed:
        break;
    case DeskCommand::Outcome::Unchanged:
        if (!changedBefore)
            markSaved(); // its journal line is no change
        break;
    case DeskCommand::Outcome::Saved:
        markSaved();
        break;
    case DeskCommand::Outcome::Replaced:
        replacePlot();
        break;
    }
    if (once->drawsOnly())
        emit pictureChanged();
    else
        emit changed();
    return once->failure();
}

bool Desk::undo()
{
    if (!m_undo.canUndo())
        return false;
    m_journal.note(QStringLiteral("отмена: ") + undoText());
    m_journal.action(QStringLiteral("undo"));
    m_undo.undo();
    emit changed();
    return true;
}

bool Desk::redo()
{
    if (!m_undo.canRedo())
        return false;
    m_journal.note(QStringLiteral("повтор: ") + redoText());
    m_journal.action(QStringLiteral("redo"));
    m_undo.redo();
    emit changed();
    return true;
}

QString Desk::undoText() const
{
    if (!m_undo.canUndo())
        return {};
    const auto *command = static_cast<const DeskCommand *>(m_undo.command(m_undo.index() - 1));
    return command->undoName();
}

QString Desk::redoText() const
{
    return m_undo.canRedo() ? m_undo.redoText() : QString();
}

std::optional<int> Desk::selectedSlot() const
{
    const int number = m_fields.spinValue(Control::SpinEdit2);
    if (!TargetSlots::Contains(number))
        return std::nullopt;
    return number;
}

void Desk::replacePlot()
{
    m_undo.clear();
    m_shownSlot = m_fields.spinValue(Control::SpinEdit2);
    emit replaced();
}

PlotSnapshot Desk::snapshot() const
{
    PlotSnapshot shot {m_state, m_cycle->fixRecorder().snapshot(), {}};
    shot.fields.reserve(std::size(Inputs));
    for (const Control field : Inputs)
        shot.fields.emplace_back(field, m_fields.text(field));
    return shot;
}

void Desk::restore(const PlotSnapshot &snapshot)
{
    m_state = snapshot.state;
    m_cycle->fixRecorder().restore(snapshot.pending);
    {
        const bool outer = std::exchange(m_restoring, true);
        for (const auto &[field, text] : snapshot.fields)
            m_fields.setText(field, text);
        m_restoring = outer;
    }
    m_cycle->ShowFigures();
    for (int number = 1; number <= SlotCount; ++number)
        emit fixesChanged(number);
}

} // namespace varmet
