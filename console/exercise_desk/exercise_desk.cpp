#include "exercise_desk.h"

#include "ugredit.h"

#include "board/board.h"
#include "desk/board_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace varmet {

namespace {

const QString ExerciseFilter = QStringLiteral("Учения (*.json);;Все файлы (*)");
const QString ReportFilter = QStringLiteral("Документы PDF (*.pdf)");

// A new report stands out until the next tick, by its mark and its colour.
const QString NewReportStyle = QStringLiteral(
    "QLabel { background: #ffff00; font-weight: bold; border: 1px solid gray; padding: 2px; }");
const QString ReportStyle
    = QStringLiteral("QLabel { background: white; border: 1px solid gray; padding: 2px; }");

} // namespace

ExerciseDesk::ExerciseDesk(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
    // The menu stands before "Справка".
    QMenu *menu = form.addRoomMenu(QStringLiteral("&Учение"), "MExercise");
    const auto item = [&](const char *name, const QString &title, void (ExerciseDesk::*handler)()) {
        QAction *action = menu->addAction(title);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_startAction = item("MExerciseStart", QStringLiteral("&Начать…"), &ExerciseDesk::StartClick);
    m_scoreAction = item("MExerciseScore", QStringLiteral("&Итоги"), &ExerciseDesk::ScoreClick);
    m_stopAction = item("MExerciseStop", QStringLiteral("&Завершить"), &ExerciseDesk::StopClick);
    m_scoreAction->setEnabled(false);
    m_stopAction->setEnabled(false);

    m_panel = new QDockWidget(QStringLiteral("Гидроакустик: последние пеленги"), &form);
    m_panel->setObjectName("SonarPanel");
    m_panel->setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_panel->setAllowedAreas(Qt::BottomDockWidgetArea);
    auto *strip = new QWidget(m_panel);
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(6, 2, 6, 4);
    m_status = new QLabel(strip);
    m_status->setObjectName("SonarStatus");
    m_status->setMinimumWidth(170);
    row->addWidget(m_status);
    for (std::size_t i = 0; i < m_reports.size(); ++i) {
        auto *label = new QLabel(strip);
        label->setObjectName(QStringLiteral("SonarReport%1").arg(i + 1));
        label->setMinimumWidth(150);
        label->setToolTip(QStringLiteral("Время доклада, номер цели и пеленг; новый доклад "
                                         "выделен до следующего такта"));
        label->hide();
        row->addWidget(label);
        m_reports[i] = label;
    }
    row->addStretch();
    m_panel->setWidget(strip);
    form.addDockWidget(Qt::BottomDockWidgetArea, m_panel);
    m_panel->hide();

    m_scoreWindow = new QWidget(&form, Qt::Window);
    m_scoreWindow->setObjectName("ScoreWindow");
    m_scoreWindow->setWindowTitle(QStringLiteral("Итоги учения"));
    m_scoreWindow->resize(1000, 820);
    auto *column = new QVBoxLayout(m_scoreWindow);
    m_scoreText = new QTextBrowser(m_scoreWindow);
    m_scoreText->setObjectName("ScoreText");
    // Whole words in the table's cells: a narrow window scrolls rather than breaking "Вероятность".
    m_scoreText->setWordWrapMode(QTextOption::WordWrap);
    column->addWidget(m_scoreText, 1);
    m_scorePicture = new QLabel(m_scoreWindow);
    m_scorePicture->setObjectName("ScorePicture");
    m_scorePicture->setAlignment(Qt::AlignCenter);
    column->addWidget(m_scorePicture);
    m_pictureLegend = new QLabel(m_scoreWindow);
    m_pictureLegend->setObjectName("ScorePictureLegend");
    m_pictureLegend->setAlignment(Qt::AlignCenter);
    column->addWidget(m_pictureLegend);
    m_pictureLegend->hide();
    // The instructor opens the truth of a running exercise with the key its file states.
    m_keyRow = new QWidget(m_scoreWindow);
    auto *keyLine = new QHBoxLayout(m_keyRow);
    keyLine->setContentsMargins(0, 0, 0, 0);
    keyLine->addWidget(new QLabel(QStringLiteral("Ключ инструктора:"), m_keyRow));
    m_key = new QLineEdit(m_keyRow);
    m_key->setObjectName("InstructorKey");
    m_key->setEchoMode(QLineEdit::Password);
    m_key->setMaximumWidth(200);
    m_key->setToolTip(QStringLiteral("Ключ инструктора из файла учения"));
    keyLine->addWidget(m_key);
    auto *open = new QPushButton(QStringLiteral("Открыть истину"), m_keyRow);
    open->setObjectName("ShowTruthButton");
    open->setToolTip(QStringLiteral("Показать истину и полные итоги до завершения учения"));
    keyLine->addWidget(open);
    keyLine->addStretch();
    column->addWidget(m_keyRow);
    m_keyRow->hide();
    connect(open, &QPushButton::clicked, this, &ExerciseDesk::openTruth);
    connect(m_key, &QLineEdit::returnPressed, this, &ExerciseDesk::openTruth);

    auto *buttons = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("Сохранить отчет"), m_scoreWindow);
    save->setObjectName("SaveReportButton");
    auto *close = new QPushButton(QStringLiteral("Закрыть"), m_scoreWindow);
    close->setObjectName("CloseScoreButton");
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    column->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &ExerciseDesk::saveReport);
    connect(close, &QPushButton::clicked, m_scoreWindow, &QWidget::hide);
}

