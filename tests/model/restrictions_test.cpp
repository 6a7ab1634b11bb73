#include "model/restrictions.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>

namespace varmet {
namespace {

long double Px(long double metres)
{
    return metres / PathMetresPerCable * 2;
}

// The red marks named by their fields: "W", "et", "W1", "W2", "et1", "et2", "theta", and "banner".
RestrictionMarks Marks(const std::string &names)
{
    std::istringstream words(names);
    const std::set<std::string> red {std::istream_iterator<std::string>(words), {}};
    const auto has = [&](const char *field) { return red.contains(field); };
    return {has("banner"), has("W"), has("et"), has("W1"), has("W2"), has("et1"), has("et2"),
        has("theta")};
}

// A slot fixed `fix` cables out; omega and metres are those of the median and torpedo 1, omega2
// and metres2 those of torpedo 2. 0.68 of the maximum run of 19000 m is 12920 m.
TEST(RestrictionsTest, MarksAndBanner)
{
    const struct
    {
        double omega, omega2;
        long double metres, metres2, fix;
        bool solved, angular, linear;
        std::int32_t secondTurnPath;
        std::optional<std::int64_t> theta;
        std::int32_t maxRun;
        const char *marks;
    } cases[] = {{20, 20, 9000, 9000, 10, true, true, true, 0, 90, 19000, ""},
        {159.9, 159.9, 9000, 9000, 10, true, true, true, 0, 90, 19000, ""},
        {160, 160, 9000, 9000, 10, true, true, true, 0, 90, 19000, "banner W W1 W2"},
        {-160, -160, 9000, 9000, 10, true, true, true, 0, 90, 19000, "banner W W1 W2"},
        {20, 20, 12919.99L, 12919.99L, 10, true, true, true, 0, 90, 19000, ""},
        {20, 20, 12920, 12920, 10, true, true, true, 0, 90, 19000, "banner et et1 et2"},
        {20, 20, 0, 0, 10, true, true, true, 0, 90, 0, "banner et et1 et2"},
        {20, 20, 9000, 9000, 10, true, true, true, 0, 30, 19000, ""},
        {20, 20, 9000, 9000, 10, true, true, true, 0, -150, 19000, ""},
        {20, 20, 9000, 9000, 10, true, true, true, 0, std::nullopt, 19000, ""},
        {20, 20, 9000, 9000, 10, true, true, true, 0, 29, 19000, "banner theta"},
        {20, 20, 9000, 9000, 10, true, true, true, 0, -151, 19000, "banner theta"},
        // Nothing is examined without a ticked box.
        {170, 170, 20000, 20000, 10, false, false, false, 0, 10, 19000, ""},
        // A fix of 1 cable arms nothing: the run fields may still turn red, nothing else.
        {170, 170, 20000, 20000, 1, true, true, true, 0, 10, 19000, "et et1 et2"},
        // After a second turn the linear solution leaves the meeting angle out of the banner.
        {20, 20, 9000, 9000, 10, true, false, true, 500, 10, 19000, "theta"},
        // Torpedo 2 raises no banner.
        {20, 165, 9000, 13000, 10, true, true, true, 0, 90, 19000, "W2 et2"},
        // Each box examines its own solution.
        {170, 20, 9000, 9000, 10, true, false, true, 0, 90, 19000, "banner W1"},
        {170, 20, 9000, 9000, 10, true, true, false, 0, 90, 19000, "banner W"},
        // A slot without a solution counts as a broken omega and run of both.
        {20, 20, 9000, 9000, 10, false, true, true, 0, 90, 19000, "banner W et W1 W2 et1 et2"},
        {20, 20, 9000, 9000, 1, false, true, true, 0, 90, 19000, "et et1 et2"}};
    for (const auto &c : cases) {
        TargetSlot slot;
        slot.HasSolution = c.solved;
        slot.FixDistance = c.fix;
        slot.Omega = slot.Omega1 = c.omega;
        slot.Omega2 = c.omega2;
        slot.TorpedoPathPx = slot.WakePath1Px = Px(c.metres);
        slot.WakePath2Px = Px(c.metres2);
        const RestrictionMarks marks
            = CheckRestrictions(slot, {c.angular, c.linear, c.secondTurnPath, c.theta, c.maxRun});
        EXPECT_EQ(marks, Marks(c.marks)) << "case " << &c - cases << ", expected " << c.marks;
    }
}

} // namespace
} // namespace varmet
