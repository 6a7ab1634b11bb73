// Start-up: the program's windows built as the program builds them and the main window shown up to
// its first paint, against a bare main window shown the same way (offscreen). The toolkit's own
// start (the application object, fonts, the platform) is outside both.

#include "bench_main.h"
#include "console/app/program_windows.h"

#include <QApplication>
#include <QMainWindow>

#include <benchmark/benchmark.h>

#include <memory>

namespace varmet {
namespace {

// Notes the first paint of the watched window.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Shows the window and lets the event loop run until it has painted; false if it never does.
bool showToFirstPaint(QWidget &window)
{
    PaintWatch watch;
    window.installEventFilter(&watch);
    window.show();
    for (int round = 0; round < 100 && !watch.painted; ++round)
        QApplication::processEvents();
    window.removeEventFilter(&watch);
    return watch.painted;
}

void BareMainWindowToFirstPaint(benchmark::State &bench)
{
    for (auto _ : bench) {
        QMainWindow window;
        window.resize(1024, 700);
        if (!showToFirstPaint(window))
            bench.SkipWithError("the window was never painted");
    }
}
BENCHMARK(BareMainWindowToFirstPaint)->Unit(benchmark::kMillisecond);

void ProgramWindowsToFirstPaint(benchmark::State &bench)
{
    for (auto _ : bench) {
        auto windows = std::make_unique<ProgramWindows>();
        windows->classes.setRecording(true);
        if (!showToFirstPaint(windows->form))
            bench.SkipWithError("the main window was never painted");
        bench.PauseTiming(); // closing the program is no part of its start
        windows.reset();
        QApplication::processEvents();
        bench.ResumeTiming();
    }
}
BENCHMARK(ProgramWindowsToFirstPaint)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QApplication>(argc, argv);
}
