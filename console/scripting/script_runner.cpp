#include "script_runner.h"

#include "analysis_texts.h"
#include "board_view.h"
#include "class_desk.h"
#include "control_look.h"
#include "exercise_desk.h"
#include "fix_table.h"
#include "key_stroke.h"
#include "labeled_edit.h"
#include "model/number_text.h"
#include "program_windows.h"
#include "spin_edit.h"
#include "typed_entry.h"
#include "up_down.h"

#include "board/board.h"
#include "desk/commands.h"
#include "desk/field_words.h"
#include "session/input_limits.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTextStream>

#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>

namespace varmet {
namespace {

[[noreturn]] void fail(const QString &what)
{
    throw ScriptError(what.toStdString());
}

QString hexColour(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QLatin1Char('0'));
}

} // namespace

class ScriptRunner::Impl
{
public:
    Impl(ProgramWindows &windows, Output output)
        : m_windows(windows)
        , m_form(windows.form)
        , m_output(std::move(output))
    {
        m_form.showMessage = [this](const QString &message) { print("message: " + message); };
        m_form.askFileName = [this](const TForm1::FileRequest &request) {
            const QString answer = m_fileAnswer.value_or(QString());
            m_fileAnswer.reset();
            if (answer.isEmpty() || !m_confinement)
                return answer;
            // Refused: the dialog is cancelled, and the line fails once the handler is back.
            const ConfinedPath confined = request.kind == TForm1::FileRequest::Kind::Save
                ? m_confinement->write(answer)
                : m_confinement->read(answer, ReplayFiles::Read::Any);
            if (confined.refused())
                m_fileRefusal = QStringLiteral("файл «%1»: %2").arg(answer, confined.refusal);
            return confined.path;
        };
        // A question is answered yes: the file dialog that may follow gets the command's path.
        m_form.askToSave = [this](const QString &question) {
            print("message: " + question);
            return UnsavedChanges::Answer::Save;
        };
    }

    void run(const QStringList &words, const QString &line)
    {
        const QString command = words.front();
        const auto handler = commands().find(command);
        if (handler == commands().end())
            fail("unknown command \"" + command + "\"");
        (this->*(handler->second))(words, line);
    }

    void confine(ScriptConfinement confinement) { m_confinement = std::move(confinement); }

private:
    using Command = void (Impl::*)(const QStringList &, const QString &);

    static const std::map<QString, Command> &commands()
    {
        static const std::map<QString, Command> table {
            {"tick", &Impl::tick},
            {"holdtick", &Impl::holdTick},
            {"step", &Impl::step},
            {"press", &Impl::press},
            {"repeat", &Impl::repeat},
            {"release", &Impl::release},
            {"type", &Impl::type},
            {"enter", &Impl::enter},
            {"check", &Impl::check},
            {"select", &Impl::select},
            {"click", &Impl::click},
            {"mouse", &Impl::mouse},
            {"menu", &Impl::menu},
            {"key", &Impl::key},
            {"print", &Impl::printTexts},
            {"color", &Impl::printColours},
            {"visible", &Impl::printVisible},
            {"down", &Impl::printDown},
            {"pixel", &Impl::printPixel},
            {"board", &Impl::saveBoard},
            {"helptext", &Impl::printHelpText},
            {"window", &Impl::saveWindow},
            {"session", &Impl::session},
            {"journal", &Impl::saveJournal},
            {"fixes", &Impl::printFixes},
            {"sigma", &Impl::sigma},
            {"newleg", &Impl::newLeg},
            {"estimate", &Impl::estimate},
            {"solve", &Impl::solve},
            {"apply", &Impl::apply},
            {"grab", &Impl::grabWindow},
            {"exercise", &Impl::startExercise},
            {"sonar", &Impl::printSonar},
            {"score", &Impl::printScore},
            {"truth", &Impl::printTruth},
            {"undo", &Impl::undo},
            {"redo", &Impl::redo},
            {"fix", &Impl::fixNow},
            {"deletefix", &Impl::deleteFix},
            {"clearlog", &Impl::clearLog},
            {"scoretext", &Impl::printScoreText},
            {"situation", &Impl::situation},
            {"speed", &Impl::speed},
            {"pause", &Impl::pause},
            {"resume", &Impl::resume},
            {"period", &Impl::period},
            {"store", &Impl::useStore},
            {"trainee", &Impl::setTrainee},
            {"runs", &Impl::printRuns},
        };
        return table;
    }

