// What one tick does to the board (every live figure of five slots erased and drawn anew, and
// the own-ship vector), and one step of the eraser.

#include "bench_main.h"
#include "board/board.h"
#include "model/motion.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

namespace {

using namespace varmet;

struct SlotFigures
{
    StrokeList track;
    StrokeList median;
    StrokeList pair;
};

PixelPoint along(PixelPoint from, int degrees, int length)
{
    const long double angle = (degrees - 90) * 3.14159265358979323846L / 180;
    return {from.x + std::llrintl(std::cos(angle) * length),
        from.y + std::llrintl(std::sin(angle) * length)};
}

// Figures of a slot whose target stands `shift` px further along its track.
SlotFigures figuresOf(int slot, int shift)
{
    const PixelPoint centre {325, 325};
    const PixelPoint target = along(centre, 60 * slot + shift, 200 + 15 * slot);
    const int course = 70 * slot + 40;
    const PixelPoint meeting = along(target, course, 120 + 20 * slot);
    const PixelPoint wakeEnd = along(meeting, course + 180, 60);
    const PixelPoint wake1 = along(meeting, course + 180, 15);
    const PixelPoint wake3 = along(meeting, course + 180, 45);
    SlotFigures figures;
    figures.track.add({target, meeting, 1});
    figures.track.add({meeting, wakeEnd, 3});
    figures.median.add({centre, meeting, 1});
    const PixelPoint end1 = along(centre, 60 * slot + 25, 290);
    const PixelPoint end3 = along(centre, 60 * slot + 35, 280);
    figures.pair.add({centre, end1, 1});
    figures.pair.add({end1, wake1, 1});
    figures.pair.add({centre, end3, 1});
    figures.pair.add({end3, wake3, 1});
    return figures;
}

void BM_TickRedrawsAllLiveFigures(benchmark::State &state)
{
    Board board;
    std::array<std::array<SlotFigures, SlotCount>, 2> phases;
    for (int phase = 0; phase < 2; ++phase) {
        for (int slot = 1; slot <= SlotCount; ++slot)
            phases[phase][slot - 1] = figuresOf(slot, phase);
    }
    const std::array<StrokeList, 2> vectors {
        OwnShipVector(30, OwnVelocity(30, 12)), OwnShipVector(31, OwnVelocity(31, 12))};
    int phase = 0;
    for (auto _ : state) {
        phase ^= 1;
        LiveFigures &figures = board.figures();
        for (int slot = 1; slot <= SlotCount; ++slot) {
            const SlotFigures &next = phases[phase][slot - 1];
            figures.show(FigureKind::TorpedoPair, slot, BoardColour::Magenta, next.pair);
            figures.show(FigureKind::MedianLine, slot, BoardColour::Red, next.median);
            figures.show(FigureKind::TrackAndWake, slot, BoardColour::Blue, next.track);
        }
        figures.showOwnShipVector(vectors[phase]);
        benchmark::DoNotOptimize(board.canvas().takeChangedArea());
    }
}
BENCHMARK(BM_TickRedrawsAllLiveFigures);

void BM_EraserStep(benchmark::State &state)
{
    Board board;
    board.Image3MouseDown(200, 200, true);
    int x = 200;
    for (auto _ : state) {
        x = x == 200 ? 203 : 200;
        board.Image3MouseMove(x, 200, true, true);
        benchmark::DoNotOptimize(board.canvas().takeChangedArea());
    }
}
BENCHMARK(BM_EraserStep);

} // namespace

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QGuiApplication>(argc, argv);
}
