// The board over the real cycle: whatever the operator does between ticks (entries, the eraser,
// undo, the grid, labels, saving and opening), the board shows the permanent marks with the live
// figures over them, the live figures are exactly the present geometry of every slot, and
// clearing them leaves what the same permanent operations give on a board alone.

#include "fake_console.h"

#include "model/figures.h"

#include "../support/resident_memory.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <random>

namespace varmet::testing {
namespace {

class BoardOverTheCycle : public ::testing::Test
{
protected:
    BoardOverTheCycle() { console.cycle = &cycle; }

    // A tick, replaying its permanent marks on the reference board: a piece of relative track
    // per slot and the time mark of the selected slot, in slot order.
    void tickAndReplay()
    {
        std::array<PixelPoint, SlotCount + 1> before;
        std::array<std::int32_t, SlotCount + 1> marks;
        for (int n = 1; n <= SlotCount; ++n) {
            before[n] = PlottedPosition(state.Slots[n]);
            marks[n] = state.Slots[n].LastTimeMarkTick;
        }
        cycle.Timer1Timer();
        BoardCanvas &ref = reference.canvas();
        for (int n = 1; n <= SlotCount; ++n) {
            const TargetSlot &s = state.Slots[n];
            const PixelPoint after = PlottedPosition(s);
            if (console.checks[Control::RadioButton1]) {
                ref.setPenMode(PenMode::CopyPen);
                ref.setPenWidth(2);
                ref.setPenColor(BoardColour::Blue);
                ref.moveTo(before[n].x, before[n].y);
                ref.lineTo(after.x, after.y);
            }
            if (s.LastTimeMarkTick != marks[n]) {
                const QString text
                    = QStringLiteral("%1.%2").arg(state.Minutes / 60).arg(state.Minutes % 60);
                ref.setBrushStyle(BrushStyle::Solid);
                ref.textOut(static_cast<int>(after.x), static_cast<int>(after.y), text);
            }
        }
    }

    void step(Control control, const QString &text) { console.type(control, text); }

    void expectFiguresMatchTheSlots()
    {
        for (int n = 1; n <= SlotCount; ++n) {
            const TargetSlot &s = state.Slots[n];
            const LiveFigures &f = board.figures();
            EXPECT_EQ(f.recorded(FigureKind::TrackAndWake, n).strokes, TrackAndWake(s)) << n;
            EXPECT_EQ(f.recorded(FigureKind::MedianLine, n).strokes, MedianLine(s, state.MaxRun));
            EXPECT_EQ(f.recorded(FigureKind::TorpedoPair, n).strokes, TorpedoPair(s, state.MaxRun));
        }
    }

