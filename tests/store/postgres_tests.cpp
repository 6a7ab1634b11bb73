// The class record on a real PostgreSQL server started by the test: thirty trainees at once, the
// server killed in the middle of their writes, who may see and write what, a newer schema, and
// the outbox of a console whose server is down.

#include "open_store.h"
#include "sample_run.h"
#include "test_postgres.h"
#include "writers.h"

#include "store/run_keeper.h"
#include "store/run_store.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace varmet;
using varmet::testing::OpenStore;
using varmet::testing::SampleRun;
using varmet::testing::TestPostgres;

namespace {

TestPostgres *server = nullptr;

class ServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_server = std::make_unique<TestPostgres>();
        server = m_server.get();
    }
    void TearDown() override
    {
        server = nullptr;
        m_server.reset();
    }

private:
    std::unique_ptr<TestPostgres> m_server;
};

// A fresh database with the schema and roles, as `varmet --store-init` makes it.
StoreAddress freshDatabase(const QString &name)
{
    EXPECT_EQ(server->exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + name),
        std::nullopt);
    const StoreAddress admin = server->address(QStringLiteral("postgres"), name);
    EXPECT_TRUE(OpenStore(admin));
    return admin;
}

void createAccount(const QString &name, const char *role)
{
    server->exec(QStringLiteral("postgres"),
        QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE %2").arg(name, QLatin1String(role)));
}

QSet<QString> finishedIds(RunStore &store)
{
    QSet<QString> ids;
    const auto runs = store.Runs();
    for (const RunSummary &r : std::get<std::vector<RunSummary>>(runs)) {
        if (r.Finished)
            ids.insert(r.Id.toString(QUuid::WithoutBraces));
    }
    return ids;
}

class Postgres : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server);
        if (server->failure())
            GTEST_FAIL() << "no test server: " << server->failure()->toStdString();
    }
};

} // namespace

TEST_F(Postgres, ThirtyTraineesTenRunsEachAllArriveNoneTwice)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("load"));
    createAccount(QStringLiteral("loader"), TraineeRole);
    StoreAddress trainee = admin;
    trainee.user = QStringLiteral("loader");
    const auto outcome = varmet::testing::RunWriters(trainee.text(), 30, 10, true);
    EXPECT_TRUE(outcome.failures.isEmpty()) << outcome.failures.join('\n').toStdString();
    EXPECT_EQ(outcome.saved.size(), 300);

    auto store = OpenStore(admin);
    ASSERT_TRUE(store);
    const QSet<QString> stored = finishedIds(*store);
    EXPECT_EQ(stored.size(), 300);
    for (const QString &id : outcome.saved)
        EXPECT_TRUE(stored.contains(id)) << id.toStdString();
    QSqlQuery q(store->database());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM runs")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 300);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM run_targets")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 600);
}

TEST_F(Postgres, AServerKilledDuringWritesLosesNoRunReportedSaved)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("crash"));
    QProcess writer;
    writer.start(QStringLiteral(STORE_WRITER),
        {admin.text(), QStringLiteral("60"), QStringLiteral("Курсант")});
    QStringList saved;
    const auto readSaved = [&] {
        while (writer.canReadLine()) {
            const QByteArray line = writer.readLine().trimmed();
            if (line.startsWith("saved "))
                saved << QString::fromLatin1(line.mid(6));
        }
    };
    // Kill it twice while the writer is at work.
    for (int crash = 1; crash <= 2; ++crash) {
        while (saved.size() < crash * 10 && writer.state() == QProcess::Running) {
            writer.waitForReadyRead(1000);
            readSaved();
        }
        server->kill();
        ASSERT_EQ(server->start(), std::nullopt);
    }
    ASSERT_TRUE(writer.waitForFinished(-1));
    readSaved();
    EXPECT_EQ(writer.exitCode(), 0)
        << writer.readAllStandardError().toStdString() << server->diagnosis().toStdString();
    EXPECT_EQ(saved.size(), 60);

    auto store = OpenStore(admin);
    ASSERT_TRUE(store);
    const QSet<QString> stored = finishedIds(*store);
    for (const QString &id : saved)
        EXPECT_TRUE(stored.contains(id)) << id.toStdString();
}

