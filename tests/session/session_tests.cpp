// Sessions through the real window: resuming a saved session goes on exactly as the session that
// never stopped; a damaged file is refused and changes nothing; a journal replayed from start-up
// ends where the recorded session ended; closing asks only when something changed.

#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"
#include "exercise/report.h"
#include "session/exact_real.h"
#include "session/session_file.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/stat.h>

using namespace varmet;

namespace {

// The program's windows as the driver has them: timers stopped, scripts run line by line.
struct Program
{
    Program()
    {
        for (QTimer *timer : windows.form.findChildren<QTimer *>())
            timer->stop();
    }
    void run(const QString &script)
    {
        for (const QString &line : script.split('\n'))
            runner.runLine(line);
    }
    // The whole session as written, without what may differ between two runs that went alike:
    // the ship's clock and (where asked) the journal.
    QJsonObject written(bool withJournal = true) const
    {
        QJsonObject session
            = QJsonDocument::fromJson(WriteSession(windows.form.captureSession())).object();
        QJsonObject inputs = session["inputs"].toObject();
        QJsonObject values = inputs["values"].toObject();
        values.remove("Label19");
        inputs["values"] = values;
        session["inputs"] = inputs;
        if (!withJournal)
            session.remove("journal");
        return session;
    }

    ProgramWindows windows;
    QStringList output;
    ScriptRunner runner {windows, [this](const QString &line) { output << line; }};
};

QString RichScript(const QString &exercise = QStringLiteral(EXERCISE_FILE))
{
    QFile file(QStringLiteral(RICH_SESSION_SCRIPT));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    // An exercise runs under it all: starting one resets the clock and the slots.
    return QStringLiteral("exercise %1 7\n").arg(exercise) + QString::fromUtf8(file.readAll());
}

// Goes on from the end of the rich script: the held arrow is released, 600 ticks.
const QString GoOn = QStringLiteral("repeat LabeledEdit5 2\nholdtick\nrelease LabeledEdit5\n"
                                    "step LabeledEdit5 up\ntick 600\nsonar\nscore\n"
                                    "menu MExerciseStop\n");

void ExpectSameSession(Program &a, Program &b, bool withJournal)
{
    const QJsonObject left = a.written(withJournal);
    const QJsonObject right = b.written(withJournal);
    for (const QString &section : left.keys())
        EXPECT_EQ(left[section], right[section])
            << "section " << section.toStdString() << "\n"
            << QJsonDocument(left[section].toObject()).toJson().toStdString() << "\n"
            << QJsonDocument(right[section].toObject()).toJson().toStdString();
    EXPECT_EQ(left.keys(), right.keys());
    EXPECT_TRUE(
        a.windows.form.board().canvas().picture() == b.windows.form.board().canvas().picture());
}

TEST(Session, ResumingASavedSessionGoesOnExactlyAsTheSessionThatNeverStopped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("rich.vsession");
    Program uninterrupted;
    uninterrupted.run(RichScript());
    ASSERT_FALSE(uninterrupted.windows.form.saveSession(path));
    uninterrupted.run(GoOn);

    Program resumed;
    resumed.run("tick 3\nstep LabeledEdit6 up 7"); // whatever it did before is replaced
    ASSERT_FALSE(resumed.windows.form.openSession(path));
    EXPECT_FALSE(resumed.windows.form.hasUnsavedChanges());
    resumed.run(GoOn);

    EXPECT_EQ(uninterrupted.windows.form.state().TickCount, 726 + 600);
    ExpectSameSession(uninterrupted, resumed, true);
    EXPECT_TRUE(resumed.output.join('\n').contains("\nscore 1 slot=1 "))
        << resumed.output.join('\n').toStdString();
    EXPECT_EQ(resumed.output, uninterrupted.output);
}

TEST(Session, AJournalReplayedFromStartUpEndsWhereTheRecordedSessionEnded)
{
    Program recorded;
    recorded.run(RichScript() + GoOn);
    const QString journal = recorded.windows.form.journal().text();
    EXPECT_TRUE(
        journal.contains("holdtick 2\nrepeat LabeledEdit5 5\nholdtick\nrelease LabeledEdit5\n"));
    EXPECT_TRUE(journal.contains("mouse down 400 300 right\n"));
    EXPECT_TRUE(journal.startsWith("exercise " EXERCISE_FILE " 7\n"));
    EXPECT_TRUE(journal.contains("\nmenu MExerciseScore\n"));
    EXPECT_TRUE(journal.endsWith("\nmenu MExerciseStop\n"));

    Program replayed;
    replayed.run(journal);
    ExpectSameSession(recorded, replayed, true); // the journal too: it records itself again
}

// The operator's actions through the desk's door replay as they were done: typed, repeated and
// held entries, "Замер" (key and buttons), slot switches within a second, a deleted fix, a new
// leg, an applied fit, a cleared log, "оценка", the switches and spin fields, undo in the same
// second and later, redo; held arrows, slots chosen within a second, the σ and "Рассчитать", with
// undo and redo of them.
// The board's actions: an eraser stroke over a tick, a label, the grid, a picture saved and
// opened (of the board's size and of another), each undone now or later and redone.
QString BoardActions(const QTemporaryDir &dir)
{
    const QString wide = dir.filePath("wide.png");
    QImage(700, 420, QImage::Format_RGB32).save(wide);
    return QStringLiteral(
        "click SBErase\nmouse down 200 200\nmouse move 210 205\ntick\nmouse move 220 210\n"
        "mouse up 220 210\nclick Button2\nclick Button1\nundo\ntick 2\nundo\nredo\n"
        "menu MSave %1\nmouse down 325 325\nmouse up 325 325\nmenu MOpen %1\nundo\nredo\n"
        "tick 3\nmouse down 330 330 right\nmouse up 330 330\nmenu MOpen %2\ntick\nundo\n"
        "tick\nundo\nundo\nredo\nclick SBErase\ntick\n")
        .arg(dir.filePath("board.bmp"), wide);
}

TEST(Session, AJournalOfCommandsReplaysToTheSameFixesFieldsAndBoard)
{
    QTemporaryDir dir;
    Program recorded;
    recorded.run(
        QString::fromUtf8(
            "menu MBearings\nstep LabeledEdit6 up 10\nenter LabeledEdit7 60\nenter LabeledEdit8 "
            "60\n"
            "tick 30\nenter LabeledEdit7 61\ntick 30\nenter LabeledEdit7 61\nfix LabeledEdit7\n"
            "press LabeledEdit7 up\nholdtick 2\nrepeat LabeledEdit7 3\nrelease LabeledEdit7\ntick "
            "2\n"
            "type SpinEdit2 2\nenter LabeledEdit7 120\nstep LabeledEdit1 up 5\ntype SpinEdit2 1\n"
            "type SpinEdit2 2\ntick 10\ntype SpinEdit2 1\ndeletefix 3\nnewleg\nenter LabeledEdit7 "
            "70\n"
            "undo\ntick 5\nundo\ntick 10\nenter LabeledEdit7 72\nundo\nredo\ntick 30\n"
            "enter LabeledEdit7 73\nenter LabeledEdit8 57\nsolve\napply\ntick 3\nundo\ntick "
            "2\nclearlog\nundo\ntick 4\n"
            "check CheckBox1 on\nselect RadioButton2\ntick 3\nstep SpinEdit1 up 2\ntype SpinEdit3 "
            "200\n"
            "undo\ntick 2\nundo\nselect RadioButton1\nclick ButtonFixDistance\nclick "
            "ButtonFixBearing\n"
            "estimate 9 on\ntick 2\nundo\nredo\ntick 1\n"
            // Held arrows undone and redone, slots chosen within a second, the σ and "Рассчитать".
            "press LabeledEdit8 down\nholdtick 3\nrepeat LabeledEdit8 4\nrelease LabeledEdit8\n"
            "undo\nredo\ntick 1\npress LabeledEdit7 up\nrepeat LabeledEdit7 2\nrelease "
            "LabeledEdit7\nundo\ntick 3\nstep SpinEdit2 up\nenter LabeledEdit9 45\nstep SpinEdit2 "
            "up\nstep SpinEdit2 down 2\nundo\nundo\ntick 2\nredo\ntype SpinEdit2 1\nsigma 2 5\n"
            "sigma 2 3\nsolve\ntick 1\nundo\nundo\ntick 2\nredo\nredo\nsolve\n"
            "step SpinEdit2 up\nenter LabeledEdit4 3\nstep LabeledEdit4 up 2\nundo\ntick 1\nstep "
            "SpinEdit2 down\n")
        + BoardActions(dir) + "fixes");
    const QString journal = recorded.windows.form.journal().text();
    EXPECT_TRUE(journal.contains("click SBErase\nmouse down 200 200\nmouse move 210 205\ntick 1\n"
                                 "mouse move 220 210\nmouse up 220 210\nclick Button2\n"
                                 "click Button1\nundo\ntick 2\nundo\nredo\nmenu MSave "));
    QStringList actions; // the board's actions are on the undo stack in the operator's words
    const QUndoStack &stack = recorded.windows.form.desk().undoStack();
    for (int i = 0; i < stack.count(); ++i)
        actions << stack.text(i);
    for (const char *name :
        {"ластик", "надпись «№1»", "открыт рисунок board.bmp", "открыт рисунок wide.png"})
        EXPECT_TRUE(actions.contains(QString::fromUtf8(name))) << name;
    EXPECT_TRUE(journal.contains(
        "\ndeletefix 3\nnewleg\nenter LabeledEdit7 70\nundo\ntick 5\nundo\ntick 10\n"));
    EXPECT_TRUE(journal.contains("\napply\ntick 3\nundo\n"));
    EXPECT_TRUE(journal.contains("\nstep SpinEdit1 up 2\ntype SpinEdit3 200\nundo\ntick 2\nundo\n"
                                 "select RadioButton1\nfix LabeledEdit8\nfix LabeledEdit7\n"
                                 "estimate 9 on\ntick 2\nundo\nredo\n"));
    EXPECT_TRUE(
        journal.contains("\nstep SpinEdit2 up\nenter LabeledEdit9 45\nstep SpinEdit2 up\n"
                         "step SpinEdit2 down 2\nundo\nundo\ntick 2\nredo\ntype SpinEdit2 1\n"
                         "sigma 2 3\nsolve\ntick 1\nundo\nundo\n"));
    EXPECT_GE(recorded.output.size(), 10);

    Program replayed;
    replayed.run(journal + QStringLiteral("fixes"));
    ExpectSameSession(recorded, replayed, true);
    EXPECT_EQ(recorded.output, replayed.output);
}

TEST(Session, AReplayInTheWindowTakesNoInputButItsBarsAndEndsAsRecorded)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath("rich.vjournal");
    // A replay reads the exercise it names beside the journal.
    ASSERT_TRUE(QFile::copy(EXERCISE_FILE, dir.filePath("crossing.json")));
    Program recorded;
    recorded.run(RichScript(dir.filePath("crossing.json")) + GoOn);
    ASSERT_FALSE(recorded.windows.form.saveJournal(journal));

