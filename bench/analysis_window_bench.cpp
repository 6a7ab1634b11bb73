// The analysis window's share of a tick: its refresh and repaint for a target with a full log of
// 500 fixes and a fitted solution, against the same tick with the window hidden; and the tick
// that redraws it all, when the trial solution changes.

#include "console/app/program_windows.h"

#include "analysis/bearing_analysis.h"
#include "bench_main.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cmath>

namespace varmet {
namespace {

struct Plot
{
    Plot()
    {
        for (QTimer *timer : windows.form.findChildren<QTimer *>())
            timer->stop();
        windows.form.show();
        for (int tick = 1; tick <= 1000; ++tick)
            windows.form.Timer1Timer();
        // A full log: bearings every two seconds, a little off the trial solution.
        FireControlState &state = windows.form.state();
        const TargetMotion trial = TrialMotion(state.Slots[1], state.OwnTrack, state.TickCount);
        for (int tick = 2; tick <= 1000; tick += 2) {
            const long double bearing = PredictedBearing(trial, state.OwnTrack, tick);
            state.FixLogs[0].Add({tick, FixKind::Bearing, std::rint(bearing + std::sin(tick)), 0});
        }
        windows.analysis.findChild<QAbstractButton *>("ButtonSolve")->click();
        QApplication::processEvents();
    }

    void tick()
    {
        windows.form.Timer1Timer();
        QApplication::processEvents(); // the repaint of what changed
    }

    ProgramWindows windows;
};

void TickWithTheAnalysisWindowHidden(benchmark::State &bench)
{
    Plot plot;
    for (auto _ : bench)
        plot.tick();
}
BENCHMARK(TickWithTheAnalysisWindowHidden)->Unit(benchmark::kMicrosecond);

void TickWithTheAnalysisWindowShown(benchmark::State &bench)
{
    Plot plot;
    plot.windows.analysis.show();
    QApplication::processEvents();
    for (auto _ : bench)
        plot.tick();
}
BENCHMARK(TickWithTheAnalysisWindowShown)->Unit(benchmark::kMicrosecond);

// Every tick another trial course: every prediction and residual changes, and the charts and the
// list are drawn anew.
void TickWithTheAnalysisWindowShownAndTheTrialCourseChanging(benchmark::State &bench)
{
    Plot plot;
    plot.windows.analysis.show();
    QApplication::processEvents();
    auto *course = plot.windows.form.findChild<QLineEdit *>("LabeledEdit9");
    int degrees = 0;
    for (auto _ : bench) {
        degrees = (degrees + 7) % 360;
        course->setText(QString::number(degrees));
        plot.tick();
    }
}
BENCHMARK(TickWithTheAnalysisWindowShownAndTheTrialCourseChanging)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QApplication>(argc, argv);
}
