// One operator action through the desk's door: applied, journalled, put on the undo stack; and
// its undo in the same second (the plot put back).

#include "desk/commands.h"
#include "desk/desk.h"
#include "desk/desk_fields.h"

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

} // namespace
} // namespace varmet

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