    Program replayed;
    TForm1 &form = replayed.windows.form;
    form.show();
    replayed.run("step LabeledEdit6 up 3\ntick 7"); // the replay starts from start-up
    ASSERT_FALSE(replayed.windows.replay.start(journal, 50));
    auto *eraser = form.findChild<QAbstractButton *>("SBErase");
    auto *pause = form.findChild<QAbstractButton *>("ReplayPause");
    QTest::mouseClick(eraser, Qt::LeftButton);
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_TRUE(pause->isChecked());
    while (replayed.windows.replay.isRunning() && !replayed.windows.replay.isFinished())
        replayed.windows.replay.stepOneTick();
    ASSERT_TRUE(replayed.windows.replay.isRunning());
    ExpectSameSession(recorded, replayed, true);
    EXPECT_FALSE(form.findChild<QTimer *>("Timer1")->isActive());

    replayed.windows.replay.stop(); // the window goes on live from there
    EXPECT_TRUE(form.findChild<QTimer *>("Timer1")->isActive());
    QTest::mouseClick(eraser, Qt::LeftButton);
    EXPECT_TRUE(form.journal().text().endsWith("click SBErase\n"));
}

// ---- Damaged files: each refused with a message naming the problem, the window untouched.

struct Damage
{
    const char *name;
    QByteArray (*damage)(const QByteArray &session);
    const char *message; // part of the refusal
};