    // --- arguments

    static QString argument(const QStringList &words, int index, const char *what)
    {
        if (index >= words.size())
            fail(QStringLiteral("missing %1").arg(QLatin1String(what)));
        return words[index];
    }

    static int number(const QStringList &words, int index, const char *what)
    {
        bool ok = false;
        const int value = argument(words, index, what).toInt(&ok);
        if (!ok)
            fail(QStringLiteral("%1 is not a whole number: \"%2\"")
                     .arg(QLatin1String(what), words[index]));
        return value;
    }

    static int count(const QStringList &words, int index)
    {
        if (index >= words.size())
            return 1;
        const CountRead n = ReadCount(words[index]);
        if (!n.problem.isEmpty())
            fail(n.problem);
        return n.value;
    }

    static void noMoreThan(const QStringList &words, int size)
    {
        if (words.size() > size)
            fail("unexpected argument \"" + words[size] + "\"");
    }

    // The text after the first `wordsBefore` words of the line, as written (blanks inside kept).
    static QString restOfLine(const QString &line, int wordsBefore)
    {
        QString rest = line.trimmed();
        for (int i = 0; i < wordsBefore; ++i) {
            const qsizetype blank = rest.indexOf(QRegularExpression(QStringLiteral("\\s")));
            if (blank < 0)
                return {};
            rest = rest.mid(blank).trimmed();
        }
        return rest;
    }

    QWidget *control(const QString &name) const
    {
        if (QWidget *w = m_form.findChild<QWidget *>(name))
            return w;
        if (m_windows.help.objectName() == name)
            return &m_windows.help;
        if (QWidget *w = m_windows.help.findChild<QWidget *>(name))
            return w;
        if (m_windows.analysis.objectName() == name)
            return &m_windows.analysis;
        if (QWidget *w = m_windows.analysis.findChild<QWidget *>(name))
            return w;
        fail("unknown control \"" + name + "\"");
    }

    template<class T>
    T *controlAs(const QString &name, const char *kind) const
    {
        if (auto *w = qobject_cast<T *>(control(name)))
            return w;
        fail(QStringLiteral("%1 is not %2").arg(name, QLatin1String(kind)));
    }

    // The up-down arrows that step a field.
    UpDown *arrowsOf(const QString &name) const
    {
        control(name);
        for (UpDown *upDown : m_form.findChildren<UpDown *>()) {
            if (upDown->associate()->objectName() == name)
                return upDown;
        }
        fail(name + " has no arrows");
    }

    static UpDown::Direction direction(const QStringList &words, int index)
    {
        const QString word = argument(words, index, "up or down");
        if (word == "up")
            return UpDown::Direction::Up;
        if (word == "down")
            return UpDown::Direction::Down;
        fail("expected up or down, not \"" + word + "\"");
    }

    static bool onOff(const QStringList &words, int index)
    {
        const QString word = argument(words, index, "on or off");
        if (word == "on")
            return true;
        if (word == "off")
            return false;
        fail("expected on or off, not \"" + word + "\"");
    }

    // --- files named by the script

    QString writePath(const QString &asked) const
    {
        if (!m_confinement)
            return asked;
        const ConfinedPath confined = m_confinement->write(asked);
        if (confined.refused())
            fail(QStringLiteral("файл «%1» не записан: %2").arg(asked, confined.refusal));
        return confined.path;
    }

    QString readPath(const QString &asked, ReplayFiles::Read kind) const
    {
        if (!m_confinement)
            return asked;
        const ConfinedPath confined = m_confinement->read(asked, kind);
        if (confined.refused())
            fail(QStringLiteral("файл «%1» не прочитан: %2").arg(asked, confined.refusal));
        return confined.path;
    }

