// Saving and opening a day's session as version 2 (86 400 ticks, five targets with 200 fixes each,
// a busy board, a day's journal), and the journal's cost per operator action.

#include "bench_main.h"
#include "session/journal.h"
#include "session/session_file.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace varmet;

constexpr int DayTicks = 86'400;

SessionData DaySession()
{
    Board board;
    BoardCanvas &canvas = board.canvas();
    // Five relative-motion lines wandering over the board for a day, a time mark every ten
    // minutes, and the live figures of every slot.
    canvas.setPenWidth(2);
    canvas.setPenColor(BoardColour::Blue);
    for (int slot = 0; slot < SlotCount; ++slot) {
        canvas.moveTo(325, 325);
        for (int tick = 1; tick <= DayTicks; ++tick) {
            const double t = tick / 3000.0 + slot;
            canvas.lineTo(std::llrint(325 + 280 * std::sin(t * 1.3) * std::cos(t * 0.7)),
                std::llrint(325 + 280 * std::cos(t * 0.9 + slot)));
            if (tick % 600 == 0)
                canvas.textOut(static_cast<int>(canvas.state().position.x),
                    static_cast<int>(canvas.state().position.y),
                    QString::number(tick / 3600.0, 'f', 1));
        }
    }
    for (int slot = 1; slot <= SlotCount; ++slot) {
        StrokeList strokes;
        strokes.add({{325, 325}, {100 * slot, 600 - 50 * slot}, 1});
        strokes.add({{100 * slot, 600 - 50 * slot}, {120 * slot, 500}, 3});
        board.figures().show(FigureKind::TrackAndWake, slot, BoardColour::Blue, strokes);
        board.figures().show(FigureKind::MedianLine, slot, BoardColour::Red, strokes);
    }
    board.TakeSnapshot();

    SessionData session;
    session.board = board.record();
    FireControlState &s = session.state;
    s.TickCount = DayTicks;
    s.Minutes = DayTicks / 60;
    s.Seconds = 0;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        s.Slots[slot].PosX = 100.25L * slot;
        s.Slots[slot].AcousticBearing = 10 * slot;
        FixLog &log = s.FixLogs[static_cast<std::size_t>(slot - 1)];
        for (int fix = 0; fix < 200; ++fix)
            log.Add({fix * 400, fix % 3 ? FixKind::Bearing : FixKind::Distance, fix % 360 + 0.5L,
                fix % 360 + 0.25L});
    }
    std::vector<OwnLeg> legs;
    for (int leg = 0; leg < 100; ++leg)
        legs.push_back({leg * 800, {leg * 1.5L, leg * -2.25L}, leg * 3.0L, 12});
    s.OwnTrack = OwnShipTrack::FromLegs(legs, DayTicks);
    for (int control = 0; control < 120; ++control)
        session.controls[QStringLiteral("LabeledEdit%1").arg(control)] = QString::number(control);
    // A busy operator: an action a minute, a day long.
    Journal journal;
    for (int tick = 0; tick < DayTicks; ++tick) {
        journal.tick();
        if (tick % 60 == 0)
            journal.action(QStringLiteral("step LabeledEdit7 up %1").arg(tick % 7 + 1));
    }
    session.journal = journal.text();
    return session;
}

const SessionData &Day()
{
    static const SessionData day = DaySession();
    return day;
}

void SaveDaySession(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("day.vsession");
    for (auto _ : state) {
        if (const auto failure = SaveSessionFile(path, Day()))
            state.SkipWithError(failure->toStdString().c_str());
    }
}
BENCHMARK(SaveDaySession)->Unit(benchmark::kMillisecond);

// Reading and checking the file, and putting the board back.
void OpenDaySession(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("day.vsession");
    SaveSessionFile(path, Day());
    Board board;
    for (auto _ : state) {
        SessionData session;
        if (const auto refusal = OpenSessionFile(path, session))
            state.SkipWithError(refusal->toStdString().c_str());
        board.restore(session.board);
        benchmark::DoNotOptimize(session);
    }
}
BENCHMARK(OpenDaySession)->Unit(benchmark::kMillisecond);

// Opening a session with as many own-ship legs as a session may hold (Arg 100 000), and refusing
// one with ten times that (Arg 1 000 000).
void OpenSessionWithManyLegs(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("legs.vsession");
    SessionData many = Day();
    std::vector<OwnLeg> legs;
    for (std::int64_t leg = 0; leg < state.range(0); ++leg)
        legs.push_back({0, {leg * 1.5L, leg * -2.25L}, 3.0L, 12});
    many.state.OwnTrack = OwnShipTrack::FromLegs(legs, DayTicks);
    SaveSessionFile(path, many);
    for (auto _ : state) {
        SessionData session;
        benchmark::DoNotOptimize(OpenSessionFile(path, session));
    }
}
BENCHMARK(OpenSessionWithManyLegs)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// One operator action as the console records it: the line built and appended (a press, a
// repeat merged with the one before, a release that turns the press into a click).
void JournalAction(benchmark::State &state)
{
    Journal journal;
    const QString name = QStringLiteral("LabeledEdit7");
    std::int64_t actions = 0;
    for (auto _ : state) {
        journal.action(QStringLiteral("press %1 %2").arg(name, QStringLiteral("up")));
        journal.repeatable(QStringLiteral("repeat ") + name);
        journal.release(name);
        journal.tick();
        actions += 3;
        if (actions % 300'000 == 0)
            journal.reset();
    }
    state.counters["per_action"] = benchmark::Counter(
        static_cast<double>(actions), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(JournalAction);

} // namespace

int main(int argc, char **argv)
{
    // Texts on the board need the application's fonts.
    return varmet::RunBenchmarks<QGuiApplication>(argc, argv);
}
