#pragma once

// Plays a journal back in the real main window for a debrief: from the start-up state, its lines
// run through the script runner, the ticks at a set number per second. A small bar over the board
// pauses, runs one tick, changes the speed and stops; while a replay runs the operator changes
// nothing else (input to the window is held back, the timers are the replay's). The journal is
// confined (session/replay_files.h): every file it writes goes to a scratch folder, every file it
// reads is looked up by name beside it, and its "Выход" ends the replay, not the program. Its lines
// run in slices from the event loop, so the window answers (and Stop works) however long the
// journal; a line that cannot run ends the replay with its number and the reason.

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
class ReplayFiles;
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
    // Runs the journal up to the end of its next tick; a long run of lines before it goes on in
    // slices from the event loop.
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
    // Runs lines until the tick asked for is done, the journal ends or the slice is used up.
    void advance();
    void reachedEnd(const QString &note);

    ProgramWindows &m_windows;
    TForm1 &m_form;
    QToolBar *m_bar = nullptr;
    QToolButton *m_pause = nullptr;
    QToolButton *m_step = nullptr;
    QSpinBox *m_speed = nullptr;
    QLabel *m_progress = nullptr;
    QTimer m_clock;
    QTimer m_slice; // the next slice of lines, from the event loop

    QStringList m_lines;
    qsizetype m_next = 0;
    qint64 m_ticksLeftInLine = 0;
    qint64 m_ticksDone = 0;
    qint64 m_ticksTotal = 0;
    bool m_tickWanted = false; // a tick was asked for and has not run yet
    bool m_leaving = false; // the journal chose "Выход"
    std::unique_ptr<ScriptRunner> m_runner;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<ReplayFiles> m_files;
    QString m_operatorsFolder; // where the file dialogs started before the replay's saves
    // The window's own ways of asking the operator, handed back when the replay ends.
    struct Hooks;
    std::unique_ptr<Hooks> m_hooks;
};

} // namespace varmet
