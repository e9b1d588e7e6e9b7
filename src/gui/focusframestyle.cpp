#include "gui/focusframestyle.h"

#include "gui/controls.h"

#include <QPainter>
#include <QStyleOption>

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Only focus that came by keyboard is framed, as on the picture buttons.
    const QStyle::State keyboardFocus = State_HasFocus | State_KeyboardFocusChange;
    if (element != CE_PushButton || (option->state & keyboardFocus) != keyboardFocus)
        return;
    constexpr int width = 2;
    painter->save();
    painter->setPen(QPen(Controls::blue(), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter->setBrush(Qt::NoBrush);
    const qreal inset = width / 2.0;
    painter->drawRect(QRectF(option->rect).adjusted(inset, inset, -inset, -inset));
    painter->restore();
}
