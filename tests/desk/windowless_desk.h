#pragma once

// What the desk's tests share: a desk without any window (its fields kept by DeskFields), and the
// operator's plainest actions on it.

#include "desk/commands.h"
#include "desk/desk.h"
#include "desk/desk_fields.h"

namespace varmet::testing {

// A target's first reports, each confirmed in its field of the slot shown.
struct FirstReports
{
    int ownSpeed; // knots
    int bearing; // degrees
    int cables;
    int course; // degrees
    int speed; // knots
};

class WindowlessDesk
{
public:
    WindowlessDesk() { fields.attach(&desk); }

    // `n` ticks of the cycle, unseen by the journal (a console journals its ticks itself).
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            desk.cycle().Timer1Timer();
    }
    void enter(Control field, int value) { desk.execute(new EnterValue(desk, field, value)); }
    void report(const FirstReports &target)
    {
        enter(Control::LabeledEdit6, target.ownSpeed);
        enter(Control::LabeledEdit7, target.bearing);
        enter(Control::LabeledEdit8, target.cables);
        enter(Control::LabeledEdit9, target.course);
        enter(Control::LabeledEdit1, target.speed);
    }
    const FixLog &log(int slot = 1) const
    {
        return desk.state().FixLogs[static_cast<std::size_t>(slot - 1)];
    }

    DeskFields fields;
    Desk desk {fields};
};

} // namespace varmet::testing
