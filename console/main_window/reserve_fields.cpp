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
    // The fix that made the slot a target had nothing to miss: no value.
    const auto miss = [&log](FixKind kind, auto text) {
        const auto fix = log.LatestOf(kind);
        if (!fix)
            return QString();
        return fix->Expected ? text(fix->Value - *fix->Expected) : QStringLiteral("—");
    };
    texts.deltaBearing = miss(FixKind::Bearing,
        [](long double d) { return QString::fromStdString(WholeText(FoldBearing(d))); });
    texts.deltaDistance = miss(
        FixKind::Distance, [](long double d) { return QString::fromStdString(WholeText(d)); });
    // A rate beyond any display (a target a hair's breadth from own ship) is none either.
    const std::optional<long double> rate = BearingRateDegreesPerMinute(slot);
    texts.bearingRate = rate && std::fabs(*rate) < 1e9L ? FixedText(*rate, 1) : QStringLiteral("—");
    return texts;
}

} // namespace varmet
