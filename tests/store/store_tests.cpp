// The class record on SQLite: addresses, a run written and read back whole, writing it twice,
// the schema's version, the outbox, the library and many consoles writing one file at once.

#include "open_store.h"
#include "sample_run.h"
#include "writers.h"

#include "store/run_keeper.h"
#include "store/run_store.h"
#include "store/schema.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace varmet;
using varmet::testing::OpenStore;
using varmet::testing::SampleRun;

namespace {

StoreAddress sqliteAt(const QString &path)
{
    return std::get<StoreAddress>(ParseStoreAddress(QStringLiteral("sqlite:") + path));
}

int count(RunStore &store, const QString &sql)
{
    QSqlQuery q(store.database());
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

} // namespace

TEST(StoreAddress, ReadsBothKindsAndRefusesPasswordsAndNonsense)
{
    const auto sqlite = ParseStoreAddress(QStringLiteral("sqlite:/tmp/a b.db"));
    ASSERT_TRUE(std::holds_alternative<StoreAddress>(sqlite));
    EXPECT_EQ(std::get<StoreAddress>(sqlite).path, QStringLiteral("/tmp/a b.db"));

    const auto pg
        = ParseStoreAddress(QStringLiteral("postgresql://ivanov@class-server:5433/varmet"));
    ASSERT_TRUE(std::holds_alternative<StoreAddress>(pg));
    const StoreAddress &a = std::get<StoreAddress>(pg);
    EXPECT_TRUE(a.isPostgres());
    EXPECT_EQ(a.user, QStringLiteral("ivanov"));
    EXPECT_EQ(a.host, QStringLiteral("class-server"));
    EXPECT_EQ(a.port, 5433);
    EXPECT_EQ(a.database, QStringLiteral("varmet"));

    // A socket folder as the host, percent-encoded, and back the same.
    const auto socket = ParseStoreAddress(QStringLiteral("postgresql://u@%2Ftmp%2Fpg/db"));
    ASSERT_TRUE(std::holds_alternative<StoreAddress>(socket));
    EXPECT_EQ(std::get<StoreAddress>(socket).host, QStringLiteral("/tmp/pg"));
    EXPECT_EQ(std::get<StoreAddress>(ParseStoreAddress(std::get<StoreAddress>(socket).text())),
        std::get<StoreAddress>(socket));

    for (const char *refused : {"postgresql://u:secret@h:5432/db", "postgresql://u@h:70000/db",
             "postgresql://h/db", "sqlite:", "mysql://u@h/db", ""})
        EXPECT_TRUE(std::holds_alternative<QString>(ParseStoreAddress(QString::fromUtf8(refused))))
            << refused;
}

TEST(RunStoreSqlite, KeepsARunFromItsStartToItsEndOnceHoweverOftenWritten)
{
    QTemporaryDir dir;
    auto store = OpenStore(sqliteAt(dir.filePath(QStringLiteral("sub/runs.db"))));
    ASSERT_TRUE(store);
    const RunRecord run = SampleRun(QStringLiteral("Иванов И."));

    ASSERT_EQ(store->Begin(run.Start), std::nullopt);
    auto runs = std::get<std::vector<RunSummary>>(store->Runs());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].Finished);
    EXPECT_EQ(runs[0].Seed, run.Start.Seed);
    EXPECT_EQ(store->Record(run.Start.Id), std::nullopt); // not finished yet

    ASSERT_EQ(store->Finish(run), std::nullopt);
    ASSERT_EQ(store->Finish(run), std::nullopt);
    ASSERT_EQ(store->Begin(run.Start), std::nullopt); // a late start does not undo the end
    runs = std::get<std::vector<RunSummary>>(store->Runs());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].Finished);
    EXPECT_EQ(runs[0].Targets, 2);
    EXPECT_EQ(runs[0].Hits, 1);
    EXPECT_EQ(runs[0].ExerciseHash, ExerciseHash(run.Start.ExerciseSource));
    EXPECT_EQ(count(*store, QStringLiteral("SELECT count(*) FROM run_targets")), 2);

    const std::optional<RunRecord> back = store->Record(run.Start.Id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Start.Who, run.Start.Who);
    EXPECT_EQ(back->Start.ExerciseSource, run.Start.ExerciseSource);
    EXPECT_EQ(back->Start.Seed, run.Start.Seed);
    EXPECT_EQ(back->Start.Started, run.Start.Started);
    EXPECT_EQ(back->Ended, run.Ended);
    EXPECT_EQ(back->Journal, run.Journal);
    EXPECT_EQ(back->Session, run.Session);
    EXPECT_EQ(back->Targets, run.Targets);

    // A second trainee, of no group, running the same exercise shares its text.
    ASSERT_EQ(store->Finish(SampleRun(QStringLiteral("Петров П."), QString())), std::nullopt);
    EXPECT_EQ(count(*store, QStringLiteral("SELECT count(*) FROM exercises")), 1);
    EXPECT_EQ(count(*store, QStringLiteral("SELECT count(*) FROM runs")), 2);
}

TEST(RunStoreSqlite, RefusesAStoreOfANewerSchemaNamingBothVersions)
{
    QTemporaryDir dir;
    const StoreAddress address = sqliteAt(dir.filePath(QStringLiteral("runs.db")));
    {
        auto store = OpenStore(address);
        ASSERT_TRUE(store);
        QSqlQuery q(store->database());
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE schema_version SET version = 99")));
    }
    const auto refused = RunStore::Open(address);
    ASSERT_TRUE(std::holds_alternative<QString>(refused));
    const QString message = std::get<QString>(refused);
    EXPECT_TRUE(message.contains(QStringLiteral("версии 99")));
    EXPECT_TRUE(message.contains(QStringLiteral("версия %1").arg(StoreSchemaVersion)));
}

