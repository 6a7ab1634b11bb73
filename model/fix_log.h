#pragma once

// The operator's fixes of one target: the bearings and distances the operator settled on, with the
// tick of each, for the bearing analysis. The log belongs to its slot and survives slot switching.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace varmet {

enum class FixKind : std::uint8_t { Bearing, Distance };

struct Fix
{
    std::int32_t Tick = 0; // TickCount of the entry
    FixKind Kind = FixKind::Bearing;
    long double Value = 0; // degrees (0..359) or cables, as entered
    // The computed bearing ("П автоматный", degrees) or distance (cables) just before the fix moved
    // the target: what the trial solution expected there. None for the fix that made the slot a
    // target, when nothing was plotted to expect.
    std::optional<long double> Expected;
    // A distance the operator only guessed (the one that first placed the target, unless marked
    // otherwise): kept and shown, but the fit takes measurements only.
    bool Estimate = false;

    friend bool operator==(const Fix &, const Fix &) = default;
};

class FixLog
{
public:
    static constexpr std::size_t Capacity = 500;

    // Appends a fix; at capacity the oldest one goes.
    void Add(const Fix &fix);
    // Removes the fix at `index` (an outlier); an index past the end does nothing.
    void Remove(std::size_t index);
    void Clear();
    // Marks the fix at `index` as an estimate or a measurement; an index past the end does nothing.
    void SetEstimate(std::size_t index, bool estimate);

    const std::deque<Fix> &Fixes() const { return m_fixes; }
    std::optional<Fix> LatestOf(FixKind kind) const;

    // "Новый галс": the tick from which the fixes describe the target's present leg; the fixes
    // before it are kept but not used by the fit.
    std::optional<std::int32_t> NewLegTick;

private:
    std::deque<Fix> m_fixes;
};

} // namespace varmet
