#include "fix_recorder.h"

#include <utility>

namespace varmet {

namespace {

constexpr int TicksToSettle = 2;

std::size_t index(int number)
{
    return static_cast<std::size_t>(number - 1);
}

std::size_t index(FixKind kind)
{
    return static_cast<std::size_t>(kind);
}

} // namespace

FixRecorder::FixRecorder(std::array<FixLog, SlotCount> &logs)
    : m_logs(logs)
{ }

void FixRecorder::Entered(int number, FixKind kind, long double value,
    std::optional<long double> expected, std::int32_t tick, bool estimate)
{
    std::optional<PendingFix> &pending = m_pending[index(number)][index(kind)];
    if (pending) {
        expected = pending->fix.Expected;
        estimate = pending->fix.Estimate;
    }
    pending = PendingFix {{tick, kind, value, expected, estimate}, 0, ++m_entries};
}

void FixRecorder::Tick()
{
    for (int number = 1; number <= SlotCount; ++number) {
        for (std::optional<PendingFix> &pending : m_pending[index(number)]) {
            if (pending)
                ++pending->ticksStood;
        }
        commitSlot(number, false);
    }
}

void FixRecorder::CommitAll()
{
    for (int number = 1; number <= SlotCount; ++number)
        commitSlot(number, true);
}

void FixRecorder::Forget(int number)
{
    m_pending[index(number)] = {};
}

std::optional<Fix> FixRecorder::Pending(int number, FixKind kind) const
{
    const std::optional<PendingFix> &pending = m_pending[index(number)][index(kind)];
    if (!pending)
        return std::nullopt;
    return pending->fix;
}

void FixRecorder::commitSlot(int number, bool all)
{
    SlotPending &slot = m_pending[index(number)];
    const auto ready = [all](const std::optional<PendingFix> &pending) {
        return pending && (all || pending->ticksStood >= TicksToSettle);
    };
    auto &bearing = slot[index(FixKind::Bearing)];
    auto &distance = slot[index(FixKind::Distance)];
    // Both may settle at one tick: the one entered first goes first.
    if (ready(bearing) && ready(distance) && distance->order < bearing->order) {
        commit(number, distance);
        commit(number, bearing);
        return;
    }
    if (ready(bearing))
        commit(number, bearing);
    if (ready(distance))
        commit(number, distance);
}

void FixRecorder::commit(int number, std::optional<PendingFix> &pending)
{
    m_logs[index(number)].Add(pending->fix);
    pending.reset();
}

} // namespace varmet
