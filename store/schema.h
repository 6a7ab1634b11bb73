#pragma once

// The class record's schema: numbered migrations, each one step from the version before, applied
// on connect in one transaction. A store whose schema is newer than this program knows is refused.
// On PostgreSQL the migrations also create the two roles (varmet_trainee, varmet_instructor),
// their grants and the row-level security that lets a trainee's account add and read only its
// own runs; SQLite on one machine has no roles.

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <variant>

namespace varmet {

inline constexpr int StoreSchemaVersion = 2;
inline const char *const TraineeRole = "varmet_trainee";
inline const char *const InstructorRole = "varmet_instructor";

// The version the store's schema has; 0 for a store without one. The reason on a failure.
std::variant<int, QString> StoredSchemaVersion(QSqlDatabase &db);

// Brings the schema up to StoreSchemaVersion; concurrent callers wait for one another and apply
// each step once. Returns the reason of a refusal (a newer schema, naming both versions) or a
// failure, and then nothing has changed.
std::optional<QString> MigrateStore(QSqlDatabase &db);

// A transaction on `db`: SQLite takes the write lock at once (so concurrent writers wait their
// turn rather than fail), and what is not committed is rolled back when it goes out of scope.
class StoreTransaction
{
public:
    explicit StoreTransaction(QSqlDatabase &db);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction &) = delete;
    StoreTransaction &operator=(const StoreTransaction &) = delete;

    // The reason BEGIN failed, if it did.
    const std::optional<QString> &failure() const { return m_failure; }
    // COMMIT; the reason of a failure (and then nothing is kept).
    std::optional<QString> commit();

private:
    QSqlDatabase &m_db;
    std::optional<QString> m_failure;
    bool m_open = false;
};

// Runs one statement; the reason of a failure.
std::optional<QString> ExecStatement(QSqlDatabase &db, const QString &sql);

} // namespace varmet
