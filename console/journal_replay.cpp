#include "journal_replay.h"

#include "program_windows.h"
#include "script_runner.h"

#include "board/picture_file.h"
#include "session/session_file.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>

namespace varmet {

namespace {

// The ticks a line runs: "tick" and "tick N"; none for any other line.
int TicksOf(const QString &line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.front() != QLatin1String("tick"))
        return 0;
    return words.size() == 1 ? 1 : words[1].toInt();
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
    connect(&m_clock, &QTimer::timeout, this, &JournalReplay::stepOneTick);
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
    for (const QString &line : m_lines)
        m_ticksTotal += std::max(0, TicksOf(line.trimmed()));

    m_hooks = std::make_unique<Hooks>(
        Hooks {m_form.showMessage, m_form.askFileName, m_form.askToSave, {}});
    m_form.setTimersLive(false);
    m_form.resetToStartUp();
    m_runner = std::make_unique<ScriptRunner>(
        m_windows, [this](const QString &line) { showProgress(line); });
    // A journal asks nothing; the operator closing the window during a replay is asked as ever.
    m_form.askToSave = m_hooks->askToSave;
    // Pictures and sessions the journal saved are written aside, never over the operator's.
    m_scratch = std::make_unique<QTemporaryDir>();
    const auto answer = m_form.askFileName;
    m_form.askFileName = [this, answer](const TForm1::FileRequest &request) {
        const QString path = answer(request);
        if (request.kind != TForm1::FileRequest::Kind::Save || path.isEmpty())
            return path;
        return m_scratch->filePath(QFileInfo(path).fileName());
    };
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
    if (paused || isFinished())
        m_clock.stop();
    else
        m_clock.start();
}

void JournalReplay::stepOneTick()
{
    if (!isRunning())
        return;
    try {
        while (m_next < m_lines.size()) {
            const QString line = m_lines[m_next].trimmed();
            const int ticks = TicksOf(line);
            if (ticks <= 0) {
                ++m_next;
                m_runner->runLine(line);
                continue;
            }
            if (m_ticksLeftInLine == 0)
                m_ticksLeftInLine = ticks;
            m_runner->runLine(QStringLiteral("tick"));
            ++m_ticksDone;
            if (--m_ticksLeftInLine == 0)
                ++m_next;
            break;
        }
    } catch (const ScriptError &error) {
        fail(QStringLiteral("Журнал не воспроизводится: строка %1: %2")
                 .arg(m_next)
                 .arg(QString::fromStdString(error.what())));
        return;
    }
    // Lines after the last tick run with it.
    if (m_ticksDone == m_ticksTotal) {
        while (m_next < m_lines.size())
            m_runner->runLine(m_lines[m_next++]);
    }
    if (isFinished()) {
        m_clock.stop();
        m_pause->setEnabled(false);
        m_step->setEnabled(false);
        showProgress(QStringLiteral("воспроизведение окончено"));
        emit finished();
        return;
    }
    showProgress();
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
    m_scratch.reset();
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
