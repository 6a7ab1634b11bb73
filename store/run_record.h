#pragma once

// What the class record keeps of one run of an exercise: who ran it, which exercise (by the exact
// text and its hash), the seed, when it started and ended, every target's score line with the
// salvo's outcomes, the operator's journal and the final session.

#include "exercise/exercise.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varmet {

inline constexpr int MaxTraineeNameLength = 100;
inline constexpr int MaxTraineeGroupLength = 50;

struct Trainee
{
    QString Name;
    QString Group; // may be empty
    friend bool operator==(const Trainee &, const Trainee &) = default;
};

// The trainee as typed: blanks trimmed; nullopt for an empty or overlong name or group.
std::optional<Trainee> MakeTrainee(const QString &name, const QString &group);

// The hex SHA-256 of an exercise's text: the exercise a run refers to.
QString ExerciseHash(const QByteArray &source);

// One target's score line as kept.
struct StoredTarget
{
    std::int32_t Target = 0;
    std::optional<int> Slot;
    long double CourseError = 0;
    long double SpeedError = 0;
    long double DistanceError = 0;
    bool Within = false;
    std::optional<std::int32_t> Since;
    std::optional<TorpedoOutcome> Median;
    std::array<std::optional<TorpedoOutcome>, 2> Wake;

    // Some torpedo of the salvo hit it.
    bool Hit() const;
    friend bool operator==(const StoredTarget &, const StoredTarget &) = default;
};
std::vector<StoredTarget> StoredTargets(const ExerciseScore &score);

// What is known when a run starts: written at once as a run in progress.
struct RunStart
{
    QUuid Id; // made at the start
    Trainee Who;
    QString ExerciseName;
    QByteArray ExerciseSource; // the exercise file's exact text
    std::uint64_t Seed = 0;
    QDateTime Started; // UTC
};

struct RunRecord
{
    RunStart Start;
    QDateTime Ended; // UTC
    std::int32_t ScoreTime = 0; // the exercise's own seconds at the end
    std::vector<StoredTarget> Targets;
    QString Journal; // the operator's actions from start-up
    QByteArray Session; // the session file at the end
    int Hits() const;
};

// One line of the class journal.
struct RunSummary
{
    QUuid Id;
    Trainee Who;
    QString ExerciseName;
    QString ExerciseHash;
    std::uint64_t Seed = 0;
    QDateTime Started;
    std::optional<QDateTime> Ended;
    int Targets = 0;
    int Hits = 0;
    bool Finished = false;
};

// A published exercise of the library.
struct LibraryExercise
{
    QString Hash;
    QString Name;
    QByteArray Source;
};

} // namespace varmet
