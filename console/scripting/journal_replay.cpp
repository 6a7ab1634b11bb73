#include "journal_replay.h"

#include "desk_settings.h"
#include "program_windows.h"
#include "script_runner.h"

#include "board/picture_file.h"
#include "exercise/exercise_file.h"
#include "session/input_limits.h"
#include "session/replay_files.h"
#include "session/session_file.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>

namespace varmet {

namespace {

// Lines run in one slice of the event loop's time: a few milliseconds' work.
constexpr int LinesPerSlice = 200;

// The ticks a line runs: "tick" and "tick N"; none for any other line, nor for a "tick" line
// that cannot run (the runner names its fault when it comes to it).
qint64 TicksOf(const QString &line)
{
    if (!line.startsWith(QLatin1String("tick")))
        return 0;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty() || words.front() != QLatin1String("tick") || words.size() > 2)
        return 0;
    if (words.size() == 1)
        return 1;
    const CountRead count = ReadCount(words[1]);
    return count.problem.isEmpty() ? count.value : 0;
}

bool IsOperatorInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

// What the window had before the replay took it over.
struct JournalReplay::Hooks
{
    std::function<void(const QString &)> showMessage;
    std::function<QString(const TForm1::FileRequest &)> askFileName;
    std::function<UnsavedChanges::Answer(const QString &)> askToSave;
    std::vector<std::pair<QAction *, QList<QKeySequence>>> shortcuts;
};

JournalReplay::JournalReplay(ProgramWindows &windows)
    : m_windows(windows)
    , m_form(windows.form)
{
    // A tick asked for while the last one is still on its way (a long run of lines) waits for it.
    connect(&m_clock, &QTimer::timeout, this, [this] {
        if (!m_tickWanted)
            stepOneTick();
    });
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &JournalReplay::advance);
}

JournalReplay::~JournalReplay()
{
    if (isRunning())
        stop();
}

void JournalReplay::buildBar()
{
    m_bar = new QToolBar(QStringLiteral("Воспроизведение журнала"), &m_form);
    m_bar->setObjectName("ReplayBar");
    m_bar->setMovable(false);
    m_bar->addWidget(new QLabel(QStringLiteral(" Воспроизведение журнала  "), m_bar));
    const auto button = [this](const char *name, const char *text, const char *hint) {
        auto *b = new QToolButton(m_bar);
        b->setObjectName(name);
        b->setText(QString::fromUtf8(text));
        b->setToolTip(QString::fromUtf8(hint));
        m_bar->addWidget(b);
        return b;
    };
    m_pause = button("ReplayPause", "Пауза", "Приостановить или продолжить воспроизведение");
    m_pause->setCheckable(true);
    connect(m_pause, &QToolButton::toggled, this, &JournalReplay::setPaused);
    m_step = button("ReplayStep", "Один такт", "Выполнить один такт журнала");
    connect(m_step, &QToolButton::clicked, this, &JournalReplay::stepOneTick);
    connect(button("ReplayStop", "Стоп", "Закончить воспроизведение"), &QToolButton::clicked, this,
        &JournalReplay::stop);
    m_bar->addWidget(new QLabel(QStringLiteral("  Тактов в секунду: "), m_bar));
    m_speed = new QSpinBox(m_bar);
    m_speed->setObjectName("ReplaySpeed");
    m_speed->setRange(1, MaxTicksPerSecond);
    m_bar->addWidget(m_speed);
    connect(m_speed, &QSpinBox::valueChanged, this,
        [this](int speed) { m_clock.setInterval(1000 / speed); });
    m_progress = new QLabel(m_bar);
    m_progress->setObjectName("ReplayProgress");
    m_bar->addWidget(m_progress);
    m_form.addToolBar(Qt::TopToolBarArea, m_bar);
}

std::optional<QString> JournalReplay::start(const QString &path, int ticksPerSecond)
{
    if (isRunning())
        return QStringLiteral("Журнал уже воспроизводится.");
    if (ticksPerSecond < 1 || ticksPerSecond > MaxTicksPerSecond)
        return QStringLiteral("Скорость воспроизведения %1 вне пределов 1..%2 тактов в секунду.")
            .arg(ticksPerSecond)
            .arg(MaxTicksPerSecond);
    const std::variant<QByteArray, QString> read = ReadRegularFile(path, MaxSessionFileBytes);
    if (const auto *reason = std::get_if<QString>(&read))
        return QStringLiteral("Не удалось открыть журнал «%1»: %2.").arg(path, *reason);
    const QByteArray &bytes = std::get<QByteArray>(read);
    QString text = QString::fromUtf8(bytes);
    if (bytes.trimmed().startsWith('{')) {
        // A session file: its journal.
        SessionData session;
        if (const auto refusal = OpenSessionFile(path, session))
            return refusal;
        text = session.journal;
    }
    m_lines = text.split(QLatin1Char('\n'));
    m_next = 0;
    m_ticksLeftInLine = 0;
    m_ticksDone = 0;
    m_ticksTotal = 0;
    m_tickWanted = false;
    m_leaving = false;
    for (const QString &line : m_lines)
        m_ticksTotal += TicksOf(line.trimmed());
    auto scratch = std::make_unique<QTemporaryDir>();
    if (!scratch->isValid())
        return QStringLiteral("Журнал не воспроизводится: не удалось создать временную папку "
                              "для файлов, которые он записывает.");

    m_hooks = std::make_unique<Hooks>(
        Hooks {m_form.showMessage, m_form.askFileName, m_form.askToSave, {}});
    m_form.setTimersLive(false);
    m_form.resetToStartUp();
    m_runner = std::make_unique<ScriptRunner>(
        m_windows, [this](const QString &line) { showProgress(line); });
    // A journal asks nothing; the operator closing the window during a replay is asked as ever.
    m_form.askToSave = m_hooks->askToSave;
    // Whatever the journal saves is written aside, never over the operator's files; what it
    // opens is looked up by name beside it.
    m_scratch = std::move(scratch);
    m_operatorsFolder = DeskSettings::lastFolder();
    QStringList library = ReplayFiles::ExerciseLibrary();
    if (const auto shipped = ShippedExercisesFolder(
            QCoreApplication::applicationDirPath(), QStringLiteral(VARMET_SOURCE_EXERCISES)))
        library << *shipped;
    m_files
        = std::make_unique<ReplayFiles>(m_scratch->path(), QFileInfo(path).absolutePath(), library);
    m_runner->confine({[this](const QString &asked) { return m_files->write(asked); },
        [this](const QString &asked, ReplayFiles::Read kind) { return m_files->read(asked, kind); },
        [this] { m_leaving = true; }});
    // Only the bar may act: no menu, no shortcut.
    for (QAction *action : m_form.findChildren<QAction *>()) {
        if (!action->shortcut().isEmpty()) {
            m_hooks->shortcuts.emplace_back(action, action->shortcuts());
            action->setShortcuts(QList<QKeySequence> {});
        }
    }
    m_form.menuBar()->setEnabled(false);
    qApp->installEventFilter(this);

    if (!m_bar)
        buildBar();
    m_bar->show();
    m_pause->setChecked(false);
    m_pause->setEnabled(true);
    m_step->setEnabled(true);
    m_speed->setValue(ticksPerSecond);
    m_clock.setInterval(1000 / ticksPerSecond);
    m_clock.start();
    showProgress();
    return std::nullopt;
}

