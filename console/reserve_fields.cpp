#include "reserve_fields.h"

#include "analysis_texts.h"

#include "analysis/bearing_analysis.h"
#include "model/number_text.h"

#include <cmath>

namespace varmet {

ReserveFieldTexts ReserveFields(const TargetSlot &slot, const FixLog &log)
{
    ReserveFieldTexts texts;
    if (log.Fixes().empty())
        return texts;
    if (const auto fix = log.LatestOf(FixKind::Bearing))
        texts.deltaBearing
            = QString::fromStdString(WholeText(FoldBearing(fix->Value - fix->Expected)));
    if (const auto fix = log.LatestOf(FixKind::Distance))
        texts.deltaDistance = QString::fromStdString(WholeText(fix->Value - fix->Expected));
    // A rate beyond any display (a target a hair's breadth from own ship) is none either.
    const std::optional<long double> rate = BearingRateDegreesPerMinute(slot);
    texts.bearingRate = rate && std::fabs(*rate) < 1e9L ? FixedText(*rate, 1) : QStringLiteral("—");
    return texts;
}

} // namespace varmet
