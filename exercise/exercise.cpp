#include "exercise.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

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

namespace {

// A field of the state that cannot be: its place and what is wrong.
struct StateFault
{
    QString field;
    QString problem;
};

// Reads the state's JSON, every number checked against what the exercise can have reached.
class StateReader
{
public:
    explicit StateReader(const ExerciseDefinition &definition)
        : m_definition(definition)
    { }

    static long double Real(
        const QJsonValue &value, const QString &field, long double low, long double high)
    {
        const double x = value.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!value.isDouble() || !std::isfinite(x))
            throw StateFault {field, QStringLiteral("ожидается конечное число")};
        if (x < low || x > high)
            throw StateFault {field,
                QStringLiteral("значение %1 вне пределов %2..%3")
                    .arg(x)
                    .arg(static_cast<double>(low))
                    .arg(static_cast<double>(high))};
        return x;
    }

    static std::int32_t Whole(
        const QJsonValue &value, const QString &field, std::int32_t low, std::int32_t high)
    {
        const long double x = Real(value, field, low, high);
        if (x != std::floor(x))
            throw StateFault {field, QStringLiteral("ожидается целое число")};
        return static_cast<std::int32_t>(x);
    }

    std::int32_t Target(const QJsonValue &value, const QString &field) const
    {
        const std::int32_t number = Whole(value, field, 1, 10);
        if (!m_definition.target(number))
            throw StateFault {field, QStringLiteral("цели %1 в учении нет").arg(number)};
        return number;
    }

    static QJsonArray List(const QJsonValue &value, const QString &field, qsizetype size)
    {
        if (!value.isArray() || value.toArray().size() > size)
            throw StateFault {field, QStringLiteral("ожидается список не длиннее %1").arg(size)};
        return value.toArray();
    }

    static QJsonArray Exactly(const QJsonValue &value, const QString &field, qsizetype size)
    {
        const QJsonArray list = List(value, field, size);
        if (list.size() != size)
            throw StateFault {field, QStringLiteral("ожидается список из %1").arg(size)};
        return list;
    }

    static bool Flag(const QJsonValue &value, const QString &field)
    {
        if (!value.isBool())
            throw StateFault {field, QStringLiteral("ожидается true или false")};
        return value.toBool();
    }

    static std::optional<TorpedoOutcome> Outcome(const QJsonValue &value, const QString &field)
    {
        if (value.isNull())
            return std::nullopt;
        const QJsonObject o = value.toObject();
        return TorpedoOutcome {
            Real(o.value("miss"), field + ".miss", 0, Reach), Flag(o.value("hit"), field + ".hit")};
    }

    ExerciseScore Score(const QJsonValue &value, std::int32_t now) const
    {
        if (!value.isObject())
            throw StateFault {"final", QStringLiteral("ожидается объект")};
        const QJsonObject json = value.toObject();
        ExerciseScore score;
        score.Time = Whole(json.value("time"), "final.time", 0, now);
        const QJsonArray targets = List(json.value("targets"), "final.targets", MaxExerciseTargets);
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const QString at = QStringLiteral("final.targets[%1].").arg(i);
            const QJsonObject o = targets[i].toObject();
            TargetScore t;
            t.Target = Target(o.value("target"), at + "target");
            const QJsonArray truth = Exactly(o.value("truth"), at + "truth", 4);
            t.Truth = {Real(truth[0], at + "truth", 0, 360), Real(truth[1], at + "truth", 0, Reach),
                Real(truth[2], at + "truth", 0, 360), Real(truth[3], at + "truth", 0, Reach)};
            if (!o.value("slot").isNull())
                t.Slot = Whole(o.value("slot"), at + "slot", 1, 5);
            const QJsonArray solution = Exactly(o.value("solution"), at + "solution", 3);
            t.Solution = {Real(solution[0], at + "solution", -Reach, Reach),
                Real(solution[1], at + "solution", -Reach, Reach),
                Real(solution[2], at + "solution", -Reach, Reach)};
            const QJsonArray errors = Exactly(o.value("errors"), at + "errors", 3);
            t.CourseError = Real(errors[0], at + "errors", -180, 180);
            t.SpeedError = Real(errors[1], at + "errors", -Reach, Reach);
            t.DistanceError = Real(errors[2], at + "errors", -Reach, Reach);
            const QJsonArray within = Exactly(o.value("within"), at + "within", 3);
            t.CourseWithin = Flag(within[0], at + "within");
            t.SpeedWithin = Flag(within[1], at + "within");
            t.DistanceWithin = Flag(within[2], at + "within");
            if (!o.value("since").isNull())
                t.Since = Whole(o.value("since"), at + "since", 0, score.Time);
            t.Median = Outcome(o.value("median"), at + "median");
            const QJsonArray wake = Exactly(o.value("wake"), at + "wake", 2);
            t.Wake = {Outcome(wake[0], at + "wake"), Outcome(wake[1], at + "wake")};
            score.Targets.push_back(t);
        }
        return score;
    }

