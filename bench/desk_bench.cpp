// One operator action through the desk's door: applied, journalled, put on the undo stack; and
// its undo in the same second (the plot put back).

#include "bench_main.h"
#include "desk/board_commands.h"
#include "desk/commands.h"
#include "desk/desk.h"
#include "desk/desk_fields.h"
#include "desk/input_commands.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace varmet {
namespace {

struct PlottedDesk
{
    PlottedDesk()
    {
        fields.attach(&desk);
        desk.execute(new EnterValue(desk, Control::LabeledEdit6, 12));
        for (int n = 1; n <= SlotCount; ++n) {
            fields.setSpinValue(Control::SpinEdit2, n);
            desk.execute(new EnterValue(desk, Control::LabeledEdit7, 70 * n));
            desk.execute(new EnterValue(desk, Control::LabeledEdit8, 40 + 15 * n));
            desk.execute(new EnterValue(desk, Control::LabeledEdit9, 300 - 50 * n));
            for (int i = 0; i < 30; ++i)
                desk.cycle().Timer1Timer();
        }
        fields.setSpinValue(Control::SpinEdit2, 1);
    }

    DeskFields fields;
    Desk desk {fields};
};

// A confirmed bearing: the target re-fixed, a fix logged, the journal and the undo stack grow.
void ConfirmedBearing(benchmark::State &bench)
{
    PlottedDesk plot;
    int bearing = 0;
    for (auto _ : bench) {
        plot.desk.execute(new EnterValue(plot.desk, Control::LabeledEdit7, 70 + bearing));
        bearing = (bearing + 1) % 20;
    }
}
BENCHMARK(ConfirmedBearing);

// The same, undone in the same second.
void ConfirmedBearingAndUndo(benchmark::State &bench)
{
    PlottedDesk plot;
    for (auto _ : bench) {
        plot.desk.execute(new EnterValue(plot.desk, Control::LabeledEdit7, 75));
        plot.desk.undo();
    }
}
BENCHMARK(ConfirmedBearingAndUndo);

// One repeat of a held bearing arrow: a step merged into the press's undo item.
void HeldArrowRepeat(benchmark::State &bench)
{
    PlottedDesk plot;
    plot.desk.execute(
        new StepField(plot.desk, Control::LabeledEdit7, StepField::Motion::Press, 1, 71));
    int bearing = 71;
    for (auto _ : bench) {
        bearing = bearing == 359 ? 0 : bearing + 1;
        plot.desk.execute(
            new StepField(plot.desk, Control::LabeledEdit7, StepField::Motion::Repeat, 1, bearing));
    }
}
BENCHMARK(HeldArrowRepeat);

// "Номер п/п" to slot 2 and back: the fields loaded twice, two undo items.
void SlotChoiceThereAndBack(benchmark::State &bench)
{
    PlottedDesk plot;
    for (auto _ : bench) {
        plot.desk.execute(SelectSlot::stepped(plot.desk, 2, 1));
        plot.desk.execute(SelectSlot::stepped(plot.desk, 1, -1));
    }
}
BENCHMARK(SlotChoiceThereAndBack);

// Eraser strokes of a press, 20 moves and the release, each part through the door (the parts
// merge into one action); per part.
void EraserStrokePart(benchmark::State &bench)
{
    PlottedDesk plot;
    int row = 0;
    for (auto _ : bench) {
        const int y = 100 + row;
        plot.desk.execute(new EraserStroke(plot.desk, EraserStroke::Part::Press, 100, y));
        for (int x = 104; x <= 180; x += 4)
            plot.desk.execute(new EraserStroke(plot.desk, EraserStroke::Part::Move, x, y));
        plot.desk.execute(new EraserStroke(plot.desk, EraserStroke::Part::Release, 180, y));
        row = (row + 7) % 400;
    }
    bench.SetItemsProcessed(bench.iterations() * 22);
}
BENCHMARK(EraserStrokePart);

// A label and a grid refresh (each kept as the pixels it changed: the label's box, the whole
// board), each undone.
void LabelUndone(benchmark::State &bench)
{
    PlottedDesk plot;
    for (auto _ : bench) {
        plot.desk.execute(new PutLabel(plot.desk, QStringLiteral("12"), {200, 300}));
        plot.desk.undo();
    }
}
BENCHMARK(LabelUndone);

void GridRefreshUndone(benchmark::State &bench)
{
    PlottedDesk plot;
    for (auto _ : bench) {
        plot.desk.execute(new GridRefresh(plot.desk));
        plot.desk.undo();
    }
}
BENCHMARK(GridRefreshUndone);

// The board's own repaint of the grid, without the door: the most of the cost above.
void GridRepainted(benchmark::State &bench)
{
    PlottedDesk plot;
    for (auto _ : bench)
        plot.desk.board().RefreshGrid();
}
BENCHMARK(GridRepainted);

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    return varmet::RunBenchmarks<QGuiApplication>(argc, argv);
}