void PrintTo(const Damage &damage, std::ostream *out)
{
    *out << damage.name;
}

QByteArray Replace(const QByteArray &bytes, const char *from, const QByteArray &to)
{
    QByteArray damaged = bytes;
    const qsizetype at = damaged.indexOf(from);
    EXPECT_GE(at, 0) << from;
    return damaged.replace(at, qstrlen(from), to);
}

QByteArray InputsChanged(const QByteArray &bytes, const char *key, const QJsonValue &value)
{
    QJsonObject document = QJsonDocument::fromJson(bytes).object();
    QJsonObject inputs = document["inputs"].toObject();
    inputs[key] = value;
    document["inputs"] = inputs;
    return QJsonDocument(document).toJson();
}

// The session with one of the window's values (inputs.values.NAME) replaced.
QByteArray ValueChanged(const QByteArray &bytes, const char *name, const QJsonValue &value)
{
    QJsonObject document = QJsonDocument::fromJson(bytes).object();
    QJsonObject inputs = document["inputs"].toObject();
    QJsonObject values = inputs["values"].toObject();
    EXPECT_TRUE(values.contains(name)) << name;
    values[name] = value;
    inputs["values"] = values;
    document["inputs"] = inputs;
    return QJsonDocument(document).toJson();
}

const Damage Damages[] = {
    {"TruncatedEarly", [](const QByteArray &b) { return b.left(40); }, "обрезан"},
    {"TruncatedInTheMiddle", [](const QByteArray &b) { return b.left(b.size() / 2); }, "обрезан"},
    {"TruncatedByOneByte", [](const QByteArray &b) { return b.chopped(2); }, "обрезан"},
    {"NewerVersion",
        [](const QByteArray &b) { return Replace(b, "\"version\": 2", "\"version\": 3"); },
        "файл записан более новой версией программы: версии 3, программа знает версию 2"},
    {"NewerSectionVersion", [](const QByteArray &b) { return InputsChanged(b, "version", 2); },
        "раздел «inputs» записан более новой версией программы: версии 2, программа знает версию "
        "1"},
    {"UnknownInputOfAKnownMinorVersion",
        [](const QByteArray &b) {
            return Replace(b, "\"values\": {", "\"values\": {\"Dial7\": 3,");
        },
        "«Dial7»: такого элемента в окне нет"},
    {"InputOfNoKnownType",
        [](const QByteArray &b) {
            return Replace(b, "\"LabeledEdit6\": 10", "\"LabeledEdit6\": [10]");
        },
        "«LabeledEdit6»: ожидалось число, строка, true, false или null"},
    {"NotASession", [](const QByteArray &) { return QByteArray("BM\x36\x10\x0e\0\0\0", 8); },
        "не файл сеанса"},
    {"OtherFormat",
        [](const QByteArray &b) { return Replace(b, "varmet-session", "varmet-board"); },
        "не файл сеанса"},
    {"OwnCourseOutOfRange",
        [](const QByteArray &b) { return Replace(b, "\"OwnCourse\": 30", "\"OwnCourse\": 400"); },
        "раздел «ownShip», поле «OwnCourse»: значение 400 вне допустимых пределов 0..359"},
    {"OwnCourseFarOutOfRange",
        [](const QByteArray &b) { return Replace(b, "\"OwnCourse\": 30", "\"OwnCourse\": 1e300"); },
        "«OwnCourse»: значение 1e+300 вне допустимых пределов 0..359."},
    {"BearingOutOfRange",
        [](const QByteArray &b) {
            const QByteArray bearing = "\"AcousticBearing\": \"";
            const qsizetype at = b.indexOf(bearing) + bearing.size();
            return QByteArray(b).replace(at, 20, ExactText(400.0L).toLatin1());
        },
        "слот 1, поле «AcousticBearing»: направление вне пределов"},
    {"RealNotExact",
        [](const QByteArray &b) { return Replace(b, "\"PosX\": \"", "\"PosX\": \"x"); },
        "«PosX»: не является точной записью числа"},
    {"FieldTextOutOfRange",
        [](const QByteArray &b) {
            return Replace(b, "\"LabeledEdit6\": 10", "\"LabeledEdit6\": 51");
        },
        "«LabeledEdit6»: значение «51» вне пределов 0..50"},
    {"ShownValueNotANumber",
        [](const QByteArray &b) { return ValueChanged(b, "Edit1", QStringLiteral("nan")); },
        "«Edit1»: ожидалось число или «—», а не «nan»"},
    {"ClockTextDamaged",
        [](const QByteArray &b) { return ValueChanged(b, "Label12", QString(300, 'x')); },
        "«Label12»: время «xxxxxxxxxxxxxxxxxxxxxxxx» не читается"},
    {"PictureDamaged",
        [](const QByteArray &b) {
            return Replace(b, "\"picture\": \"iVBOR", "\"picture\": \"AAAA");
        },
        "«picture»: рисунок PNG не читается"},
    {"ExerciseDamaged",
        [](const QByteArray &b) {
            return Replace(b, "\"state\": null", "\"state\": {\"Seed\": -1}");
        },
        "раздел «exercise»: состояние учения"},
    {"PictureLargerThanTheBoardTakes",
        [](const QByteArray &b) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            QImage(4097, 2, QImage::Format_RGB32).save(&buffer, "PNG");
            const QByteArray key = "\"picture\": \"";
            const qsizetype from = b.indexOf(key) + key.size();
            return QByteArray(b).replace(from, b.indexOf('"', from) - from, png.toBase64());
        },
        "«picture»: рисунок 4097 × 2 точек больше допустимых 4096 × 4096"},
    {"ClockNear2To31",
        [](const QByteArray &b) {
            return Replace(b, "\"TickCount\": 5", "\"TickCount\": 2147483000");
        },
        "«TickCount»: значение 2147483000 вне допустимых пределов 0..1000000000"},
    {"HoldCountNear2To31",
        [](const QByteArray &b) {
            return Replace(b, "\"HoldTicks\": 0", "\"HoldTicks\": 2147483647");
        },
        "«HoldTicks»: значение 2147483647 вне допустимых пределов 0..1000000000"},
    {"EraserFarOff",
        [](const QByteArray &b) {
            return Replace(b, "\"left\": ", "\"left\": 2147483000, \"x\": ");
        },
        "«left»: значение 2147483000 вне допустимых пределов"},
    {"SigmaNotANumber",
        [](const QByteArray &b) {
            return Replace(b, "\"SigmaBearing\": 1,", "\"SigmaBearing\": \"nan\",");
        },
        "«SigmaBearing»: значение «nan» вне пределов"},
    {"ExerciseInsideTooLarge",
        [](const QByteArray &b) {
            return Replace(b, "\"state\": null",
                "\"state\": {\"source\": \"" + QByteArray((1 << 20) + 3, ' ').toBase64() + "\"}");
        },
        "«source»: файл учения больше 1048576 байт"},
    {"NameGivenTwice",
        [](const QByteArray &b) {
            return Replace(b, "\"TickCount\"", "\"TickCount\": 5, \"TickCount\"");
        },
        "поле «state.clock.TickCount» указано дважды"},
    {"SectionMissing",
        [](const QByteArray &b) { return Replace(b, "\"fixes\": {", "\"fixture\": {"); },
        "нет раздела «fixes»"},
    {"PartMissing", [](const QByteArray &b) { return Replace(b, "\"ownTrack\"", "\"ownTrail\""); },
        "раздел «state», поле «ownTrack»: отсутствует"},
};

