#pragma once

// The caption of a field: a label that stands 3 px above the field's top edge, at its left end,
// and follows the field wherever it is placed.

#include <QLabel>

namespace varmet {

class FieldCaption : public QLabel
{
    Q_OBJECT
public:
    // Created beside `field`, in the field's parent.
    FieldCaption(const QString &text, QWidget *field);

    static constexpr int Spacing = 3;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    QWidget *m_field;
};

} // namespace varmet
