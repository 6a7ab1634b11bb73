#pragma once

// The operator's manual shown in the help window: 19 numbered sections, each beginning with
// "N.<tab>", list items beginning with "·<tab>".

#include <QString>

namespace varmet {

QString operatorManualText();

} // namespace varmet
