#include "analysis_window.h"

#include "desk/commands.h"
#include "desk/input_commands.h"

#include "analysis_snapshot.h"
#include "analysis_texts.h"
#include "bearing_charts.h"
#include "exercise_desk.h"
#include "fix_table.h"
#include "ugredit.h"

#include "cycle/tick_cycle.h"
#include "exercise/exercise.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace varmet {

namespace {

// The ranges of the fields "Применить" writes into.
constexpr long long MaxTargetSpeed = 50;
constexpr long long MaxDistance = 300;

QColor lightColour(FitLight light)
{
    switch (light) {
    case FitLight::Green:
        return {0, 170, 0};
    case FitLight::Amber:
        return {255, 176, 0};
    case FitLight::Red:
        return {220, 0, 0};
    }
    return {};
}

QDoubleSpinBox *sigmaBox(const char *name, double minimum, double maximum, double value)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setDecimals(2);
    box->setRange(minimum, maximum);
    box->setSingleStep(0.1);
    box->setValue(value);
    return box;
}

QPushButton *button(const char *name, const QString &text, const QString &hint)
{
    auto *b = new QPushButton(text);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

// A label left alone when its text stays: a new text lays out and repaints the window around it.
void showText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

QLabel *wrappingLabel(const char *name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A label as tall as `lines` lines whatever it shows, so that nothing below it moves when its
// text changes.
void fixLines(QLabel *label, int lines)
{
    label->setFixedHeight(lines * label->fontMetrics().lineSpacing() + 4);
}

} // namespace

AnalysisWindow::AnalysisWindow(TForm1 &form, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_form(form)
    , m_chartsPlace(new QWidget)
    , m_fixModel(new FixTableModel(this))
    , m_fixTable(new QTableView)
    , m_caption(wrappingLabel("SlotCaption"))
    , m_light(new QLabel)
    , m_summary(wrappingLabel("ResidualSummary"))
    , m_sigmaBearing(sigmaBox("SigmaBearing", 0.05, 45, 1))
    , m_sigmaDistance(sigmaBox("SigmaDistance", 0.1, 300, 5))
    , m_adviceMinutes(new QSpinBox)
    , m_solve(button("ButtonSolve", QStringLiteral("Рассчитать"),
          QStringLiteral("Курс, скорость и дистанция цели, лучше всего согласующиеся с "
                         "замерами после отметки «Новый галс»")))
    , m_newLeg(button("ButtonNewLeg", QStringLiteral("Новый галс"),
          QStringLiteral("Цель сманеврировала: прежние замеры сохраняются, но в расчет не "
                         "входят")))
    , m_newLegAtManoeuvre(button("ButtonNewLegAtManoeuvre", QStringLiteral("Новый галс с …"),
          QStringLiteral("Отметить новый галс с начала маневра, найденного проверкой")))
    , m_apply(button("ButtonApply", QStringLiteral("Применить"),
          QStringLiteral("Ввести рассчитанные Кц, Vц и дистанцию в поля цели")))
    , m_deleteFix(button("ButtonDeleteFix", QStringLiteral("Удалить замер"),
          QStringLiteral("Удалить выбранный замер из журнала (клавиша Delete)")))
    , m_clearLog(button("ButtonClearLog", QStringLiteral("Очистить журнал"),
          QStringLiteral("Удалить все замеры цели")))
    , m_solutionText(wrappingLabel("SolutionText"))
    , m_warning(wrappingLabel("ManoeuvreWarning"))
    , m_advice(wrappingLabel("SteeringAdvice"))
    , m_hitOdds(wrappingLabel("HitOdds"))
{
    confirm = [this](const QString &question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    setObjectName("FormAnalysis");
    setWindowTitle(QStringLiteral("Анализ пеленгов"));
    move(120, 60);
    resize(1000, 640);
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    // The analysis must not keep the program alive once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildLayout();

    connect(m_solve, &QPushButton::clicked, this, &AnalysisWindow::solve);
    connect(m_newLeg, &QPushButton::clicked, this, &AnalysisWindow::newLeg);
    connect(m_newLegAtManoeuvre, &QPushButton::clicked, this, &AnalysisWindow::newLegAtManoeuvre);
    connect(m_fixModel, &FixTableModel::estimateToggled, this, [this](int row, bool estimate) {
        if (log()) {
            m_form.perform(
                new MarkEstimate(m_form.desk(), *slot(), static_cast<std::size_t>(row), estimate));
            refresh();
        }
    });
    // The σ are the desk's: the boxes show them, and the operator's change is a command.
    for (QDoubleSpinBox *sigma : {m_sigmaBearing, m_sigmaDistance})
        connect(sigma, &QDoubleSpinBox::valueChanged, this, [this] {
            m_form.perform(
                new SetSigma(m_form.desk(), {m_sigmaBearing->value(), m_sigmaDistance->value()}));
        });
    connect(&m_form.desk().analysis(), &AnalysisState::sigmasChanged, this, [this] {
        showSigmas();
        refresh();
    });
    connect(m_apply, &QPushButton::clicked, this, &AnalysisWindow::apply);
    // An action, its undo or redo may change the log the list shows.
    connect(&m_form.desk(), &Desk::changed, this, &AnalysisWindow::refresh);
    connect(m_deleteFix, &QPushButton::clicked, this, &AnalysisWindow::deleteFix);
    connect(m_clearLog, &QPushButton::clicked, this, &AnalysisWindow::clearLog);
    auto *deleteKey = new QAction(m_fixTable);
    deleteKey->setShortcut(QKeySequence::Delete);
    deleteKey->setShortcutContext(Qt::WidgetShortcut);
    m_fixTable->addAction(deleteKey);
    connect(deleteKey, &QAction::triggered, this, &AnalysisWindow::deleteFix);
    connect(&m_form, &TForm1::ticked, this, &AnalysisWindow::refresh);
    connect(&m_form, &TForm1::slotSelected, this, &AnalysisWindow::refresh);
    refresh();
}

AnalysisWindow::~AnalysisWindow() = default;

void AnalysisWindow::buildLayout()
{
    m_fixTable->setObjectName("FixTable");
    m_fixTable->setModel(m_fixModel);
    m_fixTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_fixTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fixTable->verticalHeader()->hide();
    m_fixTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_fixTable->verticalHeader()->setDefaultSectionSize(18);

    m_light->setObjectName("AnalysisLight");
    m_light->setFixedSize(18, 18);
    m_light->setAutoFillBackground(true);
    m_light->setToolTip(QStringLiteral("СКО невязок пробного решения: зеленый до 1°, желтый до "
                                       "3°, красный больше 3°"));
    m_warning->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0); font-weight: bold"));
    m_adviceMinutes->setObjectName("AdviceMinutes");
    m_adviceMinutes->setRange(1, 60);
    m_adviceMinutes->setValue(5);
    m_adviceMinutes->setSuffix(QStringLiteral(" мин"));
    m_adviceMinutes->setToolTip(QStringLiteral("Через сколько минут оценивать дистанцию в совете, "
                                               "куда повернуть ПЛ"));
    m_newLegAtManoeuvre->setEnabled(false);
    fixLines(m_caption, 2);
    fixLines(m_summary, 2);
    // Out of date (2 lines), the longest reason or the solution (4), the test (2), one to spare.
    fixLines(m_solutionText, 9);
    fixLines(m_warning, 4);
    fixLines(m_advice, 3);
    fixLines(m_hitOdds, 2);

    auto *logButtons = new QHBoxLayout;
    logButtons->addWidget(m_deleteFix);
    logButtons->addWidget(m_clearLog);
    auto *summary = new QHBoxLayout;
    summary->addWidget(m_light, 0, Qt::AlignTop);
    summary->addWidget(m_summary, 1);

    auto *fit = new QGroupBox(QStringLiteral("Расчет по пеленгам"));
    auto *sigmas = new QHBoxLayout;
    sigmas->addWidget(new QLabel(QStringLiteral("σ П (град)")));
    sigmas->addWidget(m_sigmaBearing);
    sigmas->addWidget(new QLabel(QStringLiteral("σ Д (кбт)")));
    sigmas->addWidget(m_sigmaDistance);
    sigmas->addWidget(new QLabel(QStringLiteral("совет через")));
    sigmas->addWidget(m_adviceMinutes);
    auto *fitButtons = new QHBoxLayout;
    fitButtons->addWidget(m_solve);
    fitButtons->addWidget(m_newLeg);
    fitButtons->addWidget(m_apply);
    auto *fitLayout = new QVBoxLayout(fit);
    fitLayout->addLayout(sigmas);
    fitLayout->addLayout(fitButtons);
    fitLayout->addWidget(m_solutionText);
    fitLayout->addWidget(m_hitOdds);
    fitLayout->addWidget(m_warning);
    fitLayout->addWidget(m_newLegAtManoeuvre);
    fitLayout->addWidget(m_advice);

    auto *side = new QVBoxLayout;
    side->addWidget(m_caption);
    side->addWidget(m_fixTable, 1);
    side->addLayout(logButtons);
    side->addLayout(summary);
    side->addWidget(fit);

    auto *chartsLayout = new QVBoxLayout(m_chartsPlace);
    chartsLayout->setContentsMargins(0, 0, 0, 0);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_chartsPlace, 3);
    layout->addLayout(side, 2);
}

std::optional<int> AnalysisWindow::slot() const
{
    const int number = m_form.selectedSlot();
    if (!TargetSlots::Contains(number))
        return std::nullopt;
    return number;
}

FixLog *AnalysisWindow::log() const
{
    const std::optional<int> number = slot();
    return number ? &m_form.state().FixLogs[static_cast<std::size_t>(*number - 1)] : nullptr;
}

const FitResult *AnalysisWindow::result() const
{
    const std::optional<int> number = slot();
    if (!number)
        return nullptr;
    const std::optional<SlotFit> &fit = fitOf(*number);
    return fit ? &fit->analysis.Result : nullptr;
}

bool AnalysisWindow::resultOutOfDate() const
{
    const std::optional<int> number = slot();
    if (!number)
        return false;
    const std::optional<SlotFit> &fit = fitOf(*number);
    return fit && !(fit->inputs == inputsNow());
}

std::optional<long double> AnalysisWindow::fitHitProbability() const
{
    const std::optional<int> number = slot();
    if (!number)
        return std::nullopt;
    const std::optional<SlotFit> &fit = fitOf(*number);
    return fit ? fit->hitOnFit : std::nullopt;
}

FitInputs AnalysisWindow::inputsNow() const
{
    const FixLog *fixes = log();
    if (!fixes)
        return {};
    return {fixes->Fixes(), fixes->NewLegTick, m_form.desk().analysis().sigmas()};
}

const std::optional<SlotFit> &AnalysisWindow::fitOf(int number) const
{
    return m_form.desk().analysis().fit(number);
}

void AnalysisWindow::showSigmas()
{
    const FitSigmas &sigmas = m_form.desk().analysis().sigmas();
    const QSignalBlocker bearing(m_sigmaBearing), distance(m_sigmaDistance);
    m_sigmaBearing->setValue(sigmas.bearing);
    m_sigmaDistance->setValue(sigmas.distance);
}

std::optional<long double> AnalysisWindow::slotHitProbability(int number) const
{
    if (!TargetSlots::Contains(number))
        return std::nullopt;
    const std::optional<SlotFit> &fit = fitOf(number);
    const auto *solved = fit ? std::get_if<FitSolution>(&fit->analysis.Result) : nullptr;
    return solved ? consoleHitProbability(*solved, number) : std::nullopt;
}

std::optional<long double> AnalysisWindow::consoleHitProbability(
    const FitSolution &fit, int number) const
{
    const FireControlState &state = m_form.state();
    const std::optional<Salvo> salvo = SalvoOfSlot(
        state.Slots[number], state.OwnTrack, state.TickCount, state.TorpedoSpeed, state.MaxRun);
    if (!salvo)
        return std::nullopt;
    return HitProbability(fit, *salvo, oddsFor(number));
}

HitOddsSettings AnalysisWindow::oddsFor(int number) const
{
    HitOddsSettings odds;
    if (const Exercise *exercise = m_form.exerciseDesk().exercise()) {
        if (const ExerciseTarget *target
            = exercise->definition().target(m_form.state().Slots[number].TargetNumber))
            odds.TargetLengthMetres = target->Length;
    }
    return odds;
}

const FitSolution *AnalysisWindow::solution() const
{
    const FitResult *fit = result();
    return fit ? std::get_if<FitSolution>(fit) : nullptr;
}

void AnalysisWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    charts();
    refresh();
}

