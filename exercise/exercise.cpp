#include "exercise.h"

#include <QJsonArray>

#include <random>

namespace varmet {

namespace {

std::uint64_t randomSeed()
{
    // Within 53 bits, so that the seed can be written into an exercise file to replay the run.
    std::random_device device;
    const std::uint64_t high = device();
    return ((high << 32) | device()) & ((std::uint64_t {1} << 53) - 1);
}

} // namespace

Exercise::Exercise(ExerciseDefinition definition, ExerciseState state)
    : m_definition(std::move(definition))
    , m_state(std::move(state))
{ }

Exercise::Exercise(ExerciseDefinition definition, QByteArray source, QString path,
    std::optional<std::uint64_t> seed, const FireControlState &state)
    : m_definition(std::move(definition))
{
    m_state.Source = std::move(source);
    m_state.Path = std::move(path);
    m_state.Seed = seed ? *seed : m_definition.Seed ? *m_definition.Seed : randomSeed();
    m_state.Noise = NoiseSource(m_state.Seed);
    m_state.Time = state.TickCount;
    takeReports(state);
}

std::optional<Exercise> Exercise::Resume(ExerciseState state)
{
    ExerciseParse parsed = ParseExercise(state.Source, state.Path);
    auto *definition = std::get_if<ExerciseDefinition>(&parsed);
    if (!definition)
        return std::nullopt;
    return Exercise(std::move(*definition), std::move(state));
}

void Exercise::takeReports(const FireControlState &state)
{
    const std::int32_t now = m_state.Time;
    if (!IsReportTime(m_definition.Sonar, now))
        return;
    const SeaPoint own = state.OwnTrack.PositionAt(now);
    for (const ExerciseTarget &target : m_definition.Targets) {
        const SeaPoint at = TargetTruth(target).PositionAt(now);
        if (const auto report
            = TakeBearing(m_definition.Sonar, target.Number, own, at, now, m_state.Noise))
            m_state.Latest[target.Number] = *report;
    }
}

bool Exercise::AfterTick(const FireControlState &state)
{
    if (ended() || state.TickCount <= m_state.Time)
        return false;
    m_state.Time = state.TickCount;
    takeReports(state);
    for (const ExerciseTarget &target : m_definition.Targets) {
        const TargetScore score = ScoreTarget(target, m_definition.Tolerances, state, false);
        if (!score.Within())
            m_state.WithinSince.erase(target.Number);
        else
            m_state.WithinSince.emplace(target.Number, m_state.Time);
    }
    return m_definition.TimeLimit && m_state.Time >= *m_definition.TimeLimit;
}

std::vector<SonarReport> Exercise::LatestReports() const
{
    std::vector<SonarReport> reports;
    for (const auto &[number, report] : m_state.Latest)
        reports.push_back(report);
    return reports;
}

bool Exercise::IsNew(const SonarReport &report) const
{
    return !ended() && report.Time == m_state.Time;
}

std::vector<std::pair<std::int32_t, TruthNow>> Exercise::Truth(const FireControlState &state) const
{
    std::vector<std::pair<std::int32_t, TruthNow>> truth;
    const SeaPoint own = state.OwnTrack.PositionAt(state.TickCount);
    for (const ExerciseTarget &target : m_definition.Targets)
        truth.emplace_back(target.Number, TruthAt(TargetTruth(target), own, state.TickCount));
    return truth;
}

ExerciseScore Exercise::Score(const FireControlState &state, bool linearShown) const
{
    if (m_state.Final)
        return *m_state.Final;
    ExerciseScore score;
    score.Time = state.TickCount;
    for (const ExerciseTarget &target : m_definition.Targets) {
        TargetScore each = ScoreTarget(target, m_definition.Tolerances, state, linearShown);
        if (each.Within()) {
            // Within since the tick that brought it there, or since now when a change made
            // between ticks did.
            const auto since = m_state.WithinSince.find(target.Number);
            each.Since = since != m_state.WithinSince.end() ? since->second : state.TickCount;
        }
        score.Targets.push_back(each);
    }
    return score;
}

void Exercise::Finish(const FireControlState &state, bool linearShown)
{
    if (!ended())
        m_state.Final = Score(state, linearShown);
}

// ---- The state as JSON ---------------------------------------------------------------------

namespace {

QJsonValue optionalOutcome(const std::optional<TorpedoOutcome> &outcome)
{
    if (!outcome)
        return QJsonValue::Null;
    return QJsonObject {{"miss", static_cast<double>(outcome->MissMetres)}, {"hit", outcome->Hit}};
}

std::optional<TorpedoOutcome> outcomeFrom(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    return TorpedoOutcome {o.value("miss").toDouble(), o.value("hit").toBool()};
}

QJsonObject scoreToJson(const ExerciseScore &score)
{
    QJsonArray targets;
    for (const TargetScore &t : score.Targets) {
        QJsonObject o {
            {"target", t.Target},
            {"truth",
                QJsonArray {static_cast<double>(t.Truth.Bearing),
                    static_cast<double>(t.Truth.Distance), static_cast<double>(t.Truth.Course),
                    static_cast<double>(t.Truth.Speed)}},
            {"slot", t.Slot ? QJsonValue(*t.Slot) : QJsonValue::Null},
            {"solution",
                QJsonArray {static_cast<double>(t.Solution.Course),
                    static_cast<double>(t.Solution.Speed),
                    static_cast<double>(t.Solution.Distance)}},
            {"errors",
                QJsonArray {static_cast<double>(t.CourseError), static_cast<double>(t.SpeedError),
                    static_cast<double>(t.DistanceError)}},
            {"within", QJsonArray {t.CourseWithin, t.SpeedWithin, t.DistanceWithin}},
            {"since", t.Since ? QJsonValue(*t.Since) : QJsonValue::Null},
            {"median", optionalOutcome(t.Median)},
            {"wake", QJsonArray {optionalOutcome(t.Wake[0]), optionalOutcome(t.Wake[1])}},
        };
        targets.append(o);
    }
    return QJsonObject {{"time", score.Time}, {"targets", targets}};
}

ExerciseScore scoreFromJson(const QJsonObject &json)
{
    ExerciseScore score;
    score.Time = json.value("time").toInt();
    for (const QJsonValue &value : json.value("targets").toArray()) {
        const QJsonObject o = value.toObject();
        TargetScore t;
        t.Target = o.value("target").toInt();
        const QJsonArray truth = o.value("truth").toArray();
        t.Truth
            = {truth[0].toDouble(), truth[1].toDouble(), truth[2].toDouble(), truth[3].toDouble()};
        if (o.value("slot").isDouble())
            t.Slot = o.value("slot").toInt();
        const QJsonArray solution = o.value("solution").toArray();
        t.Solution = {solution[0].toDouble(), solution[1].toDouble(), solution[2].toDouble()};
        const QJsonArray errors = o.value("errors").toArray();
        t.CourseError = errors[0].toDouble();
        t.SpeedError = errors[1].toDouble();
        t.DistanceError = errors[2].toDouble();
        const QJsonArray within = o.value("within").toArray();
        t.CourseWithin = within[0].toBool();
        t.SpeedWithin = within[1].toBool();
        t.DistanceWithin = within[2].toBool();
        if (o.value("since").isDouble())
            t.Since = o.value("since").toInt();
        t.Median = outcomeFrom(o.value("median"));
        const QJsonArray wake = o.value("wake").toArray();
        t.Wake = {outcomeFrom(wake[0]), outcomeFrom(wake[1])};
        score.Targets.push_back(t);
    }
    return score;
}

} // namespace

QJsonObject ExerciseStateToJson(const ExerciseState &state)
{
    QJsonArray latest;
    for (const auto &[number, report] : state.Latest)
        latest.append(QJsonObject {
            {"time", report.Time}, {"target", report.Target}, {"bearing", report.Bearing}});
    QJsonArray within;
    for (const auto &[number, since] : state.WithinSince)
        within.append(QJsonObject {{"target", number}, {"since", since}});
    QJsonObject json {
        {"source", QString::fromLatin1(state.Source.toBase64())},
        {"path", state.Path},
        // 64-bit values do not fit a JSON number exactly.
        {"seed", QString::number(state.Seed)},
        {"noise", QString::fromStdString(state.Noise.Save())},
        {"time", state.Time},
        {"latest", latest},
        {"within_since", within},
    };
    if (state.Final)
        json.insert("final", scoreToJson(*state.Final));
    return json;
}

std::optional<ExerciseState> ExerciseStateFromJson(const QJsonObject &json, QString *error)
{
    const auto refuse = [error](const char *field) -> std::optional<ExerciseState> {
        if (error)
            *error = QStringLiteral("состояние учения: недопустимое поле «%1»").arg(field);
        return std::nullopt;
    };
    ExerciseState state;
    if (!json.value("source").isString())
        return refuse("source");
    const auto source = QByteArray::fromBase64Encoding(
        json.value("source").toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!source)
        return refuse("source");
    state.Source = *source;
    state.Path = json.value("path").toString();
    bool ok = false;
    state.Seed = json.value("seed").toString().toULongLong(&ok);
    if (!ok)
        return refuse("seed");
    const auto noise = NoiseSource::Restore(json.value("noise").toString().toStdString());
    if (!noise)
        return refuse("noise");
    state.Noise = *noise;
    if (!json.value("time").isDouble())
        return refuse("time");
    state.Time = json.value("time").toInt();
    for (const QJsonValue &value : json.value("latest").toArray()) {
        const QJsonObject o = value.toObject();
        const SonarReport report {
            o.value("time").toInt(), o.value("target").toInt(), o.value("bearing").toInt()};
        state.Latest[report.Target] = report;
    }
    for (const QJsonValue &value : json.value("within_since").toArray()) {
        const QJsonObject o = value.toObject();
        state.WithinSince[o.value("target").toInt()] = o.value("since").toInt();
    }
    if (json.value("final").isObject())
        state.Final = scoreFromJson(json.value("final").toObject());
    return state;
}

} // namespace varmet
