#include "picker/animatedbutton.h"

#include <QEvent>
#include <QMovie>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

AnimatedButton::AnimatedButton(const QString &caption, const QString &movieFile, QWidget *parent)
    : QPushButton(caption, parent)
    , m_movie(new QMovie(movieFile, QByteArray(), this))
{
    m_movie->setCacheMode(QMovie::CacheAll);
    m_movie->jumpToFrame(0);
    connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
}

void AnimatedButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    // The picture is larger than the button: it is drawn centred and scaled
    // down to fit, the caption over it.
    const QPixmap frame = m_movie->currentPixmap();
    if (!frame.isNull()) {
        const QRect area = rect().adjusted(2, 2, -2, -2);
        const QSize size = frame.size().scaled(area.size(), Qt::KeepAspectRatio);
        QRect target(QPoint(), size);
        target.moveCenter(area.center());
        painter.setOpacity(isEnabled() ? 1.0 : 0.35);
        painter.drawPixmap(target, frame);
        painter.setOpacity(1.0);
    }
    option.text = caption;
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}

void AnimatedButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateAnimation();
}

void AnimatedButton::showEvent(QShowEvent *event)
{
    QPushButton::showEvent(event);
    updateAnimation();
}

void AnimatedButton::hideEvent(QHideEvent *event)
{
    QPushButton::hideEvent(event);
    updateAnimation();
}

void AnimatedButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    updateAnimation();
}

void AnimatedButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    updateAnimation();
}

void AnimatedButton::updateAnimation()
{
    const bool animate = isEnabled() && isVisible() && underMouse();
    if (animate && m_movie->state() == QMovie::NotRunning)
        m_movie->start();
    else if (m_movie->state() != QMovie::NotRunning)
        m_movie->setPaused(!animate);
}
