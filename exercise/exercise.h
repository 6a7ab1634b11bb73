#pragma once

// A running exercise: the definition, the sonar's reports and noise, the time since which each
// target's solution has been within tolerance, and the end. The clock is the tick count: the
// console starts an exercise at tick 0 and calls AfterTick after every tick. The whole run is one
// value (ExerciseState), which can be written out as JSON and read back to continue bit-exactly.

#include "exercise_file.h"
#include "scoring.h"
#include "sonar.h"

#include <QJsonObject>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace varmet {

// Everything an exercise needs to go on from where it stands, besides the model's state (own
// ship's true track and the slots live there).
// The longest an exercise runs when read from a session: about 31 years of its clock, far from
// where 32-bit time arithmetic would overflow.
inline constexpr std::int32_t MaxExerciseSeconds = 1'000'000'000;

struct ExerciseState
{
    QByteArray Source; // the exercise file's text, as read at the start
    QString Path; // where it was read from (for the report only)
    std::uint64_t Seed = 0;
    NoiseSource Noise;
    std::int32_t Time = 0; // the tick count of the last tick seen
    std::map<std::int32_t, SonarReport> Latest; // by target number
    std::map<std::int32_t, std::int32_t> WithinSince; // by target number
    std::optional<ExerciseScore> Final; // set when the exercise has ended
};

class Exercise
{
public:
    // Starts at time 0 (the console has just reset the clock and own ship's track): the first
    // reports are taken at once. `seed` overrides the file's; without either, a random one.
    Exercise(ExerciseDefinition definition, QByteArray source, QString path,
        std::optional<std::uint64_t> seed, const FireControlState &state);

    // Continues a run written out before; nullopt when the state does not describe one.
    static std::optional<Exercise> Resume(ExerciseState state);

    const ExerciseDefinition &definition() const { return m_definition; }
    const ExerciseState &state() const { return m_state; }
    bool ended() const { return m_state.Final.has_value(); }

    // After a tick: the reports due, the tolerance tracking. Returns true when the time limit is
    // reached with this tick (the console then ends the exercise).
    bool AfterTick(const FireControlState &state);

    // The latest report of each detected target, by target number; a report is new when it was
    // taken at the last tick seen.
    std::vector<SonarReport> LatestReports() const;
    bool IsNew(const SonarReport &report) const;

    // The truth of every target now, by target number.
    std::vector<std::pair<std::int32_t, TruthNow>> Truth(const FireControlState &state) const;

    // The score now, or the final one once ended.
    ExerciseScore Score(const FireControlState &state, bool linearShown) const;
    // Ends the exercise with the score of this moment (as Score gives it, completed by the
    // caller where it knows more); the sonar falls silent.
    void Finish(ExerciseScore score);

private:
    explicit Exercise(ExerciseDefinition definition, ExerciseState state);
    void takeReports(const FireControlState &state);

    ExerciseDefinition m_definition;
    ExerciseState m_state;
};

// The state as JSON and back; `error` (if given) says why a JSON object is refused. Numbers the
// continuation depends on (the generator and its spare normal) are kept exactly.
QJsonObject ExerciseStateToJson(const ExerciseState &state);
std::optional<ExerciseState> ExerciseStateFromJson(
    const QJsonObject &json, QString *error = nullptr);

} // namespace varmet
