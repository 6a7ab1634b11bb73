#pragma once

#include <QIcon>

namespace varmet {

// The eraser button's picture in its two states: a plain eraser while it is up, and an eraser
// leaving a wiped trail while it is down.
QIcon EraserGlyph();

} // namespace varmet
