#include "time_control.h"

#include "ugredit.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
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

    auto *menu = new QMenu(QStringLiteral("&Время"), &form);
    menu->setObjectName("MTime");
    menu->menuAction()->setObjectName("MTime");
    if (auto *help = form.findChild<QMenu *>(QStringLiteral("N3")))
        form.menuBar()->insertMenu(help->menuAction(), menu);
    else
        form.menuBar()->addMenu(menu);
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
    show();
}

bool TimeControl::setSpeed(int speed)
{
    if (std::find(Speeds.begin(), Speeds.end(), speed) == Speeds.end())
        return false;
    if (speed != m_speed) {
        m_speed = speed;
        m_form.journal().action(QStringLiteral("speed %1").arg(speed));
    }
    show();
    return true;
}

void TimeControl::pause()
{
    if (!m_paused) {
        m_paused = true;
        m_form.journal().action(QStringLiteral("pause"));
    }
    show();
}

void TimeControl::resume()
{
    if (m_paused) {
        m_paused = false;
        m_form.journal().action(QStringLiteral("resume"));
    }
    show();
}

void TimeControl::period()
{
    if (m_paused)
        return;
    for (int i = 0; i < m_speed; ++i)
        m_form.Timer1Timer();
}

void TimeControl::show()
{
    m_status->setText(m_paused ? QStringLiteral("Время: пауза (×%1)").arg(m_speed)
                               : QStringLiteral("Время: ×%1").arg(m_speed));
    m_pause->setChecked(m_paused);
    for (std::size_t i = 0; i < Speeds.size(); ++i)
        m_speeds[i]->setChecked(Speeds[i] == m_speed);
}

} // namespace varmet
