#include "gui/controls.h"

#include "gui/twips.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace Controls {

QFont arial(double points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    // fontconfig maps Arial to a metric-compatible face where Arial is absent.
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void place(QWidget *w, const QRectF &twips)
{
    w->setGeometry(Twips::rect(twips));
}

void place(QWidget *w, double left, double top, double width, double height)
{
    w->setGeometry(Twips::rect(left, top, width, height));
}

QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, const QRectF &twips,
                    const QString &toolTip)
{
    return setUpButton(new QPushButton(text, parent), objectName, twips, toolTip);
}

QPushButton *setUpButton(QPushButton *button, const QString &objectName, const QRectF &twips, const QString &toolTip)
{
    button->setObjectName(objectName);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    place(button, twips);
    return button;
}

void setColours(QWidget *w, const QColor &text, const std::optional<QColor> &background)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    if (background) {
        palette.setColor(QPalette::Window, *background);
        palette.setColor(QPalette::Base, *background);
        palette.setColor(QPalette::Button, *background);
    }
    w->setPalette(palette);
    w->setAutoFillBackground(background.has_value());
}

void setOpaque(QWidget *w, bool opaque)
{
    if (w->autoFillBackground() != opaque) {
        w->setAutoFillBackground(opaque);
        w->update();
    }
}

QLabel *label(QWidget *parent, const QString &objectName, const QString &text, const QRectF &twips, const QFont &font,
              Qt::Alignment alignment, bool wrap)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setFont(font);
    l->setAlignment(alignment | Qt::AlignTop);
    l->setWordWrap(wrap);
    l->setTextFormat(Qt::PlainText);
    place(l, twips);
    return l;
}

QVBoxLayout *scrollingRows(QWidget *window, QBoxLayout *outer, const QString &objectName, const QString &spokenName)
{
    auto *scroll = new QScrollArea(window);
    scroll->setAccessibleName(spokenName);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *list = new QWidget(scroll);
    list->setObjectName(objectName);
    setColours(list, Qt::black, orange());
    auto *rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(list);
    outer->addWidget(scroll, 1);
    return rows;
}

void orderTabStops(QWidget *window, const QList<QWidget *> &regions)
{
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        chain.append(w);
    QList<QWidget *> stops;
    for (QWidget *region : regions) {
        for (QWidget *w : chain) {
            if ((w == region || region->isAncestorOf(w)) && (w->focusPolicy() & Qt::TabFocus) && !stops.contains(w))
                stops.append(w);
        }
    }
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops.at(i - 1), stops.at(i));
}

QTimer *intervalTimer(QObject *parent, const QString &objectName, int milliseconds)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(objectName);
    timer->setInterval(milliseconds);
    return timer;
}

QTimer *changeTimer(QObject *parent, const QString &objectName, int milliseconds)
{
    QTimer *timer = intervalTimer(parent, objectName, milliseconds);
    timer->setSingleShot(true);
    return timer;
}

void runSoon(QTimer *timer)
{
    // Restarting would put the rule off for as long as changes keep coming
    // (a window dragged to a new size).
    if (!timer->isActive())
        timer->start();
}

} // namespace Controls

LineControl::LineControl(QWidget *parent, const QString &objectName, QPointF fromTwips, QPointF toTwips,
                         const QColor &colour, int widthPixels)
    : QWidget(parent)
    , m_colour(colour)
    , m_width(widthPixels)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPointF from(fromTwips / Twips::perPixel);
    const QPointF to(toTwips / Twips::perPixel);
    const double pad = m_width;
    const QRectF box = QRectF(from, to).normalized().adjusted(-pad, -pad, pad, pad);
    setGeometry(box.toAlignedRect());
    m_from = from - pos();
    m_to = to - pos();
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPen pen(m_colour, m_width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(m_from, m_to);
}

ShapeControl::ShapeControl(QWidget *parent, const QString &objectName, Kind kind, const QRectF &twips,
                           const QColor &border, int borderPixels, const std::optional<QColor> &fill)
    : QWidget(parent)
    , m_kind(kind)
    , m_border(border)
    , m_borderWidth(borderPixels)
    , m_fill(fill)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    Controls::place(this, twips);
    lower();
}

void ShapeControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_kind == Kind::Oval);
    QPen pen(m_border, m_borderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(m_fill ? QBrush(*m_fill) : QBrush(Qt::NoBrush));
    // The border is drawn inside the box, as the window system draws shapes.
    const double inset = m_borderWidth / 2.0;
    const QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_kind == Kind::Oval)
        painter.drawEllipse(r);
    else
        painter.drawRect(r);
}