class DamagedSession : public ::testing::TestWithParam<Damage>
{
};

TEST_P(DamagedSession, IsRefusedWithTheProblemNamedAndTheWindowUntouched)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.vsession");
    const QString bad = dir.filePath("bad.vsession");
    Program program;
    program.run(
        "step LabeledEdit5 up 30\nstep LabeledEdit6 up 10\nstep LabeledEdit7 up 40\ntick 5");
    ASSERT_FALSE(program.windows.form.saveSession(good));
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(GetParam().damage(in.readAll()));
    out.close();

    program.run("tick 2\nstep LabeledEdit7 up"); // changed since saved
    const QJsonObject before = program.written();
    const auto refusal = program.windows.form.openSession(bad);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_TRUE(refusal->contains(QString::fromUtf8(GetParam().message))) << refusal->toStdString();
    EXPECT_EQ(program.written(), before);
    EXPECT_TRUE(program.windows.form.hasUnsavedChanges());
}

INSTANTIATE_TEST_SUITE_P(Session, DamagedSession, ::testing::ValuesIn(Damages),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Session, SessionsAndJournalsAreNeverWrittenOverASpecialFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Program program;
    const auto session = program.windows.form.saveSession(fifo);
    const auto journal = program.windows.form.saveJournal(fifo);
    ASSERT_TRUE(session && journal);
    EXPECT_TRUE(session->endsWith("это именованный канал, а не обычный файл."))
        << session->toStdString();
    EXPECT_TRUE(journal->endsWith("это именованный канал, а не обычный файл."))
        << journal->toStdString();
    EXPECT_FALSE(QFileInfo(fifo).isFile()); // still the FIFO
    const auto opened = program.windows.form.openSession(dir.path());
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->endsWith("это папка, а не файл.")) << opened->toStdString();
}

