#include "run_store.h"

#include "schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <initializer_list>

namespace varmet {

namespace {

QString errorText(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces);
}

// A prepared statement run with `values` bound in order; the reason of a failure.
std::optional<QString> run(
    QSqlQuery &query, const QString &sql, std::initializer_list<QVariant> values)
{
    if (!query.prepare(sql))
        return errorText(query.lastError());
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return errorText(query.lastError());
    return std::nullopt;
}

// Text never bound as NULL: an empty group is a group all the same.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

QVariant optionalInt(const std::optional<std::int32_t> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
}

QVariant outcomeHit(const std::optional<TorpedoOutcome> &o)
{
    return o ? QVariant(o->Hit) : QVariant(QMetaType(QMetaType::Bool));
}

QVariant outcomeMiss(const std::optional<TorpedoOutcome> &o)
{
    return o ? QVariant(static_cast<double>(o->MissMetres))
             : QVariant(QMetaType(QMetaType::Double));
}

std::optional<TorpedoOutcome> outcomeOf(const QVariant &hit, const QVariant &miss)
{
    if (hit.isNull())
        return std::nullopt;
    // The miss and the verdict are kept; the torpedo's path lives in the run's session.
    TorpedoOutcome outcome;
    outcome.MissMetres = static_cast<long double>(miss.toDouble());
    outcome.Hit = hit.toBool();
    return outcome;
}

QDateTime utc(const QVariant &value)
{
    return value.toDateTime().toUTC();
}

// The targets of a run from the columns of run_targets starting at `first`.
StoredTarget targetAt(const QSqlQuery &q, int first)
{
    StoredTarget t;
    t.Target = q.value(first).toInt();
    if (!q.value(first + 1).isNull())
        t.Slot = q.value(first + 1).toInt();
    t.CourseError = q.value(first + 2).toDouble();
    t.SpeedError = q.value(first + 3).toDouble();
    t.DistanceError = q.value(first + 4).toDouble();
    t.Within = q.value(first + 5).toBool();
    if (!q.value(first + 6).isNull())
        t.Since = q.value(first + 6).toInt();
    t.Median = outcomeOf(q.value(first + 7), q.value(first + 8));
    t.Wake[0] = outcomeOf(q.value(first + 9), q.value(first + 10));
    t.Wake[1] = outcomeOf(q.value(first + 11), q.value(first + 12));
    return t;
}

const char *const TargetColumns = "t.target, t.slot, t.course_err, t.speed_err, t.distance_err, "
                                  "t.within, t.since, t.median_hit, t.median_miss, t.wake1_hit, "
                                  "t.wake1_miss, t.wake2_hit, t.wake2_miss";

} // namespace

RunStore::RunStore(StoreAddress address, QSqlDatabase db)
    : m_address(std::move(address))
    , m_db(std::move(db))
{ }

RunStore::~RunStore()
{
    const QString name = m_db.connectionName();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

std::variant<std::unique_ptr<RunStore>, QString> RunStore::Open(
    const StoreAddress &address, const QString &password)
{
    const QString driver
        = address.isPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    const QString name = QStringLiteral("varmet-store-") + idText(QUuid::createUuid());
    std::unique_ptr<RunStore> store;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            return QStringLiteral("Нет драйвера базы данных %1 (пакет libqt6sql6-%2)")
                .arg(driver,
                    address.isPostgres() ? QStringLiteral("psql") : QStringLiteral("sqlite"));
        }
        if (address.isPostgres()) {
            if (!address.host.isEmpty())
                db.setHostName(address.host);
            db.setPort(address.port);
            db.setDatabaseName(address.database);
            db.setUserName(address.user);
            db.setPassword(password);
            db.setConnectOptions(QStringLiteral("connect_timeout=5"));
        } else {
            QDir().mkpath(QFileInfo(address.path).absolutePath());
            db.setDatabaseName(address.path);
            // Consoles and tools sharing the file wait for one another's writes.
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
        }
        store.reset(new RunStore(address, db));
    }
    QSqlDatabase &db = store->m_db;
    if (!db.open())
        return QStringLiteral("Хранилище %1 недоступно: %2")
            .arg(address.text(), errorText(db.lastError()));
    if (!address.isPostgres()) {
        for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA foreign_keys=ON"}) {
            if (auto failure = ExecStatement(db, QString::fromLatin1(pragma)))
                return QStringLiteral("Хранилище %1: %2").arg(address.text(), *failure);
        }
    }
    if (auto refusal = MigrateStore(db))
        return QStringLiteral("Хранилище %1: %2").arg(address.text(), *refusal);
    return store;
}

void RunStore::recover()
{
    if (!m_address.isPostgres())
        return;
    m_db.close();
    m_db.open();
}