TEST(RunKeeper, AFinishedRunWaitsLocallyUntilTheServerAnswersAndArrivesOnce)
{
    QTemporaryDir dir;
    RunKeeper keeper(sqliteAt(dir.filePath(QStringLiteral("local.db"))));
    // A server that cannot be reached: no such socket.
    keeper.setServer(std::get<StoreAddress>(
        ParseStoreAddress(QStringLiteral("postgresql://u@%1:5432/db")
                              .arg(QString::fromLatin1(QUrl::toPercentEncoding(
                                  dir.filePath(QStringLiteral("nowhere"))))))));
    const RunRecord first = SampleRun(QStringLiteral("Сидоров С."));
    const RunRecord second = SampleRun(QStringLiteral("Сидоров С."));
    ASSERT_EQ(keeper.Started(first.Start), std::nullopt);
    ASSERT_EQ(keeper.Finished(first), std::nullopt);
    ASSERT_EQ(keeper.Finished(second), std::nullopt);
    EXPECT_EQ(keeper.Waiting(), 2);
    const RunKeeper::Sending failed = keeper.Send();
    EXPECT_EQ(failed.sent, 0);
    EXPECT_EQ(failed.waiting, 2);
    EXPECT_TRUE(failed.failure);

    // The server answers now (here a second file stands in for it).
    const StoreAddress server = sqliteAt(dir.filePath(QStringLiteral("server.db")));
    keeper.setServer(server);
    const RunKeeper::Sending sent = keeper.Send();
    EXPECT_EQ(sent.sent, 2);
    EXPECT_EQ(sent.waiting, 0);
    EXPECT_EQ(sent.failure, std::nullopt);
    EXPECT_EQ(keeper.Waiting(), 0);

    // Sent again (as when the outbox lost track of a send): still once each.
    auto serverStore = OpenStore(server);
    ASSERT_TRUE(serverStore);
    ASSERT_EQ(serverStore->Finish(first), std::nullopt);
    const auto runs = std::get<std::vector<RunSummary>>(serverStore->Runs());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].Finished && runs[1].Finished);
    EXPECT_EQ(count(*serverStore, QStringLiteral("SELECT count(*) FROM run_targets")), 4);
}

TEST(RunStoreSqlite, PublishesExercisesAndFollowsATraineesProgress)
{
    QTemporaryDir dir;
    auto store = OpenStore(sqliteAt(dir.filePath(QStringLiteral("runs.db"))));
    ASSERT_TRUE(store);
    RunRecord early = SampleRun(QStringLiteral("Иванов И."));
    RunRecord late = SampleRun(QStringLiteral("Иванов И."));
    late.Ended = early.Ended.addDays(1);
    late.Targets[0].CourseError = 1;
    ASSERT_EQ(store->Finish(late), std::nullopt);
    ASSERT_EQ(store->Finish(early), std::nullopt);
    ASSERT_EQ(
        store->Finish(SampleRun(QStringLiteral("Иванов И."), QStringLiteral("2"))), std::nullopt);

    const auto progress = std::get<std::vector<RunStore::Progress>>(
        store->ProgressOf({QStringLiteral("Иванов И."), QStringLiteral("1")}));
    ASSERT_EQ(progress.size(), 2u); // the namesake of group 2 is another trainee
    EXPECT_EQ(progress[0].Ended, early.Ended);
    EXPECT_EQ(progress[1].Targets[0].CourseError, 1);

    // The exercise the runs used is in the store but not in the library until published.
    EXPECT_TRUE(std::get<std::vector<LibraryExercise>>(store->Library()).empty());
    ASSERT_EQ(store->Publish(QStringLiteral("Пробное"), early.Start.ExerciseSource), std::nullopt);
    ASSERT_EQ(store->Publish(QStringLiteral("Другое"), QByteArrayLiteral("{}")), std::nullopt);
    const auto library = std::get<std::vector<LibraryExercise>>(store->Library());
    ASSERT_EQ(library.size(), 2u);
    EXPECT_EQ(library[1].Name, QStringLiteral("Пробное"));
    EXPECT_EQ(library[1].Source, early.Start.ExerciseSource);
}

TEST(RunStoreSqlite, ThirtyConsolesWritingOneFileLoseAndDoubleNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("class.db"));
    const auto outcome
        = varmet::testing::RunWriters(QStringLiteral("sqlite:") + path, 30, 10, true);
    EXPECT_TRUE(outcome.failures.isEmpty()) << outcome.failures.join('\n').toStdString();
    EXPECT_EQ(outcome.saved.size(), 300);

    auto store = OpenStore(sqliteAt(path));
    ASSERT_TRUE(store);
    const auto runs = std::get<std::vector<RunSummary>>(store->Runs());
    EXPECT_EQ(runs.size(), 300u);
    QSet<QString> stored;
    for (const RunSummary &r : runs) {
        EXPECT_TRUE(r.Finished);
        stored.insert(r.Id.toString(QUuid::WithoutBraces));
    }
    for (const QString &id : outcome.saved)
        EXPECT_TRUE(stored.contains(id)) << id.toStdString();
    EXPECT_EQ(count(*store, QStringLiteral("SELECT count(*) FROM run_targets")), 600);
}