    FireControlState state;
    Board board;
    Board reference; // the permanent marks alone
    FakeConsole console;
    TickCycle cycle {state, board, console};
};

TEST_F(BoardOverTheCycle, RandomSessionsLeaveOnlyThePermanentMarks)
{
    std::mt19937 random(20261206);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto number = [](int value) { return QString::number(value); };
    QTemporaryDir directory;
    int saves = 0;
    const auto onBoth = [this](const auto &operation) {
        operation(board);
        operation(reference);
    };
    console.checks[Control::CheckBox1] = true;
    step(Control::LabeledEdit8, "60");

    for (int event = 0; event < 4000; ++event) {
        switch (pick(0, 20)) {
        case 0:
            console.checks[Control::RadioButton1] = !console.checks[Control::RadioButton1];
            break;
        case 1:
            step(Control::LabeledEdit7, number(pick(0, 359)));
            break;
        case 2:
            step(Control::LabeledEdit8, number(pick(0, 300)));
            break;
        case 3:
            step(Control::LabeledEdit9, number(pick(0, 359)));
            break;
        case 4:
            step(Control::LabeledEdit1, number(pick(0, 50)));
            break;
        case 5:
            step(Control::LabeledEdit16, number(100 * pick(0, 40)));
            break;
        case 6:
            console.spins[Control::SpinEdit2] = pick(1, 5);
            break;
        case 7:
            console.checks[Control::CheckBox1] = !console.checks[Control::CheckBox1];
            break;
        case 8:
            console.checks[Control::CheckBox2] = !console.checks[Control::CheckBox2];
            break;
        case 9:
            step(Control::LabeledEdit15, number(1000 * pick(0, 32)));
            break;
        case 10:
            step(Control::LabeledEdit5, number(pick(0, 359)));
            break;
        case 11:
            step(Control::LabeledEdit6, number(pick(0, 50)));
            break;
        case 12:
            console.spins[Control::SpinEdit3] = 100 * pick(0, 20);
            break;
        case 13:
            step(Control::LabeledEdit18, number(pick(-45, 45)));
            break;
        case 14:
            step(Control::LabeledEdit14, number(pick(0, 60)));
            break;
        case 15: { // the eraser
            const int x = pick(0, 649), y = pick(0, 649), moves = pick(0, 3), left = pick(0, 1);
            onBoth([&](Board &b) {
                b.Image3MouseDown(x, y, true);
                for (int i = 1; i <= moves; ++i)
                    b.Image3MouseMove(x + 7 * i, y + 3 * i, left == 1, true);
                b.Image3MouseUp(true);
            });
            break;
        }
        case 16: {
            const bool undo = pick(0, 2) == 0;
            onBoth([&](Board &b) { undo ? b.UndoClick() : b.RefreshGrid(); });
            break;
        }
        case 17: {
            const QString label = number(pick(1, 99));
            const PixelPoint at {pick(-20, 660), pick(-20, 660)};
            onBoth([&](Board &b) { b.drawTargetLabel(label, at); });
            break;
        }
        case 18: { // a figure far off the board, until the next tick shows the slot again
            const std::int64_t far = pick(-1, 1) * 1'000'000'000'000LL + pick(-9, 9);
            StrokeList strokes;
            strokes.add({{far, 3'000'000'000'000LL}, {pick(-100, 750), pick(-100, 750)}, 2});
            board.figures().show(FigureKind::TrackAndWake, pick(1, 5), BoardColour::Red, strokes);
            break;
        }
        case 19: // the saved board, live figures included, opened on both
            if (saves++ < 3) {
                const QString path = directory.filePath(QStringLiteral("board%1.bmp").arg(event));
                ASSERT_EQ(board.savePicture(path), std::nullopt);
                onBoth([&](Board &b) { ASSERT_EQ(b.openPicture(path), std::nullopt); });
            }
            break;
        default:
            for (int i = pick(1, 700); i > 0; --i)
                tickAndReplay();
            break;
        }
    }
    tickAndReplay();
    ASSERT_TRUE(console.faults.empty()) << console.faults.front().toStdString();
    ASSERT_GT(state.TickCount, 600) << "the session must reach a time mark";

    expectFiguresMatchTheSlots();
    board.figures().clear();
    EXPECT_TRUE(board.canvas().picture() == reference.canvas().picture());
    EXPECT_TRUE(board.canvas().permanentPicture() == reference.canvas().permanentPicture());
    EXPECT_TRUE(board.undoBitmap() == reference.undoBitmap());
}

TEST_F(BoardOverTheCycle, ADayOfFiveMovingTargets)
{
    console.checks[Control::CheckBox1] = true;
    step(Control::LabeledEdit6, "12");
    step(Control::LabeledEdit5, "30");
    for (int n = 1; n <= SlotCount; ++n) {
        console.spins[Control::SpinEdit2] = n;
        step(Control::LabeledEdit7, QString::number(70 * n));
        step(Control::LabeledEdit8, QString::number(40 + 20 * n));
        step(Control::LabeledEdit9, QString::number(300 - 50 * n));
        step(Control::LabeledEdit1, QString::number(5 + 7 * n));
        step(Control::LabeledEdit16, QString::number(400 * n));
        cycle.Timer1Timer();
    }
    console.spins[Control::SpinEdit2] = 3;

    const int hour = 3600;
    for (int i = 0; i < hour; ++i)
        cycle.Timer1Timer();
    [[maybe_unused]] const long residentAfterAnHour = residentKilobytes();
    for (int i = 0; i < 23 * hour; ++i)
        cycle.Timer1Timer();

    EXPECT_TRUE(console.faults.empty());
    EXPECT_GE(state.TickCount, 24 * hour);
    expectFiguresMatchTheSlots();
#ifndef __SANITIZE_ADDRESS__ // freed memory waits in the sanitizer's quarantine, which grows
    EXPECT_LT(residentKilobytes() - residentAfterAnHour, 1024) << "memory grows with the ticks";
#endif
}

} // namespace
} // namespace varmet::testing