    // Runs `act` with `path` as the answer of the file dialog it may open.
    template<class Act>
    void answeringFiles(const QString &path, Act act)
    {
        if (!path.isEmpty())
            m_fileAnswer = path;
        m_fileRefusal.reset();
        act();
        m_fileAnswer.reset();
        if (const std::optional<QString> refusal = std::exchange(m_fileRefusal, std::nullopt))
            fail(*refusal);
    }

    // --- commands

    void tick(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        for (int i = count(words, 1); i > 0; --i)
            m_form.Timer1Timer();
    }

    void holdTick(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        for (int i = count(words, 1); i > 0; --i)
            m_form.Timer2Timer();
    }

    void step(const QStringList &words, const QString &)
    {
        noMoreThan(words, 4);
        const QString name = argument(words, 1, "control");
        const UpDown::Direction way = direction(words, 2);
        const int n = count(words, 3);
        if (auto *spin = qobject_cast<SpinEdit *>(control(name))) {
            for (int i = 0; i < n; ++i)
                way == UpDown::Direction::Up ? spin->stepUp() : spin->stepDown();
            return;
        }
        UpDown *arrows = arrowsOf(name);
        for (int i = 0; i < n; ++i)
            arrows->click(way);
    }

    void press(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        UpDown *arrows = arrowsOf(argument(words, 1, "control"));
        arrows->press(direction(words, 2));
    }

    void repeat(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        UpDown *arrows = arrowsOf(argument(words, 1, "control"));
        if (!arrows->isHeld())
            fail("no arrow is held on " + words[1]);
        for (int i = count(words, 2); i > 0; --i)
            arrows->repeat();
    }

    void release(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        UpDown *arrows = arrowsOf(argument(words, 1, "control"));
        if (!arrows->isHeld())
            fail("no arrow is held on " + words[1]);
        arrows->release();
    }

    void type(const QStringList &words, const QString &line)
    {
        const QString name = argument(words, 1, "control");
        const QString text = restOfLine(line, 2);
        QWidget *w = control(name);
        if (auto *spin = qobject_cast<SpinEdit *>(w)) {
            spin->typeText(text);
            return;
        }
        auto *edit = qobject_cast<QLineEdit *>(w);
        if (!edit || edit->isReadOnly() || !edit->isEnabled())
            fail(name + " cannot be typed into");
        edit->setText(text);
    }

    // Typed text and Enter in a field with arrows (or a spin field).
    void enter(const QStringList &words, const QString &line)
    {
        const QString name = argument(words, 1, "control");
        const QString text = restOfLine(line, 2);
        if (text.isEmpty())
            fail("missing text");
        QWidget *w = control(name);
        if (auto *spin = qobject_cast<SpinEdit *>(w)) {
            spin->typeText(text);
            const bool taken = spin->text() == text;
            StrokeKey(*spin, Qt::Key_Return);
            if (!taken)
                print("refused " + name);
            return;
        }
        auto *edit = qobject_cast<QLineEdit *>(w);
        TypedEntry *entry = edit && edit->isEnabled() ? TypedEntry::of(edit) : nullptr;
        if (!entry)
            fail(name + " takes no typed entry");
        entry->type(text);
        if (!entry->apply())
            print("refused " + name);
    }

    void check(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        auto *box = controlAs<QCheckBox>(argument(words, 1, "control"), "a check box");
        if (box->isChecked() != onOff(words, 2))
            box->click();
    }

    void select(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        auto *radio = controlAs<QRadioButton>(argument(words, 1, "control"), "a radio button");
        if (!radio->isChecked())
            radio->click();
    }

    void click(const QStringList &words, const QString &line)
    {
        auto *button = controlAs<QAbstractButton>(argument(words, 1, "control"), "a button");
        // A button that opens a file dialog ("Сохранить отчет") gets PATH as its answer.
        answeringFiles(restOfLine(line, 2), [button] { button->click(); });
    }

