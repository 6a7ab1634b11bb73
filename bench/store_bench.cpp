// The class record's speed: a finished run written whole to the local SQLite store (its end and
// start, the score lines, the journal and a real session of ten minutes' plotting), and the
// class journal opened over ten thousand runs.

#include "console/app/program_windows.h"
#include "console/class_record/class_desk.h"
#include "console/class_record/class_window.h"
#include "console/scripting/script_runner.h"

#include "bench_main.h"
#include "sample_run.h"
#include "session/session_file.h"
#include "store/run_store.h"
#include "store/schema.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace varmet {
namespace {

std::unique_ptr<RunStore> openStore(const QString &path)
{
    auto opened = RunStore::Open(std::get<StoreAddress>(ParseStoreAddress("sqlite:" + path)));
    if (!std::holds_alternative<std::unique_ptr<RunStore>>(opened))
        return nullptr;
    return std::move(std::get<std::unique_ptr<RunStore>>(opened));
}

void RunWrittenToSqlite(benchmark::State &state)
{
    ProgramWindows windows;
    ScriptRunner runner(windows, [](const QString &) {});
    runner.runLine(QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json 7"));
    runner.runLine(QStringLiteral("tick 600"));
    RunRecord run = testing::SampleRun(QStringLiteral("Иванов И."));
    run.Journal = windows.form.journal().text();
    run.Session = WriteSession(windows.form.captureSession());

    QTemporaryDir dir;
    auto store = openStore(dir.filePath("class.db"));
    if (!store) {
        state.SkipWithError("no store");
        return;
    }
    for (auto _ : state) {
        run.Start.Id = QUuid::createUuid();
        if (store->Begin(run.Start) || store->Finish(run)) {
            state.SkipWithError("not written");
            return;
        }
    }
    state.counters["session_bytes"] = static_cast<double>(run.Session.size());
}
BENCHMARK(RunWrittenToSqlite)->Unit(benchmark::kMillisecond);

// Ten thousand finished runs of forty trainees, put in directly.
void fillClass(RunStore &store)
{
    QSqlDatabase db = store.database();
    StoreTransaction transaction(db);
    const RunRecord sample = testing::SampleRun(QStringLiteral("-"));
    QSqlQuery q(db);
    q.exec(
        QStringLiteral("INSERT INTO exercises (hash, name, source) VALUES ('h', 'Пробное', 'x')"));
    q.prepare(QStringLiteral("INSERT INTO trainees (name, grp) VALUES (?, ?)"));
    for (int t = 0; t < 40; ++t) {
        q.addBindValue(QStringLiteral("Курсант %1").arg(t));
        q.addBindValue(QString::number(t % 3));
        q.exec();
    }
    q.prepare(QStringLiteral(
        "INSERT INTO runs (id, trainee_name, trainee_group, exercise_hash, seed, started_at, "
        "ended_at, state, score_time, targets, hits) VALUES (?, ?, ?, 'h', ?, ?, ?, 'finished', "
        "1200, 2, 1)"));
    for (int i = 0; i < 10000; ++i) {
        const int t = i % 40;
        q.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
        q.addBindValue(QStringLiteral("Курсант %1").arg(t));
        q.addBindValue(QString::number(t % 3));
        q.addBindValue(QString::number(i));
        q.addBindValue(sample.Start.Started.addSecs(i * 600));
        q.addBindValue(sample.Start.Started.addSecs(i * 600 + 1200));
        q.exec();
    }
    transaction.commit();
}

void ClassWindowOpensOverTenThousandRuns(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("class.db");
    {
        auto store = openStore(path);
        if (!store) {
            state.SkipWithError("no store");
            return;
        }
        fillClass(*store);
    }
    ProgramWindows windows;
    windows.classes.useStore(std::get<StoreAddress>(ParseStoreAddress("sqlite:" + path)), {});
    for (auto _ : state) {
        // As "Журнал класса" does it, from a window not made yet to its first picture.
        ClassWindow window(windows.form, windows.classes.keeper());
        if (window.refresh() || window.shownRuns() != 10000) {
            state.SkipWithError("not opened");
            return;
        }
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(ClassWindowOpensOverTenThousandRuns)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QApplication>(argc, argv);
}
