#include "time_control.h"

#include "ugredit.h"

#include "desk/input_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace varmet {

TimeControl::TimeControl(TForm1 &form)
    : QObject(&form)
    , m_form(form)
    , m_status(new QLabel(form.statusBar()))
    , m_pause(new QAction(QStringLiteral("&Пауза"), this))
{
    m_status->setObjectName("TimeStatus");
    m_status->setToolTip(QStringLiteral("Ход времени: скорость или пауза (меню «Время»)"));
    form.statusBar()->addPermanentWidget(m_status);

    QMenu *menu = form.addRoomMenu(QStringLiteral("&Время"), "MTime");
    m_pause->setObjectName("MPause");
    m_pause->setCheckable(true);
    m_pause->setShortcut(Qt::Key_F7);
    menu->addAction(m_pause);
    connect(m_pause, &QAction::triggered, this, [this](bool on) { on ? pause() : resume(); });
    menu->addSeparator();
    auto *group = new QActionGroup(this);
    for (std::size_t i = 0; i < Speeds.size(); ++i) {
        const int speed = Speeds[i];
        QAction *action = menu->addAction(QStringLiteral("Скорость ×%1").arg(speed));
        action->setObjectName(QStringLiteral("MSpeed%1").arg(speed));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, speed] { setSpeed(speed); });
        m_speeds[i] = action;
    }

    // The window's own connection gives way to the periods counted here.
    if (auto *timer = form.findChild<QTimer *>(QStringLiteral("Timer1"))) {
        disconnect(timer, &QTimer::timeout, &form, &TForm1::Timer1Timer);
        connect(timer, &QTimer::timeout, this, &TimeControl::period);
    }
    // A session opened or the start-up state put back may change the flow of time.
    connect(&form.desk().work(), &WorkSettings::timeChanged, this, &TimeControl::show);
    show();
}

int TimeControl::speed() const
{
    return m_form.desk().work().speed();
}

bool TimeControl::paused() const
{
    return m_form.desk().work().paused();
}

bool TimeControl::setSpeed(int speed)
{
    if (!WorkSettings::IsSpeed(speed))
        return false;
    if (speed != this->speed())
        m_form.perform(SetTimeFlow::speed(m_form.desk(), speed));
    show();
    return true;
}

void TimeControl::pause()
{
    if (!paused())
        m_form.perform(SetTimeFlow::pause(m_form.desk(), true));
    show();
}

void TimeControl::resume()
{
    if (paused())
        m_form.perform(SetTimeFlow::pause(m_form.desk(), false));
    show();
}

void TimeControl::period()
{
    if (paused())
        return;
    for (int i = speed(); i > 0; --i)
        m_form.Timer1Timer();
}

void TimeControl::show()
{
    const int now = speed();
    m_status->setText(paused() ? QStringLiteral("Время: пауза (×%1)").arg(now)
                               : QStringLiteral("Время: ×%1").arg(now));
    m_pause->setChecked(paused());
    for (std::size_t i = 0; i < Speeds.size(); ++i)
        m_speeds[i]->setChecked(Speeds[i] == now);
}

} // namespace varmet