ExerciseDesk::~ExerciseDesk() = default;

bool ExerciseDesk::linearShown() const
{
    return m_form.findChild<QCheckBox *>(QStringLiteral("CheckBox2"))->isChecked();
}

void ExerciseDesk::StartClick()
{
    // A new exercise replaces the plot: a changed one is offered for saving first.
    if (!m_form.offerToSave())
        return;
    if (beforeStart && !beforeStart())
        return;
    // The shipped exercises first, wherever the operator went last.
    const QString folder = ShippedExercisesFolder(
        QCoreApplication::applicationDirPath(), QStringLiteral(VARMET_SOURCE_EXERCISES))
                               .value_or(QDir::homePath());
    const QString path
        = m_form.askFileName({TForm1::FileRequest::Kind::Open, ExerciseFilter, {}, {}, folder});
    if (!path.isEmpty())
        Start(path, std::nullopt);
}

void ExerciseDesk::Start(const QString &path, std::optional<std::uint64_t> seed)
{
    m_form.perform(new StartExercise(
        m_form.desk(), path, seed, [this](const QString &file, std::optional<std::uint64_t> given) {
            return begin(file, given);
        }));
}

std::optional<std::uint64_t> ExerciseDesk::begin(
    const QString &path, std::optional<std::uint64_t> seed)
{
    QByteArray source;
    ExerciseParse parsed = ReadExerciseFile(path, &source);
    if (const auto *refusal = std::get_if<ExerciseRefusal>(&parsed)) {
        m_form.showMessage(refusal->Message);
        return std::nullopt;
    }
    auto &definition = std::get<ExerciseDefinition>(parsed);
    m_form.RestartWork(definition.OwnCourse, definition.OwnSpeed);
    m_exercise.emplace(std::move(definition), std::move(source), path, seed, m_form.state());
    m_truthOpened = false;
    m_scoreWindow->hide();
    showPanel();
    emit runStarted();
    return m_exercise->state().Seed;
}

void ExerciseDesk::showPanel()
{
    m_scoreAction->setEnabled(true);
    m_stopAction->setEnabled(!m_exercise->ended());
    refreshPanel();
    if (m_panel->isVisibleTo(&m_form))
        return;
    // The window grows by the panel, so that it hides none of the blocks above it.
    const int before = m_form.centralWidget()->height();
    m_panel->show();
    m_form.layout()->activate();
    const int taken = before - m_form.centralWidget()->height();
    m_form.resize(m_form.width(), m_form.height() + std::max(taken, 0));
}

void ExerciseDesk::refreshPanel()
{
    const Exercise &exercise = *m_exercise;
    m_status->setText(QStringLiteral("«%1»%2").arg(
        exercise.definition().Name, exercise.ended() ? QStringLiteral(": завершено") : QString()));
    const std::vector<SonarReport> reports = exercise.LatestReports();
    for (std::size_t i = 0; i < m_reports.size(); ++i) {
        QLabel *label = m_reports[i];
        if (i >= reports.size()) {
            label->clear();
            label->hide();
            continue;
        }
        const SonarReport &r = reports[i];
        const bool fresh = exercise.IsNew(r);
        label->setText(
            QStringLiteral("%1%2   цель %3   П %4°")
                .arg(fresh ? QStringLiteral("● ") : QString(), OperationalTimeText(r.Time))
                .arg(r.Target)
                .arg(r.Bearing));
        label->setStyleSheet(fresh ? NewReportStyle : ReportStyle);
        label->show();
    }
}

void ExerciseDesk::AfterTick()
{
    if (!m_exercise || m_exercise->ended())
        return;
    const bool timeUp = m_exercise->AfterTick(m_form.state());
    if (timeUp)
        finish();
    else
        refreshPanel();
}

