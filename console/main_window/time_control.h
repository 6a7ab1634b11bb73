#pragma once

// Time under the operator's control: pause and resume, and the speeds ×1, ×2, ×5 and ×10, for an
// exercise as for free work. A speed runs that many ticks in each period of the main timer, which
// stays one second: every tick is the same one-second tick of the model, and the journal, which
// counts ticks, replays identically at any speed. The status bar shows the speed or the pause; the
// menu "Время" sets them; each change is journalled ("speed N", "pause", "resume").

#include "desk/work_settings.h"

#include <QObject>

#include <array>

class QAction;
class QLabel;
class QTimer;

namespace varmet {

class TForm1;

class TimeControl : public QObject
{
    Q_OBJECT
public:
    static constexpr std::array<int, 4> Speeds = WorkSettings::Speeds;

    // Takes the main timer's periods over from the window.
    explicit TimeControl(TForm1 &form);

    // The desk's flow of time, which the status bar and the menu show.
    int speed() const;
    bool paused() const;
    // The operator's changes, through the desk. Returns false (and changes nothing) for a speed
    // not among Speeds.
    bool setSpeed(int speed);
    void pause();
    void resume();

    // One period of the main timer: `speed` ticks, none while paused.
    void period();

private:
    void show();

    TForm1 &m_form;
    QLabel *m_status;
    QAction *m_pause;
    std::array<QAction *, Speeds.size()> m_speeds {};
};

} // namespace varmet