TEST_F(Postgres, ATraineeReadsAndWritesOnlyOwnRunsAndOnlyTheClassConnects)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("roles"));
    createAccount(QStringLiteral("alice"), TraineeRole);
    createAccount(QStringLiteral("bob"), TraineeRole);
    createAccount(QStringLiteral("teacher"), InstructorRole);
    server->exec(QStringLiteral("postgres"), QStringLiteral("CREATE ROLE outsider LOGIN"));
    const auto as = [&](const char *user) {
        StoreAddress a = admin;
        a.user = QString::fromLatin1(user);
        return a;
    };
    auto alice = OpenStore(as("alice"));
    auto bob = OpenStore(as("bob"));
    auto teacher = OpenStore(as("teacher"));
    ASSERT_TRUE(alice && bob && teacher);
    EXPECT_TRUE(std::holds_alternative<QString>(RunStore::Open(as("outsider"))));

    const RunRecord aliceRun = SampleRun(QStringLiteral("Алиса"));
    const RunRecord bobRun = SampleRun(QStringLiteral("Боб"));
    ASSERT_EQ(alice->Begin(aliceRun.Start), std::nullopt);
    ASSERT_EQ(alice->Finish(aliceRun), std::nullopt);
    ASSERT_EQ(bob->Finish(bobRun), std::nullopt);

    const QString aliceId = aliceRun.Start.Id.toString(QUuid::WithoutBraces);
    const QString bobId = bobRun.Start.Id.toString(QUuid::WithoutBraces);
    EXPECT_EQ(finishedIds(*alice), QSet<QString> {aliceId});
    EXPECT_EQ(finishedIds(*bob), QSet<QString> {bobId});
    EXPECT_EQ(finishedIds(*teacher), (QSet<QString> {aliceId, bobId}));
    EXPECT_EQ(bob->Record(aliceRun.Start.Id), std::nullopt);
    // What the server keeps reads back as written, binary session and all.
    const std::optional<RunRecord> back = teacher->Record(aliceRun.Start.Id);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Session, aliceRun.Session);
    EXPECT_EQ(back->Journal, aliceRun.Journal);
    EXPECT_EQ(back->Start.Seed, aliceRun.Start.Seed);
    EXPECT_EQ(back->Start.Started, aliceRun.Start.Started);
    EXPECT_EQ(back->Ended, aliceRun.Ended);
    EXPECT_EQ(back->Targets, aliceRun.Targets);

    // Bob cannot write as Alice, nor touch her run or its score lines.
    QSqlQuery q(bob->database());
    EXPECT_FALSE(q.exec(QStringLiteral(
        "INSERT INTO runs (id, account, trainee_name, trainee_group, exercise_hash, seed, "
        "started_at, state) SELECT gen_random_uuid(), 'alice', 'Алиса', '1', exercise_hash, '1', "
        "now(), 'in-progress' FROM runs LIMIT 1")));
    ASSERT_TRUE(q.exec(QStringLiteral("UPDATE runs SET hits = 0 WHERE id = '%1'").arg(aliceId)));
    EXPECT_EQ(q.numRowsAffected(), 0);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM run_targets")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_FALSE(q.exec(
        QStringLiteral("INSERT INTO run_targets (run_id, target, within) VALUES ('%1', 9, false)")
            .arg(aliceId)));
    // The instructor reads but writes no runs; only the instructor publishes.
    EXPECT_TRUE(teacher->Finish(SampleRun(QStringLiteral("Учитель"))).has_value());
    EXPECT_TRUE(alice->Publish(QStringLiteral("Своё"), QByteArrayLiteral("{\"a\":1}")).has_value());
    ASSERT_EQ(
        teacher->Publish(QStringLiteral("Общее"), QByteArrayLiteral("{\"b\":2}")), std::nullopt);
    const auto library = std::get<std::vector<LibraryExercise>>(alice->Library());
    ASSERT_EQ(library.size(), 1u);
    EXPECT_EQ(library[0].Name, QStringLiteral("Общее"));
}