// The numbers a session gives are checked where they are read: a value the program would
// overflow on, show as nonsense or fail to print is refused with its place named.
TEST(Session, NumbersOutOfTheirReachAreRefusedWithTheirPlace)
{
    QTemporaryDir dir;
    Program program;
    program.run(RichScript());
    const QJsonObject good = program.written();
    ASSERT_FALSE(good["exercise"].toObject()["state"].toObject()["latest"].toArray().isEmpty());
    const auto with = [&good](const QString &section, const QString &key, auto change) {
        QJsonObject session = good;
        QJsonObject object = session[section].toObject();
        QJsonValue part = object[key];
        change(part);
        object[key] = part;
        session[section] = object;
        return session;
    };
    const auto atLatest = [](const char *key, QJsonValue value) {
        return [key, value](QJsonValue &exercise) {
            QJsonObject e = exercise.toObject();
            QJsonArray latest = e["latest"].toArray();
            QJsonObject first = latest[0].toObject();
            first[key] = value;
            latest[0] = first;
            e["latest"] = latest;
            exercise = e;
        };
    };
    const auto firstFix = [](QJsonValue value) {
        return [value](QJsonValue &logs) {
            QJsonArray all = logs.toArray();
            for (qsizetype i = 0; i < all.size(); ++i) {
                QJsonObject log = all[i].toObject();
                QJsonArray fixes = log["fixes"].toArray();
                if (fixes.isEmpty())
                    continue;
                QJsonArray fix = fixes[0].toArray();
                fix[2] = value;
                fixes[0] = fix;
                log["fixes"] = fixes;
                all[i] = log;
                break;
            }
            logs = all;
        };
    };
    const auto manyLegs = [](QJsonValue &track) {
        QJsonObject t = track.toObject();
        QJsonArray legs;
        const QJsonValue first = t["legs"].toArray()[0];
        for (int i = 0; i <= 100000; ++i)
            legs.append(first);
        t["legs"] = legs;
        track = t;
    };
    const struct
    {
        QJsonObject session;
        const char *message;
    } cases[] = {
        {with("exercise", "state", atLatest("target", 99)),
            "«latest[0].target»: значение 99 вне пределов 1..10"},
        {with("exercise", "state", atLatest("target", 7)),
            "«latest[0].target»: цели 7 в учении нет"},
        {with("exercise", "state", atLatest("bearing", -2147483648.0)),
            "«latest[0].bearing»: значение -2.14748e+09 вне пределов 0..359"},
        {with("exercise", "state", atLatest("bearing", 1e308)),
            "«latest[0].bearing»: значение 1e+308"},
        {with("exercise", "state", atLatest("time", 1.5)),
            "«latest[0].time»: ожидается целое число"},
        {with("fixes", "logs", firstFix(ExactText(std::numeric_limits<long double>::max()))),
            "вне пределов 0..360"},
        {with("state", "ownTrack", manyLegs), "«legs»: 100001 элементов вместо 0..100000"},
    };
    for (const auto &each : cases) {
        const QString path = dir.filePath("bad.vsession");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(each.session).toJson());
        file.close();
        const auto refusal = program.windows.form.openSession(path);
        ASSERT_TRUE(refusal.has_value()) << each.message;
        EXPECT_TRUE(refusal->contains(QString::fromUtf8(each.message))) << refusal->toStdString();
    }
    EXPECT_EQ(program.written(), good);
}