std::optional<QString> RunStore::writeStart(const RunStart &start, const char *state)
{
    QSqlQuery q(m_db);
    if (auto failure = run(q,
            QStringLiteral("INSERT INTO trainees (name, grp) VALUES (?, ?) ON CONFLICT DO NOTHING"),
            {text(start.Who.Name), text(start.Who.Group)}))
        return failure;
    if (auto failure = run(q,
            QStringLiteral("INSERT INTO exercises (hash, name, source) VALUES (?, ?, ?) "
                           "ON CONFLICT DO NOTHING"),
            {ExerciseHash(start.ExerciseSource), text(start.ExerciseName), start.ExerciseSource}))
        return failure;
    if (QLatin1String(state) != QLatin1String("in-progress"))
        return std::nullopt;
    return run(q,
        QStringLiteral("INSERT INTO runs (id, trainee_name, trainee_group, exercise_hash, seed, "
                       "started_at, state) VALUES (?, ?, ?, ?, ?, ?, 'in-progress') "
                       "ON CONFLICT DO NOTHING"),
        {idText(start.Id), text(start.Who.Name), text(start.Who.Group),
            ExerciseHash(start.ExerciseSource), QString::number(start.Seed),
            start.Started.toUTC()});
}

std::optional<QString> RunStore::Begin(const RunStart &start)
{
    std::optional<QString> failure;
    {
        StoreTransaction transaction(m_db);
        failure = transaction.failure();
        if (!failure)
            failure = writeStart(start, "in-progress");
        if (!failure)
            failure = transaction.commit();
    }
    if (failure)
        recover();
    return failure;
}

std::optional<QString> RunStore::writeFinished(const RunRecord &r, bool queue)
{
    if (auto failure = writeStart(r.Start, "finished"))
        return failure;
    QSqlQuery q(m_db);
    const QString id = idText(r.Start.Id);
    if (auto failure = run(q,
            QStringLiteral(
                "INSERT INTO runs (id, trainee_name, trainee_group, exercise_hash, seed, "
                "started_at, ended_at, state, score_time, targets, hits, journal, session) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, 'finished', ?, ?, ?, ?, ?) "
                "ON CONFLICT (id) DO UPDATE SET ended_at = excluded.ended_at, state = 'finished', "
                "score_time = excluded.score_time, targets = excluded.targets, "
                "hits = excluded.hits, journal = excluded.journal, session = excluded.session "
                "WHERE runs.state = 'in-progress'"),
            {id, text(r.Start.Who.Name), text(r.Start.Who.Group),
                ExerciseHash(r.Start.ExerciseSource), QString::number(r.Start.Seed),
                r.Start.Started.toUTC(), r.Ended.toUTC(), r.ScoreTime,
                static_cast<int>(r.Targets.size()), r.Hits(), text(r.Journal), r.Session}))
        return failure;
    // Kept finished before: sending it again changes nothing.
    if (q.numRowsAffected() != 1)
        return std::nullopt;
    if (auto failure = run(q, QStringLiteral("DELETE FROM run_targets WHERE run_id = ?"), {id}))
        return failure;
    for (const StoredTarget &t : r.Targets) {
        if (auto failure = run(q,
                QStringLiteral("INSERT INTO run_targets (run_id, target, slot, course_err, "
                               "speed_err, distance_err, within, since, median_hit, median_miss, "
                               "wake1_hit, wake1_miss, wake2_hit, wake2_miss) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, t.Target, optionalInt(t.Slot), static_cast<double>(t.CourseError),
                    static_cast<double>(t.SpeedError), static_cast<double>(t.DistanceError),
                    t.Within, optionalInt(t.Since), outcomeHit(t.Median), outcomeMiss(t.Median),
                    outcomeHit(t.Wake[0]), outcomeMiss(t.Wake[0]), outcomeHit(t.Wake[1]),
                    outcomeMiss(t.Wake[1])}))
            return failure;
    }
    if (queue)
        return run(q,
            QStringLiteral("INSERT INTO outbox (run_id) VALUES (?) ON CONFLICT DO NOTHING"), {id});
    return std::nullopt;
}

std::optional<QString> RunStore::Finish(const RunRecord &run, bool queue)
{
    std::optional<QString> failure;
    {
        StoreTransaction transaction(m_db);
        failure = transaction.failure();
        if (!failure)
            failure = writeFinished(run, queue);
        if (!failure)
            failure = transaction.commit();
    }
    if (failure)
        recover();
    return failure;
}