TEST_F(Postgres, TheProgramCreatesTheSchemaAndRolesForAnAdministrator)
{
    ASSERT_EQ(server->exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE byprogram")),
        std::nullopt);
    QProcess program;
    program.start(QStringLiteral(VARMET_PROGRAM),
        {QStringLiteral("--store-init"),
            server->address(QStringLiteral("postgres"), QStringLiteral("byprogram")).text()});
    ASSERT_TRUE(program.waitForFinished(-1));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    createAccount(QStringLiteral("carol"), TraineeRole);
    auto carol = OpenStore(server->address(QStringLiteral("carol"), QStringLiteral("byprogram")));
    ASSERT_TRUE(carol);
    EXPECT_EQ(carol->Finish(SampleRun(QStringLiteral("Кэрол"))), std::nullopt);
}

TEST_F(Postgres, TheDriverKeepsItsRunsOnTheServer)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("driver"));
    createAccount(QStringLiteral("dave"), TraineeRole);
    QTemporaryDir home;
    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path()); // the console's own outbox
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    driver.setProcessEnvironment(env);
    driver.start(QStringLiteral(VARMET_SCENARIO), {});
    const QString script
        = QStringLiteral("store %1\ntrainee Дэйв 5\nexercise %2 3\ntick 5\n"
                         "menu MExerciseStop\nruns\n")
              .arg(server->address(QStringLiteral("dave"), QStringLiteral("driver")).text(),
                  QStringLiteral(VARMET_EXERCISES_DIR "/crossing.json"));
    driver.write(script.toUtf8());
    driver.closeWriteChannel();
    ASSERT_TRUE(driver.waitForFinished(-1));
    const QString output = QString::fromUtf8(driver.readAllStandardOutput());
    EXPECT_EQ(driver.exitCode(), 0) << driver.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains(QRegularExpression(
        QStringLiteral("^run [0-9a-f-]{36} trainee=Дэйв exercise=Цель на пересекающем курсе "
                       "seed=3 targets=1 hits=0 state=finished\n$"))))
        << output.toStdString();
}

TEST_F(Postgres, RefusesADatabaseOfANewerSchema)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("newer"));
    ASSERT_EQ(server->exec(
                  QStringLiteral("newer"), QStringLiteral("UPDATE schema_version SET version = 7")),
        std::nullopt);
    const auto refused = RunStore::Open(admin);
    ASSERT_TRUE(std::holds_alternative<QString>(refused));
    EXPECT_TRUE(std::get<QString>(refused).contains(QStringLiteral("версии 7")));
    EXPECT_TRUE(
        std::get<QString>(refused).contains(QStringLiteral("версия %1").arg(StoreSchemaVersion)));
}

TEST_F(Postgres, RunsFinishedWhileTheServerIsDownAreSentWhenItAnswers)
{
    const StoreAddress admin = freshDatabase(QStringLiteral("outbox"));
    QTemporaryDir dir;
    RunKeeper keeper(std::get<StoreAddress>(
        ParseStoreAddress(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("local.db")))));
    keeper.setServer(admin);
    const RunRecord before = SampleRun(QStringLiteral("Иванов И."));
    const RunRecord during = SampleRun(QStringLiteral("Иванов И."));
    ASSERT_EQ(keeper.Started(before.Start), std::nullopt);
    ASSERT_EQ(keeper.Finished(before), std::nullopt);
    EXPECT_EQ(keeper.Waiting(), 0);

    ASSERT_EQ(keeper.Started(during.Start), std::nullopt);
    server->kill();
    ASSERT_EQ(keeper.Finished(during), std::nullopt); // kept locally all the same
    EXPECT_EQ(keeper.Waiting(), 1);
    ASSERT_EQ(server->start(), std::nullopt);

    RunKeeper::Sending sending;
    for (int attempt = 0; attempt < 50 && keeper.Waiting() > 0; ++attempt)
        sending = keeper.Send();
    EXPECT_EQ(keeper.Waiting(), 0) << sending.failure.value_or(QString()).toStdString();
    auto store = OpenStore(admin);
    ASSERT_TRUE(store);
    EXPECT_EQ(finishedIds(*store),
        (QSet<QString> {before.Start.Id.toString(QUuid::WithoutBraces),
            during.Start.Id.toString(QUuid::WithoutBraces)}));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);
    return RUN_ALL_TESTS();
}
