#pragma once

// The main window (Form1): the plotting board, the input and display fields in their framed
// blocks, the time block, the menu and the two timers, with the handlers of all of them. It owns
// the fire-control state, the board and the tick cycle.

#include "fault_guard.h"
#include "unsaved_changes.h"

#include "desk/desk.h"
#include "model/state.h"
#include "session/journal.h"
#include "session/session_data.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QPlainTextEdit;
class QTimer;
class QToolButton;

namespace varmet {

class Board;
class BoardView;
class ExerciseDesk;
class WindowFields;
class LabeledEdit;
class SpinEdit;
class TForm2;
class TickCycle;
class UpDown;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Everything the window asks of the operator goes through these hooks, so that a driver or a
    // test can answer without showing anything. By default: a message box with a stop icon and
    // OK; the open and save picture dialogs; a question with yes, no and cancel.
    struct FileRequest
    {
        enum class Kind { Open, Save };
        Kind kind;
        QString filter; // name filters separated by ";;"
        QString defaultName; // file name offered (saving)
        QString defaultSuffix; // added to a name given without one (saving)
        QString folder; // where the dialog starts: the folder used last
    };
    std::function<void(const QString &message)> showMessage;
    std::function<QString(const FileRequest &request)> askFileName; // empty: cancelled
    // A yes / no / cancel question before unsaved work would be lost.
    std::function<UnsavedChanges::Answer(const QString &question)> askToSave;
    // Starts the replay of a journal file in this window (set by whoever can run scripts).
    std::function<void(const QString &path)> replayJournal;

    // The window that "Справка" shows; none until set.
    void setHelpWindow(TForm2 *help) { m_helpWindow = help; }
    // The window that "Анализ пеленгов" shows; none until set.
    void setAnalysisWindow(QWidget *analysis)
    {
        m_analysisWindow = analysis;
        m_startUp.controls = captureControls(); // its settings belong to the start-up state
    }

    // The plot without its widgets: state, board, cycle, journal, undo, the last fits.
    Desk &desk() { return *m_desk; }
    FireControlState &state() { return m_desk->state(); }
    Board &board() { return m_desk->board(); }
    TickCycle &cycle() { return m_desk->cycle(); }

    // An operator action through the desk's one door, with the fault guard, then the board area
    // it changed repainted (takes the command over); what went wrong with it, for the operator.
    std::optional<QString> perform(DeskCommand *command);
    // "Правка" → "Отменить: …" / "Повторить: …": the operator's last action undone or redone.
    void UndoActionClick();
    void RedoActionClick();
    // "Замер" by "П акустический" (also F6) and by "Д до цели (кбт)": the field's value logged as
    // a fix now, also when it has not changed.
    void FixBearingClick();
    void FixDistanceClick();
    // "Правка" → "Журнал действий": the journal in the operator's words, following the work.
    void ActionLogClick();

    // The exercises: the menu "Учение", the sonar panel and the score.
    ExerciseDesk &exerciseDesk() { return *m_exerciseDesk; }
    // A room's menu `title`, named `name` (so is its action), placed before "Справка".
    QMenu *addRoomMenu(const QString &title, const char *name);

    // Everything back to the start of work but the window itself: the clock, every slot, the
    // fix logs and own ship's track, the fields' start texts and a fresh board with its grid;
    // then own course and speed entered through their fields.
    void RestartWork(std::int32_t ownCourse, std::int32_t ownSpeed);

    // The selected slot as "Номер п/п" shows it: the integer typed, 1 when it is no whole
    // number; it addresses a slot only within 1..5.
    int selectedSlot() const;

    // Start-up after the controls exist: the board with its grid and first snapshot, the tick
    // cycle, the timers.
    void FormCreate();

    // The two timers' handlers: the tick cycle, and the hold timer of held stepping.
    void Timer1Timer();
    void Timer2Timer();

    // Slot selection and target number.
    void SpinEdit2Change();
    void LabeledEdit4Change();

    // Held stepping of "К пл", "П акустический", "Д до цели (кбт)" and "Кц": steps of 5 and a
    // yellow field from the second hold-timer tick after a press until the release.
    void pressHeldStepper(std::size_t index);
    void StartHold();
    void EndHold();

    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button1Click();
    void Button2Click();
    void Image3MouseDown(int x, int y, Qt::MouseButtons buttons);
    void Image3MouseMove(int x, int y, Qt::MouseButtons buttons);
    void Image3MouseUp(int x, int y);
    void MOpenClick();
    void MSaveClick();
    void UndoClick();
    void N4Click();
    void MBearingsClick();
    // "Файл" → "Выход": closes the window, asking first about unsaved work.
    void MExitClick();

