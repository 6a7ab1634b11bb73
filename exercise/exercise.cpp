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

void Exercise::Finish(ExerciseScore score)
{
    if (!ended())
        m_state.Final = std::move(score);
}

// ---- The state as JSON ---------------------------------------------------------------------

namespace {

double d(long double value)
{
    return static_cast<double>(value);
}

QJsonValue optionalOutcome(const std::optional<TorpedoOutcome> &outcome)
{
    if (!outcome)
        return QJsonValue::Null;
    QJsonArray legs;
    for (const TorpedoLeg &leg : outcome->Run.Legs)
        legs.append(QJsonArray {d(leg.Course), d(leg.Length)});
    const TorpedoRun &run = outcome->Run;
    return QJsonObject {{"miss", d(outcome->MissMetres)}, {"hit", outcome->Hit},
        {"after", d(outcome->ClosestAfter)},
        {"run",
            QJsonObject {{"time", d(run.FireTime)},
                {"from", QJsonArray {d(run.From.East), d(run.From.North)}}, {"speed", d(run.Speed)},
                {"legs", legs}}}};
}

std::optional<TorpedoOutcome> outcomeFrom(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    TorpedoOutcome outcome;
    outcome.MissMetres = o.value("miss").toDouble();
    outcome.Hit = o.value("hit").toBool();
    outcome.ClosestAfter = o.value("after").toDouble();
    // Scores written before the run was kept have none: no picture of the pass then.
    const QJsonObject run = o.value("run").toObject();
    outcome.Run.FireTime = run.value("time").toDouble();
    const QJsonArray from = run.value("from").toArray();
    outcome.Run.From = {from.at(0).toDouble(), from.at(1).toDouble()};
    outcome.Run.Speed = run.value("speed").toDouble();
    for (const QJsonValue &leg : run.value("legs").toArray())
        outcome.Run.Legs.push_back(
            {leg.toArray().at(0).toDouble(), leg.toArray().at(1).toDouble()});
    return outcome;
}

QJsonObject reasonToJson(const MissReason &reason)
{
    return QJsonObject {{"kind", static_cast<int>(reason.What)},
        {"manoeuvre_after", d(reason.ManoeuvreAfter)}, {"worst", QString(QChar(reason.Worst))},
        {"miss_with_worst_true", d(reason.MissWithWorstTrue)}};
}

MissReason reasonFrom(const QJsonValue &value)
{
    const QJsonObject o = value.toObject();
    MissReason reason;
    const int kind = o.value("kind").toInt();
    if (kind < 0 || kind > static_cast<int>(MissReason::Kind::HitAnyway))
        return reason;
    reason.What = static_cast<MissReason::Kind>(kind);
    reason.ManoeuvreAfter = o.value("manoeuvre_after").toDouble();
    const QString worst = o.value("worst").toString();
    reason.Worst = worst.size() == 1 ? worst[0].toLatin1() : 0;
    reason.MissWithWorstTrue = o.value("miss_with_worst_true").toDouble();
    return reason;
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
            {"bearing_error", d(t.BearingError)},
            {"distance_tolerance", d(t.DistanceTolerance)},
            {"solution_bearing", d(t.Solution.Bearing)},
            {"reason", reasonToJson(t.Reason)},
        };
        if (t.HitProbability)
            o.insert("hit_probability", d(*t.HitProbability));
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
        t.BearingError = o.value("bearing_error").toDouble();
        t.DistanceTolerance = o.value("distance_tolerance").toDouble();
        t.Solution.Bearing = o.value("solution_bearing").toDouble();
        t.Reason = reasonFrom(o.value("reason"));
        if (o.value("hit_probability").isDouble())
            t.HitProbability = o.value("hit_probability").toDouble();
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

    static void Finite(const QJsonObject &o, const char *key, const QString &field)
    {
        if (o.contains(QLatin1String(key)))
            Real(o.value(QLatin1String(key)), field + "." + key, -Reach, Reach);
    }

