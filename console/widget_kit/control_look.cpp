#include "control_look.h"

#include "labeled_edit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>

namespace varmet {

QString shownText(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *spin = qobject_cast<const QAbstractSpinBox *>(control))
        return spin->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    return {};
}

QRgb shownBackground(const QWidget *control)
{
    if (auto *edit = qobject_cast<const LabeledEdit *>(control))
        return edit->background().rgb();
    return control->palette().color(control->backgroundRole()).rgb();
}

} // namespace varmet
