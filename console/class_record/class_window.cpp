#include "class_window.h"

#include "ugredit.h"

#include "exercise/report.h"
#include "session/session_file.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTextStream>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>
#include <memory>

namespace varmet {

namespace {

enum Column {
    TraineeCol,
    GroupCol,
    ExerciseCol,
    StartedCol,
    EndedCol,
    SeedCol,
    TargetsCol,
    HitsCol,
    StateCol,
    IdCol
};

const char *const RunsQuery
    = "SELECT r.trainee_name, r.trainee_group, e.name, r.started_at, r.ended_at, r.seed, "
      "r.targets, r.hits, r.state, r.id FROM runs r JOIN exercises e ON e.hash = r.exercise_hash "
      "ORDER BY r.started_at DESC, r.id";

QDateTime timeOf(const QVariant &value)
{
    return value.isNull() ? QDateTime() : value.toDateTime().toLocalTime();
}

} // namespace

RunAxis RunAxisFor(std::size_t runs)
{
    // Every label a whole run: the step is whole and the axis runs on to the step's next
    // multiple, at most 10 steps.
    const std::int64_t span = static_cast<std::int64_t>(std::max<std::size_t>(runs, 2)) - 1;
    const std::int64_t step = (span + 9) / 10;
    const std::int64_t steps = (span + step - 1) / step;
    return {static_cast<int>(1 + step * steps), static_cast<int>(steps + 1)};
}

// Filters the runs by what the fields above the table say, shows times and states as an
// operator reads them, and sorts times, seeds and counts as what they are.
class RunsFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QString trainee, group, exercise;
    std::optional<std::pair<QDate, QDate>> dates;

    void changed() { invalidateFilter(); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const QVariant value = QSortFilterProxyModel::data(index, role);
        const bool number = index.column() == SeedCol || index.column() == TargetsCol
            || index.column() == HitsCol;
        if (role == Qt::TextAlignmentRole && number)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return value;
        switch (index.column()) {
        case StartedCol:
        case EndedCol:
            return value.isNull() ? QString()
                                  : timeOf(value).toString(QStringLiteral("dd.MM.yyyy hh:mm"));
        case StateCol:
            return value.toString() == QLatin1String("finished") ? QStringLiteral("завершено")
                                                                 : QStringLiteral("идет");
        default:
            return value;
        }
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto text = [&](int column) {
            return sourceModel()->data(sourceModel()->index(row, column, parent)).toString();
        };
        const auto matches = [&](int column, const QString &part) {
            return part.isEmpty() || text(column).contains(part, Qt::CaseInsensitive);
        };
        if (!matches(TraineeCol, trainee) || !matches(GroupCol, group)
            || !matches(ExerciseCol, exercise))
            return false;
        if (!dates)
            return true;
        const QDate day
            = timeOf(sourceModel()->data(sourceModel()->index(row, StartedCol, parent))).date();
        return day >= dates->first && day <= dates->second;
    }

    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        const QVariant a = sourceModel()->data(left);
        const QVariant b = sourceModel()->data(right);
        switch (left.column()) {
        case StartedCol:
        case EndedCol:
            // SQLite keeps times as ISO text in UTC, which sorts as the times do.
            if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
                return a.toString() < b.toString();
            return a.toDateTime() < b.toDateTime();
        case SeedCol:
            return a.toString().toULongLong() < b.toString().toULongLong();
        case TargetsCol:
        case HitsCol:
            return a.toInt() < b.toInt();
        default:
            return QString::localeAwareCompare(a.toString(), b.toString()) < 0;
        }
    }
};