private:
    // Far beyond any distance, speed or miss an exercise can give, and printable.
    static constexpr long double Reach = 1e9L;
    const ExerciseDefinition &m_definition;
};

} // namespace

std::optional<ExerciseState> ExerciseStateFromJson(const QJsonObject &json, QString *error)
{
    const auto refuse = [error](const QString &field, const QString &problem = {}) {
        if (error)
            *error = problem.isEmpty()
                ? QStringLiteral("состояние учения: недопустимое поле «%1»").arg(field)
                : QStringLiteral("состояние учения: поле «%1»: %2").arg(field, problem);
        return std::optional<ExerciseState> {};
    };
    ExerciseState state;
    if (!json.value("source").isString())
        return refuse("source");
    const auto source = QByteArray::fromBase64Encoding(
        json.value("source").toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!source)
        return refuse("source");
    if ((*source).size() > MaxExerciseFileBytes)
        return refuse(
            "source", QStringLiteral("файл учения больше %1 байт").arg(MaxExerciseFileBytes));
    state.Source = *source;
    state.Path = json.value("path").toString();
    const ExerciseParse parsed = ParseExercise(state.Source, state.Path);
    const auto *definition = std::get_if<ExerciseDefinition>(&parsed);
    if (!definition)
        return refuse("source", std::get<ExerciseRefusal>(parsed).Message);
    bool ok = false;
    state.Seed = json.value("seed").toString().toULongLong(&ok);
    if (!ok)
        return refuse("seed");
    const auto noise = NoiseSource::Restore(json.value("noise").toString().toStdString());
    if (!noise)
        return refuse("noise");
    state.Noise = *noise;
    const StateReader read(*definition);
    try {
        state.Time = StateReader::Whole(json.value("time"), "time", 0, MaxExerciseSeconds);
        const QJsonArray latest
            = StateReader::List(json.value("latest"), "latest", MaxExerciseTargets);
        for (qsizetype i = 0; i < latest.size(); ++i) {
            const QString at = QStringLiteral("latest[%1].").arg(i);
            const QJsonObject o = latest[i].toObject();
            const SonarReport report {
                StateReader::Whole(o.value("time"), at + "time", 0, state.Time),
                read.Target(o.value("target"), at + "target"),
                StateReader::Whole(o.value("bearing"), at + "bearing", 0, 359)};
            state.Latest[report.Target] = report;
        }
        const QJsonArray within
            = StateReader::List(json.value("within_since"), "within_since", MaxExerciseTargets);
        for (qsizetype i = 0; i < within.size(); ++i) {
            const QString at = QStringLiteral("within_since[%1].").arg(i);
            const QJsonObject o = within[i].toObject();
            state.WithinSince[read.Target(o.value("target"), at + "target")]
                = StateReader::Whole(o.value("since"), at + "since", 0, state.Time);
        }
        if (!json.value("final").isUndefined() && !json.value("final").isNull())
            state.Final = read.Score(json.value("final"), state.Time);
    } catch (const StateFault &fault) {
        return refuse(fault.field, fault.problem);
    }
    return state;
}

} // namespace varmet
