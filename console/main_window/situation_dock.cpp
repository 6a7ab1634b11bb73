#include "situation_dock.h"

#include "model/number_text.h"
#include "spin_edit.h"
#include "ugredit.h"

#include "analysis/bearing_analysis.h"
#include "desk/input_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace varmet {

namespace {

enum Column {
    SlotColumn,
    NumberColumn,
    BearingColumn,
    DistanceColumn,
    CourseColumn,
    SpeedColumn,
    CpaColumn,
    TcpaColumn,
    LightColumn,
    FireColumn,
    ColumnCount
};

QString fixed(long double value, int decimals)
{
    return QString::fromStdString(DecimalText(value, decimals));
}

// A bearing or course as shown, in whole degrees or tenths: 359.6 shows as 0 (or 359.96 as 0.0),
// never as 360, which no angle field holds.
QString angleText(long double degrees, int decimals)
{
    const long double scale = decimals == 0 ? 1.0L : 10.0L;
    const long double full = 360.0L * scale;
    long double shown = std::nearbyint(degrees * scale);
    shown = std::fmod(shown, full);
    if (shown < 0)
        shown += full;
    return fixed(shown / scale, decimals);
}

FitLamp lampOf(FitLight light)
{
    switch (light) {
    case FitLight::Green:
        return FitLamp::Green;
    case FitLight::Amber:
        return FitLamp::Amber;
    case FitLight::Red:
        break;
    }
    return FitLamp::Red;
}

const char *lampWord(FitLamp lamp)
{
    switch (lamp) {
    case FitLamp::Green:
        return "green";
    case FitLamp::Amber:
        return "amber";
    case FitLamp::Red:
        return "red";
    case FitLamp::None:
        break;
    }
    return "none";
}

QColor lampColour(FitLamp lamp)
{
    switch (lamp) {
    case FitLamp::Green:
        return QColor(0, 190, 0);
    case FitLamp::Amber:
        return QColor(255, 200, 0);
    case FitLamp::Red:
        return QColor(230, 0, 0);
    case FitLamp::None:
        break;
    }
    return Qt::white;
}

// The time to the closest approach as the column holds it: a slow closing can take days, and
// beyond 999 minutes the column says so (the exact time is in the hint and the driver's line).
QString tcpaText(long double seconds)
{
    const QString exact = QString::fromStdString(TcpaText(seconds));
    return exact.size() > 6 ? QStringLiteral("> 999:59") : exact;
}

} // namespace

SituationDock::SituationDock(TForm1 &form)
    : QObject(&form)
    , m_form(form)
    , m_dock(new QDockWidget(QStringLiteral("Обстановка"), &form))
    , m_table(new QTableWidget(SlotCount, ColumnCount))
    , m_limit(new QDoubleSpinBox)
{
    m_dock->setObjectName("SituationDock");
    m_dock->setAllowedAreas(Qt::AllDockWidgetAreas);
    auto *body = new QWidget(m_dock);
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(4, 4, 4, 4);

    m_table->setParent(body);
    m_table->setObjectName("SituationTable");
    m_table->setHorizontalHeaderLabels({QStringLiteral("П/п"), QStringLiteral("Цель"),
        QStringLiteral("П, °"), QStringLiteral("Д, кбт"), QStringLiteral("Кц, °"),
        QStringLiteral("Vц, уз"), QStringLiteral("Дкр, кбт"), QStringLiteral("До Дкр"),
        QStringLiteral("Невязка"), QStringLiteral("Стрельба")});
    m_table->horizontalHeaderItem(CpaColumn)->setToolTip(
        QStringLiteral("Кратчайшая дистанция на линии относительного движения"));
    m_table->horizontalHeaderItem(TcpaColumn)
        ->setToolTip(QStringLiteral("Время до кратчайшей дистанции, мин:с; «—» — она пройдена"));
    m_table->horizontalHeaderItem(LightColumn)
        ->setToolTip(QStringLiteral("Индикатор невязок пеленгов пробного решения"));
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    for (int row = 0; row < SlotCount; ++row) {
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            m_table->setItem(row, c, item);
        }
    }
    // Wide enough for the widest values they will show.
    const QStringList widest {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("359"),
        QStringLiteral("300.0"), QStringLiteral("359"), QStringLiteral("50"),
        QStringLiteral("300.0"), QStringLiteral("> 999:59"), QString(), QStringLiteral("нельзя")};
    for (int c = 0; c < ColumnCount; ++c)
        m_table->item(0, c)->setText(widest[c]);
    m_table->resizeColumnsToContents();
    for (int c = 0; c < ColumnCount; ++c)
        m_table->item(0, c)->setText(QString());
    m_table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_table->setMinimumWidth(560);
    column->addWidget(m_table);

    auto *limitRow = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("Опасная дистанция, кбт:"), body);
    m_limit->setParent(body);
    m_limit->setObjectName("DangerLimit");
    m_limit->setRange(WorkSettings::MinDangerLimit, WorkSettings::MaxDangerLimit);
    m_limit->setDecimals(1);
    m_limit->setSingleStep(0.5);
    m_limit->setValue(form.desk().work().dangerLimit());
    m_limit->setToolTip(QStringLiteral("Цель, которая пройдет ближе, выделяется красным"));
    caption->setBuddy(m_limit);
    limitRow->addWidget(caption);
    limitRow->addWidget(m_limit);
    limitRow->addStretch();
    column->addLayout(limitRow);
    m_dock->setWidget(body);

    form.addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    // A window of its own until the operator docks it: the console keeps its size.
    m_dock->setFloating(true);
    m_dock->hide();

    // The limit is the desk's: the box shows it, and the operator's change is a command.
    connect(m_limit, &QDoubleSpinBox::valueChanged, this,
        [this](double cables) { m_form.perform(new SetDangerLimit(m_form.desk(), cables)); });
    connect(&form.desk().work(), &WorkSettings::dangerLimitChanged, this, [this] {
        const QSignalBlocker blocker(m_limit);
        m_limit->setValue(m_form.desk().work().dangerLimit());
        Refresh();
    });
    connect(&form, &TForm1::ticked, this, [this] {
        if (m_dock->isVisible())
            Refresh();
    });
    connect(m_dock, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown)
            Refresh();
    });

    QAction *toggle = m_dock->toggleViewAction();
    toggle->setObjectName("MSituation");
    toggle->setText(QStringLiteral("Обстановка"));
    toggle->setShortcut(Qt::Key_F4);
    if (auto *analysis = form.findChild<QMenu *>(QStringLiteral("MAnalysis")))
        analysis->addAction(toggle);
}