void AnalysisWindow::refresh()
{
    const std::optional<int> number = slot();
    for (QWidget *w : std::initializer_list<QWidget *> {m_solve, m_newLeg, m_deleteFix, m_clearLog,
             m_sigmaBearing, m_sigmaDistance, m_adviceMinutes})
        w->setEnabled(number.has_value());
    m_apply->setEnabled(solution() != nullptr);
    showSolution();
    // The charts and the list cost a little every tick: only while the operator can see them.
    if (isVisible() && number)
        showSnapshot(*number);
}

void AnalysisWindow::showSnapshot(int number)
{
    const FireControlState &state = m_form.state();
    const FixLog &fixes = state.FixLogs[static_cast<std::size_t>(number - 1)];
    const TargetSlot &target = state.Slots[number];
    showText(m_caption,
        QStringLiteral("Цель п/п %1 (№ %2), замеров в журнале: %3")
            .arg(number)
            .arg(target.TargetNumber)
            .arg(fixes.Fixes().size()));
    const FitSolution *fit = solution();
    AnalysisSnapshot shot = TakeSnapshot(target, fixes, state.OwnTrack, state.TickCount, fit,
        showsFitOf(number, fit) ? &m_fixModel->rows() : nullptr);
    m_shownFit.reset();
    if (fit)
        m_shownFit = ShownFit {number, fit->Motion};
    charts().showPoints(shot.chart);
    const bool grew = shot.rows.size() > static_cast<std::size_t>(m_fixModel->rowCount());
    m_fixModel->setRows(std::move(shot.rows));
    if (grew)
        m_fixTable->scrollToBottom();

    const QColor light
        = shot.summary ? lightColour(shot.summary->Light) : palette().color(QPalette::Button);
    if (m_light->palette().color(QPalette::Window) != light) {
        QPalette lit = m_light->palette();
        lit.setColor(QPalette::Window, light);
        m_light->setPalette(lit);
    }
    showText(m_summary,
        shot.summary ? SummaryText(*shot.summary)
                     : QStringLiteral("Пеленгов для оценки пробного решения нет"));
}