void JournalReplay::setPaused(bool paused)
{
    if (!isRunning())
        return;
    m_pause->setText(paused ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
    if (paused || isFinished()) {
        m_clock.stop();
        m_slice.stop();
        return;
    }
    m_clock.start();
    if (m_tickWanted)
        m_slice.start();
}

void JournalReplay::stepOneTick()
{
    if (!isRunning())
        return;
    m_tickWanted = true;
    advance();
}

void JournalReplay::advance()
{
    if (!isRunning())
        return;
    qsizetype running = m_next; // the line that runs now, for the message should it fail
    try {
        for (int budget = LinesPerSlice; m_next < m_lines.size(); --budget) {
            // Lines wait for the tick they stand before; those after the last tick run with it.
            if (!m_tickWanted && m_ticksDone < m_ticksTotal)
                break;
            if (budget == 0) {
                m_slice.start();
                break;
            }
            running = m_next;
            const QString line = m_lines[m_next].trimmed();
            const qint64 ticks = TicksOf(line);
            if (ticks <= 0) {
                ++m_next;
                m_runner->runLine(line);
                if (m_leaving) {
                    reachedEnd(QStringLiteral("журнал закончен командой «Выход»"));
                    return;
                }
                continue;
            }
            if (m_ticksLeftInLine == 0)
                m_ticksLeftInLine = ticks;
            m_runner->runLine(QStringLiteral("tick"));
            ++m_ticksDone;
            if (--m_ticksLeftInLine == 0)
                ++m_next;
            m_tickWanted = false;
        }
    } catch (const std::exception &error) {
        fail(QStringLiteral("Журнал не воспроизводится: строка %1: %2")
                 .arg(running + 1)
                 .arg(QString::fromStdString(error.what())));
        return;
    }
    if (isFinished()) {
        reachedEnd(QStringLiteral("воспроизведение окончено"));
        return;
    }
    showProgress();
}

void JournalReplay::reachedEnd(const QString &note)
{
    m_next = m_lines.size();
    m_tickWanted = false;
    m_clock.stop();
    m_slice.stop();
    m_pause->setEnabled(false);
    m_step->setEnabled(false);
    showProgress(note);
    emit finished();
}

void JournalReplay::showProgress(const QString &note)
{
    if (!m_progress)
        return;
    QString text = QStringLiteral("  Такт %1 из %2").arg(m_ticksDone).arg(m_ticksTotal);
    if (!note.isEmpty())
        text += QStringLiteral(" — ") + note;
    m_progress->setText(text);
}

void JournalReplay::fail(const QString &message)
{
    const auto show = m_hooks->showMessage;
    stop();
    show(message);
}

void JournalReplay::stop()
{
    if (!isRunning())
        return;
    m_clock.stop();
    m_slice.stop();
    m_tickWanted = false;
    qApp->removeEventFilter(this);
    m_runner.reset();
    m_form.showMessage = m_hooks->showMessage;
    m_form.askFileName = m_hooks->askFileName;
    m_form.askToSave = m_hooks->askToSave;
    for (const auto &[action, shortcut] : m_hooks->shortcuts)
        action->setShortcuts(shortcut);
    m_hooks.reset();
    m_form.menuBar()->setEnabled(true);
    m_bar->hide();
    m_files.reset();
    m_scratch.reset();
    // The journal's saves chose the scratch folder, not the operator.
    DeskSettings::keepFolderOf(QDir(m_operatorsFolder).filePath(QStringLiteral("-")));
    m_form.setTimersLive(true);
}

bool JournalReplay::eventFilter(QObject *watched, QEvent *event)
{
    // The window system's input to the window, except to the bar; the runner's own events are
    // not spontaneous and pass.
    if (!event->spontaneous() || !IsOperatorInput(event->type()) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != &m_form || widget == m_bar || m_bar->isAncestorOf(widget))
        return false;
    return true;
}

} // namespace varmet
