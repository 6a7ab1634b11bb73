// One whole tick of five moving targets, drawing included, and one bearing entry.

#include "../tests/cycle/fake_console.h"
#include "bench_main.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace varmet::testing {
namespace {

struct FiveTargets
{
    FiveTargets()
    {
        console.cycle = &cycle;
        console.checks[Control::CheckBox1] = true;
        console.setText(Control::LabeledEdit6, "12");
        console.setText(Control::LabeledEdit16, "1500");
        for (int n = 1; n <= SlotCount; ++n) {
            console.spins[Control::SpinEdit2] = n;
            console.setText(Control::LabeledEdit7, QString::number(70 * n));
            console.setText(Control::LabeledEdit8, QString::number(40 + 15 * n));
            console.setText(Control::LabeledEdit9, QString::number(300 - 50 * n));
            console.setText(Control::LabeledEdit1, QString::number(5 + 7 * n));
            cycle.Timer1Timer();
        }
        console.spins[Control::SpinEdit2] = 1;
    }

    FireControlState state;
    Board board;
    FakeConsole console;
    TickCycle cycle {state, board, console};
};

void WholeTickOfFiveTargets(benchmark::State &bench)
{
    FiveTargets session;
    for (auto _ : bench)
        session.cycle.Timer1Timer();
}
BENCHMARK(WholeTickOfFiveTargets)->Unit(benchmark::kMicrosecond);

void BearingEntry(benchmark::State &bench)
{
    FiveTargets session;
    int bearing = 0;
    for (auto _ : bench) {
        bearing = (bearing + 1) % 360;
        session.console.setText(Control::LabeledEdit7, QString::number(bearing));
    }
}
BENCHMARK(BearingEntry)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace varmet::testing

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QGuiApplication>(argc, argv);
}
