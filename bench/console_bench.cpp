// The console's share of a tick: the whole tick through the main window (cycle, field texts,
// colours, repaint of the changed board area) with five moving targets; and the resident memory
// over an hour of ticks.

#include "console/app/program_windows.h"
#include "console/widget_kit/up_down.h"

#include "../tests/support/resident_memory.h"

#include "bench_main.h"
#include "console/widget_kit/labeled_edit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace varmet {
namespace {

using testing::residentKilobytes;

// Five targets entered through the arrows, as an operator would, the window shown (offscreen).
struct Session
{
    Session()
    {
        windows.form.show();
        QApplication::processEvents();
        for (int n = 1; n <= 5; ++n) {
            steps("SpinEdit2", n == 1 ? 0 : 1);
            steps("LabeledEdit7", 70 * n);
            steps("LabeledEdit8", 40 + 15 * n);
            steps("LabeledEdit9", 50 * n);
            steps("LabeledEdit16", 5);
            windows.form.Timer1Timer();
        }
        steps("LabeledEdit6", 12);
        windows.form.findChild<QAbstractButton *>("CheckBox1")->click();
    }

    void steps(const char *field, int count)
    {
        if (auto *spin = windows.form.findChild<QAbstractSpinBox *>(field)) {
            for (int i = 0; i < count; ++i)
                spin->stepUp();
            return;
        }
        for (UpDown *arrows : windows.form.findChildren<UpDown *>()) {
            if (arrows->associate()->objectName() == QLatin1String(field)) {
                for (int i = 0; i < count; ++i)
                    arrows->click(UpDown::Direction::Up);
            }
        }
    }

    void tick()
    {
        windows.form.Timer1Timer();
        QApplication::processEvents(); // the repaint of what changed
    }

    ProgramWindows windows;
};

void WholeTickThroughTheWindow(benchmark::State &bench)
{
    Session session;
    for (auto _ : bench)
        session.tick();
}
BENCHMARK(WholeTickThroughTheWindow)->Unit(benchmark::kMicrosecond);

void ResidentMemoryOverAnHourOfTicks(benchmark::State &bench)
{
    Session session;
    for (auto _ : bench) {
        for (int i = 0; i < 3600; ++i)
            session.tick();
        const long afterOneHour = residentKilobytes();
        for (int i = 0; i < 3600; ++i)
            session.tick();
        bench.counters["rss_after_1h_kB"] = static_cast<double>(afterOneHour);
        bench.counters["growth_in_2nd_h_kB"]
            = static_cast<double>(residentKilobytes() - afterOneHour);
    }
}
BENCHMARK(ResidentMemoryOverAnHourOfTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QApplication>(argc, argv);
}
