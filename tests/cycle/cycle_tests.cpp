// The tick and the operator's entries as an observable contract: what the slots, the display
// fields and the board show after a given sequence of ticks and entries.

#include "fake_console.h"

#include "model/figures.h"
#include "model/motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

namespace varmet::testing {
namespace {

class CycleTest : public ::testing::Test
{
protected:
    CycleTest() { console.cycle = &cycle; }

    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            cycle.Timer1Timer();
    }
    // The operator steps a field: its change handler runs when the text changes.
    void step(Control control, const QString &text) { console.setText(control, text); }
    QString shown(Control control) const { return console.text(control); }
    TargetSlot &slot(int number) { return state.Slots[number]; }

    // Target of slot 1 at bearing 90, 50 cables, course 0, speed 10; own ship stopped; target
    // motion off so that the geometry stays put: the worked example of the angular solution.
    void setUpCrossingTarget()
    {
        console.checks[Control::RadioButton1] = false;
        step(Control::LabeledEdit7, "90");
        step(Control::LabeledEdit8, "50");
        step(Control::LabeledEdit1, "10");
        ticks(2); // the inputs reach the computations one tick after they are taken over
    }

    FireControlState state;
    Board board;
    FakeConsole console;
    TickCycle cycle {state, board, console};
};

// A slot never fixed holds no target: an hour of ticks with own ship under way leaves the board
// as it started, every computed field without a value and no limit broken. Its first entry makes
// it a target, which moves on with the speed taken over meanwhile.
TEST_F(CycleTest, SlotNeverFixedIsNoTargetUntilItsFirstEntry)
{
    const QImage start = board.canvas().picture();
    step(Control::LabeledEdit5, "45");
    step(Control::LabeledEdit6, "18");
    board.figures().showOwnShipVector({}); // compare the board without the own-ship vector
    ticks(3600);
    EXPECT_EQ(board.canvas().picture(), start);
    for (const TargetSlot &s : state.Slots) {
        EXPECT_FALSE(s.IsTarget);
        EXPECT_EQ(std::tuple(s.PosX, s.PosY, s.LastTimeMarkTick), std::tuple(0.0L, 0.0L, 0));
    }
    for (const Control display : {Control::Edit1, Control::LabeledEdit11, Control::LabeledEdit2,
             Control::LabeledEdit22, Control::LabeledEdit28, Control::LabeledEdit25})
        EXPECT_EQ(shown(display), "—") << objectName(display);
    EXPECT_FALSE(console.visible[Control::Label13]);
    for (const auto &[control, colour] : console.colours)
        EXPECT_TRUE(control == Control::Label13 || colour != BoardColour::Red)
            << objectName(control);
    EXPECT_EQ(slot(1).TargetSpeed, 20) << "its inputs are still taken over";

    step(Control::LabeledEdit6, "0");
    step(Control::LabeledEdit8, "50");
    EXPECT_TRUE(slot(1).IsTarget);
    EXPECT_FALSE(slot(2).IsTarget);
    EXPECT_EQ(std::tuple(slot(1).PosX, slot(1).PosY), std::tuple(325.0L, 225.0L));
    ticks(2);
    EXPECT_EQ(slot(1).RelCourse, 0);
    EXPECT_NEAR(slot(1).PosY, 225 - 40.0L / 180, 1e-12L);
    EXPECT_EQ(shown(Control::LabeledEdit11), "50");
    EXPECT_TRUE(console.faults.empty());
}

TEST_F(CycleTest, CourseSteppedInReachesTheModelOneTickLater)
{
    step(Control::LabeledEdit8, "50");
    ticks(2);
    step(Control::LabeledEdit9, "90");
    EXPECT_EQ(slot(1).TargetCourse, 0) << "the course entry itself changes nothing";
    ticks(1);
    EXPECT_EQ(slot(1).TargetCourse, 90);
    EXPECT_EQ(slot(1).RelCourse, 0) << "relative motion still uses last tick's velocity";
    ticks(1);
    EXPECT_EQ(slot(1).RelCourse, 90);
}

TEST_F(CycleTest, TrackFollowsACourseChangeAtTheTickThatTakesItOver)
{
    setUpCrossingTarget();
    step(Control::LabeledEdit9, "90");
    EXPECT_EQ(board.figures().recorded(FigureKind::TrackAndWake, 1).strokes, TrackAndWake(slot(1)));
    ticks(1);
    const TargetSlot &s = slot(1);
    EXPECT_EQ(s.TargetCourse, 90);
    EXPECT_EQ(board.figures().recorded(FigureKind::TrackAndWake, 1).strokes, TrackAndWake(s));
}

TEST_F(CycleTest, WorkedGeometryShowsTheAngularSolution)
{
    setUpCrossingTarget();
    EXPECT_EQ(shown(Control::LabeledEdit20), "-13");
    EXPECT_EQ(shown(Control::LabeledEdit22), "9497");
    EXPECT_EQ(shown(Control::LabeledEdit23), "77");
    EXPECT_EQ(shown(Control::LabeledEdit21), "77");
    EXPECT_EQ(shown(Control::LabeledEdit24), "-90");
    EXPECT_EQ(shown(Control::LabeledEdit25), "-103");
    EXPECT_EQ(shown(Control::LabeledEdit11), "50");
    EXPECT_EQ(shown(Control::Edit1), "90");
    EXPECT_EQ(shown(Control::LabeledEdit2), "10");
    EXPECT_EQ(shown(Control::LabeledEdit3), "0");
    EXPECT_FALSE(console.visible[Control::Label13]);
}

TEST_F(CycleTest, AbsentSolutionShowsDashesAndDrawsNoTorpedoFigures)
{
    console.checks[Control::CheckBox1] = true;
    setUpCrossingTarget();
    ASSERT_FALSE(board.figures().recorded(FigureKind::MedianLine, 1).strokes.empty());

    // A target faster than the torpedo across the line of sight: no lead angle exists.
    step(Control::LabeledEdit1, "50");
    step(Control::LabeledEdit14, "20");
    ticks(2);
    for (Control c : {Control::LabeledEdit20, Control::LabeledEdit21, Control::LabeledEdit22,
             Control::LabeledEdit23, Control::LabeledEdit25, Control::LabeledEdit26,
             Control::LabeledEdit28, Control::LabeledEdit31, Control::LabeledEdit34})
        EXPECT_EQ(shown(c), "—") << objectName(c);
    EXPECT_EQ(shown(Control::LabeledEdit24), "-90");
    EXPECT_TRUE(board.figures().recorded(FigureKind::MedianLine, 1).strokes.empty());
    EXPECT_TRUE(board.figures().recorded(FigureKind::TorpedoPair, 1).strokes.empty());

    // Torpedo speed 0: the lead angle is 0, so "Fi" shows the correction alone.
    step(Control::LabeledEdit14, "0");
    step(Control::LabeledEdit18, "5");
    ticks(2);
    EXPECT_EQ(shown(Control::LabeledEdit20), "5");
    EXPECT_EQ(shown(Control::LabeledEdit25), "-85");
    EXPECT_EQ(shown(Control::LabeledEdit22), "—");
    EXPECT_TRUE(console.faults.empty());
}

TEST_F(CycleTest, AbsentSolutionOfAnArmedTargetRaisesTheBanner)
{
    console.checks[Control::CheckBox1] = true;
    setUpCrossingTarget();
    step(Control::LabeledEdit14, "0");
    ticks(1);
    EXPECT_TRUE(console.visible[Control::Label13]);
    EXPECT_EQ(console.background(Control::LabeledEdit21), 0xffff0000);
    EXPECT_EQ(console.background(Control::LabeledEdit22), 0xffff0000);
    EXPECT_EQ(console.background(Control::LabeledEdit26), 0xffff0000);
}

TEST_F(CycleTest, BearingStepKeepsTheDistanceWithoutADistanceEntry)
{
    ticks(1);
    slot(1).DistancePx = 100;
    console.texts[Control::LabeledEdit7] = "10";
    console.texts[Control::LabeledEdit8] = "50";
    step(Control::LabeledEdit7, "11");
    EXPECT_EQ(console.distanceEntries, 0);
    EXPECT_EQ(slot(1).PosX, 344);
    EXPECT_EQ(slot(1).PosY, 227);
    EXPECT_EQ(slot(1).FixBearing, 11);
    EXPECT_EQ(slot(1).FixDistance, 50);
    EXPECT_EQ(board.figures().recorded(FigureKind::TrackAndWake, 1).strokes, TrackAndWake(slot(1)));
}

TEST_F(CycleTest, BearingEntryRunsTheDistanceEntryFirstWhenTheRoundedDistanceChanges)
{
    ticks(1);
    slot(1).DistancePx = 101.3L;
    slot(1).FixBearing = 200;
    console.texts[Control::LabeledEdit8] = "40";
    step(Control::LabeledEdit7, "60");
    EXPECT_EQ(console.distanceEntries, 1);
    EXPECT_EQ(shown(Control::LabeledEdit8), "51");
    EXPECT_EQ(slot(1).FixDistance, 51);
    EXPECT_EQ(slot(1).PosX, 325 + std::nearbyint(102 * std::cos(-30 * M_PI / 180)));
    EXPECT_EQ(slot(1).PosY, 325 + std::nearbyint(102 * std::sin(-30 * M_PI / 180)));
}

TEST_F(CycleTest, BearingEntryKeepsAFractionalDistanceWhenTheTextStaysTheSame)
{
    ticks(1);
    slot(1).DistancePx = 101.0L; // 50.5 cables rounds to 50, the text shown
    console.texts[Control::LabeledEdit8] = "50";
    step(Control::LabeledEdit7, "90");
    EXPECT_EQ(console.distanceEntries, 0);
    EXPECT_EQ(slot(1).FixDistance, 50.5L);
    EXPECT_EQ(slot(1).PosX, 426);
    EXPECT_EQ(slot(1).PosY, 325);
}

TEST_F(CycleTest, DistanceEntryPutsTheTargetBackOnTheBearingOfTheLastFix)
{
    step(Control::LabeledEdit8, "50");
    EXPECT_EQ(slot(1).PosX, 325) << "before any bearing entry the fix bearing is 0";
    EXPECT_EQ(slot(1).PosY, 225);

    step(Control::LabeledEdit7, "30");
    ticks(30); // the target moves off its fix
    step(Control::LabeledEdit8, "40");
    EXPECT_EQ(slot(1).PosX, 365);
    EXPECT_EQ(slot(1).PosY, 256);
    EXPECT_EQ(slot(1).FixBearing, 30);
}

TEST_F(CycleTest, UnchangedTextRunsNoEntry)
{
    step(Control::LabeledEdit8, "0");
    step(Control::LabeledEdit7, "0");
    EXPECT_EQ(console.distanceEntries, 0);
    EXPECT_EQ(console.bearingEntries, 0);
}

TEST_F(CycleTest, AnEntryForNoAddressedSlotMovesNothing)
{
    console.spins[Control::SpinEdit2] = 6;
    step(Control::LabeledEdit8, "50");
    for (const TargetSlot &s : state.Slots) {
        EXPECT_EQ(s.PosX, 0);
        EXPECT_EQ(s.PosY, 0);
    }
}

TEST_F(CycleTest, SlotNumberOutsideTheRangeTakesNoInputAndWritesNoDisplay)
{
    step(Control::LabeledEdit8, "50");
    ticks(1);
    console.spins[Control::SpinEdit2] = 12;
    const QString bearingShown = shown(Control::Edit1);
    console.texts[Control::LabeledEdit11] = "untouched";
    step(Control::LabeledEdit9, "45");
    ticks(700);
    for (const TargetSlot &s : state.Slots) {
        EXPECT_NE(s.TargetCourse, 45);
        EXPECT_EQ(s.LastTimeMarkTick, 0);
    }
    EXPECT_EQ(shown(Control::LabeledEdit11), "untouched");
    EXPECT_EQ(shown(Control::Edit1), bearingShown);
    EXPECT_NE(slot(1).PosY, 225) << "every target is still moved";
    EXPECT_TRUE(console.faults.empty());
}

TEST_F(CycleTest, ClockTexts)
{
    ticks(1);
    EXPECT_EQ(shown(Control::Label12), "0. 0 - 1");
    EXPECT_EQ(shown(Control::Label19), "12:34:56");
    ticks(3724);
    EXPECT_EQ(shown(Control::Label12), "1. 2 - 5");
}

class TimeMarkTest : public CycleTest
{
protected:
    // The permanent board after the tick that writes the mark must equal the board before it
    // with exactly that text painted at the target's plotted position.
    void expectMarkAtTick600(const QString &expectedText)
    {
        console.checks[Control::RadioButton1] = false;
        step(Control::LabeledEdit7, "90");
        step(Control::LabeledEdit8, "50");
        ticks(599);
        EXPECT_EQ(slot(1).LastTimeMarkTick, 0);
        BoardCanvas reference;
        reference.replacePicture(board.canvas().permanentPicture());
        reference.textOut(425, 325, expectedText);

        ticks(1);
        EXPECT_EQ(slot(1).LastTimeMarkTick, 600);
        EXPECT_EQ(board.canvas().permanentPicture(), reference.permanentPicture());
    }
};

TEST_F(TimeMarkTest, OperationalTimeAtTick600)
{
    expectMarkAtTick600("0.10");
}

TEST_F(TimeMarkTest, ShipsClockWhenChosen)
{
    state.TimeMode = 0;
    expectMarkAtTick600("12:34:56");
}

TEST_F(TimeMarkTest, NextMarkAfterAnotherTenMinutesOnlyWhileSelected)
{
    step(Control::LabeledEdit8, "50");
    ticks(600);
    EXPECT_EQ(slot(1).LastTimeMarkTick, 600);
    console.spins[Control::SpinEdit2] = 2;
    step(Control::LabeledEdit8, "40");
    ticks(700);
    EXPECT_EQ(slot(1).LastTimeMarkTick, 600);
    // A slot not selected for a long time gets its mark at once (tick 601), then every 600.
    EXPECT_EQ(slot(2).LastTimeMarkTick, 1201);
}

class RestrictionTest : public CycleTest
{
protected:
    void SetUp() override
    {
        console.checks[Control::CheckBox1] = true;
        setUpCrossingTarget(); // et 9497 m, W 77, Тетта -103, fix at 50 cables
    }
    QRgb colour(Control c) const { return console.background(c); }
    bool banner() { return console.visible[Control::Label13]; }
    static constexpr QRgb Red = 0xffff0000;
    static constexpr QRgb Yellow = 0xffffff00;
    static constexpr QRgb White = 0xffffffff;
};

TEST_F(RestrictionTest, BannerBlinksWhileARunLimitIsBrokenAndHidesWhenItEnds)
{
    EXPECT_FALSE(banner());
    step(Control::LabeledEdit15, "13000"); // usable run 8840 m < 9497 m
    ticks(1);
    EXPECT_TRUE(banner());
    EXPECT_EQ(colour(Control::Label13), Yellow) << "the first second shows yellow after red";
    EXPECT_EQ(colour(Control::LabeledEdit22), Red);
    ticks(1);
    EXPECT_EQ(colour(Control::Label13), Red);
    ticks(1);
    EXPECT_EQ(colour(Control::Label13), Yellow);

    step(Control::LabeledEdit15, "19000");
    ticks(1);
    EXPECT_FALSE(banner());
    EXPECT_EQ(colour(Control::LabeledEdit22), White);
    EXPECT_EQ(colour(Control::Label13), Yellow) << "the colour stays for the next violation";
}

TEST_F(RestrictionTest, UnarmedTargetColoursRunFieldsOnly)
{
    step(Control::LabeledEdit8, "1"); // a fix of exactly 1 cable is not armed
    ticks(2);
    step(Control::LabeledEdit15, "0");
    ticks(1);
    EXPECT_FALSE(banner());
    EXPECT_EQ(colour(Control::LabeledEdit22), Red);
    EXPECT_EQ(colour(Control::LabeledEdit28), Red);
    EXPECT_EQ(colour(Control::LabeledEdit21), White);
}

TEST_F(CycleTest, UnreadableFieldEndsTheTickAndIsReportedOnce)
{
    step(Control::LabeledEdit8, "50");
    ticks(1);
    console.texts[Control::LabeledEdit15] = "abc";
    const TargetSlot before = slot(1);
    ticks(1);
    ASSERT_EQ(console.faults.size(), 1u);
    EXPECT_TRUE(console.faults[0].contains("abc"));
    EXPECT_EQ(state.TickCount, 2) << "the clock ran before the fault";
    EXPECT_EQ(slot(1).PosY, before.PosY) << "the slot turns after the fault did not run";

    console.texts[Control::LabeledEdit15] = "19000";
    ticks(1);
    EXPECT_EQ(console.faults.size(), 1u);
    EXPECT_NE(slot(1).PosY, before.PosY);
}

// A number beyond 32 bits is refused, not wrapped: 2^32 + 45 is no torpedo speed of 45.
TEST_F(CycleTest, WholeNumberBeyond32BitsIsRefused)
{
    console.texts[Control::LabeledEdit14] = "4294967341";
    ticks(1);
    ASSERT_EQ(console.faults.size(), 1u);
    EXPECT_TRUE(console.faults[0].contains("4294967341"));
    EXPECT_EQ(state.TorpedoSpeed, 0);
}

// A console whose fault report runs a nested loop in which the timer fires again.
class ReenteringConsole : public FakeConsole
{
public:
    void reportFault(const QString &message) override
    {
        FakeConsole::reportFault(message);
        const int before = cycleTicks();
        cycle->Timer1Timer();
        reentered = cycleTicks() != before;
    }
    std::function<int()> cycleTicks;
    bool reentered = false;
};

TEST(CycleReentry, TickNeverReentersFromTheFaultReport)
{
    FireControlState state;
    Board board;
    ReenteringConsole console;
    TickCycle cycle {state, board, console};
    console.cycle = &cycle;
    console.cycleTicks = [&state] { return state.TickCount; };
    console.texts[Control::LabeledEdit14] = "x";
    cycle.Timer1Timer();
    EXPECT_EQ(console.faults.size(), 1u);
    EXPECT_FALSE(console.reentered);
}

TEST_F(CycleTest, BearingTextThatIsNoNumberIsRefusedBeforeAnythingMoves)
{
    ticks(1);
    slot(1).DistancePx = 100;
    console.texts[Control::LabeledEdit8] = "40";
    const StrokeList track = board.figures().recorded(FigureKind::TrackAndWake, 1).strokes;
    step(Control::LabeledEdit7, "1x");
    ASSERT_EQ(console.faults.size(), 1u);
    EXPECT_TRUE(console.faults[0].contains("1x"));
    EXPECT_EQ(console.distanceEntries, 0);
    EXPECT_EQ(slot(1).PosX, 0);
    EXPECT_EQ(board.figures().recorded(FigureKind::TrackAndWake, 1).strokes, track);
}

TEST_F(CycleTest, OwnShipVectorFollowsOwnCourseAndSpeed)
{
    step(Control::LabeledEdit6, "10");
    EXPECT_EQ(board.figures().recordedOwnShipVector().strokes, OwnShipVector(0, {0, -10}));
    step(Control::LabeledEdit5, "90");
    EXPECT_EQ(board.figures().recordedOwnShipVector().strokes, OwnShipVector(90, {10, 0}));
    EXPECT_EQ(state.OwnVecX, 10);
}

} // namespace
} // namespace varmet::testing
