#pragma once

// The settings of the work beside the plot that a session keeps: the danger limit of the
// situation ("Опасная дистанция", cables) and the flow of time (speed and pause). The windows
// show them; the operator changes them through the desk's commands.

#include <QObject>

#include <algorithm>
#include <array>

namespace varmet {

class WorkSettings : public QObject
{
    Q_OBJECT
public:
    static constexpr double DefaultDangerLimit = 5;
    static constexpr double MinDangerLimit = 0.1;
    static constexpr double MaxDangerLimit = 100;
    // Ticks per second of the main timer.
    static constexpr std::array<int, 4> Speeds {1, 2, 5, 10};

    static bool IsSpeed(int speed)
    {
        return std::find(Speeds.begin(), Speeds.end(), speed) != Speeds.end();
    }

    double dangerLimit() const { return m_dangerLimit; }
    void setDangerLimit(double cables);
    int speed() const { return m_speed; }
    bool paused() const { return m_paused; }
    // A speed not among Speeds is ignored (the caller checks).
    void setSpeed(int speed);
    void setPaused(bool paused);

signals:
    void dangerLimitChanged();
    void timeChanged();

private:
    double m_dangerLimit = DefaultDangerLimit;
    int m_speed = 1;
    bool m_paused = false;
};

} // namespace varmet
