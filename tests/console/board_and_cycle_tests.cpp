// The window together with the real board and tick cycle: ticks through the timer handler, slot
// selection after ticks, the number label, the eraser, undo and the picture files.

#include "console_fixture.h"

#include "board/board.h"
#include "model/units.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace varmet;
using Direction = UpDown::Direction;

namespace {

const QRgb White = qRgb(255, 255, 255);

QImage Picture(TForm1 &form)
{
    return form.board().canvas().picture();
}

// Whether any pixel of the area differs between the two pictures.
bool Differs(const QImage &a, const QImage &b, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return true;
    return false;
}

TEST_F(ConsoleTest, TickWritesTheClockAndTheSelectedSlot)
{
    form->Timer1Timer();
    EXPECT_EQ(get<QLabel>("Label12")->text(), "0. 0 - 1");
    EXPECT_NE(get<QLabel>("Label19")->text(), "Label19");
    EXPECT_EQ(form->state().TickCount, 1);
    EXPECT_EQ(form->state().Slots[1].TargetSpeed, 20); // taken over from "Vц (узл)"
    EXPECT_EQ(text("LabeledEdit11"), "230"); // the target stands at the corner
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConsoleTest, UnusedSlotAfterATickShowsItsDistanceFromTheCorner)
{
    form->Timer1Timer();
    spin("SpinEdit2")->typeText(QStringLiteral("3"));
    EXPECT_EQ(text("LabeledEdit8"), "230");
    EXPECT_EQ(text("LabeledEdit1"), "0");
}

TEST_F(ConsoleTest, WakeLengthReadsBackAfterSwitchingAwayAndBack)
{
    for (int i = 0; i < 10; ++i)
        upDown("UpDown10")->click(Direction::Up);
    ASSERT_EQ(text("LabeledEdit16"), "1000");
    form->Timer1Timer(); // the slot takes the wake length over
    spin("SpinEdit2")->typeText(QStringLiteral("2"));
    EXPECT_EQ(text("LabeledEdit16"), "0");
    spin("SpinEdit2")->typeText(QStringLiteral("1"));
    EXPECT_EQ(text("LabeledEdit16"), "1000");
}

TEST_F(ConsoleTest, StepsOfDistanceAndBearingFixTheSelectedTarget)
{
    QTest::mouseClick(get<QRadioButton>("RadioButton2"), Qt::LeftButton); // targets stand still
    for (int i = 0; i < 50; ++i)
        upDown("UpDown3")->click(Direction::Up);
    const TargetSlot &slot = form->state().Slots[1];
    EXPECT_EQ(PlottedPosition(slot), (PixelPoint {325, 225})); // 50 cables north
    form->Timer1Timer(); // the tick measures the distance the bearing entry keeps
    for (int i = 0; i < 90; ++i)
        upDown("UpDown7")->click(Direction::Up);
    EXPECT_EQ(PlottedPosition(slot), (PixelPoint {425, 325}));
    EXPECT_EQ(text("LabeledEdit8"), "50");
}

TEST_F(ConsoleTest, NumberButtonPaintsTheLabelAtThePlottedPosition)
{
    form->state().Slots[1].PosX = 412.5L;
    form->state().Slots[1].PosY = 300.2L;
    const QImage before = Picture(*form);
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    const QImage after = Picture(*form);
    EXPECT_TRUE(Differs(before, after, QRect(412, 300, 20, 12)));
    EXPECT_FALSE(Differs(before, after, QRect(380, 280, 32, 20))); // nothing left of it
}

TEST_F(ConsoleTest, EraserWipesOnlyWhileItsButtonIsDown)
{
    QWidget *board = get("Image3");
    const QPoint onAxis(325, 200); // the vertical axis of the grid
    ASSERT_NE(Picture(*form).pixel(onAxis), White);

    QTest::mouseClick(board, Qt::LeftButton, {}, onAxis);
    EXPECT_NE(Picture(*form).pixel(onAxis), White);

    QTest::mouseClick(get<QToolButton>("SBErase"), Qt::LeftButton);
    QTest::mouseClick(board, Qt::LeftButton, {}, onAxis);
    const QImage wiped = Picture(*form);
    EXPECT_EQ(wiped.pixel(onAxis), White);
    EXPECT_NE(wiped.pixel(onAxis.x(), onAxis.y() - 6), White); // no outline left on the axis

    get<QAction>("N2")->trigger(); // undo back to the start grid
    EXPECT_NE(Picture(*form).pixel(onAxis), White);
}

TEST_F(ConsoleTest, EraserDragWipesAtTheSampledPointsWithTheLeftButtonOnly)
{
    QWidget *board = get("Image3");
    QTest::mouseClick(get<QToolButton>("SBErase"), Qt::LeftButton);
    QTest::mousePress(board, Qt::LeftButton, {}, QPoint(100, 325)); // on the horizontal axis
    QTest::mouseMove(board, QPoint(120, 325));
    QTest::mouseRelease(board, Qt::LeftButton, {}, QPoint(120, 325));
    QTest::mousePress(board, Qt::RightButton, {}, QPoint(500, 325));
    QTest::mouseMove(board, QPoint(520, 325));
    QTest::mouseRelease(board, Qt::RightButton, {}, QPoint(520, 325));
    const QImage picture = Picture(*form);
    EXPECT_EQ(picture.pixel(100, 325), White);
    EXPECT_EQ(picture.pixel(120, 325), White);
    EXPECT_NE(picture.pixel(110, 325), White); // between the two samples
    EXPECT_EQ(picture.pixel(500, 325), White);
    EXPECT_NE(picture.pixel(520, 325), White); // a right-button drag wipes only at the press
}

TEST_F(ConsoleTest, NoTickRunsWhileTheFaultOfATickIsShown)
{
    edit("LabeledEdit15")->setText(QStringLiteral("x")); // "Е (м)" unreadable
    form->showMessage = [this](const QString &message) {
        messages << message;
        form->Timer1Timer(); // the main timer fires inside the message box
    };
    form->Timer1Timer();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(form->state().TickCount, 1);
    edit("LabeledEdit15")->setText(QStringLiteral("19000"));
    form->Timer1Timer(); // the next tick starts afresh
    EXPECT_EQ(form->state().TickCount, 2);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(ConsoleTest, GridRefreshRestoresTheAxisAfterErasing)
{
    QTest::mouseClick(get<QToolButton>("SBErase"), Qt::LeftButton);
    QTest::mouseClick(get("Image3"), Qt::LeftButton, {}, QPoint(325, 200));
    ASSERT_EQ(Picture(*form).pixel(325, 200), White);
    QTest::mouseClick(get<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_NE(Picture(*form).pixel(325, 200), White);
}

TEST_F(ConsoleTest, SavingWritesABitmapUnderTheDefaultExtension)
{
    QTemporaryDir dir;
    fileAnswer = dir.filePath("board");
    get<QAction>("MSave")->trigger();
    QFile written(dir.filePath("board.bmp"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), "BM");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConsoleTest, RefusedPictureIsReportedAndLeavesTheBoard)
{
    QTemporaryDir dir;
    fileAnswer = dir.filePath("text.bmp");
    QFile file(fileAnswer);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    const QImage before = Picture(*form);
    get<QAction>("MOpen")->trigger();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(Picture(*form), before);
}

TEST_F(ConsoleTest, ViewShowsWhatTheBoardHolds)
{
    form->show();
    QWidget *view = get("Image3");
    QApplication::processEvents();
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(325, 200), Picture(*form).pixel(325, 200));
    EXPECT_EQ(shown.pixel(100, 500), Picture(*form).pixel(100, 500));
}

} // namespace