ClassWindow::ClassWindow(TForm1 &form, RunKeeper &keeper)
    : QWidget(&form, Qt::Window)
    , m_form(form)
    , m_keeper(&keeper)
{
    setObjectName("ClassWindow");
    setWindowTitle(QStringLiteral("Журнал класса"));
    resize(1000, 720);
    auto *column = new QVBoxLayout(this);
    buildFilters();

    m_model = new QSqlQueryModel(this);
    m_filter = new RunsFilter(this);
    m_filter->setSourceModel(m_model);
    m_filter->setSortRole(Qt::EditRole);
    m_table = new QTableView(this);
    m_table->setObjectName("ClassRuns");
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(StartedCol, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_chart = new QChartView(this);
    m_chart->setObjectName("ClassProgress");
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(240);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Курсант:"), this));
    filters->addWidget(m_trainee);
    filters->addWidget(new QLabel(QStringLiteral("Группа:"), this));
    filters->addWidget(m_group);
    filters->addWidget(new QLabel(QStringLiteral("Учение:"), this));
    filters->addWidget(m_exercise);
    filters->addWidget(m_byDate);
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("—"), this));
    filters->addWidget(m_to);
    column->addLayout(filters);
    column->addWidget(splitter, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName("ClassRunCount");
    buttons->addWidget(m_count);
    buttons->addStretch();
    const auto button
        = [&](const char *name, const QString &title, void (ClassWindow::*handler)()) {
              auto *b = new QPushButton(title, this);
              b->setObjectName(name);
              connect(b, &QPushButton::clicked, this, handler);
              buttons->addWidget(b);
          };
    auto *refreshButton = new QPushButton(QStringLiteral("Обновить"), this);
    refreshButton->setObjectName("ClassRefresh");
    buttons->addWidget(refreshButton);
    button("ClassReplay", QStringLiteral("Воспроизвести"), &ClassWindow::replayClick);
    button("ClassReport", QStringLiteral("Отчет PDF…"), &ClassWindow::reportClick);
    button("ClassCsv", QStringLiteral("Экспорт CSV…"), &ClassWindow::csvClick);
    column->addLayout(buttons);
    connect(refreshButton, &QPushButton::clicked, this, [this] {
        if (auto failure = refresh())
            m_form.showMessage(*failure);
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &ClassWindow::showProgress);
}

ClassWindow::~ClassWindow() = default;

void ClassWindow::buildFilters()
{
    const auto edit = [&](const char *name, const QString &hint) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setPlaceholderText(hint);
        e->setClearButtonEnabled(true);
        e->setMaxLength(MaxTraineeNameLength);
        return e;
    };
    m_trainee = edit("ClassFilterTrainee", QStringLiteral("любой"));
    m_group = edit("ClassFilterGroup", QStringLiteral("любая"));
    m_exercise = edit("ClassFilterExercise", QStringLiteral("любое"));
    m_byDate = new QCheckBox(QStringLiteral("Даты:"), this);
    m_byDate->setObjectName("ClassFilterByDate");
    const auto date = [&](const char *name, QDate day) {
        auto *d = new QDateEdit(day, this);
        d->setObjectName(name);
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        d->setEnabled(false);
        return d;
    };
    const QDate today = QDate::currentDate();
    m_from = date("ClassFilterFrom", today.addMonths(-1));
    m_to = date("ClassFilterTo", today);
    const auto apply = [this] {
        m_filter->trainee = m_trainee->text().trimmed();
        m_filter->group = m_group->text().trimmed();
        m_filter->exercise = m_exercise->text().trimmed();
        m_from->setEnabled(m_byDate->isChecked());
        m_to->setEnabled(m_byDate->isChecked());
        if (m_byDate->isChecked())
            m_filter->dates = std::pair {m_from->date(), m_to->date()};
        else
            m_filter->dates.reset();
        m_filter->changed();
        m_count->setText(QStringLiteral("Учений: %1").arg(shownRuns()));
    };
    for (QLineEdit *e : {m_trainee, m_group, m_exercise})
        connect(e, &QLineEdit::textChanged, this, apply);
    connect(m_byDate, &QCheckBox::toggled, this, apply);
    connect(m_from, &QDateEdit::dateChanged, this, apply);
    connect(m_to, &QDateEdit::dateChanged, this, apply);
}

void ClassWindow::detach()
{
    m_model->clear();
    m_keeper = nullptr;
}

void ClassWindow::attach(RunKeeper &keeper)
{
    m_keeper = &keeper;
    if (isVisible())
        refresh();
}

RunStore *ClassWindow::store()
{
    if (!m_keeper)
        return nullptr;
    auto store = m_keeper->journalStore();
    return std::holds_alternative<RunStore *>(store) ? std::get<RunStore *>(store) : nullptr;
}

std::optional<QString> ClassWindow::refresh()
{
    if (!m_keeper)
        return QStringLiteral("Журнал класса не подключен");
    auto opened = m_keeper->journalStore();
    if (const auto *failure = std::get_if<QString>(&opened))
        return *failure;
    RunStore &runStore = *std::get<RunStore *>(opened);
    m_model->setQuery(QString::fromLatin1(RunsQuery), runStore.database());
    if (m_model->lastError().isValid())
        return QStringLiteral("Журнал класса не читается: %1").arg(m_model->lastError().text());
    // The whole table, so that sorting and filtering see every run.
    while (m_model->canFetchMore())
        m_model->fetchMore();
    const QStringList titles {QStringLiteral("Курсант"), QStringLiteral("Группа"),
        QStringLiteral("Учение"), QStringLiteral("Начало"), QStringLiteral("Конец"),
        QStringLiteral("Зерно"), QStringLiteral("Целей"), QStringLiteral("Попаданий"),
        QStringLiteral("Состояние"), QStringLiteral("Номер")};
    for (int i = 0; i < titles.size(); ++i)
        m_model->setHeaderData(i, Qt::Horizontal, titles[i]);
    m_table->setColumnHidden(IdCol, true);
    // The widths from the first rows: measuring ten thousand would keep the window waiting.
    m_table->horizontalHeader()->setResizeContentsPrecision(50);
    m_table->resizeColumnsToContents();
    m_count->setText(QStringLiteral("Учений: %1").arg(shownRuns()));
    if (shownRuns() > 0 && !m_table->currentIndex().isValid())
        selectRow(0);
    return std::nullopt;
}