    // An outcome: its miss, and the run it came from (scores written before runs were kept
    // have none).
    static void Outcome(const QJsonValue &value, const QString &field)
    {
        if (value.isNull())
            return;
        if (!value.isObject())
            throw StateFault {field, QStringLiteral("ожидается объект или null")};
        const QJsonObject o = value.toObject();
        Real(o.value("miss"), field + ".miss", 0, Reach);
        Flag(o.value("hit"), field + ".hit");
        Finite(o, "after", field);
        if (!o.contains(QLatin1String("run")))
            return;
        const QJsonObject run = o.value("run").toObject();
        Finite(run, "time", field + ".run");
        Finite(run, "speed", field + ".run");
        for (const QJsonValue &x : Exactly(run.value("from"), field + ".run.from", 2))
            Real(x, field + ".run.from", -Reach, Reach);
        const QJsonArray legs = List(run.value("legs"), field + ".run.legs", MaxRunLegs);
        for (const QJsonValue &leg : legs) {
            for (const QJsonValue &x : Exactly(leg, field + ".run.legs", 2))
                Real(x, field + ".run.legs", -Reach, Reach);
        }
    }

    // The final score, checked; then read as it was written.
    ExerciseScore Score(const QJsonValue &value, std::int32_t now) const
    {
        if (!value.isObject())
            throw StateFault {"final", QStringLiteral("ожидается объект")};
        const QJsonObject json = value.toObject();
        Whole(json.value("time"), "final.time", 0, now);
        const QJsonArray targets = List(json.value("targets"), "final.targets", MaxExerciseTargets);
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const QString at = QStringLiteral("final.targets[%1]").arg(i);
            const QJsonObject o = targets[i].toObject();
            Target(o.value("target"), at + ".target");
            const QJsonArray truth = Exactly(o.value("truth"), at + ".truth", 4);
            Real(truth[0], at + ".truth", 0, 360);
            Real(truth[1], at + ".truth", 0, Reach);
            Real(truth[2], at + ".truth", 0, 360);
            Real(truth[3], at + ".truth", 0, Reach);
            if (!o.value("slot").isNull())
                Whole(o.value("slot"), at + ".slot", 1, 5);
            for (const QJsonValue &x : Exactly(o.value("solution"), at + ".solution", 3))
                Real(x, at + ".solution", -Reach, Reach);
            const QJsonArray errors = Exactly(o.value("errors"), at + ".errors", 3);
            Real(errors[0], at + ".errors", -180, 180);
            Real(errors[1], at + ".errors", -Reach, Reach);
            Real(errors[2], at + ".errors", -Reach, Reach);
            for (const QJsonValue &x : Exactly(o.value("within"), at + ".within", 3))
                Flag(x, at + ".within");
            if (!o.value("since").isNull())
                Whole(o.value("since"), at + ".since", 0, now);
            Outcome(o.value("median"), at + ".median");
            const QJsonArray wake = Exactly(o.value("wake"), at + ".wake", 2);
            Outcome(wake[0], at + ".wake");
            Outcome(wake[1], at + ".wake");
            for (const char *key : {"bearing_error", "distance_tolerance", "solution_bearing"})
                Finite(o, key, at);
            if (o.contains(QLatin1String("hit_probability")))
                Real(o.value("hit_probability"), at + ".hit_probability", 0, 1);
            const QJsonObject reason = o.value("reason").toObject();
            Finite(reason, "manoeuvre_after", at + ".reason");
            Finite(reason, "miss_with_worst_true", at + ".reason");
        }
        return scoreFromJson(json);
    }

private:
    // Far beyond any distance, speed or miss an exercise can give, and printable.
    static constexpr long double Reach = 1e9L;
    static constexpr qsizetype MaxRunLegs = 64; // a torpedo's run has a leg or two
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
