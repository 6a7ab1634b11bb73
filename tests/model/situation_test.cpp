// The picture of the five slots, on cases worked by hand: a target 40 cables east and 3 north of
// own ship whose relative motion runs due west at 12 kn passes 3 cables north of own ship after
// 40 / (12 / 360) = 1200 s.

#include "model/angular.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/situation.h"
#include "model/units.h"

#include <gtest/gtest.h>

using namespace varmet;

namespace {

TargetSlot Moving(long double relCourse, long double relSpeed)
{
    TargetSlot slot;
    slot.IsTarget = true;
    slot.TargetNumber = 4;
    slot.PosX = BoardCenter + 80;
    slot.PosY = BoardCenter - 6;
    slot.RelCourse = relCourse;
    slot.RelSpeed = relSpeed;
    return slot;
}

} // namespace

TEST(Situation, ClosestApproachAheadPassedOrNever)
{
    const SituationSettings settings;
    const SlotPicture closing = PictureOfSlot(Moving(270, 12), 2, settings);
    EXPECT_EQ(closing.Slot, 2);
    EXPECT_EQ(closing.Number, 4);
    EXPECT_NEAR(static_cast<double>(closing.Distance), std::hypot(40.0, 3.0), 1e-12);
    EXPECT_NEAR(
        static_cast<double>(closing.Bearing), 90 - std::atan2(3.0, 40.0) * 180 / M_PI, 1e-9);
    EXPECT_NEAR(static_cast<double>(closing.Cpa), 3, 1e-12);
    ASSERT_TRUE(closing.Tcpa);
    EXPECT_NEAR(static_cast<double>(*closing.Tcpa), 1200, 1e-9);
    EXPECT_EQ(TcpaText(closing.Tcpa), "20:00");
    EXPECT_TRUE(closing.Danger);

    // With a limit of 3 cables the pass at exactly 3 is no danger.
    SituationSettings tight;
    tight.DangerCables = 3;
    EXPECT_FALSE(PictureOfSlot(Moving(270, 12), 2, tight).Danger);
    // Judged as shown, to a tenth: a pass at 2.96 cables reads "3.0", no danger either.
    TargetSlot nearer = Moving(270, 12);
    nearer.PosY = BoardCenter - 5.92L;
    EXPECT_NEAR(static_cast<double>(PictureOfSlot(nearer, 2, tight).Cpa), 2.96, 1e-12);
    EXPECT_FALSE(PictureOfSlot(nearer, 2, tight).Danger);
    nearer.PosY = BoardCenter - 5.88L; // 2.94 reads "2.9"
    EXPECT_TRUE(PictureOfSlot(nearer, 2, tight).Danger);
    tight.DangerCables = 0.1; // not exactly a tenth in binary: a pass shown "0.1" is still none
    nearer.PosY = BoardCenter - 0.2L;
    EXPECT_FALSE(PictureOfSlot(nearer, 2, tight).Danger);

    // Running east it has passed: the line's closest approach stays, its time does not.
    const SlotPicture opening = PictureOfSlot(Moving(90, 12), 2, settings);
    EXPECT_NEAR(static_cast<double>(opening.Cpa), 3, 1e-12);
    EXPECT_FALSE(opening.Tcpa);
    EXPECT_EQ(TcpaText(opening.Tcpa), "-");
    EXPECT_FALSE(opening.Danger);

    // Keeping its distance: the closest approach is where it stands, at no time.
    const SlotPicture still = PictureOfSlot(Moving(270, 0), 2, settings);
    EXPECT_NEAR(static_cast<double>(still.Cpa), static_cast<double>(still.Distance), 1e-12);
    EXPECT_FALSE(still.Tcpa);

    // A slot without a target shows nothing and allows nothing.
    const auto all = Situation(TargetSlots {}, settings);
    EXPECT_FALSE(all[4].IsTarget);
    EXPECT_EQ(all[4].Slot, 5);
    EXPECT_FALSE(all[4].FireAllowed);
    EXPECT_EQ(TcpaText(59.5L), "1:00");
    EXPECT_EQ(TcpaText(0.5L), "0:00");
}

TEST(Situation, FiringIsAllowedWithASolutionWithinTheLimits)
{
    // 50 cables east, course 300 at 20 kn, torpedo 45 kn: the run to the meeting is some 6800 m.
    TargetSlot slot;
    slot.IsTarget = true;
    slot.PosX = BoardCenter + 100;
    slot.PosY = BoardCenter;
    slot.FixDistance = 50;
    slot.TargetCourse = 300;
    slot.TargetSpeed = 20;
    UpdateRangeAndBearing(slot);
    ComputeLeadAngle(slot, 45);
    ComputeAngularSolution(slot, 0, 45);
    ComputeTorpedoPair(slot, 0, 0);
    SituationSettings settings;
    settings.Display.angularShown = true;
    settings.Display.maxRun = 19000;
    EXPECT_TRUE(PictureOfSlot(slot, 1, settings).FireAllowed);
    // 0.68 of 9000 m is under the run: the limit is broken.
    settings.Display.maxRun = 9000;
    EXPECT_FALSE(PictureOfSlot(slot, 1, settings).FireAllowed);
    // No solution, nothing to fire.
    slot.HasSolution = false;
    settings.Display.maxRun = 19000;
    EXPECT_FALSE(PictureOfSlot(slot, 1, settings).FireAllowed);
}
