#pragma once

// The dock "Обстановка": every target slot on one line (number, bearing, distance, course, speed,
// closest approach and the time to it, the trial solution's light, whether firing is allowed), red
// where a target will pass closer than the limit the operator sets. It shows what the model's
// situation picture computes; it follows the ticks while it is shown. "Анализ" → "Обстановка"
// shows and hides it.

#include "model/situation.h"

#include <QObject>

#include <array>

class QDockWidget;
class QDoubleSpinBox;
class QTableWidget;

namespace varmet {

class TForm1;

class SituationDock : public QObject
{
    Q_OBJECT
public:
    explicit SituationDock(TForm1 &form);

    // The picture now, lights included (whether or not the dock is shown).
    std::array<SlotPicture, SlotCount> Pictures() const;
    // Fills the table from the picture now.
    void Refresh();

    // The danger limit, cables (0.1 .. 100); the operator's change is journalled.
    long double dangerLimit() const;
    void setDangerLimit(long double cables);

    QDockWidget *dock() const { return m_dock; }

    // One slot as the scenario driver prints it: "target SLOT number=N bearing=B distance=D
    // course=C speed=V cpa=X tcpa=M:SS light=green|amber|red|none fire=yes|no".
    static QString DriverLine(const SlotPicture &picture);

private:
    TForm1 &m_form;
    QDockWidget *m_dock;
    QTableWidget *m_table;
    QDoubleSpinBox *m_limit;
};

} // namespace varmet