std::variant<std::vector<RunSummary>, QString> RunStore::Runs()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT r.id, r.trainee_name, r.trainee_group, e.name, r.exercise_hash, r.seed, "
            "r.started_at, r.ended_at, r.targets, r.hits, r.state FROM runs r "
            "JOIN exercises e ON e.hash = r.exercise_hash ORDER BY r.started_at, r.id"))) {
        const QString failure = errorText(q.lastError());
        recover();
        return failure;
    }
    std::vector<RunSummary> runs;
    while (q.next()) {
        RunSummary s;
        s.Id = QUuid::fromString(q.value(0).toString());
        s.Who = {q.value(1).toString(), q.value(2).toString()};
        s.ExerciseName = q.value(3).toString();
        s.ExerciseHash = q.value(4).toString();
        s.Seed = q.value(5).toString().toULongLong();
        s.Started = utc(q.value(6));
        if (!q.value(7).isNull())
            s.Ended = utc(q.value(7));
        s.Targets = q.value(8).toInt();
        s.Hits = q.value(9).toInt();
        s.Finished = q.value(10).toString() == QLatin1String("finished");
        runs.push_back(std::move(s));
    }
    return runs;
}

std::optional<RunRecord> RunStore::Record(const QUuid &id)
{
    QSqlQuery q(m_db);
    if (run(q,
            QStringLiteral("SELECT r.trainee_name, r.trainee_group, e.name, e.source, r.seed, "
                           "r.started_at, r.ended_at, r.score_time, r.journal, r.session "
                           "FROM runs r JOIN exercises e ON e.hash = r.exercise_hash "
                           "WHERE r.id = ? AND r.state = 'finished'"),
            {idText(id)})
        || !q.next())
        return std::nullopt;
    RunRecord r;
    r.Start.Id = id;
    r.Start.Who = {q.value(0).toString(), q.value(1).toString()};
    r.Start.ExerciseName = q.value(2).toString();
    r.Start.ExerciseSource = q.value(3).toByteArray();
    r.Start.Seed = q.value(4).toString().toULongLong();
    r.Start.Started = utc(q.value(5));
    r.Ended = utc(q.value(6));
    r.ScoreTime = q.value(7).toInt();
    r.Journal = q.value(8).toString();
    r.Session = q.value(9).toByteArray();
    if (run(q,
            QStringLiteral("SELECT %1 FROM run_targets t WHERE t.run_id = ? ORDER BY t.target")
                .arg(QLatin1String(TargetColumns)),
            {idText(id)}))
        return std::nullopt;
    while (q.next())
        r.Targets.push_back(targetAt(q, 0));
    return r;
}

std::vector<QUuid> RunStore::Queued()
{
    std::vector<QUuid> ids;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT o.run_id FROM outbox o JOIN runs r ON r.id = o.run_id "
                               "ORDER BY r.ended_at, o.run_id")))
        return ids;
    while (q.next())
        ids.push_back(QUuid::fromString(q.value(0).toString()));
    return ids;
}

std::optional<QString> RunStore::Unqueue(const QUuid &id)
{
    QSqlQuery q(m_db);
    return run(q, QStringLiteral("DELETE FROM outbox WHERE run_id = ?"), {idText(id)});
}

std::variant<std::vector<RunStore::Progress>, QString> RunStore::ProgressOf(const Trainee &trainee)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (auto failure = run(q,
            QStringLiteral("SELECT r.id, r.ended_at, e.name, %1 FROM runs r "
                           "JOIN exercises e ON e.hash = r.exercise_hash "
                           "JOIN run_targets t ON t.run_id = r.id "
                           "WHERE r.state = 'finished' AND r.trainee_name = ? "
                           "AND r.trainee_group = ? ORDER BY r.ended_at, r.id, t.target")
                .arg(QLatin1String(TargetColumns)),
            {text(trainee.Name), text(trainee.Group)}))
        return *failure;
    std::vector<Progress> points;
    QString lastId;
    while (q.next()) {
        const QString id = q.value(0).toString();
        if (points.empty() || id != lastId) {
            points.push_back({utc(q.value(1)), q.value(2).toString(), {}});
            lastId = id;
        }
        points.back().Targets.push_back(targetAt(q, 3));
    }
    return points;
}

std::optional<QString> RunStore::Publish(const QString &name, const QByteArray &source)
{
    QSqlQuery q(m_db);
    auto failure = run(q,
        QStringLiteral("INSERT INTO exercises (hash, name, source, published, published_at) "
                       "VALUES (?, ?, ?, ?, ?) ON CONFLICT (hash) DO UPDATE SET published = "
                       "excluded.published, name = excluded.name, "
                       "published_at = excluded.published_at"),
        {ExerciseHash(source), text(name), source, true, QDateTime::currentDateTimeUtc()});
    if (failure)
        recover();
    return failure;
}

std::variant<std::vector<LibraryExercise>, QString> RunStore::Library()
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral(
            "SELECT hash, name, source FROM exercises WHERE published ORDER BY name, hash"))) {
        const QString failure = errorText(q.lastError());
        recover();
        return failure;
    }
    std::vector<LibraryExercise> exercises;
    while (q.next())
        exercises.push_back(
            {q.value(0).toString(), q.value(1).toString(), q.value(2).toByteArray()});
    return exercises;
}

} // namespace varmet
