#include "screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace varmet {

namespace {

// The place along one axis: the preferred offset from the start while the window fits there,
// else as far toward the start as needed, down to the start itself.
int Place(int preferred, int length, int start, int available)
{
    return start + std::clamp(preferred, 0, std::max(0, available - length));
}

QRect ScreenAreaOf(const QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

QRect FitOnScreen(QSize client, QMargins frame, QPoint preferred, const QRect &available)
{
    const QSize outer = client.grownBy(frame).boundedTo(available.size());
    return {Place(preferred.x(), outer.width(), available.left(), available.width()),
        Place(preferred.y(), outer.height(), available.top(), available.height()), outer.width(),
        outer.height()};
}

std::function<QRect(const QWidget &window)> AvailableScreenArea = ScreenAreaOf;

} // namespace varmet
