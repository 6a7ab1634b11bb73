#include "tick_cycle.h"

#include "model/angles.h"
#include "model/angular.h"
#include "model/figures.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/number_text.h"
#include "model/restrictions.h"
#include "model/units.h"

#include <algorithm>

namespace varmet {

namespace {

// What a display field shows for a value the solution does not have.
const QString NoValue = QStringLiteral("—");

QString wholeText(long double value)
{
    return QString::fromStdString(WholeText(value));
}
QString realText(long double value)
{
    return QString::fromStdString(RealText(value));
}

QRgb displayColour(bool shown, QRgb colour)
{
    return shown ? colour : BoardColour::White;
}

int textCoordinate(std::int64_t c)
{
    // A mark far off the board is not visible anyway; keep it within what the painter takes.
    constexpr std::int64_t reach = 1'000'000;
    return static_cast<int>(std::clamp<std::int64_t>(c, -reach, reach));
}

} // namespace

TickCycle::TickCycle(FireControlState &state, Board &board, ConsolePort &console)
    : m_state(state)
    , m_board(board)
    , m_console(console)
    , m_fixes(state.FixLogs)
{ }

template<typename Step>
void TickCycle::runHandler(Step step)
{
    // A fault stops the handler; the console holds one that arises nested inside a write and
    // throws it again where the write returns, so that the writer stops too.
    try {
        step();
    } catch (const std::exception &fault) {
        m_console.reportFault(QString::fromUtf8(fault.what()));
    }
}

void TickCycle::Timer1Timer()
{
    if (m_ticking)
        return;
    m_ticking = true;
    runHandler([this] { runTick(); });
    m_ticking = false;
}

void TickCycle::runTick()
{
    FireControlState &s = m_state;
    ++s.TickCount;
    s.Minutes = s.TickCount / 60;
    s.Seconds = s.TickCount % 60;
    m_console.setText(Control::Label12,
        QStringLiteral("%1. %2 - %3").arg(s.Minutes / 60).arg(s.Minutes % 60).arg(s.Seconds));
    m_console.setText(Control::Label19, m_console.localTimeText());
    // Own ship's true track moves by the course and speed as entered, not by the board's whole-knot
    // velocity.
    s.OwnTrack.Advance(
        s.TickCount, realNumber(Control::LabeledEdit5), realNumber(Control::LabeledEdit6));
    m_fixes.Tick();

    for (int number = 1; number <= SlotCount; ++number)
        slotTurn(number);
}

void TickCycle::slotTurn(int number)
{
    FireControlState &s = m_state;
    TargetSlot &slot = s.Slots[number];

    const WholeVector own = takeOverOwnShip();
    s.MaxRun = wholeNumber(Control::LabeledEdit15);
    s.TorpedoSpeed = wholeNumber(Control::LabeledEdit14);

    if (slot.IsTarget) {
        UpdateRelativeMotion(slot, own);
        moveTarget(number);
        UpdateRangeAndBearing(slot);
        ComputeLeadAngle(slot, s.TorpedoSpeed);
        ComputeAngularSolution(slot, s.OwnCourse, s.TorpedoSpeed);
        ComputeTorpedoPair(slot, s.OwnCourse, m_console.spinValue(Control::SpinEdit3));
        showMedian(number);
        showTrack(number);
    }

    if (selectedSlot() == number) {
        takeOverInputs(number);
        if (slot.IsTarget) {
            writeDisplays(slot);
            writeTimeMark(slot);
            applyRestrictions(slot);
        } else {
            writeNoTarget();
        }
    }

    if (slot.IsTarget)
        showTorpedoPair(number);
}

void TickCycle::moveTarget(int number)
{
    TargetSlot &slot = m_state.Slots[number];
    BoardCanvas &canvas = m_board.canvas();
    canvas.setBrushStyle(BrushStyle::Solid);

    const PixelPoint start = PlottedPosition(slot);
    if (m_console.isChecked(Control::RadioButton1))
        AdvancePosition(slot);
    const PixelPoint end = PlottedPosition(slot);

    // One piece of the permanent relative-motion line; it goes under the live figures.
    canvas.setPenMode(PenMode::CopyPen);
    canvas.setPenWidth(2);
    canvas.setPenColor(BoardColour::Blue);
    canvas.moveTo(start.x, start.y);
    canvas.lineTo(end.x, end.y);

    showTrack(number);
}

void TickCycle::takeOverInputs(int number)
{
    TargetSlot &slot = m_state.Slots[number];
    slot.TargetCourse = static_cast<long double>(wholeNumber(Control::LabeledEdit9));
    slot.WakeLengthPx = InputMetresToPx(realNumber(Control::LabeledEdit16));
    slot.TargetSpeed = static_cast<long double>(wholeNumber(Control::LabeledEdit1));
    // The track follows course, wake length and speed at once.
    showTrack(number);
    slot.LeadCorrection = DegreesToRadians(realNumber(Control::LabeledEdit18));
    UpdateTargetVelocity(slot);
    slot.ThetaSet = m_console.spinValue(Control::SpinEdit1);
    slot.DeltaEtPx = InputMetresToPx(m_console.spinValue(Control::SpinEdit3));
}

void TickCycle::writeDisplays(const TargetSlot &slot)
{
    ConsolePort &c = m_console;
    const bool solved = slot.HasSolution;
    const auto solution
        = [solved](long double value) { return solved ? wholeText(value) : NoValue; };
    const bool secondTurn = slot.HasSecondTurn();

    c.setText(Control::LabeledEdit11, wholeText(slot.DistancePx / 2));
    c.setText(Control::Edit1, realText(slot.AcousticBearing));
    c.setText(Control::LabeledEdit2, realText(slot.RelSpeed));
    c.setText(Control::LabeledEdit3, realText(slot.RelCourse));
    c.setText(Control::LabeledEdit20,
        slot.HasLeadAngle ? wholeText(slot.LeadAngleCorr * DisplayRadiansToDegrees) : NoValue);
    c.setText(Control::LabeledEdit22, solution(PathMetres(slot.TorpedoPathPx)));
    c.setText(Control::LabeledEdit23, solution(slot.SalvoMedian));
    c.setText(Control::LabeledEdit21, solution(slot.Omega));
    c.setText(Control::LabeledEdit26, solution(slot.Omega1));
    c.setText(Control::LabeledEdit27, solution(slot.Omega2));
    c.setText(Control::LabeledEdit28,
        solution(PathMetres(secondTurn ? slot.TurnPath1Px : slot.WakePath1Px)));
    c.setText(Control::LabeledEdit29,
        solution(PathMetres(secondTurn ? slot.TurnPath2Px : slot.WakePath2Px)));
    c.setText(Control::LabeledEdit30, solution(slot.SecondTurn1));
    c.setText(Control::LabeledEdit31, solution(slot.SecondTurn2));
    c.setText(Control::LabeledEdit32, solution(slot.LeadAngle1));
    c.setText(Control::LabeledEdit33, solution(slot.LeadAngle2));
    c.setText(Control::LabeledEdit34, solution(secondTurn ? slot.TurnBearing1 : slot.SalvoMedian1));
    c.setText(Control::LabeledEdit35, solution(secondTurn ? slot.TurnBearing2 : slot.SalvoMedian2));

    c.setText(Control::LabeledEdit24, realText(HeadingAngle(slot)));
    // The meeting angle is formed from the two whole numbers as displayed.
    const auto heading = ParseWhole(c.text(Control::LabeledEdit24).toStdString());
    const auto lead = ParseWhole(c.text(Control::LabeledEdit20).toStdString());
    c.setText(Control::LabeledEdit25,
        heading && lead ? wholeText(static_cast<long double>(*heading + *lead)) : NoValue);
}

void TickCycle::writeNoTarget()
{
    // Nothing is computed for a slot without a target: no value, no limit broken.
    for (const Control display : {Control::LabeledEdit11, Control::Edit1, Control::LabeledEdit2,
             Control::LabeledEdit3, Control::LabeledEdit20, Control::LabeledEdit22,
             Control::LabeledEdit23, Control::LabeledEdit21, Control::LabeledEdit26,
             Control::LabeledEdit27, Control::LabeledEdit28, Control::LabeledEdit29,
             Control::LabeledEdit30, Control::LabeledEdit31, Control::LabeledEdit32,
             Control::LabeledEdit33, Control::LabeledEdit34, Control::LabeledEdit35,
             Control::LabeledEdit24, Control::LabeledEdit25})
        m_console.setText(display, NoValue);
    showMarks({});
}

void TickCycle::writeTimeMark(TargetSlot &slot)
{
    FireControlState &s = m_state;
    if (s.TickCount - slot.LastTimeMarkTick < 600)
        return;
    const QString text = !m_shipClockMarks
        ? QStringLiteral("%1.%2").arg(s.Minutes / 60).arg(s.Minutes % 60)
        : m_console.text(Control::Label19);
    const PixelPoint at = PlottedPosition(slot);
    m_board.canvas().textOut(textCoordinate(at.x), textCoordinate(at.y), text);
    slot.LastTimeMarkTick = s.TickCount;
}

void TickCycle::applyRestrictions(const TargetSlot &slot)
{
    ConsolePort &c = m_console;
    RestrictionInputs inputs;
    inputs.angularShown = c.isChecked(Control::CheckBox1);
    inputs.linearShown = c.isChecked(Control::CheckBox2);
    inputs.secondTurnPathShown = c.spinValue(Control::SpinEdit3);
    inputs.theta = ParseWhole(c.text(Control::LabeledEdit25).toStdString());
    inputs.maxRun = m_state.MaxRun;
    showMarks(CheckRestrictions(slot, inputs));
}

void TickCycle::showMarks(const RestrictionMarks &marks)
{
    ConsolePort &c = m_console;
    if (marks.banner) {
        c.setVisible(Control::Label13, true);
        c.setBackground(Control::Label13,
            c.background(Control::Label13) == BoardColour::Red ? BoardColour::Yellow
                                                               : BoardColour::Red);
    } else {
        c.setVisible(Control::Label13, false);
    }
    const auto mark = [&c](Control control, bool red) {
        c.setBackground(control, red ? BoardColour::Red : BoardColour::White);
    };
    mark(Control::LabeledEdit21, marks.omega);
    mark(Control::LabeledEdit22, marks.path);
    mark(Control::LabeledEdit26, marks.omega1);
    mark(Control::LabeledEdit27, marks.omega2);
    mark(Control::LabeledEdit28, marks.path1);
    mark(Control::LabeledEdit29, marks.path2);
    mark(Control::LabeledEdit25, marks.theta);
}

void TickCycle::LabeledEdit7Change()
{
    runHandler([this] { bearingEntry(); });
}

void TickCycle::LabeledEdit8Change()
{
    runHandler([this] { distanceEntry(); });
}

std::optional<int> TickCycle::entrySlot()
{
    const std::optional<int> number = selectedSlot();
    if (!number)
        return std::nullopt;
    TargetSlot &slot = m_state.Slots[*number];
    if (!slot.IsTarget && m_loadingSelection)
        return std::nullopt;
    return number;
}

void TickCycle::bearingEntry()
{
    const std::optional<int> number = entrySlot();
    if (!number)
        return;
    // Read before anything moves, so that a refused entry erases nothing.
    const std::int32_t bearing = wholeNumber(Control::LabeledEdit7);
    TargetSlot &slot = m_state.Slots[*number];
    const std::optional<long double> expected
        = slot.IsTarget ? std::optional(slot.AcousticBearing) : std::nullopt;
    slot.IsTarget = true;

    // The target keeps its present distance; a change of the distance text runs the distance
    // entry first, which puts the target on the previous fix's bearing at whole cables. That
    // distance is the program's, not a fix.
    slot.FixDistance = slot.DistancePx / 2;
    {
        const ProgramWriteScope programWrites = ProgramWrites();
        m_console.setText(Control::LabeledEdit8, wholeText(slot.DistancePx / 2));
    }
    slot.FixBearing = static_cast<long double>(bearing);
    placeAtFix(*number);
    recordFix(*number, FixKind::Bearing, slot.FixBearing, expected);
}

void TickCycle::distanceEntry()
{
    const std::optional<int> number = entrySlot();
    if (!number)
        return;
    const std::int32_t distance = wholeNumber(Control::LabeledEdit8);
    TargetSlot &slot = m_state.Slots[*number];
    // A distance is expected only once the operator has measured one: before that the plotted
    // distance is the program's placing, not an estimate.
    const bool measuredBefore = m_state.FixLogs[*number - 1].LatestOf(FixKind::Distance)
        || m_fixes.Pending(*number, FixKind::Distance);
    const std::optional<long double> expected
        = slot.IsTarget && measuredBefore ? std::optional(slot.DistancePx / 2) : std::nullopt;
    slot.IsTarget = true;
    slot.FixDistance = static_cast<long double>(distance);
    placeAtFix(*number);
    // The first distance of a target places it: a guess until the operator marks it measured.
    recordFix(*number, FixKind::Distance, slot.FixDistance, expected, !measuredBefore);
}

void TickCycle::recordFix(
    int number, FixKind kind, long double value, std::optional<long double> expected, bool estimate)
{
    if (!m_programWrites)
        m_fixes.Entered(number, kind, value, expected, m_state.TickCount, estimate);
}

void TickCycle::CommitPendingFixes()
{
    m_fixes.CommitAll();
}

void TickCycle::ForgetPendingFixes(int number)
{
    if (TargetSlots::Contains(number))
        m_fixes.Forget(number);
}

void TickCycle::placeAtFix(int number)
{
    PlaceAtFix(m_state.Slots[number]);
    // The figures hanging on the target's position move with it.
    showTrack(number);
    showTorpedoPair(number);
}

void TickCycle::RedrawOwnShipVector()
{
    runHandler([this] {
        const WholeVector own = takeOverOwnShip();
        m_board.RedrawOwnShipVector(m_state.OwnCourse, own);
    });
}

WholeVector TickCycle::takeOverOwnShip()
{
    FireControlState &s = m_state;
    s.OwnCourse = wholeNumber(Control::LabeledEdit5);
    s.OwnSpeed = wholeNumber(Control::LabeledEdit6);
    const WholeVector own = OwnVelocity(s.OwnCourse, s.OwnSpeed);
    s.OwnVecX = own.x;
    s.OwnVecY = own.y;
    return own;
}

void TickCycle::showTrack(int number)
{
    const TargetSlot &slot = m_state.Slots[number];
    m_board.figures().show(FigureKind::TrackAndWake, number, BoardColour::Blue,
        slot.IsTarget ? TrackAndWake(slot) : StrokeList {});
}

void TickCycle::showMedian(int number)
{
    const QRgb colour = displayColour(m_console.isChecked(Control::CheckBox1), BoardColour::Red);
    m_board.figures().show(
        FigureKind::MedianLine, number, colour, MedianLine(m_state.Slots[number], m_state.MaxRun));
}

void TickCycle::showTorpedoPair(int number)
{
    const QRgb colour
        = displayColour(m_console.isChecked(Control::CheckBox2), BoardColour::Magenta);
    m_board.figures().show(FigureKind::TorpedoPair, number, colour,
        TorpedoPair(m_state.Slots[number], m_state.MaxRun));
}

template<typename Number>
Number TickCycle::readNumber(
    Control control, std::optional<Number> (*parse)(std::string_view)) const
{
    const QString text = m_console.text(control);
    const std::optional<Number> value = parse(text.toStdString());
    if (!value)
        throw NumericFault(FaultKind::BadNumberText,
            QStringLiteral("«%1» в поле %2").arg(text, objectName(control)).toStdString());
    return *value;
}

std::int32_t TickCycle::wholeNumber(Control control) const
{
    return readNumber(control, &ParseWhole32);
}

long double TickCycle::realNumber(Control control) const
{
    return readNumber(control, &ParseReal);
}

std::optional<int> TickCycle::selectedSlot() const
{
    const int number = m_console.spinValue(Control::SpinEdit2);
    if (!TargetSlots::Contains(number))
        return std::nullopt;
    return number;
}

} // namespace varmet
