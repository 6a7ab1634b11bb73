// The dock "Обстановка" per tick: the picture of five targets, each with a minute of bearing fixes
// for its light, and the table filled from it, the dock shown (offscreen).

#include "bench_main.h"
#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"

#include <QApplication>
#include <QDockWidget>

#include <benchmark/benchmark.h>

namespace varmet {
namespace {

struct Session
{
    Session()
    {
        windows.form.show();
        for (int n = 1; n <= 5; ++n) {
            run(QStringLiteral("enter SpinEdit2 %1").arg(n));
            run(QStringLiteral("enter LabeledEdit4 %1").arg(n));
            run(QStringLiteral("enter LabeledEdit7 %1").arg(70 * n));
            run(QStringLiteral("enter LabeledEdit8 %1").arg(40 + 15 * n));
            run(QStringLiteral("enter LabeledEdit9 %1").arg(50 * n));
            // A bearing fix every ten seconds for a minute.
            for (int i = 0; i < 6; ++i) {
                run(QStringLiteral("enter LabeledEdit7 %1").arg(70 * n + i % 2));
                run(QStringLiteral("tick 10"));
            }
        }
        run(QStringLiteral("menu MSituation"));
        QApplication::processEvents();
    }
    void run(const QString &line) { runner.runLine(line); }

    ProgramWindows windows;
    ScriptRunner runner {windows, [](const QString &) {}};
};

void SituationDockPerTick(benchmark::State &bench)
{
    Session session;
    if (!session.windows.situation.dock()->isVisible())
        bench.SkipWithError("the dock is not shown");
    for (auto _ : bench)
        session.windows.situation.Refresh();
}
BENCHMARK(SituationDockPerTick)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QApplication>(argc, argv);
}
