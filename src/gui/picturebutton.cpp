#include "gui/picturebutton.h"

#include "gui/focusframestyle.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

PictureButton::PictureButton(QWidget *parent)
    : QAbstractButton(parent)
{
    // Tab only: a click leaves the focus where the member was writing.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    // Redrawn as the pointer comes and goes, however fast it left.
    setAttribute(Qt::WA_Hover);
}

QIcon::Mode PictureButton::pictureMode() const
{
    if (!isEnabled())
        return QIcon::Disabled;
    return isDown() || underMouse() ? QIcon::Active : QIcon::Normal;
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!icon().isNull())
        painter.drawPixmap(rect(), icon().pixmap(size(), devicePixelRatioF(), pictureMode()));
    if (!text().isEmpty())
        style()->drawItemText(&painter, rect(), Qt::AlignHCenter | Qt::AlignTop, palette(), isEnabled(), text(),
                              foregroundRole());
    if (showsFocusFrame())
        FocusFrameStyle::drawFrame(&painter, rect());
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    // Space is the button's own; Enter and Return press it as they press a
    // dialog's button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click is no second click: going back
    // one page must not go back two.
    setDown(false);
    event->accept();
}

void PictureButton::focusInEvent(QFocusEvent *event)
{
    // Coming back with its window, the focus keeps the frame it had.
    if (event->reason() != Qt::ActiveWindowFocusReason)
        m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason
            || event->reason() == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}