// The byte a parse error names lies within the file, also when the text stops short.
TEST(Session, AParseErrorNamesAByteOfTheFile)
{
    SessionData session;
    const auto cut = ReadSession("{\"a\": \"x", session); // the library points past the end
    ASSERT_TRUE(cut.has_value());
    EXPECT_TRUE(cut->endsWith("(байт 8 из 8)")) << cut->toStdString();
}

// "Итоги" of a run as long as a session may give draws its true tracks with bounded work.
TEST(Session, TheTrueTracksOfTheLongestRunAreDrawnWithBoundedWork)
{
    const ExerciseParse parsed = ReadExerciseFile(EXERCISE_FILE);
    ASSERT_TRUE(std::holds_alternative<ExerciseDefinition>(parsed));
    const QImage board(650, 650, QImage::Format_RGB32);
    const QImage picture = BoardWithTruth(
        board, std::get<ExerciseDefinition>(parsed), OwnShipTrack {}, MaxExerciseSeconds);
    EXPECT_EQ(picture.size(), board.size());
}

// ---- Versions: a version-1 file goes on showing what it showed; the inputs are typed values with
// defaults for what a file lacks.

TEST(SessionVersions, AVersion1FileSavedAgainAsVersion2ShowsTheSameFieldsFixesAndBoard)
{
    QTemporaryDir dir;
    for (const char *name : {"crossing", "two_slots"}) {
        SCOPED_TRACE(name);
        Program old;
        ASSERT_FALSE(old.windows.form.openSession(
            QStringLiteral(SESSION_V1_DIR "/%1.vsession").arg(QLatin1String(name))));
        const QString again = dir.filePath(QLatin1String(name));
        ASSERT_FALSE(old.windows.form.saveSession(again));
        Program reopened;
        ASSERT_FALSE(reopened.windows.form.openSession(again));
        const SessionData a = old.windows.form.captureSession();
        const SessionData b = reopened.windows.form.captureSession();
        EXPECT_EQ(a.controls, b.controls);
        for (std::size_t slot = 0; slot < a.state.FixLogs.size(); ++slot)
            EXPECT_EQ(a.state.FixLogs[slot].Fixes(), b.state.FixLogs[slot].Fixes());
        EXPECT_FALSE(a.state.FixLogs[0].Fixes().empty());
        EXPECT_TRUE(a.board.picture == b.board.picture);
        EXPECT_EQ(old.written(), reopened.written());

        // Written as typed values: marks as true/false, numbers as numbers, no text as null.
        QFile file(again);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject values = QJsonDocument::fromJson(file.readAll())
                                       .object()["inputs"]
                                       .toObject()["values"]
                                       .toObject();
        EXPECT_TRUE(values["RadioButton1.down"].isBool());
        EXPECT_TRUE(values["LabeledEdit7"].isDouble());
        EXPECT_TRUE(values["UpDown1.held"].isNull());
    }
}

