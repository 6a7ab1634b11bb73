// The truth and the sonar: geometry, manoeuvres at their times, the noise's spread, and runs that
// repeat exactly for a seed, also when continued from a saved state.

#include "exercise/exercise.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>

using namespace varmet;

namespace {

ExerciseTarget Target(long double bearing, long double distance, long double course,
    long double speed, std::vector<Manoeuvre> manoeuvres = {})
{
    ExerciseTarget t;
    t.Number = 1;
    t.Bearing = bearing;
    t.Distance = distance;
    t.Course = course;
    t.Speed = speed;
    t.Manoeuvres = std::move(manoeuvres);
    return t;
}

} // namespace

TEST(Truth, ManoeuvresHappenAtTheirTimes)
{
    // 10 kn is 1/36 cable a second: north 16.67 cables by 600 s, then 20 kn east.
    const TargetTruth truth(Target(90, 50, 0, 10, {{600, 90, 20}}));
    struct Case
    {
        long double time, east, north, course, speed;
    };
    for (const Case &c : {Case {0, 50, 0, 0, 10}, Case {599, 50, 599.0L / 36, 0, 10},
             Case {600, 50, 600.0L / 36, 90, 20}, Case {780, 60, 600.0L / 36, 90, 20}}) {
        const SeaPoint at = truth.PositionAt(c.time);
        EXPECT_NEAR(static_cast<double>(at.East), static_cast<double>(c.east), 1e-12) << c.time;
        EXPECT_NEAR(static_cast<double>(at.North), static_cast<double>(c.north), 1e-12) << c.time;
        EXPECT_EQ(truth.CourseAt(c.time), c.course) << c.time;
        EXPECT_EQ(truth.SpeedAt(c.time), c.speed) << c.time;
    }
}

TEST(Sonar, WithoutNoiseReportsTheBearingsOfTheGeometry)
{
    // Target 50 cables east steaming north at 10 kn; own ship north at 5 kn closes half of it.
    const TargetTruth truth(Target(90, 50, 0, 10));
    const SonarSettings sonar {0, 60, 100};
    NoiseSource noise(1);
    OwnShipTrack own;
    struct Case
    {
        std::int32_t time;
        std::optional<std::int32_t> bearing;
    };
    // North of own ship by (10 - 5) / 360 * t cables: atan(50 / 25) = 63.43 at 1800 s, 45 at
    // 3600 s, atan(50 / 75) = 33.69 at 5400 s, and out of the 100-cable range at 11520 s.
    const Case cases[] {{0, 90}, {1800, 63}, {3600, 45}, {5400, 34}, {11520, std::nullopt}};
    std::int32_t tick = 0;
    for (const Case &c : cases) {
        while (tick < c.time)
            own.Advance(++tick, 0, 5);
        const auto report
            = TakeBearing(sonar, 1, own.PositionAt(tick), truth.PositionAt(tick), tick, noise);
        ASSERT_EQ(report.has_value(), c.bearing.has_value()) << c.time;
        if (report) {
            EXPECT_EQ(report->Bearing, *c.bearing) << c.time;
        }
    }
}

TEST(Sonar, NoiseHasTheStatedSpread)
{
    // Whole degrees add the rounding's own variance of 1/12 degree squared.
    const SonarSettings sonar {2, 1, std::nullopt};
    NoiseSource noise(2024);
    const int n = 20000;
    long double sum = 0, squares = 0;
    for (int i = 0; i < n; ++i) {
        const long double error = TakeBearing(sonar, 1, {}, {50, 0}, i, noise)->Bearing - 90.0L;
        sum += error;
        squares += error * error;
    }
    const long double mean = sum / n;
    EXPECT_NEAR(static_cast<double>(mean), 0, 0.05);
    EXPECT_NEAR(
        std::sqrt(static_cast<double>(squares / n - mean * mean)), std::sqrt(4 + 1 / 12.0), 0.04);
}

TEST(Sonar, TheSeedFixesTheReportsAndASavedStateContinuesThem)
{
    const auto draws = [](NoiseSource &noise, int n) {
        std::vector<double> values;
        for (int i = 0; i < n; ++i)
            values.push_back(noise.Normal());
        return values;
    };
    NoiseSource a(7), b(7), c(8);
    EXPECT_EQ(draws(a, 5), draws(b, 5)); // odd: a spare is waiting
    EXPECT_NE(draws(a, 4), draws(c, 4));
    const auto restored = NoiseSource::Restore(a.Save());
    ASSERT_TRUE(restored);
    NoiseSource d = *restored;
    EXPECT_EQ(draws(a, 9), draws(d, 9));
    EXPECT_FALSE(NoiseSource::Restore("12 34 spare"));
}

TEST(Exercise, ARunContinuedFromItsSavedStateReportsWhatTheWholeRunWould)
{
    const QByteArray source = R"({"own": {"course": 0, "speed": 0},
        "targets": [{"number": 1, "bearing": 90, "distance": 50, "course": 0, "speed": 10},
                    {"number": 2, "bearing": 200, "distance": 70, "course": 45, "speed": 15}],
        "sonar": {"sigma": 1.5, "interval": 7}})";
    const auto d = std::get<ExerciseDefinition>(ParseExercise(source, "проба"));
    FireControlState state;
    Exercise whole(d, source, "проба.json", 99, state);
    const auto reportsAfterTicks = [&state](Exercise &exercise, int from, int to) {
        std::vector<SonarReport> all;
        for (int tick = from; tick <= to; ++tick) {
            state.TickCount = tick;
            exercise.AfterTick(state);
            for (const SonarReport &r : exercise.LatestReports())
                all.push_back(r);
        }
        return all;
    };
    Exercise twin(d, source, "проба.json", 99, state);
    Exercise other(d, source, "проба.json", 100, state);
    const auto first = reportsAfterTicks(whole, 1, 95);
    EXPECT_EQ(reportsAfterTicks(twin, 1, 95), first) << "same seed";
    EXPECT_NE(reportsAfterTicks(other, 1, 95), first) << "another seed";

    const auto text = QJsonDocument(ExerciseStateToJson(whole.state())).toJson();
    const auto saved = ExerciseStateFromJson(QJsonDocument::fromJson(text).object());
    ASSERT_TRUE(saved);
    auto resumed = Exercise::Resume(*saved);
    ASSERT_TRUE(resumed);
    const auto expected = reportsAfterTicks(whole, 96, 300);
    EXPECT_EQ(reportsAfterTicks(*resumed, 96, 300), expected);
}
