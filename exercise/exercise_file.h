#pragma once

// An exercise as its file describes it: own ship's start, the hidden targets with their true
// motion, the simulated sonar, the scoring tolerances. The file is JSON (docs/exercises.md); a
// file that is malformed or inconsistent is refused with a message naming the field and the
// problem.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace varmet {

inline constexpr int MaxExerciseTargets = 5;
// An exercise is a few hundred bytes; a file (or a session's copy of one) over this is refused.
inline constexpr qint64 MaxExerciseFileBytes = qint64 {1} << 20;

// From `Time` seconds after the start the target steers the new course at the new speed.
struct Manoeuvre
{
    std::int32_t Time = 0;
    long double Course = 0; // degrees
    long double Speed = 0; // knots
};

struct ExerciseTarget
{
    std::int32_t Number = 0; // the "Номер цели" the trainee gives the slot that tracks it
    long double Bearing = 0; // from own ship at the start, degrees
    long double Distance = 0; // cables
    long double Course = 0; // degrees
    long double Speed = 0; // knots
    long double Length = 100; // metres
    std::vector<Manoeuvre> Manoeuvres; // in order of time, all after the start
};

struct SonarSettings
{
    long double BearingSigma = 0; // standard deviation of the bearing noise, degrees
    std::int32_t Interval = 30; // seconds between reports
    std::optional<long double> Range; // cables; beyond it a target is not reported
};

struct ScoreTolerances
{
    long double Course = 5; // degrees
    long double Speed = 1; // knots
    long double DistancePercent = 5; // of the true distance
};

struct ExerciseDefinition
{
    QString Name;
    std::int32_t OwnCourse = 0; // whole degrees, as "К пл" takes it
    std::int32_t OwnSpeed = 0; // whole knots, as "V пл (узл)" takes it
    std::vector<ExerciseTarget> Targets; // in order of number
    SonarSettings Sonar;
    ScoreTolerances Tolerances;
    std::optional<std::int32_t> TimeLimit; // seconds
    std::optional<std::uint64_t> Seed;
    // With it the instructor can open the truth while the exercise runs.
    std::optional<QString> InstructorKey;

    const ExerciseTarget *target(std::int32_t number) const;
};

// The reason a file is refused, in the operator's words.
struct ExerciseRefusal
{
    QString Message;
};

using ExerciseParse = std::variant<ExerciseDefinition, ExerciseRefusal>;

// Reads the text of an exercise file. `fallbackName` names an exercise whose file gives none.
ExerciseParse ParseExercise(const QByteArray &json, const QString &fallbackName);

// Reads the file at `path`; an unreadable file is refused too.
ExerciseParse ReadExerciseFile(const QString &path, QByteArray *source = nullptr);

// Where the shipped exercises are: beside an installed program (`programFolder`/../share/varmet/
// exercises), else `sourceFolder` (the source tree's, for a program run from its build); nothing
// when neither exists.
std::optional<QString> ShippedExercisesFolder(
    const QString &programFolder, const QString &sourceFolder);

} // namespace varmet