TEST(SessionVersions, AnInputTheFileLacksTakesItsDefaultAndANewerMinorsInputIsPassedOver)
{
    QTemporaryDir dir;
    Program program;
    const ControlStates atStart = program.windows.form.captureSession().controls;
    program.run("step LabeledEdit6 up 10\nstep LabeledEdit7 up 40\ncheck CheckBox1 off\ntick 3");
    const QString path = dir.filePath("s.vsession");
    ASSERT_FALSE(program.windows.form.saveSession(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonObject inputs = document["inputs"].toObject();
    QJsonObject values = inputs["values"].toObject();
    values.remove("LabeledEdit6");
    values.remove("CheckBox1.down");
    values["Dial7"] = 3; // added by a newer program
    inputs["values"] = values;
    inputs["minor"] = InputsSectionMinor + 1;
    document["inputs"] = inputs;
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(document).toJson());
    file.close();

    const auto refusal = program.windows.form.openSession(path);
    ASSERT_FALSE(refusal) << refusal->toStdString();
    const ControlStates opened = program.windows.form.captureSession().controls;
    EXPECT_EQ(opened.at("LabeledEdit6"), atStart.at("LabeledEdit6"));
    EXPECT_EQ(opened.at("CheckBox1.down"), atStart.at("CheckBox1.down"));
    EXPECT_EQ(opened.at("LabeledEdit7"), "40");
    EXPECT_FALSE(opened.contains("Dial7"));
}

// The situation's danger limit and the flow of time are kept as typed values: saved and opened
// again as they were; a file without them (written before they were kept) opens at 5 cables, ×1,
// running; values out of reach are refused.
TEST(SessionVersions, TheDangerLimitAndTheFlowOfTimeAreKeptAndDefaultWhereAFileLacksThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.vsession");
    Program saved;
    saved.run("situation limit 7.5\nspeed 5\npause\ntick 2");
    ASSERT_FALSE(saved.windows.form.saveSession(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    const QJsonObject values = document["inputs"].toObject()["values"].toObject();
    EXPECT_EQ(values["DangerLimit"], QJsonValue(7.5));
    EXPECT_EQ(values["TimeSpeed"], QJsonValue(5));
    EXPECT_EQ(values["MPause.down"], QJsonValue(true));

    Program opened;
    ASSERT_FALSE(opened.windows.form.openSession(path));
    EXPECT_EQ(opened.windows.situation.dangerLimit(), 7.5L);
    EXPECT_EQ(opened.windows.time.speed(), 5);
    EXPECT_TRUE(opened.windows.time.paused());
    EXPECT_FALSE(opened.windows.form.hasUnsavedChanges());
    ExpectSameSession(saved, opened, true);
    opened.run("resume\nspeed 2");
    EXPECT_TRUE(opened.windows.form.hasUnsavedChanges());
    EXPECT_TRUE(opened.windows.form.journal().text().endsWith("resume\nspeed 2\n"));

    const auto writeWith = [&](const std::function<void(QJsonObject &)> &change) {
        QJsonObject damaged = document;
        QJsonObject inputs = damaged["inputs"].toObject();
        QJsonObject v = inputs["values"].toObject();
        change(v);
        inputs["values"] = v;
        damaged["inputs"] = inputs;
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(damaged).toJson());
        file.close();
    };
    writeWith([](QJsonObject &v) {
        for (const char *name : {"DangerLimit", "TimeSpeed", "MPause.down"})
            v.remove(name);
    });
    ASSERT_FALSE(opened.windows.form.openSession(path));
    EXPECT_EQ(opened.windows.situation.dangerLimit(), 5.0L);
    EXPECT_EQ(opened.windows.time.speed(), 1);
    EXPECT_FALSE(opened.windows.time.paused());

    writeWith([](QJsonObject &v) { v["TimeSpeed"] = 3; });
    const auto refusal = opened.windows.form.openSession(path);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->contains("«TimeSpeed»")) << refusal->toStdString();
    writeWith([](QJsonObject &v) { v["DangerLimit"] = 0; });
    EXPECT_TRUE(opened.windows.form.openSession(path));
    EXPECT_EQ(opened.windows.time.speed(), 1); // a refused file changed nothing
}

// ---- Closing asks "Сохранить изменения?" only after a change since the last save.

TEST(Session, ClosingAsksOnlyAfterAChangeAndCancelKeepsTheWindow)
{
    QTemporaryDir dir;
    Program program;
    TForm1 &form = program.windows.form;
    form.show();
    QStringList questions;
    UnsavedChanges::Answer answer = UnsavedChanges::Answer::Cancel;
    form.askToSave = [&](const QString &question) {
        questions << question;
        return answer;
    };
    program.run("tick 30"); // the clock alone is no change: resuming goes on alike
    EXPECT_FALSE(form.hasUnsavedChanges());
    program.run("check CheckBox1 on");
    EXPECT_FALSE(form.close());
    EXPECT_EQ(questions, QStringList {"Сохранить изменения?"});
    EXPECT_TRUE(form.isVisible());

    answer = UnsavedChanges::Answer::Save; // saving, then the window closes
    program.runner.runLine("menu MOpenSession"); // asks first, cancels the file dialog
    form.askFileName = [&](const TForm1::FileRequest &) { return dir.filePath("closing"); };
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(QFile::exists(dir.filePath("closing.vsession")));
    EXPECT_EQ(questions.size(), 3);
}

} // namespace