BearingCharts &AnalysisWindow::charts()
{
    // The charts are the costliest part of the program's start, and many a session never opens
    // the analysis: they are made when first shown.
    if (!m_charts) {
        m_charts = new BearingCharts;
        m_chartsPlace->layout()->addWidget(m_charts);
    }
    return *m_charts;
}

bool AnalysisWindow::showsFitOf(int number, const FitSolution *fit) const
{
    if (!fit || !m_shownFit || m_shownFit->number != number)
        return false;
    const TargetMotion &shown = m_shownFit->motion;
    return shown.At.East == fit->Motion.At.East && shown.At.North == fit->Motion.At.North
        && shown.AtTick == fit->Motion.AtTick && shown.Course == fit->Motion.Course
        && shown.Speed == fit->Motion.Speed;
}

void AnalysisWindow::showSolution()
{
    const std::optional<int> number = slot();
    const std::optional<SlotFit> *fit = number ? &fitOf(*number) : nullptr;
    const std::optional<ManoeuvreTest> *test = fit && *fit ? &(*fit)->analysis.Manoeuvre : nullptr;
    const bool offerNewLeg = test && *test && (*test)->Fires() && (*test)->NewLegTick;
    m_newLegAtManoeuvre->setEnabled(offerNewLeg);
    const QString offer = offerNewLeg
        ? QStringLiteral("Новый галс с %1").arg(TickTimeText(*(*test)->NewLegTick))
        : QStringLiteral("Новый галс с …");
    if (m_newLegAtManoeuvre->text() != offer)
        m_newLegAtManoeuvre->setText(offer);
    if (!number) {
        showText(m_caption, QStringLiteral("«Номер п/п» не указывает цель"));
        for (QLabel *label : {m_solutionText, m_warning, m_advice, m_hitOdds})
            showText(label, {});
        return;
    }
    if (!*fit) {
        showText(m_solutionText, QStringLiteral("Расчет не выполнялся"));
        for (QLabel *label : {m_warning, m_advice, m_hitOdds})
            showText(label, {});
        return;
    }
    const SlotFit &found = **fit;
    QString text = !(found.inputs == inputsNow())
        ? QStringLiteral("УСТАРЕЛО: журнал замеров или σ изменились после расчета — нажмите "
                         "«Рассчитать».\n")
        : QString();
    const auto *solved = std::get_if<FitSolution>(&found.analysis.Result);
    if (const auto *failure = std::get_if<FitFailure>(&found.analysis.Result))
        text += FailureText(*failure, found.ownShipManoeuvred);
    else
        text += SolutionText(*solved, found.tick);
    if (found.analysis.Manoeuvre)
        text += QStringLiteral("\n") + TestText(*found.analysis.Manoeuvre);
    showText(m_solutionText, text);
    showText(
        m_warning, found.analysis.Manoeuvre ? ManoeuvreText(*found.analysis.Manoeuvre) : QString());
    showText(m_advice, found.advice ? AdviceText(*found.advice) : QString());
    const HitOddsSettings odds = oddsFor(*number);
    showText(m_hitOdds,
        solved ? HitOddsText(found.hitOnFit, consoleHitProbability(*solved, *number),
            odds.TargetLengthMetres, found.analysis.Manoeuvre && found.analysis.Manoeuvre->Fires())
               : QString());
}

