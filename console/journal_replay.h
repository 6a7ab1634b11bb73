#pragma once

// Plays a journal back in the real main window for a debrief: from the start-up state, its lines
// run through the script runner, the ticks at a set number per second. A small bar over the board
// pauses, runs one tick, changes the speed and stops; while a replay runs the operator changes
// nothing else (input to the window is held back, the timers are the replay's, pictures the
// journal saved go to a scratch folder instead of over the operator's files).

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

class QLabel;
class QSpinBox;
class QToolBar;
class QToolButton;

namespace varmet {

class ProgramWindows;
class ScriptRunner;
class TForm1;

class JournalReplay : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxTicksPerSecond = 100;

    explicit JournalReplay(ProgramWindows &windows);
    ~JournalReplay() override;

    // Starts playing the journal in `path` (a journal file, or a session file's journal). Returns
    // the reason it cannot; then nothing has changed.
    std::optional<QString> start(const QString &path, int ticksPerSecond);
    bool isRunning() const { return m_runner != nullptr; }
    bool isFinished() const { return m_next >= m_lines.size(); }

    void setPaused(bool paused);
    // Runs the journal up to the end of its next tick.
    void stepOneTick();
    // Ends the replay; the window goes on live from where the replay stopped.
    void stop();

signals:
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBar();
    void showProgress(const QString &note = {});
    void fail(const QString &message);

    ProgramWindows &m_windows;
    TForm1 &m_form;
    QToolBar *m_bar = nullptr;
    QToolButton *m_pause = nullptr;
    QToolButton *m_step = nullptr;
    QSpinBox *m_speed = nullptr;
    QLabel *m_progress = nullptr;
    QTimer m_clock;

    QStringList m_lines;
    qsizetype m_next = 0;
    int m_ticksLeftInLine = 0;
    int m_ticksDone = 0;
    int m_ticksTotal = 0;
    std::unique_ptr<ScriptRunner> m_runner;
    std::unique_ptr<QTemporaryDir> m_scratch;
    // The window's own ways of asking the operator, handed back when the replay ends.
    struct Hooks;
    std::unique_ptr<Hooks> m_hooks;
};

} // namespace varmet
