#pragma once

// Turns the operator's entries into fixes. An entry of the bearing or the distance makes its value
// the slot's pending fix of that kind; the fix enters the slot's log once the field has stayed as
// it is through two ticks, so that stepping through fifteen values within a second, or holding an
// arrow, gives one fix for the value the operator settled on. A typed and confirmed value enters
// at once.

#include "model/fix_log.h"
#include "model/state.h"

#include <array>
#include <cstdint>
#include <optional>

namespace varmet {

class FixRecorder
{
public:
    explicit FixRecorder(std::array<FixLog, SlotCount> &logs);

    // An entry of slot `number` (1..5) at tick `tick`. `expected` is what the trial solution showed
    // just before the entry moved the target; while a fix of that kind is still pending, the first
    // entry's expectation stands, as the later ones follow the operator's own stepping. So does
    // its `estimate` (a distance only guessed).
    void Entered(int number, FixKind kind, long double value, std::optional<long double> expected,
        std::int32_t tick, bool estimate = false);

    // At the start of every tick: the pending fixes that have stood through two ticks enter
    // their logs.
    void Tick();
    // Every pending fix enters its log now (a typed value confirmed by the operator).
    void CommitAll();
    // Slot `number`'s pending fixes are dropped (its log was cleared).
    void Forget(int number);

    std::optional<Fix> Pending(int number, FixKind kind) const;

    struct PendingFix
    {
        Fix fix;
        int ticksStood = 0;
        std::uint64_t order = 0; // entry order, so that fixes enter the log as they were made
    };
    using SlotPending = std::array<std::optional<PendingFix>, 2>; // by FixKind
    // The pending fixes as they stand, for a session to write out and put back.
    struct Snapshot
    {
        std::array<SlotPending, SlotCount> pending {};
        std::uint64_t entries = 0;
    };
    Snapshot snapshot() const { return {m_pending, m_entries}; }
    void restore(const Snapshot &snapshot)
    {
        m_pending = snapshot.pending;
        m_entries = snapshot.entries;
    }

private:
    void commit(int number, std::optional<PendingFix> &pending);
    void commitSlot(int number, bool all);

    std::array<FixLog, SlotCount> &m_logs;
    std::array<SlotPending, SlotCount> m_pending {};
    std::uint64_t m_entries = 0;
};

} // namespace varmet