std::array<SlotPicture, SlotCount> SituationDock::Pictures() const
{
    const FireControlState &state = m_form.state();
    SituationSettings settings;
    settings.Display.angularShown
        = m_form.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked();
    settings.Display.linearShown
        = m_form.findChild<QCheckBox *>(QStringLiteral("CheckBox2"))->isChecked();
    settings.Display.secondTurnPathShown
        = m_form.findChild<SpinEdit *>(QStringLiteral("SpinEdit3"))->value();
    settings.Display.maxRun = state.MaxRun;
    settings.DangerCables = dangerLimit();
    std::array<SlotPicture, SlotCount> pictures = Situation(state.Slots, settings);
    for (SlotPicture &picture : pictures) {
        if (!picture.IsTarget)
            continue;
        const TargetSlot &slot = state.Slots[picture.Slot];
        const FixLog &log = state.FixLogs[static_cast<std::size_t>(picture.Slot - 1)];
        const auto summary = SummariseBearingResiduals(
            log, TrialMotion(slot, state.OwnTrack, state.TickCount), state.OwnTrack);
        picture.Light = summary ? lampOf(summary->Light) : FitLamp::None;
    }
    return pictures;
}

void SituationDock::Refresh()
{
    const auto pictures = Pictures();
    for (const SlotPicture &p : pictures) {
        const int row = p.Slot - 1;
        const auto set = [&](int column, const QString &text) {
            QTableWidgetItem *item = m_table->item(row, column);
            if (item->text() != text)
                item->setText(text);
        };
        set(SlotColumn, QString::number(p.Slot));
        set(NumberColumn, p.IsTarget ? QString::number(p.Number) : QString());
        const QString none = p.IsTarget ? QStringLiteral("—") : QString();
        set(BearingColumn, p.IsTarget ? angleText(p.Bearing, 0) : QString());
        set(DistanceColumn, p.IsTarget ? fixed(p.Distance, 1) : QString());
        set(CourseColumn, p.IsTarget ? angleText(p.Course, 0) : QString());
        set(SpeedColumn, p.IsTarget ? fixed(p.Speed, 0) : QString());
        set(CpaColumn, p.IsTarget ? fixed(p.Cpa, 1) : QString());
        set(TcpaColumn, p.IsTarget ? (p.Tcpa ? tcpaText(*p.Tcpa) : none) : QString());
        m_table->item(row, TcpaColumn)
            ->setToolTip(
                p.IsTarget && p.Tcpa ? QString::fromStdString(TcpaText(p.Tcpa)) : QString());
        set(LightColumn, p.IsTarget && p.Light == FitLamp::None ? none : QString());
        set(FireColumn,
            p.IsTarget ? (p.FireAllowed ? QStringLiteral("можно") : QStringLiteral("нельзя"))
                       : QString());
        const QColor danger = p.Danger ? QColor(255, 120, 120) : QColor(Qt::white);
        for (int c = 0; c < ColumnCount; ++c) {
            QTableWidgetItem *item = m_table->item(row, c);
            const QColor back = c == LightColumn && p.IsTarget ? lampColour(p.Light) : danger;
            if (item->background().color() != back)
                item->setBackground(back);
        }
    }
}

long double SituationDock::dangerLimit() const
{
    return m_form.desk().work().dangerLimit();
}

void SituationDock::setDangerLimit(long double cables)
{
    m_limit->setValue(static_cast<double>(cables));
}

QString SituationDock::DriverLine(const SlotPicture &p)
{
    if (!p.IsTarget)
        return QStringLiteral("target %1 number=%2 bearing=- distance=- course=- speed=- cpa=- "
                              "tcpa=- light=none fire=no")
            .arg(p.Slot)
            .arg(p.Number);
    return QStringLiteral("target %1 number=%2 bearing=%3 distance=%4 course=%5 speed=%6 cpa=%7 "
                          "tcpa=%8 light=%9 fire=%10")
        .arg(p.Slot)
        .arg(p.Number)
        .arg(angleText(p.Bearing, 1), fixed(p.Distance, 1), angleText(p.Course, 0),
            fixed(p.Speed, 0), fixed(p.Cpa, 1), QString::fromStdString(TcpaText(p.Tcpa)),
            QLatin1String(lampWord(p.Light)))
        .arg(p.FireAllowed ? QStringLiteral("yes") : QStringLiteral("no"));
}

} // namespace varmet
