// A trainee's console reduced to its writes: COUNT runs of TRAINEE written to the store at URL
// (password from PGPASSWORD), each begun and finished, every one retried until the store takes
// it. Prints "saved ID" once a run's COMMIT is done; with --twice each run is finished twice.

#include "sample_run.h"

#include "store/run_store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <chrono>
#include <cstdio>

using namespace varmet;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: store_writer URL COUNT TRAINEE [--twice]\n");
        return 2;
    }
    const auto address = ParseStoreAddress(args[1]);
    if (const auto *refusal = std::get_if<QString>(&address)) {
        std::fprintf(stderr, "%s\n", qPrintable(*refusal));
        return 2;
    }
    const int count = args[2].toInt();
    const bool twice = args.size() > 4 && args[4] == QLatin1String("--twice");
    const QString password = qEnvironmentVariable("PGPASSWORD");

    std::unique_ptr<RunStore> store;
    QString lastFailure;
    // Until the store answers, for up to five minutes: a server restarting after a kill on a busy
    // machine, or a busy file, takes its time.
    const auto withRetries = [&](const auto &write) {
        const QDeadlineTimer patience(std::chrono::minutes(5));
        while (!patience.hasExpired()) {
            if (!store) {
                auto opened = RunStore::Open(std::get<StoreAddress>(address), password);
                if (auto *failure = std::get_if<QString>(&opened)) {
                    lastFailure = *failure;
                    QThread::msleep(100);
                    continue;
                }
                store = std::move(std::get<std::unique_ptr<RunStore>>(opened));
            }
            const std::optional<QString> failure = write(*store);
            if (!failure)
                return true;
            lastFailure = *failure;
            store.reset();
            QThread::msleep(100);
        }
        return false;
    };
    for (int i = 0; i < count; ++i) {
        const RunRecord run = testing::SampleRun(args[3]);
        if (!withRetries([&](RunStore &s) { return s.Begin(run.Start); })
            || !withRetries([&](RunStore &s) { return s.Finish(run); })
            || (twice && !withRetries([&](RunStore &s) { return s.Finish(run); }))) {
            std::fprintf(stderr, "not saved: %s\n", qPrintable(lastFailure));
            return 1;
        }
        std::printf("saved %s\n", qPrintable(run.Start.Id.toString(QUuid::WithoutBraces)));
        std::fflush(stdout);
    }
    return 0;
}