int ClassWindow::shownRuns() const
{
    return m_filter->rowCount();
}

void ClassWindow::selectRow(int row)
{
    m_table->setCurrentIndex(m_filter->index(row, 0));
    m_table->selectRow(row);
}

std::optional<QUuid> ClassWindow::selectedRun() const
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return QUuid::fromString(m_filter->index(current.row(), IdCol).data().toString());
}

void ClassWindow::showProgress()
{
    auto *chart = new QChart;
    // The view takes the new chart but only lets go of the one before: it is deleted here.
    std::unique_ptr<QChart> previous(m_chart->chart());
    m_chart->setChart(chart);
    const QModelIndex current = m_table->currentIndex();
    RunStore *runStore = store();
    if (!current.isValid() || !runStore)
        return;
    const Trainee trainee {m_filter->index(current.row(), TraineeCol).data().toString(),
        m_filter->index(current.row(), GroupCol).data().toString()};
    auto progress = runStore->ProgressOf(trainee);
    if (!std::holds_alternative<std::vector<RunStore::Progress>>(progress))
        return;
    const auto &points = std::get<std::vector<RunStore::Progress>>(progress);
    chart->setTitle(
        QStringLiteral("Успехи: %1%2")
            .arg(trainee.Name,
                trainee.Group.isEmpty() ? QString()
                                        : QStringLiteral(" (группа %1)").arg(trainee.Group)));
    struct Measure
    {
        const char *name;
        QString title;
        long double (*of)(const StoredTarget &);
    };
    const Measure measures[] = {
        {"course", QStringLiteral("Ошибка курса, °"),
            [](const StoredTarget &t) { return std::fabs(t.CourseError); }},
        {"speed", QStringLiteral("Ошибка скорости, уз"),
            [](const StoredTarget &t) { return std::fabs(t.SpeedError); }},
        {"distance", QStringLiteral("Ошибка дистанции, кбт"),
            [](const StoredTarget &t) { return std::fabs(t.DistanceError); }},
    };
    auto *axisX = new QValueAxis;
    axisX->setTitleText(QStringLiteral("Учение по порядку"));
    axisX->setLabelFormat(QStringLiteral("%d"));
    auto *axisY = new QValueAxis;
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    double top = 1;
    const auto add = [&](QLineSeries *series) {
        chart->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
        for (const QPointF &p : series->points())
            top = std::max(top, p.y());
    };
    for (const Measure &m : measures) {
        auto *series = new QLineSeries;
        series->setName(m.title);
        for (std::size_t i = 0; i < points.size(); ++i) {
            // The mean over the targets the trainee tracked.
            long double sum = 0;
            int tracked = 0;
            for (const StoredTarget &t : points[i].Targets) {
                if (t.Slot) {
                    sum += m.of(t);
                    ++tracked;
                }
            }
            if (tracked > 0)
                series->append(static_cast<double>(i + 1), static_cast<double>(sum / tracked));
        }
        add(series);
    }
    auto *hits = new QLineSeries;
    hits->setName(QStringLiteral("Попадания"));
    for (std::size_t i = 0; i < points.size(); ++i) {
        int n = 0;
        for (const StoredTarget &t : points[i].Targets)
            n += t.Hit() ? 1 : 0;
        hits->append(static_cast<double>(i + 1), n);
    }
    add(hits);
    const RunAxis runs = RunAxisFor(points.size());
    axisX->setRange(1, runs.last);
    axisX->setTickCount(runs.ticks);
    axisY->setRange(0, std::ceil(top * 1.1));
}

