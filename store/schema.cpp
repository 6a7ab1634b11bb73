#include "schema.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <vector>

namespace varmet {

namespace {

struct Migration
{
    int version;
    std::vector<const char *> sqlite;
    std::vector<const char *> postgres;
};

const std::vector<Migration> &Migrations()
{
    static const std::vector<Migration> migrations {
        {1,
            {
                "CREATE TABLE trainees (name TEXT NOT NULL, grp TEXT NOT NULL, "
                "account TEXT NOT NULL DEFAULT '', PRIMARY KEY (name, grp))",
                "CREATE TABLE exercises (hash TEXT PRIMARY KEY, name TEXT NOT NULL, "
                "source BLOB NOT NULL, published INTEGER NOT NULL DEFAULT 0, published_at TEXT)",
                "CREATE TABLE runs (id TEXT PRIMARY KEY, account TEXT NOT NULL DEFAULT '', "
                "trainee_name TEXT NOT NULL, trainee_group TEXT NOT NULL, "
                "exercise_hash TEXT NOT NULL REFERENCES exercises(hash), seed TEXT NOT NULL, "
                "started_at TEXT NOT NULL, ended_at TEXT, "
                "state TEXT NOT NULL CHECK (state IN ('in-progress', 'finished')), "
                "score_time INTEGER, targets INTEGER NOT NULL DEFAULT 0, "
                "hits INTEGER NOT NULL DEFAULT 0, journal TEXT, session BLOB, "
                "FOREIGN KEY (trainee_name, trainee_group) REFERENCES trainees(name, grp))",
                "CREATE TABLE run_targets (run_id TEXT NOT NULL REFERENCES runs(id) "
                "ON DELETE CASCADE, target INTEGER NOT NULL, slot INTEGER, course_err REAL, "
                "speed_err REAL, distance_err REAL, within INTEGER NOT NULL, since INTEGER, "
                "median_hit INTEGER, median_miss REAL, wake1_hit INTEGER, wake1_miss REAL, "
                "wake2_hit INTEGER, wake2_miss REAL, PRIMARY KEY (run_id, target))",
                "CREATE INDEX runs_started ON runs(started_at)",
                // Finished runs the class server has not yet taken.
                "CREATE TABLE outbox (run_id TEXT PRIMARY KEY REFERENCES runs(id))",
            },
            {
                "CREATE TABLE trainees (name text NOT NULL, grp text NOT NULL, "
                "account text NOT NULL DEFAULT current_user, PRIMARY KEY (name, grp))",
                "CREATE TABLE exercises (hash text PRIMARY KEY, name text NOT NULL, "
                "source bytea NOT NULL, published boolean NOT NULL DEFAULT false, "
                "published_at timestamptz)",
                "CREATE TABLE runs (id uuid PRIMARY KEY, "
                "account text NOT NULL DEFAULT current_user, "
                "trainee_name text NOT NULL, trainee_group text NOT NULL, "
                "exercise_hash text NOT NULL REFERENCES exercises(hash), seed text NOT NULL, "
                "started_at timestamptz NOT NULL, ended_at timestamptz, "
                "state text NOT NULL CHECK (state IN ('in-progress', 'finished')), "
                "score_time integer, targets integer NOT NULL DEFAULT 0, "
                "hits integer NOT NULL DEFAULT 0, journal text, session bytea, "
                "FOREIGN KEY (trainee_name, trainee_group) REFERENCES trainees(name, grp))",
                "CREATE TABLE run_targets (run_id uuid NOT NULL REFERENCES runs(id) "
                "ON DELETE CASCADE, target integer NOT NULL, slot integer, "
                "course_err double precision, speed_err double precision, "
                "distance_err double precision, within boolean NOT NULL, since integer, "
                "median_hit boolean, median_miss double precision, wake1_hit boolean, "
                "wake1_miss double precision, wake2_hit boolean, wake2_miss double precision, "
                "PRIMARY KEY (run_id, target))",
                "CREATE INDEX runs_started ON runs(started_at)",
                "CREATE INDEX runs_account ON runs(account)",
            }},
        {2, {},
            {
                // Who may see what. Roles belong to the whole server: made once, kept after.
                "DO $$ BEGIN "
                "IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'varmet_trainee') THEN "
                "CREATE ROLE varmet_trainee NOLOGIN; END IF; "
                "IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'varmet_instructor') THEN "
                "CREATE ROLE varmet_instructor NOLOGIN; END IF; END $$",
                // Nobody else connects.
                "DO $$ BEGIN "
                "EXECUTE format('REVOKE ALL ON DATABASE %I FROM PUBLIC', current_database()); "
                "EXECUTE format('GRANT CONNECT ON DATABASE %I TO varmet_trainee, "
                "varmet_instructor', current_database()); END $$",
                "REVOKE ALL ON SCHEMA public FROM PUBLIC",
                "GRANT USAGE ON SCHEMA public TO varmet_trainee, varmet_instructor",
                "REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC",
                "GRANT SELECT ON schema_version TO varmet_trainee, varmet_instructor",
                "GRANT SELECT, INSERT ON trainees TO varmet_trainee, varmet_instructor",
                "GRANT SELECT, INSERT ON exercises TO varmet_trainee",
                "GRANT SELECT, INSERT, UPDATE ON exercises TO varmet_instructor",
                "GRANT SELECT, INSERT, UPDATE ON runs TO varmet_trainee",
                "GRANT SELECT ON runs TO varmet_instructor",
                "GRANT SELECT, INSERT, DELETE ON run_targets TO varmet_trainee",
                "GRANT SELECT ON run_targets TO varmet_instructor",
                "ALTER TABLE trainees ENABLE ROW LEVEL SECURITY",
                "CREATE POLICY trainees_own ON trainees TO varmet_trainee "
                "USING (account = current_user) WITH CHECK (account = current_user)",
                "CREATE POLICY trainees_all ON trainees TO varmet_instructor USING (true)",
                "ALTER TABLE exercises ENABLE ROW LEVEL SECURITY",
                "CREATE POLICY exercises_read ON exercises FOR SELECT "
                "TO varmet_trainee, varmet_instructor USING (true)",
                // A trainee's exercise is recorded with the run, never published by it.
                "CREATE POLICY exercises_add ON exercises FOR INSERT TO varmet_trainee "
                "WITH CHECK (NOT published)",
                "CREATE POLICY exercises_publish ON exercises FOR INSERT TO varmet_instructor "
                "WITH CHECK (true)",
                "CREATE POLICY exercises_update ON exercises FOR UPDATE TO varmet_instructor "
                "USING (true)",
                "ALTER TABLE runs ENABLE ROW LEVEL SECURITY",
                "CREATE POLICY runs_own ON runs TO varmet_trainee "
                "USING (account = current_user) WITH CHECK (account = current_user)",
                "CREATE POLICY runs_all ON runs FOR SELECT TO varmet_instructor USING (true)",
                "ALTER TABLE run_targets ENABLE ROW LEVEL SECURITY",
                "CREATE POLICY run_targets_own ON run_targets TO varmet_trainee "
                "USING (EXISTS (SELECT 1 FROM runs r WHERE r.id = run_id)) "
                "WITH CHECK (EXISTS (SELECT 1 FROM runs r WHERE r.id = run_id "
                "AND r.account = current_user))",
                "CREATE POLICY run_targets_all ON run_targets FOR SELECT TO varmet_instructor "
                "USING (true)",
            }},
    };
    return migrations;
}

bool isPostgres(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

QString errorText(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

} // namespace

std::optional<QString> ExecStatement(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return std::nullopt;
    return errorText(query.lastError());
}

StoreTransaction::StoreTransaction(QSqlDatabase &db)
    : m_db(db)
{
    m_failure = ExecStatement(
        db, isPostgres(db) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    m_open = !m_failure;
}

StoreTransaction::~StoreTransaction()
{
    if (m_open)
        ExecStatement(m_db, QStringLiteral("ROLLBACK"));
}

std::optional<QString> StoreTransaction::commit()
{
    if (!m_open)
        return m_failure.value_or(QStringLiteral("транзакция не начата"));
    auto failure = ExecStatement(m_db, QStringLiteral("COMMIT"));
    if (failure) {
        // A failed COMMIT may leave the transaction open (SQLite when busy): end it.
        ExecStatement(m_db, QStringLiteral("ROLLBACK"));
    }
    m_open = false;
    return failure;
}

std::variant<int, QString> StoredSchemaVersion(QSqlDatabase &db)
{
    QSqlQuery query(db);
    const QString exists = isPostgres(db)
        ? QStringLiteral("SELECT to_regclass('schema_version') IS NOT NULL")
        : QStringLiteral(
            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
    if (!query.exec(exists) || !query.next())
        return errorText(query.lastError());
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT max(version) FROM schema_version")) || !query.next())
        return errorText(query.lastError());
    return query.value(0).toInt();
}

std::optional<QString> MigrateStore(QSqlDatabase &db)
{
    const auto newer = [](int stored) {
        return QStringLiteral("Схема хранилища версии %1 новее, чем знает программа (версия %2): "
                              "обновите программу")
            .arg(stored)
            .arg(StoreSchemaVersion);
    };
    auto before = StoredSchemaVersion(db);
    if (const auto *failure = std::get_if<QString>(&before))
        return *failure;
    if (std::get<int>(before) == StoreSchemaVersion)
        return std::nullopt;
    if (std::get<int>(before) > StoreSchemaVersion)
        return newer(std::get<int>(before));

    StoreTransaction transaction(db);
    if (transaction.failure())
        return transaction.failure();
    const bool postgres = isPostgres(db);
    if (postgres) {
        // One migrating console at a time; the others find the work done.
        if (auto failure = ExecStatement(db, QStringLiteral("SELECT pg_advisory_xact_lock(1920)")))
            return failure;
        if (auto failure = ExecStatement(db,
                QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version integer "
                               "NOT NULL)")))
            return failure;
    } else if (auto failure = ExecStatement(db,
                   QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER "
                                  "NOT NULL)"))) {
        return failure;
    }
    auto stored = StoredSchemaVersion(db);
    if (const auto *failure = std::get_if<QString>(&stored))
        return *failure;
    const int from = std::get<int>(stored);
    if (from > StoreSchemaVersion)
        return newer(from);
    for (const Migration &migration : Migrations()) {
        if (migration.version <= from)
            continue;
        for (const char *statement : postgres ? migration.postgres : migration.sqlite) {
            if (auto failure = ExecStatement(db, QString::fromUtf8(statement)))
                return QStringLiteral("Переход схемы хранилища к версии %1 не удался: %2")
                    .arg(migration.version)
                    .arg(*failure);
        }
    }
    if (from != StoreSchemaVersion) {
        ExecStatement(db, QStringLiteral("DELETE FROM schema_version"));
        if (auto failure = ExecStatement(db,
                QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)")
                    .arg(StoreSchemaVersion)))
            return failure;
    }
    return transaction.commit();
}

} // namespace varmet