    // Sessions: the whole plot written to a file and put back from one, and the journal of the
    // operator's actions. Each returns the reason of a failure or refusal; a refused session
    // leaves the window as it was.
    SessionData captureSession() const;
    std::optional<QString> saveSession(const QString &path);
    std::optional<QString> openSession(const QString &path);
    std::optional<QString> saveJournal(const QString &path) const;
    // Puts the window back as it was at start-up (before a replay).
    void resetToStartUp();
    Journal &journal() { return m_desk->journal(); }
    // Whether the operator changed anything since the session was last saved or opened.
    bool hasUnsavedChanges() const { return m_desk->hasChanges(); }
    // Asks "Сохранить изменения?" when there are unsaved changes; false: the operator cancelled.
    bool offerToSave();
    // Runs the timers in real time (the program) or leaves them to a driver or a replay.
    void setTimersLive(bool live);

    void MSaveSessionClick();
    void MOpenSessionClick();
    void MSaveJournalClick();
    void MReplayJournalClick();

signals:
    // After every tick, and after the selection of another slot: what the selected slot shows
    // may have changed.
    void ticked();
    void slotSelected();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    ControlStates captureControls() const;
    // Completes the inputs a file gave (an input it lacks takes its start-up value) and checks
    // them; an input the window lacks is refused unless `newerMinor`, then passed over.
    std::optional<QString> checkControls(ControlStates &controls, bool newerMinor) const;
    void applySession(const SessionData &session);
    void wireJournal();

    void buildControls(QWidget *client);
    void buildMenu();
    void orderTabs();
    // Opens at the usual place and size where the screen has room, else as large as the screen
    // allows; where the operator left it last time when that lies on the screen, but smaller
    // than its content only when the operator made it so.
    void placeOnScreen();
    QSize contentSize() const;
    void wireHandlers();
    // The names of the undo and redo items follow the undo stack.
    void updateUndoItems();
    void showActionLog();
    // Runs a handler with the fault guard, then repaints the board area it changed.
    void handle(const std::function<void()> &handler);
    template<class Sender, class Signal>
    void wire(Sender *sender, Signal signal, void (TForm1::*handler)());

    LabeledEdit *field(const char *name) const;
    SpinEdit *spin(const char *name) const;
    void writeField(const char *name, const std::string &text);
    void writeReserveFields();
    void setHeldStepperFast(bool fast);

    // Asks for a file, starting in the folder used last, and keeps the folder chosen.
    QString chooseFile(FileRequest request);
    QString chooseSaveName(const QString &filter, const QString &name, const QString &suffix);
    // Saves the board into a file the operator chooses; whether it was saved.
    bool saveBoard();

    void showMessageBox(const QString &message);
    QString showFileDialog(const FileRequest &request);
    UnsavedChanges::Answer showQuestion(const QString &question);

    FaultGuard m_guard;
    bool m_placedOnce = false;
    // The size the window was given when placed, and whether the operator chose it.
    QSize m_placedSize;
    bool m_sizedByOperator = false;
    std::unique_ptr<WindowFields> m_fields; // the desk's fields; the widgets show them
    std::unique_ptr<Desk> m_desk;
    std::unique_ptr<ExerciseDesk> m_exerciseDesk;
    bool m_restarting = false; // RestartWork is putting the fields back: no handler runs

    BoardView *m_image3 = nullptr;
    SpinEdit *m_spinEdit2 = nullptr;
    QToolButton *m_sbErase = nullptr;
    QToolButton *m_speedButton1 = nullptr;
    QToolButton *m_speedButton2 = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    std::array<UpDown *, 4> m_heldSteppers {};
    std::optional<std::size_t> m_heldStepper; // index into m_heldSteppers while one is pressed
    int m_holdTicks = 0;
    bool m_motionBeforeClick = true; // target motion when a radio button was pressed
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    QPlainTextEdit *m_actionLog = nullptr;
    TForm2 *m_helpWindow = nullptr;
    QWidget *m_analysisWindow = nullptr;
    SessionData m_startUp; // the window as it was created
};

} // namespace varmet