TEST(Session, DistanceEstimatesKeepTheirMarkAndOldFilesReadAsMeasurements)
{
    Program program;
    program.run("step LabeledEdit5 up 30\nstep LabeledEdit6 up 10\nstep LabeledEdit7 up 40\n"
                "tick 3\nstep LabeledEdit8 up 60\ntick 3\nstep LabeledEdit8 down 5\ntick 3");
    SessionData session = program.windows.form.captureSession();
    const std::deque<Fix> &fixes = session.state.FixLogs[0].Fixes();
    ASSERT_EQ(fixes.size(), 3u);
    // The distance that first placed the target is a guess; the next one a measurement.
    EXPECT_TRUE(fixes[1].Estimate);
    EXPECT_FALSE(fixes[2].Estimate);
    const QByteArray bytes = WriteSession(session);

    SessionData back = session;
    back.state.FixLogs[0].Clear();
    ASSERT_FALSE(ReadSession(bytes, back));
    EXPECT_EQ(back.state.FixLogs[0].Fixes(), fixes);

    // A file from before estimates has no mark: every distance is a measurement, as it was.
    QJsonObject document = QJsonDocument::fromJson(bytes).object();
    QJsonObject fixSection = document["fixes"].toObject();
    QJsonArray logs = fixSection["logs"].toArray();
    QJsonObject first = logs[0].toObject();
    QJsonArray items = first["fixes"].toArray();
    QJsonArray guess = items[1].toArray();
    ASSERT_EQ(guess.size(), 5);
    guess.removeLast();
    items[1] = guess;
    first["fixes"] = items;
    logs[0] = first;
    fixSection["logs"] = logs;
    document["fixes"] = fixSection;
    const QByteArray old = QJsonDocument(document).toJson();
    ASSERT_FALSE(ReadSession(old, back));
    EXPECT_FALSE(back.state.FixLogs[0].Fixes()[1].Estimate);

    // The mark belongs to a distance only.
    SessionData bearing = session;
    bearing.state.FixLogs[0].Clear();
    bearing.state.FixLogs[0].Add({1, FixKind::Bearing, 40, std::nullopt, true});
    const auto refusal = ReadSession(WriteSession(bearing), back);
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->contains(QStringLiteral("«estimate» у дистанции")))
        << refusal->toStdString();
}