void AnalysisWindow::solve()
{
    const std::optional<int> number = slot();
    if (!number)
        return;
    const FireControlState &state = m_form.state();
    const FitSigmas &sigmas = m_form.desk().analysis().sigmas();
    const FitSettings settings {sigmas.bearing, sigmas.distance};
    const TargetSlot &target = state.Slots[*number];
    const TargetMotion trial = TrialMotion(target, state.OwnTrack, state.TickCount);
    SlotFit fit;
    fit.analysis = Analyse(*log(), state.OwnTrack, trial, state.TickCount, settings);
    fit.tick = state.TickCount;
    fit.inputs = inputsNow();
    fit.ownShipManoeuvred = OwnShipManoeuvredOverFixes(*log(), state.OwnTrack);
    const auto *failure = std::get_if<FitFailure>(&fit.analysis.Result);
    // Where the distance is not found, the course that would find it.
    if (failure
        && (*failure == FitFailure::OwnShipNotManoeuvred
            || *failure == FitFailure::DistanceUncertain || *failure == FitFailure::Singular))
        fit.advice = AdviseCourse(*log(), state.OwnTrack, fit.analysis.Optimum.value_or(trial),
            state.TickCount, settings, m_adviceMinutes->value(), BearingInterval(*log()));
    if (const auto *solved = std::get_if<FitSolution>(&fit.analysis.Result)) {
        const std::optional<Salvo> salvo
            = SalvoAimedAt(solved->Motion, state.OwnTrack, state.TickCount, state.OwnCourse,
                state.TorpedoSpeed, state.MaxRun, target.LeadCorrection);
        if (salvo)
            fit.hitOnFit = HitProbability(*solved, *salvo, oddsFor(*number));
    }
    m_form.perform(new Solve(m_form.desk(), *number, std::move(fit)));
    refresh();
}

