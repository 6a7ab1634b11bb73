#pragma once

// Time under the operator's control: pause and resume, and the speeds ×1, ×2, ×5 and ×10, for an
// exercise as for free work. A speed runs that many ticks in each period of the main timer, which
// stays one second: every tick is the same one-second tick of the model, and the journal, which
// counts ticks, replays identically at any speed. The status bar shows the speed or the pause; the
// menu "Время" sets them; each change is journalled ("speed N", "pause", "resume").

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
    static constexpr std::array<int, 4> Speeds {1, 2, 5, 10};

    // Takes the main timer's periods over from the window.
    explicit TimeControl(TForm1 &form);

    int speed() const { return m_speed; }
    bool paused() const { return m_paused; }
    // Returns false (and changes nothing) for a speed not among Speeds.
    bool setSpeed(int speed);
    void pause();
    void resume();

    // One period of the main timer: `speed` ticks, none while paused.
    void period();

private:
    void show();

    TForm1 &m_form;
    int m_speed = 1;
    bool m_paused = false;
    QLabel *m_status;
    QAction *m_pause;
    std::array<QAction *, Speeds.size()> m_speeds {};
};

} // namespace varmet
