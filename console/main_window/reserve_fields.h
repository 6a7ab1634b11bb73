#pragma once

// What the three fields "Delta П", "Delta Д" and "ВИП" show for the selected target: the trial
// solution's miss at the latest bearing and distance fixes, and the rate at which the computed
// bearing turns under the present relative motion.

#include "model/fix_log.h"
#include "model/state.h"

#include <QString>

namespace varmet {

struct ReserveFieldTexts
{
    QString deltaBearing; // "Delta П", whole degrees in -180..180
    QString deltaDistance; // "Delta Д", whole cables
    QString bearingRate; // "ВИП", degrees per minute to one decimal
};

// Empty texts while the log has no fix of the kind ("ВИП": no fix at all); "ВИП" is "—" while the
// target stands at own ship.
ReserveFieldTexts ReserveFields(const TargetSlot &slot, const FixLog &log);

} // namespace varmet