void AnalysisWindow::newLeg()
{
    if (const std::optional<int> number = slot())
        m_form.perform(new NewLeg(m_form.desk(), *number, m_form.state().TickCount));
    refresh();
}

void AnalysisWindow::newLegAtManoeuvre()
{
    FixLog *fixes = log();
    const std::optional<int> number = slot();
    if (!fixes || !number)
        return;
    const std::optional<SlotFit> &fit = fitOf(*number);
    if (!fit || !fit->analysis.Manoeuvre || !fit->analysis.Manoeuvre->NewLegTick)
        return;
    m_form.perform(new NewLeg(m_form.desk(), *number, *fit->analysis.Manoeuvre->NewLegTick));
    refresh();
}

void AnalysisWindow::apply()
{
    const FitSolution *found = solution();
    if (!found)
        return;
    const FireControlState &state = m_form.state();
    // The target as the solution has it now, which may be some ticks after the computation.
    const long double distance = PredictedDistance(found->Motion, state.OwnTrack, state.TickCount);
    const long long speed = std::llrint(found->Speed);
    const long long cables = std::llrint(distance);
    if (speed > MaxTargetSpeed || cables > MaxDistance) {
        m_form.showMessage(QStringLiteral("Решение не применено: скорость %1 уз или дистанция %2 "
                                          "кбт вне пределов полей «Vц (узл)» (0–50) и «Д до "
                                          "цели (кбт)» (0–300).")
                               .arg(speed)
                               .arg(cables));
        return;
    }
    m_form.perform(new ApplyFit(m_form.desk(), *slot(), *found));
}

void AnalysisWindow::deleteFix()
{
    FixLog *fixes = log();
    const QModelIndexList selected = m_fixTable->selectionModel()->selectedRows();
    if (!fixes || selected.isEmpty())
        return;
    m_form.perform(
        new DeleteFix(m_form.desk(), *slot(), static_cast<std::size_t>(selected.front().row())));
    refresh();
}

void AnalysisWindow::clearLog()
{
    FixLog *fixes = log();
    if (!fixes || fixes->Fixes().empty()
        || !confirm(QStringLiteral("Удалить все замеры цели п/п %1?").arg(*slot())))
        return;
    m_form.perform(new ClearLog(m_form.desk(), *slot()));
    refresh();
}

} // namespace varmet
