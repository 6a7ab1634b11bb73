#include "work_settings.h"

namespace varmet {

void WorkSettings::setDangerLimit(double cables)
{
    if (cables == m_dangerLimit)
        return;
    m_dangerLimit = cables;
    emit dangerLimitChanged();
}

void WorkSettings::setSpeed(int speed)
{
    if (speed == m_speed || !IsSpeed(speed))
        return;
    m_speed = speed;
    emit timeChanged();
}

void WorkSettings::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    emit timeChanged();
}

} // namespace varmet
