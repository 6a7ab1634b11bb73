#pragma once

// The class record through Qt SQL: one connection to an SQLite file or a PostgreSQL database,
// the schema brought up to date on connect. A run is written as "in progress" when it starts and
// whole, in one transaction, when it ends; writing the same run again never stores it twice, and
// a write is reported done only after its COMMIT.

#include "run_record.h"
#include "store_address.h"

#include <QSqlDatabase>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace varmet {

class RunStore
{
public:
    // Connects (creating an SQLite file and its folder when missing) and migrates. The reason,
    // in Russian, when it cannot.
    static std::variant<std::unique_ptr<RunStore>, QString> Open(
        const StoreAddress &address, const QString &password = {});
    ~RunStore();
    RunStore(const RunStore &) = delete;
    RunStore &operator=(const RunStore &) = delete;

    const StoreAddress &address() const { return m_address; }
    // The connection, for read-only views of the tables.
    QSqlDatabase database() const { return m_db; }

    // The run in progress; nothing when it is already kept.
    std::optional<QString> Begin(const RunStart &start);
    // The whole run; a run kept finished before is left as it is. With `queue` it also waits in
    // the outbox until Unqueue (the local store of a console sending to a server).
    std::optional<QString> Finish(const RunRecord &run, bool queue = false);

    std::variant<std::vector<RunSummary>, QString> Runs();
    // A finished run whole, as Finish got it; nullopt when there is none (or it cannot be read).
    std::optional<RunRecord> Record(const QUuid &id);

    // The outbox: finished runs to send, oldest first, and taking one out once sent.
    std::vector<QUuid> Queued();
    std::optional<QString> Unqueue(const QUuid &id);

    // One point of a trainee's progress: a finished run's end and its targets.
    struct Progress
    {
        QDateTime Ended;
        QString ExerciseName;
        std::vector<StoredTarget> Targets;
    };
    std::variant<std::vector<Progress>, QString> ProgressOf(const Trainee &trainee);

    // The exercise library: publishing an exercise's text, and the published ones by name.
    std::optional<QString> Publish(const QString &name, const QByteArray &source);
    std::variant<std::vector<LibraryExercise>, QString> Library();

private:
    RunStore(StoreAddress address, QSqlDatabase db);
    // Writes `run` inside an open transaction.
    std::optional<QString> writeFinished(const RunRecord &run, bool queue);
    std::optional<QString> writeStart(const RunStart &start, const char *state);
    // After a failed write: a connection the server dropped is opened again for the next one.
    void recover();

    StoreAddress m_address;
    QSqlDatabase m_db;
};

} // namespace varmet