std::optional<QString> ClassWindow::exportCsv(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return QStringLiteral("Файл %1 не открывается для записи: %2")
            .arg(path, file.errorString());
    QTextStream out(&file);
    const auto field = [](QString text) {
        // A cell a spreadsheet would take for a formula (a name such as "=HYPERLINK(…)") is
        // written as text; numbers, negative ones too, stay numbers.
        bool number = false;
        text.toDouble(&number);
        if (!number && !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
            text.prepend(QLatin1Char('\''));
        if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
            || text.contains(QLatin1Char('\n'))) {
            text.replace(QLatin1String("\""), QLatin1String("\"\""));
            text = QLatin1Char('"') + text + QLatin1Char('"');
        }
        return text;
    };
    const int columns = m_filter->columnCount();
    QStringList header;
    for (int c = 0; c < columns; ++c)
        header << field(m_filter->headerData(c, Qt::Horizontal).toString());
    out << header.join(QLatin1Char(',')) << '\n';
    for (int r = 0; r < m_filter->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << field(m_filter->index(r, c).data().toString());
        out << row.join(QLatin1Char(',')) << '\n';
    }
    out.flush();
    if (!file.commit())
        return QStringLiteral("Файл %1 не записан: %2").arg(path, file.errorString());
    return std::nullopt;
}

std::optional<QString> ClassWindow::saveReport(const QUuid &id, const QString &path)
{
    RunStore *runStore = store();
    const std::optional<RunRecord> run = runStore ? runStore->Record(id) : std::nullopt;
    if (!run)
        return QStringLiteral("Учение не завершено или недоступно");
    SessionData session;
    if (auto refusal = ReadSession(run->Session, session))
        return QStringLiteral("Сеанс учения не читается: %1").arg(*refusal);
    if (!session.exercise || !session.exercise->Final)
        return QStringLiteral("В сеансе учения нет его итогов");
    const std::optional<Exercise> exercise = Exercise::Resume(*session.exercise);
    if (!exercise)
        return QStringLiteral("Учение из сеанса не восстанавливается");
    const ExerciseScore &score = *session.exercise->Final;
    const QImage picture = BoardWithTruth(
        session.board.picture, exercise->definition(), session.state.OwnTrack, score.Time);
    QString who = run->Start.Who.Name;
    if (!run->Start.Who.Group.isEmpty())
        who += QStringLiteral(" (группа %1)").arg(run->Start.Who.Group);
    // As the trainee's own report after the end: the truth shown, the trainee named.
    const QString title
        = QStringLiteral("Итоги учения «%1»: %2").arg(exercise->definition().Name, who);
    return WriteReport(path, ScoreHtml(*exercise, score, ScoreView {true, who}), picture, title);
}

std::optional<QString> ClassWindow::replay(const QUuid &id)
{
    RunStore *runStore = store();
    const std::optional<RunRecord> run = runStore ? runStore->Record(id) : std::nullopt;
    if (!run)
        return QStringLiteral("Учение не завершено или недоступно");
    if (!m_form.replayJournal)
        return QStringLiteral("Воспроизведение недоступно");
    // The journal names the exercise file on the trainee's console: here the stored text stands
    // in for it.
    m_replayFiles = std::make_unique<QTemporaryDir>();
    const QString exercisePath = m_replayFiles->filePath(QStringLiteral("exercise.json"));
    const QString journalPath = m_replayFiles->filePath(QStringLiteral("run.vjournal"));
    QFile exerciseFile(exercisePath);
    if (!exerciseFile.open(QIODevice::WriteOnly)
        || exerciseFile.write(run->Start.ExerciseSource) != run->Start.ExerciseSource.size())
        return QStringLiteral("Временный файл учения не записан");
    exerciseFile.close();
    QStringList lines = run->Journal.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() >= 3 && words.front() == QLatin1String("exercise"))
            line = QStringLiteral("exercise %1 %2").arg(exercisePath, words.back());
    }
    QFile journal(journalPath);
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Text)
        || journal.write(lines.join(QLatin1Char('\n')).toUtf8()) < 0)
        return QStringLiteral("Временный файл журнала не записан");
    journal.close();
    m_form.replayJournal(journalPath);
    return std::nullopt;
}

void ClassWindow::replayClick()
{
    if (const auto id = selectedRun()) {
        if (auto failure = replay(*id))
            m_form.showMessage(*failure);
    }
}

void ClassWindow::reportClick()
{
    const auto id = selectedRun();
    if (!id)
        return;
    QString path = m_form.askFileName(
        {TForm1::FileRequest::Kind::Save, QStringLiteral("Документы PDF (*.pdf)"),
            QStringLiteral("Отчет"), QStringLiteral("pdf"), {}});
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (auto failure = saveReport(*id, path))
        m_form.showMessage(*failure);
}

void ClassWindow::csvClick()
{
    QString path = m_form.askFileName(
        {TForm1::FileRequest::Kind::Save, QStringLiteral("Таблицы CSV (*.csv)"),
            QStringLiteral("Журнал класса"), QStringLiteral("csv"), {}});
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    if (auto failure = exportCsv(path))
        m_form.showMessage(*failure);
}

} // namespace varmet