ExerciseScore ExerciseDesk::Score() const
{
    if (m_exercise->ended())
        return m_exercise->Score(m_form.state(), linearShown());
    ExerciseScore score = m_exercise->Score(m_form.state(), linearShown());
    if (hitProbability) {
        for (TargetScore &t : score.Targets) {
            if (t.Slot)
                t.HitProbability = hitProbability(*t.Slot);
        }
    }
    return score;
}

bool ExerciseDesk::truthShown() const
{
    return m_exercise && (m_exercise->ended() || m_truthOpened);
}

QString ExerciseDesk::ScoreText() const
{
    // A picture stands in the text as the object replacement character.
    return m_scoreText->toPlainText().remove(QChar::ObjectReplacementCharacter);
}

void ExerciseDesk::openTruth()
{
    if (!m_exercise || truthShown())
        return;
    const auto &key = m_exercise->definition().InstructorKey;
    if (!key || m_key->text() != *key) {
        m_form.showMessage(QStringLiteral("Неверный ключ инструктора."));
        return;
    }
    m_key->clear();
    m_truthOpened = true;
    showScore();
}

void ExerciseDesk::ScoreClick()
{
    if (!m_exercise)
        return;
    m_form.journal().action(QStringLiteral("menu MExerciseScore"));
    showScore();
}

void ExerciseDesk::StopClick()
{
    if (!m_exercise || m_exercise->ended())
        return;
    m_form.perform(new EndExercise(m_form.desk(), [this] { finish(); }));
}

void ExerciseDesk::finish()
{
    m_exercise->Finish(Score());
    m_stopAction->setEnabled(false);
    refreshPanel();
    emit runEnded();
    showScore();
}

void ExerciseDesk::showScore()
{
    const ExerciseScore score = Score();
    const bool truth = truthShown();
    m_shownPage = ScoreHtml(*m_exercise, score, ScoreView {truth, m_trainee});
    // Over a copy: the live board is never drawn on. The true tracks only with the truth.
    const QImage &board = m_form.board().canvas().picture();
    m_shownPicture = truth
        ? BoardWithTruth(board, m_exercise->definition(), m_form.state().OwnTrack, score.Time)
        : board.convertToFormat(QImage::Format_RGB32);
    for (const auto &[name, image] : m_shownPage.Images)
        m_scoreText->document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    m_scoreText->setHtml(m_shownPage.Html);
    m_keyRow->setVisible(!truth && m_exercise->definition().InstructorKey.has_value());
    // The window's copy is shrunk: its legend goes under it in the window's letters.
    const QImage shown = truth ? BoardWithTruth(board, m_exercise->definition(),
                             m_form.state().OwnTrack, score.Time, false)
                               : m_shownPicture;
    m_scorePicture->setPixmap(
        QPixmap::fromImage(shown.scaled(300, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_pictureLegend->setText(truth ? TruthLegend(score.Time) : QString());
    m_pictureLegend->setVisible(truth);
    m_scoreWindow->show();
    m_scoreWindow->raise();
}

void ExerciseDesk::saveReport()
{
    QString path = m_form.askFileName({TForm1::FileRequest::Kind::Save, ReportFilter,
        QStringLiteral("Отчет"), QStringLiteral("pdf"), {}});
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    QString title = QStringLiteral("Итоги учения «%1»").arg(m_exercise->definition().Name);
    if (m_trainee && !m_trainee->trimmed().isEmpty())
        title += QStringLiteral(": %1").arg(m_trainee->trimmed());
    if (const auto failure = WriteReport(path, m_shownPage, m_shownPicture, title))
        m_form.showMessage(*failure);
}

std::optional<ExerciseState> ExerciseDesk::SavedState() const
{
    if (!m_exercise)
        return std::nullopt;
    return m_exercise->state();
}

bool ExerciseDesk::Resume(const ExerciseState &state)
{
    std::optional<Exercise> resumed = Exercise::Resume(state);
    if (!resumed)
        return false;
    m_exercise = std::move(resumed);
    m_truthOpened = false;
    m_scoreWindow->hide();
    showPanel();
    return true;
}

void ExerciseDesk::Clear()
{
    m_exercise.reset();
    m_scoreAction->setEnabled(false);
    m_stopAction->setEnabled(false);
    m_scoreWindow->hide();
    if (!m_panel->isVisibleTo(&m_form))
        return;
    // The window gives back what the panel took.
    const int before = m_form.centralWidget()->height();
    m_panel->hide();
    m_form.layout()->activate();
    const int given = m_form.centralWidget()->height() - before;
    m_form.resize(m_form.width(), m_form.height() - std::max(given, 0));
}

} // namespace varmet
