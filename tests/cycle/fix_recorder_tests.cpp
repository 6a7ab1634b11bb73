// Pending fixes: what settles into a slot's log, when, and in what order.

#include "cycle/fix_recorder.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

struct Recorder
{
    std::array<FixLog, SlotCount> logs {};
    FixRecorder recorder {logs};
    const std::deque<Fix> &log(int number) const { return logs[number - 1].Fixes(); }
};

TEST(FixRecorderTest, StepsWithinTwoTicksSettleAsOneFixOfTheLastValue)
{
    Recorder r;
    r.recorder.Entered(1, FixKind::Bearing, 41, 40, 7);
    r.recorder.Tick();
    r.recorder.Entered(1, FixKind::Bearing, 45, 44, 8); // the target has moved since the first
    r.recorder.Tick();
    EXPECT_TRUE(r.log(1).empty());
    r.recorder.Tick();
    ASSERT_EQ(r.log(1).size(), 1u);
    // The time and value of the last step; the expectation from before the first one.
    EXPECT_EQ(r.log(1)[0].Tick, 8);
    EXPECT_EQ(r.log(1)[0].Value, 45);
    EXPECT_EQ(r.log(1)[0].Expected, 40);
    EXPECT_FALSE(r.recorder.Pending(1, FixKind::Bearing));
}

TEST(FixRecorderTest, KindsAndSlotsSettleApartInTheOrderEntered)
{
    Recorder r;
    r.recorder.Entered(2, FixKind::Distance, 60, 58, 3);
    r.recorder.Entered(2, FixKind::Bearing, 90, 91, 3);
    r.recorder.Entered(3, FixKind::Bearing, 10, 12, 3);
    r.recorder.Tick();
    r.recorder.Tick();
    ASSERT_EQ(r.log(2).size(), 2u);
    EXPECT_EQ(r.log(2)[0].Kind, FixKind::Distance);
    EXPECT_EQ(r.log(2)[1].Kind, FixKind::Bearing);
    EXPECT_EQ(r.log(3).size(), 1u);
    EXPECT_TRUE(r.log(1).empty());
}

TEST(FixRecorderTest, ConfirmedEntersAtOnceAndAClearedLogLosesItsPendingFixes)
{
    Recorder r;
    r.recorder.Entered(1, FixKind::Bearing, 30, 31, 5);
    r.recorder.Entered(4, FixKind::Distance, 20, 25, 5);
    r.recorder.Forget(4);
    r.recorder.CommitAll();
    EXPECT_EQ(r.log(1).size(), 1u);
    r.recorder.Tick();
    r.recorder.Tick();
    EXPECT_EQ(r.log(1).size(), 1u); // not a second time
    EXPECT_TRUE(r.log(4).empty());
}

} // namespace
} // namespace varmet
