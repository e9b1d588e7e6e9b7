#include "gui/focusframestyle.h"

#include <QEvent>
#include <QFocusFrame>
#include <QPainter>
#include <QStyleOption>

namespace {

// Sits under its widget, as far out as the frame is wide, and shows only
// while the widget has the keyboard's focus. Being a focus frame, it is no
// control of the window for a screen reader.
class FocusRing final : public QFocusFrame
{
public:
    explicit FocusRing(QWidget *widget)
        : QFocusFrame(widget->parentWidget())
        , m_widget(widget)
    {
        setObjectName(QStringLiteral("cornice"));
        setWidget(widget);
        follow();
        connect(widget, &QObject::destroyed, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool filtered = QFocusFrame::eventFilter(watched, event);
        // The base shows the frame with its widget; the focus decides.
        if (watched == m_widget) {
            switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::Show:
            case QEvent::ParentChange:
            case QEvent::StyleChange:
                follow();
                break;
            default:
                break;
            }
        }
        return filtered;
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        FocusFrameStyle::drawFrame(&painter, rect());
    }

private:
    void follow() { setVisible(FocusFrameStyle::hasKeyboardFocus(m_widget)); }

    QWidget *m_widget;
};

} // namespace

void FocusFrameStyle::drawFrame(QPainter *painter, const QRect &rect)
{
    painter->save();
    painter->setPen(QPen(frameColour(), frameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter->setBrush(Qt::NoBrush);
    const qreal inset = frameWidth / 2.0;
    painter->drawRect(QRectF(rect).adjusted(inset, inset, -inset, -inset));
    painter->restore();
}

bool FocusFrameStyle::hasKeyboardFocus(const QWidget *widget)
{
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void FocusFrameStyle::frameWhileFocused(QWidget *widget)
{
    // The ring lives beside the widget, in its parent; a window has none.
    if (!widget->isWindow())
        new FocusRing(widget);
}

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Only focus that came by keyboard is framed, as on the picture buttons.
    const QStyle::State keyboardFocus = State_HasFocus | State_KeyboardFocusChange;
    if (element == CE_PushButton && (option->state & keyboardFocus) == keyboardFocus)
        drawFrame(painter, option->rect);
}
