#pragma once

// What a control shows: its text and its background colour, the same way for every kind of
// control the window has.

#include <QRgb>
#include <QString>

class QWidget;

namespace varmet {

// The text of an edit, a spin field (as typed), a label or a button; empty for other widgets.
QString shownText(const QWidget *control);

// The colour of an edit field's inside, or of the background of any other control.
QRgb shownBackground(const QWidget *control);

} // namespace varmet
