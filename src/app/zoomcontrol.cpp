#include "app/zoomcontrol.h"

#include "gui/webview.h"

#include <QApplication>
#include <QSettings>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array levels = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                               1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};
const QString settingKey = QStringLiteral("forum/zoom");

} // namespace

ZoomControl::ZoomControl(WebView *view, QObject *parent)
    : QObject(parent)
    , m_view(view)
{
    const double saved = QSettings().value(settingKey, 1.0).toDouble();
    m_view->setZoomFactor(std::clamp(saved, levels.front(), levels.back()));
    // The wheel reaches the engine's own widget inside the view, which
    // would take it; it is seen here first.
    qApp->installEventFilter(this);
}

void ZoomControl::step(int direction)
{
    const double now = m_view->zoomFactor();
    double next = now;
    if (direction > 0) {
        const auto above = std::upper_bound(levels.begin(), levels.end(), now + 0.001);
        if (above != levels.end())
            next = *above;
    } else {
        const auto below = std::lower_bound(levels.begin(), levels.end(), now - 0.001);
        if (below != levels.begin())
            next = *(below - 1);
    }
    apply(next);
}

void ZoomControl::apply(double factor)
{
    m_view->setZoomFactor(factor);
    QSettings().setValue(settingKey, factor);
}

bool ZoomControl::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (wheel->modifiers().testFlag(Qt::ControlModifier) && widget
            && (widget == m_view || m_view->isAncestorOf(widget))) {
            if (const int delta = wheel->angleDelta().y(); delta != 0)
                step(delta > 0 ? +1 : -1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
