// The slot's fix log and own ship's true track.

#include "model/fix_log.h"
#include "model/own_track.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varmet {
namespace {

TEST(FixLogTest, HoldsFiveHundredDropsTheOldestAndRemovesByIndex)
{
    FixLog log;
    for (int tick = 1; tick <= 501; ++tick)
        log.Add({tick, tick % 2 ? FixKind::Bearing : FixKind::Distance, tick * 1.0L, 0});
    ASSERT_EQ(log.Fixes().size(), FixLog::Capacity);
    EXPECT_EQ(log.Fixes().front().Tick, 2); // the 501st pushed out the first
    EXPECT_EQ(log.LatestOf(FixKind::Bearing)->Tick, 501);
    EXPECT_EQ(log.LatestOf(FixKind::Distance)->Tick, 500);
    log.Remove(0);
    log.Remove(10'000); // past the end: nothing
    EXPECT_EQ(log.Fixes().front().Tick, 3);
    log.NewLegTick = 400;
    log.Clear();
    EXPECT_TRUE(log.Fixes().empty());
    EXPECT_FALSE(log.NewLegTick);
    EXPECT_FALSE(log.LatestOf(FixKind::Bearing));
}

// North at 36 kn is 0.1 cable a second; east at 18 kn is 0.05.
TEST(OwnShipTrackTest, LegsStartAtEveryChangeAndPositionsFollowThem)
{
    OwnShipTrack track;
    for (int tick = 1; tick <= 10; ++tick)
        track.Advance(tick, 0, 36);
    for (int tick = 11; tick <= 20; ++tick)
        track.Advance(tick, 90, 18);
    ASSERT_EQ(track.Legs().size(), 2u);
    EXPECT_EQ(track.Legs()[1].StartTick, 10);
    const struct
    {
        long double tick, east, north;
    } cases[] = {{-5, 0, 0}, {0, 0, 0}, {5, 0, 0.5}, {10, 0, 1}, {14.5, 0.225, 1}, {20, 0.5, 1},
        {30, 1, 1}}; // on along the last leg past the end
    for (const auto &c : cases) {
        const SeaPoint at = track.PositionAt(c.tick);
        EXPECT_NEAR(at.East, c.east, 1e-12) << c.tick;
        EXPECT_NEAR(at.North, c.north, 1e-12) << c.tick;
    }
    EXPECT_TRUE(track.ManoeuvredBetween(5, 15));
    EXPECT_FALSE(track.ManoeuvredBetween(0, 10)); // the turn at 10 is the span's end
    EXPECT_FALSE(track.ManoeuvredBetween(11, 20));
}

TEST(OwnShipTrackTest, BearingsClockwiseFromNorth)
{
    const SeaPoint own {1, 1};
    EXPECT_NEAR(SeaBearing(own, {2, 2}), 45, 1e-12);
    EXPECT_NEAR(SeaBearing(own, {0, 1}), 270, 1e-12);
    EXPECT_NEAR(SeaBearing(own, {1, 0}), 180, 1e-12);
    EXPECT_EQ(SeaBearing(own, own), 0);
    EXPECT_NEAR(SeaDistance(own, {4, 5}), 5, 1e-15);
}

} // namespace
} // namespace varmet
