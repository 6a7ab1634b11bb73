#include "fix_log.h"

#include <algorithm>
#include <iterator>

namespace varmet {

void FixLog::Add(const Fix &fix)
{
    if (m_fixes.size() == Capacity)
        m_fixes.pop_front();
    m_fixes.push_back(fix);
}

void FixLog::Remove(std::size_t index)
{
    if (index < m_fixes.size())
        m_fixes.erase(m_fixes.begin() + static_cast<std::ptrdiff_t>(index));
}

void FixLog::SetEstimate(std::size_t index, bool estimate)
{
    if (index < m_fixes.size())
        m_fixes[index].Estimate = estimate;
}

void FixLog::Clear()
{
    m_fixes.clear();
    NewLegTick.reset();
}

std::optional<Fix> FixLog::LatestOf(FixKind kind) const
{
    const auto found = std::find_if(
        m_fixes.rbegin(), m_fixes.rend(), [kind](const Fix &fix) { return fix.Kind == kind; });
    if (found == m_fixes.rend())
        return std::nullopt;
    return *found;
}

} // namespace varmet
