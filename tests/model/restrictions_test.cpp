#include "model/restrictions.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <optional>

namespace varmet {
namespace {

// A solved slot well inside every limit, fixed 10 cables out.
TargetSlot QuietSlot()
{
    TargetSlot slot;
    slot.HasSolution = true;
    slot.FixDistance = 10;
    slot.Omega = 20;
    slot.Omega1 = 20;
    slot.Omega2 = 25;
    slot.TorpedoPathPx = 50;
    slot.WakePath1Px = 50;
    slot.WakePath2Px = 50;
    return slot;
}

RestrictionInputs BothShown()
{
    RestrictionInputs in;
    in.angularShown = true;
    in.linearShown = true;
    in.theta = 90;
    in.maxRun = 19000;
    return in;
}

long double MetresToPx(long double metres)
{
    return metres / PathMetresPerCable * 2;
}

TEST(RestrictionsTest, QuietSlotRaisesNothing)
{
    EXPECT_EQ(CheckRestrictions(QuietSlot(), BothShown()), RestrictionMarks {});
}

TEST(RestrictionsTest, NeitherBoxTickedRaisesNothing)
{
    TargetSlot slot = QuietSlot();
    slot.Omega = slot.Omega1 = slot.Omega2 = 170;
    slot.HasSolution = false;
    RestrictionInputs in = BothShown();
    in.angularShown = in.linearShown = false;
    in.theta = 10;
    EXPECT_EQ(CheckRestrictions(slot, in), RestrictionMarks {});
}

struct OmegaCase
{
    double omega;
    bool broken;
};

class OmegaLimitTest : public ::testing::TestWithParam<OmegaCase>
{
};

TEST_P(OmegaLimitTest, BrokenFrom160)
{
    TargetSlot slot = QuietSlot();
    slot.Omega = slot.Omega1 = slot.Omega2 = GetParam().omega;
    const RestrictionMarks marks = CheckRestrictions(slot, BothShown());
    EXPECT_EQ(marks.omega, GetParam().broken);
    EXPECT_EQ(marks.omega1, GetParam().broken);
    EXPECT_EQ(marks.omega2, GetParam().broken);
    EXPECT_EQ(marks.banner, GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(Boundary, OmegaLimitTest,
    ::testing::Values(OmegaCase {159.9, false}, OmegaCase {-159.9, false}, OmegaCase {160, true},
        OmegaCase {-160, true}, OmegaCase {-180, true}));

struct RunCase
{
    long double metres;
    std::int32_t maxRun;
    bool broken;
};

class RunLimitTest : public ::testing::TestWithParam<RunCase>
{
};

TEST_P(RunLimitTest, BrokenFromTheUsableRun)
{
    TargetSlot slot = QuietSlot();
    slot.TorpedoPathPx = slot.WakePath1Px = slot.WakePath2Px = MetresToPx(GetParam().metres);
    RestrictionInputs in = BothShown();
    in.maxRun = GetParam().maxRun;
    const RestrictionMarks marks = CheckRestrictions(slot, in);
    EXPECT_EQ(marks.path, GetParam().broken);
    EXPECT_EQ(marks.path1, GetParam().broken);
    EXPECT_EQ(marks.path2, GetParam().broken);
    EXPECT_EQ(marks.banner, GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(Boundary, RunLimitTest,
    ::testing::Values(RunCase {12919.99L, 19000, false}, RunCase {12920, 19000, true},
        RunCase {12920.01L, 19000, true}, RunCase {0, 0, true}, RunCase {1, 1, true},
        RunCase {0.67L, 1, false}));

struct ThetaCase
{
    std::optional<std::int64_t> theta;
    bool broken;
};

class MeetingAngleTest : public ::testing::TestWithParam<ThetaCase>
{
};

TEST_P(MeetingAngleTest, AllowedFrom30To150EitherWay)
{
    const RestrictionMarks marks = CheckRestrictions(QuietSlot(), [] {
        RestrictionInputs in = BothShown();
        in.theta = GetParam().theta;
        return in;
    }());
    EXPECT_EQ(marks.theta, GetParam().broken);
    EXPECT_EQ(marks.banner, GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(Boundary, MeetingAngleTest,
    ::testing::Values(ThetaCase {30, false}, ThetaCase {-30, false}, ThetaCase {150, false},
        ThetaCase {-150, false}, ThetaCase {29, true}, ThetaCase {-29, true}, ThetaCase {151, true},
        ThetaCase {-151, true}, ThetaCase {0, true}, ThetaCase {std::nullopt, false}));

// A fix of 1 cable or less arms nothing: the run fields may still turn red, nothing else.
TEST(RestrictionsTest, FixOfOneCableIsNotArmed)
{
    for (const long double fix : {0.0L, 1.0L}) {
        TargetSlot slot = QuietSlot();
        slot.FixDistance = fix;
        slot.Omega = slot.Omega1 = slot.Omega2 = 170;
        slot.TorpedoPathPx = slot.WakePath1Px = slot.WakePath2Px = MetresToPx(20000);
        RestrictionInputs in = BothShown();
        in.theta = 10;
        RestrictionMarks expected;
        expected.path = expected.path1 = expected.path2 = true;
        EXPECT_EQ(CheckRestrictions(slot, in), expected) << static_cast<double>(fix);
    }
}

TEST(RestrictionsTest, SecondTurnPathSilencesTheLinearMeetingAngle)
{
    RestrictionInputs in = BothShown();
    in.angularShown = false;
    in.secondTurnPathShown = 500;
    in.theta = 10;
    RestrictionMarks expected;
    expected.theta = true;
    EXPECT_EQ(CheckRestrictions(QuietSlot(), in), expected);
}

TEST(RestrictionsTest, OnlyTorpedoOneRaisesTheBanner)
{
    TargetSlot slot = QuietSlot();
    slot.Omega2 = 165;
    slot.WakePath2Px = MetresToPx(13000);
    RestrictionMarks expected;
    expected.omega2 = true;
    expected.path2 = true;
    EXPECT_EQ(CheckRestrictions(slot, BothShown()), expected);
}

TEST(RestrictionsTest, EachBoxExaminesItsOwnSolution)
{
    TargetSlot slot = QuietSlot();
    slot.Omega = 170;
    RestrictionInputs in = BothShown();
    in.angularShown = false;
    EXPECT_EQ(CheckRestrictions(slot, in), RestrictionMarks {});
    in.angularShown = true;
    in.linearShown = false;
    RestrictionMarks expected;
    expected.banner = expected.omega = true;
    EXPECT_EQ(CheckRestrictions(slot, in), expected);
}

TEST(RestrictionsTest, AbsentSolutionBreaksOmegaAndRun)
{
    TargetSlot slot; // no solution: every result 0
    slot.FixDistance = 10;
    RestrictionMarks all;
    all.banner = all.omega = all.path = all.omega1 = all.omega2 = all.path1 = all.path2 = true;
    EXPECT_EQ(CheckRestrictions(slot, BothShown()), all);

    slot.FixDistance = 1; // not armed: only the run fields
    RestrictionMarks runs;
    runs.path = runs.path1 = runs.path2 = true;
    EXPECT_EQ(CheckRestrictions(slot, BothShown()), runs);
}

} // namespace
} // namespace varmet