    void mouse(const QStringList &words, const QString &)
    {
        noMoreThan(words, 5);
        const QString kind = argument(words, 1, "down, move or up");
        const int x = number(words, 2, "X");
        const int y = number(words, 3, "Y");
        Qt::MouseButton button = Qt::LeftButton;
        if (words.size() > 4) {
            if (words[4] == "right")
                button = Qt::RightButton;
            else if (words[4] != "left")
                fail("expected left or right, not \"" + words[4] + "\"");
        }
        auto *board = m_form.findChild<BoardView *>(QStringLiteral("Image3"));
        const QPointF at(x, y);
        const QPointF global = board->mapToGlobal(at);
        std::optional<QMouseEvent> event;
        if (kind == "down")
            event.emplace(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
        else if (kind == "move")
            event.emplace(QEvent::MouseMove, at, global, Qt::NoButton, button, Qt::NoModifier);
        else if (kind == "up")
            event.emplace(
                QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
        else
            fail("expected down, move or up, not \"" + kind + "\"");
        QApplication::sendEvent(board, &*event);
    }

    void menu(const QStringList &words, const QString &line)
    {
        const QString name = argument(words, 1, "menu item");
        auto *action = m_form.findChild<QAction *>(name);
        if (!action)
            fail("unknown menu item \"" + name + "\"");
        if (name == QLatin1String("MExit") && m_confinement && m_confinement->leave) {
            m_confinement->leave();
            return;
        }
        answeringFiles(restOfLine(line, 2), [action] { action->trigger(); });
    }

    void key(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        const auto key = KeyNamed(argument(words, 1, "key"));
        if (!key)
            fail("unknown key \"" + words[1] + "\"");
        StrokeKey(m_form, *key);
    }

    void printTexts(const QStringList &words, const QString &)
    {
        argument(words, 1, "control");
        if (words.size() == 2 && words[1] == "all") {
            std::map<QString, QString> texts;
            for (QWidget *w : m_form.findChildren<QWidget *>()) {
                const bool textual = qobject_cast<QLineEdit *>(w)
                    || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QLabel *>(w);
                // The toolkit's own inner parts ("qt_...") are no controls of the program.
                const QString name = w->objectName();
                if (textual && !name.isEmpty() && !name.startsWith(QLatin1String("qt_"))
                    && !shownText(w).isEmpty())
                    texts[name] = shownText(w);
            }
            for (const auto &[name, text] : texts)
                print(name + "=" + text);
            return;
        }
        for (int i = 1; i < words.size(); ++i)
            print(words[i] + "=" + shownText(control(words[i])));
    }

    void printColours(const QStringList &words, const QString &)
    {
        argument(words, 1, "control");
        for (int i = 1; i < words.size(); ++i) {
            QWidget *w = control(words[i]);
            print(words[i] + ".color=" + hexColour(shownBackground(w)));
        }
    }

    void printVisible(const QStringList &words, const QString &)
    {
        argument(words, 1, "control");
        for (int i = 1; i < words.size(); ++i) {
            QWidget *w = control(words[i]);
            // Shown as far as the program is concerned: not hidden itself nor by a parent.
            const bool shown = w->isWindow() ? w->isVisible() : w->isVisibleTo(w->window());
            print(words[i] + ".visible=" + (shown ? "1" : "0"));
        }
    }

    void printDown(const QStringList &words, const QString &)
    {
        argument(words, 1, "control");
        for (int i = 1; i < words.size(); ++i) {
            auto *button = controlAs<QAbstractButton>(words[i], "a button");
            print(words[i] + ".down=" + (button->isChecked() ? "1" : "0"));
        }
    }

    void printPixel(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        const int x = number(words, 1, "X");
        const int y = number(words, 2, "Y");
        const QImage &picture = m_form.board().canvas().picture();
        if (!picture.valid(x, y))
            fail(QStringLiteral("pixel %1 %2 is off the board").arg(x).arg(y));
        print(QStringLiteral("pixel %1 %2=%3").arg(x).arg(y).arg(hexColour(picture.pixel(x, y))));
    }

    void saveBoard(const QStringList &words, const QString &line)
    {
        const QString path = restOfLine(line, 1);
        if (path.isEmpty())
            fail("missing path");
        Q_UNUSED(words);
        if (!m_form.board().canvas().picture().save(writePath(path), "PNG"))
            fail("cannot write " + path);
    }

    // Not a control command: a picture of the whole main window as the operator sees it, or of
    // the analysis window ("window PATH analysis"), shown for it.
    void saveWindow(const QStringList &words, const QString &line)
    {
        QWidget *window = &m_form;
        QString path = restOfLine(line, 1);
        if (words.size() > 2 && words.back() == QLatin1String("analysis")) {
            window = &m_windows.analysis;
            path.chop(words.back().size());
            path = path.trimmed();
            m_windows.form.MBearingsClick();
            QApplication::processEvents();
        }
        if (path.isEmpty())
            fail("missing path");
        // Pending layout and placement first, as the operator's screen would show them.
        QApplication::processEvents();
        if (!window->grab().save(writePath(path), "PNG"))
            fail("cannot write " + path);
    }

    // Not a control command either: a picture of one of the program's other windows by name
    // ("ScoreWindow", "Form2"), as it is laid out now.
    void grabWindow(const QStringList &words, const QString &line)
    {
        QWidget *w = control(argument(words, 1, "window"));
        const QString path = restOfLine(line, 2);
        if (path.isEmpty())
            fail("missing path");
        if (!w->grab().save(writePath(path), "PNG"))
            fail("cannot write " + path);
    }

    void session(const QStringList &words, const QString &line)
    {
        const QString what = argument(words, 1, "save or open");
        const QString path = restOfLine(line, 2);
        if (path.isEmpty())
            fail("missing path");
        std::optional<QString> refusal;
        if (what == "save")
            refusal = m_form.saveSession(writePath(path));
        else if (what == "open")
            refusal = m_form.openSession(readPath(path, ReplayFiles::Read::Any));
        else
            fail("expected save or open, not \"" + what + "\"");
        if (refusal)
            print("message: " + *refusal);
    }

    void saveJournal(const QStringList &words, const QString &line)
    {
        const QString path = restOfLine(line, 1);
        if (path.isEmpty())
            fail("missing path");
        if (words.size() == 2 && path == QLatin1String("text")) {
            for (const QString &said : OperatorRecord(m_form.journal().annotatedText()))
                print(said);
            return;
        }
        if (const auto failure = m_form.saveJournal(writePath(path)))
            print("message: " + *failure);
    }

    // --- the bearing analysis of the selected slot

    void printFixes(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        const int number = m_form.selectedSlot();
        if (!TargetSlots::Contains(number)) {
            print("fixes 0");
            return;
        }
        const FixLog &log = m_form.state().FixLogs[static_cast<std::size_t>(number - 1)];
        for (const Fix &fix : log.Fixes()) {
            print(QStringLiteral("fix %1 %2 %3%4")
                      .arg(fix.Tick)
                      .arg(fix.Kind == FixKind::Bearing ? "bearing" : "distance")
                      .arg(FixedText(fix.Value, 0))
                      .arg(fix.Estimate ? " estimate" : ""));
        }
        print(QStringLiteral("fixes %1").arg(log.Fixes().size()));
    }

    void sigma(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        const auto set = [&words](int index, const char *what, const char *box, QWidget *window) {
            auto *spin = window->findChild<QDoubleSpinBox *>(QLatin1String(box));
            const std::optional<double> value
                = FiniteIn(argument(words, index, what), spin->minimum(), spin->maximum());
            if (!value)
                fail(QStringLiteral("%1 must be a number in %2..%3, not \"%4\"")
                         .arg(QLatin1String(what))
                         .arg(spin->minimum())
                         .arg(spin->maximum())
                         .arg(words[index]));
            return std::pair {spin, *value};
        };
        const auto bearing = set(1, "bearing deviation", "SigmaBearing", &m_windows.analysis);
        const auto distance = set(2, "distance deviation", "SigmaDistance", &m_windows.analysis);
        bearing.first->setValue(bearing.second);
        distance.first->setValue(distance.second);
    }

    // --- the command layer

    void undo(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        m_form.UndoActionClick();
    }

    void redo(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        m_form.RedoActionClick();
    }

    void fixNow(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        const QString name = argument(words, 1, "control");
        control(name);
        if (name != QLatin1String("LabeledEdit7") && name != QLatin1String("LabeledEdit8"))
            fail("not a bearing or distance field: \"" + name + "\"");
        m_form.perform(new FixNow(m_form.desk(), *InputControlNamed(name)));
    }

    void deleteFix(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        const int index = number(words, 1, "fix number");
        const int slot = m_form.selectedSlot();
        if (!TargetSlots::Contains(slot))
            return;
        const FixLog &log = m_form.state().FixLogs[static_cast<std::size_t>(slot - 1)];
        if (index < 1 || static_cast<std::size_t>(index) > log.Fixes().size())
            fail(QStringLiteral("no fix %1 in the log").arg(index));
        m_form.perform(new DeleteFix(m_form.desk(), slot, static_cast<std::size_t>(index - 1)));
    }

    void clearLog(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        // The question is answered yes.
        m_windows.analysis.confirm = [this](const QString &question) {
            print("message: " + question);
            return true;
        };
        controlAs<QAbstractButton>(QStringLiteral("ButtonClearLog"), "a button")->click();
    }

    // Checks or clears "оценка" of the selected slot's fix N (1 first), the desk's command the
    // analysis window's list gives (shown or not).
    void estimate(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        const int index = number(words, 1, "fix number");
        const bool on = onOff(words, 2);
        const int slot = m_form.selectedSlot();
        const FixLog *log = TargetSlots::Contains(slot)
            ? &m_form.state().FixLogs[static_cast<std::size_t>(slot - 1)]
            : nullptr;
        if (!log || index < 1 || static_cast<std::size_t>(index) > log->Fixes().size()
            || log->Fixes()[static_cast<std::size_t>(index - 1)].Kind != FixKind::Distance)
            fail(QStringLiteral("fix %1 is no distance of the selected slot").arg(words[1]));
        m_form.perform(
            new MarkEstimate(m_form.desk(), slot, static_cast<std::size_t>(index - 1), on));
        m_windows.analysis.refresh();
    }

    void newLeg(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        if (words.size() == 1) {
            controlAs<QAbstractButton>(QStringLiteral("ButtonNewLeg"), "a button")->click();
            return;
        }
        // From an earlier tick, as "Новый галс с …" at a manoeuvre records it.
        const int tick = number(words, 1, "tick");
        const int slot = m_form.selectedSlot();
        if (tick < 0 || tick > m_form.state().TickCount)
            fail(QStringLiteral("tick %1 is not between 0 and now").arg(tick));
        if (TargetSlots::Contains(slot))
            m_form.perform(new NewLeg(m_form.desk(), slot, tick));
    }

    void apply(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        controlAs<QAbstractButton>(QStringLiteral("ButtonApply"), "a button")->click();
    }

    void solve(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        controlAs<QAbstractButton>(QStringLiteral("ButtonSolve"), "a button")->click();
        const FitResult *result = m_windows.analysis.result();
        if (!result) {
            print(QStringLiteral("solution none: %1")
                      .arg(QStringLiteral("«Номер п/п» не указывает цель")));
            return;
        }
        if (const auto *failure = std::get_if<FitFailure>(result)) {
            const FireControlState &state = m_form.state();
            const FixLog &log = state.FixLogs[static_cast<std::size_t>(m_form.selectedSlot() - 1)];
            print(QStringLiteral("solution none: %1")
                      .arg(FailureText(*failure, OwnShipManoeuvredOverFixes(log, state.OwnTrack))));
            return;
        }
        const auto &found = std::get<FitSolution>(*result);
        const std::optional<long double> hit = m_windows.analysis.fitHitProbability();
        print(QStringLiteral("solution course=%1 speed=%2 distance=%3 bearing=%4 sd_course=%5 "
                             "sd_speed=%6 sd_distance=%7 misfit=%8 used=%9 hit=%10")
                  .arg(FixedText(found.Course, 2), FixedText(found.Speed, 2),
                      FixedText(found.Distance, 2), FixedText(found.Bearing, 2),
                      FixedText(found.SdCourse, 2), FixedText(found.SdSpeed, 2),
                      FixedText(found.SdDistance, 2), FixedText(found.Misfit, 3))
                  .arg(found.Used)
                  .arg(hit ? FixedText(*hit, 2) : QStringLiteral("-")));
    }

    void printHelpText(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        auto *memo = m_windows.help.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        print(memo->toPlainText());
    }

    // --- exercises

    // "exercise PATH [SEED]": PATH may hold blanks. The whole rest of the line is PATH when it
    // names a file; otherwise its last word is the seed.
    void startExercise(const QStringList &words, const QString &line)
    {
        argument(words, 1, "path");
        QString path = restOfLine(line, 1);
        const auto found = [this](const QString &asked) {
            return m_confinement
                ? !m_confinement->read(asked, ReplayFiles::Read::Exercise).refused()
                : QFileInfo::exists(asked);
        };
        std::optional<std::uint64_t> seed;
        if (words.size() > 2 && !found(path)) {
            bool ok = false;
            seed = words.back().toULongLong(&ok);
            if (!ok)
                fail("SEED is not a whole number: \"" + words.back() + "\"");
            path.chop(words.back().size());
            path = path.trimmed();
        }
        m_form.exerciseDesk().Start(readPath(path, ReplayFiles::Read::Exercise), seed);
    }

    const Exercise *runningExercise(const QStringList &words) const
    {
        noMoreThan(words, 1);
        return m_form.exerciseDesk().exercise();
    }

    void printSonar(const QStringList &words, const QString &)
    {
        if (const Exercise *exercise = runningExercise(words)) {
            for (const SonarReport &r : exercise->LatestReports())
                print(QStringLiteral("report %1 %2 %3").arg(r.Time).arg(r.Target).arg(r.Bearing));
        }
    }

    // A signed decimal that never reads "-0".
    static QString decimal(long double value, int decimals)
    {
        return QString::fromStdString(DecimalText(value, decimals));
    }

    void printScore(const QStringList &words, const QString &)
    {
        if (!runningExercise(words))
            return;
        for (const TargetScore &t : m_form.exerciseDesk().Score().Targets) {
            QString line = QStringLiteral("score %1 ").arg(t.Target);
            if (t.Slot)
                line += QStringLiteral("slot=%1 course_err=%2 speed_err=%3 distance_err=%4 ")
                            .arg(*t.Slot)
                            .arg(decimal(std::rint(t.CourseError), 0), decimal(t.SpeedError, 1),
                                decimal(t.DistanceError, 1));
            else
                line += QStringLiteral("slot=- course_err=- speed_err=- distance_err=- ");
            line += QStringLiteral("within=%1 since=%2 salvo=%3")
                        .arg(t.Within() ? 1 : 0)
                        .arg(t.Since ? QString::number(*t.Since) : QStringLiteral("-"),
                            !t.Median ? QStringLiteral("-")
                                : t.Median->Hit
                                ? QStringLiteral("hit")
                                : QString::number(std::llrint(t.Median->MissMetres)));
            print(line);
        }
    }

    void printTruth(const QStringList &words, const QString &)
    {
        const Exercise *exercise = runningExercise(words);
        if (!exercise)
            return;
        for (const auto &[number, truth] : exercise->Truth(m_form.state()))
            print(QStringLiteral("truth %1 %2 %3 %4 %5")
                      .arg(number)
                      .arg(decimal(truth.Bearing, 2), decimal(truth.Distance, 2),
                          decimal(truth.Course, 2), decimal(truth.Speed, 2)));
    }

    // The score window's text as shown (after "Итоги", "Завершить" or the instructor's key).
    void printScoreText(const QStringList &words, const QString &)
    {
        if (!runningExercise(words))
            return;
        for (const QString &line : m_form.exerciseDesk().ScoreText().split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                print(line.trimmed());
        }
    }

    // --- the situation dock and the control of time

    void situation(const QStringList &words, const QString &)
    {
        if (words.size() > 1) {
            noMoreThan(words, 3);
            if (words[1] != QLatin1String("limit"))
                fail("expected limit, not \"" + words[1] + "\"");
            bool ok = false;
            const double cables = argument(words, 2, "limit").toDouble(&ok);
            if (!ok || !(cables >= 0.1 && cables <= 100))
                fail("limit must be a number in 0.1..100, not \"" + words[2] + "\"");
            m_windows.situation.setDangerLimit(cables);
            return;
        }
        for (const SlotPicture &picture : m_windows.situation.Pictures())
            print(SituationDock::DriverLine(picture));
    }

    void speed(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        if (!m_windows.time.setSpeed(number(words, 1, "speed")))
            fail("speed must be 1, 2, 5 or 10, not \"" + words[1] + "\"");
    }

    void pause(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        m_windows.time.pause();
    }

    void resume(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        m_windows.time.resume();
    }

    // Periods of the main timer as the running program has them: each runs as many ticks as the
    // speed says, none while paused.
    void period(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        for (int i = count(words, 1); i > 0; --i)
            m_windows.time.period();
    }

    void print(const QString &line) const { m_output(line); }

    // --- the class record

    void useStore(const QStringList &words, const QString &)
    {
        noMoreThan(words, 2);
        const auto address = ParseStoreAddress(argument(words, 1, "store address"));
        if (const auto *refusal = std::get_if<QString>(&address))
            fail(*refusal);
        ClassDesk &classes = m_windows.classes;
        // Nobody to ask at a driver: the trainee named by "trainee", the password from the
        // environment.
        classes.askTrainee = [](const std::optional<Trainee> &current) {
            return current ? current : MakeTrainee(QStringLiteral("Без имени"), {});
        };
        classes.askPassword = [](const StoreAddress &) {
            return std::optional<QString>(qEnvironmentVariable("PGPASSWORD"));
        };
        if (const auto failure
            = classes.useStore(std::get<StoreAddress>(address), qEnvironmentVariable("PGPASSWORD")))
            print("message: " + *failure);
    }

    void setTrainee(const QStringList &words, const QString &)
    {
        noMoreThan(words, 3);
        const std::optional<Trainee> trainee
            = MakeTrainee(argument(words, 1, "name"), words.value(2));
        if (!trainee)
            fail("trainee name or group too long");
        m_windows.classes.setTrainee(*trainee);
    }

    void printRuns(const QStringList &words, const QString &)
    {
        noMoreThan(words, 1);
        if (!m_windows.classes.recording())
            fail("no store: name one with \"store URL\" first");
        auto store = m_windows.classes.keeper().journalStore();
        if (const auto *failure = std::get_if<QString>(&store)) {
            print("message: " + *failure);
            return;
        }
        const auto runs = std::get<RunStore *>(store)->Runs();
        if (const auto *failure = std::get_if<QString>(&runs)) {
            print("message: " + *failure);
            return;
        }
        for (const RunSummary &r : std::get<std::vector<RunSummary>>(runs))
            print(
                QStringLiteral("run %1 trainee=%2 exercise=%3 seed=%4 targets=%5 hits=%6 state=%7")
                    .arg(r.Id.toString(QUuid::WithoutBraces), r.Who.Name, r.ExerciseName,
                        QString::number(r.Seed), QString::number(r.Targets),
                        QString::number(r.Hits),
                        r.Finished ? QStringLiteral("finished") : QStringLiteral("in-progress")));
    }

    ProgramWindows &m_windows;
    TForm1 &m_form;
    Output m_output;
    std::optional<QString> m_fileAnswer;
    std::optional<QString> m_fileRefusal; // a path the confinement refused in a file dialog
    std::optional<ScriptConfinement> m_confinement;
};

ScriptRunner::ScriptRunner(ProgramWindows &windows, Output output)
    : m_impl(std::make_unique<Impl>(windows, std::move(output)))
{ }

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::confine(ScriptConfinement confinement)
{
    m_impl->confine(std::move(confinement));
}

void ScriptRunner::runLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#'))
        return;
    m_impl->run(trimmed.split(QRegularExpression(QStringLiteral("\\s+"))), trimmed);
}

} // namespace varmet
