#pragma once

// Where a window goes on the screen: at its usual place and size when the screen has room for
// them, else moved toward the screen's top-left corner and, only where even that is not enough,
// made smaller; never larger than the part of the screen windows may take.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace varmet {

// The outer frame for a window whose client area wants `client` and whose frame adds `frame`,
// preferably with its top-left `preferred` away from the top-left of the screen's free area
// `available`.
QRect FitOnScreen(QSize client, QMargins frame, QPoint preferred, const QRect &available);

// The free area of the screen a window is on (without task bars and panels). Replaceable, so
// that tests can show the windows a screen of any size.
extern std::function<QRect(const QWidget &window)> AvailableScreenArea;

} // namespace varmet
