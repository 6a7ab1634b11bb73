// The exercise at the console: the start gives the start board back, the panel hides nothing,
// and the report is a valid PDF drawn from a copy of the board.

#include "console_fixture.h"

#include "board/board.h"
#include "console/exercise_desk/exercise_desk.h"
#include "model/motion.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>

using namespace varmet;

namespace {

const QString Crossing = QStringLiteral(VARMET_EXERCISES_DIR "/crossing.json");

} // namespace

TEST_F(ConsoleTest, StartingAnExerciseGivesTheStartBoardBackAndItsPanelHidesNothing)
{
    form->show();
    const QSize central = form->centralWidget()->size();
    upDown("UpDown7")->click(Up); // a fix 1 cable out on bearing 1, then ten ticks of plotting
    upDown("UpDown3")->click(Up);
    for (int i = 0; i < 10; ++i)
        form->Timer1Timer();
    spin("SpinEdit2")->stepUp(); // slot 2 selected

    fileAnswer = Crossing;
    get<QAction>("MExerciseStart")->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(fileRequests.back().kind, TForm1::FileRequest::Kind::Open);

    Board start;
    start.RedrawOwnShipVector(0, OwnVelocity(0, 6)); // the exercise's own course and speed
    EXPECT_EQ(form->board().canvas().picture(), start.canvas().picture());
    EXPECT_EQ(form->state().TickCount, 0);
    EXPECT_TRUE(form->state().OwnTrack.Legs().empty());
    EXPECT_TRUE(get<QDockWidget>("SonarPanel")->isVisible());
    // Slot 1 is selected again, with target number 1, and selecting slot 2 still loads it.
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 1);
    spin("SpinEdit2")->stepUp();
    EXPECT_EQ(text("LabeledEdit4"), "0");
    QApplication::processEvents();
    EXPECT_EQ(form->centralWidget()->size(), central);
}

// Starting an exercise replaces the plot: a changed one is offered for saving first.
TEST_F(ConsoleTest, StartingAnExerciseAsksToSaveAChangedPlot)
{
    fileAnswer = Crossing;
    get<QAction>("MExerciseStart")->trigger();
    EXPECT_TRUE(questions.isEmpty());
    upDown("UpDown7")->click(Up);
    get<QAction>("MExerciseStart")->trigger();
    EXPECT_EQ(questions, QStringList {"Сохранить изменения?"});
}

TEST_F(ConsoleTest, TheReportIsAPdfAndLeavesTheLiveBoardAsItIs)
{
    fileAnswer = Crossing;
    get<QAction>("MExerciseStart")->trigger();
    for (int i = 0; i < 30; ++i)
        form->Timer1Timer();
    const QImage before = form->board().canvas().picture().copy();
    get<QAction>("MExerciseScore")->trigger();
    EXPECT_TRUE(get<QWidget>("ScoreWindow")->isVisible());
    EXPECT_EQ(form->board().canvas().picture(), before);

    QTemporaryDir dir;
    fileAnswer = dir.filePath("отчет"); // the suffix is added
    get<QPushButton>("SaveReportButton")->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(fileRequests.back().defaultSuffix, "pdf");
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {dir.filePath("отчет.pdf")});
    ASSERT_TRUE(pdfinfo.waitForFinished(20000));
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    EXPECT_EQ(pdfinfo.exitCode(), 0) << pdfinfo.readAllStandardError().toStdString();
    EXPECT_TRUE(info.contains("Итоги учения «Цель на пересекающем курсе»")) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+[12]\\n"))) << info.toStdString();

    fileAnswer = dir.filePath("нет/такой/папки/отчет.pdf");
    get<QPushButton>("SaveReportButton")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Отчет «")) << messages[0].toStdString();
}

TEST_F(ConsoleTest, TheStartOpensAtTheShippedExercisesAndTheScoreCarriesTheTraineeAndTheOdds)
{
    fileAnswer = Crossing;
    get<QAction>("MExerciseStart")->trigger();
    EXPECT_EQ(QDir(fileRequests.back().folder), QDir(QStringLiteral(VARMET_EXERCISES_DIR)));
    ExerciseDesk &desk = form->exerciseDesk();
    get<QAction>("MExerciseScore")->trigger();
    EXPECT_FALSE(desk.ScoreText().contains("Обучаемый"));
    EXPECT_FALSE(desk.ScoreText().contains("Вероятность"));

    desk.setTrainee(QStringLiteral("курсант Петров"));
    desk.hitProbability = [](int slot) -> std::optional<long double> {
        return slot == 1 ? std::optional<long double>(0.25L) : std::nullopt;
    };
    get<QAction>("MExerciseScore")->trigger();
    EXPECT_TRUE(desk.ScoreText().contains("Обучаемый: курсант Петров"));
    EXPECT_TRUE(desk.ScoreText().contains("Вероятность попадания"));
    EXPECT_TRUE(desk.ScoreText().contains("0.25"));
    // The chance given at the end stands in the final score.
    get<QAction>("MExerciseStop")->trigger();
    desk.hitProbability = nullptr;
    ASSERT_EQ(desk.Score().Targets.size(), 1u);
    EXPECT_EQ(desk.Score().Targets[0].HitProbability, 0.25L);
}
