#include "browser/picturebutton.h"

#include <QMouseEvent>

PictureButton::PictureButton(QWidget *parent)
    : QLabel(parent)
{
    setScaledContents(true);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release on the same picture.
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void PictureButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click is no second click: going back
    // one page must not go back two.
    m_pressed = false;
    event->accept();
}

void PictureButton::mouseMoveEvent(QMouseEvent *event)
{
    // Taken here: passed on, the window would take it for its bare
    // background and rest every button.
    event->accept();
    emit pointerMoved();
}

void PictureButton::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit pointerLeft();
}
