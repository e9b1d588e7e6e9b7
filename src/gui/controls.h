#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>

class QBoxLayout;
class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;

// Small helpers shared by every window: colours, fonts and placing controls
// at their twips positions.
namespace Controls {

// The colours the windows share, each defined here once.
inline QColor orange()
{
    return {255, 128, 0};
} // every window's background
inline QColor blue()
{
    return {0, 0, 255};
} // frames and headings
inline QColor darkBlue()
{
    return {0, 0, 192};
} // captions and step marks
inline QColor red()
{
    return {255, 0, 0};
} // titles and "Attesa..."
inline QColor yellow()
{
    return {255, 255, 0};
} // marks that must stand out

// Arial at a point size given with decimals (8.25, 9.75 ...).
QFont arial(double points, bool bold = false);

// Places w at a rectangle given in twips, relative to its parent.
void place(QWidget *w, const QRectF &twips);
void place(QWidget *w, double left, double top, double width, double height);

// A push button, named for tests to find, placed in twips.
QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, const QRectF &twips,
                    const QString &toolTip = {});
// The same for a button of another kind, made by the caller.
QPushButton *setUpButton(QPushButton *button, const QString &objectName, const QRectF &twips,
                         const QString &toolTip = {});

// Text colour and, when given, an opaque background.
void setColours(QWidget *w, const QColor &text, const std::optional<QColor> &background = {});

// Shows or hides the opaque background set with setColours.
void setOpaque(QWidget *w, bool opaque);

// A plain label: transparent background, no word wrap unless asked.
QLabel *label(QWidget *parent, const QString &objectName, const QString &text, const QRectF &twips, const QFont &font,
              Qt::Alignment alignment = Qt::AlignLeft, bool wrap = false);

// A list of rows that scrolls, on the windows' orange, at the bottom of
// outer: the rows go in the layout it returns. It takes the focus to scroll
// by keys, so it has a name for screen readers.
QVBoxLayout *scrollingRows(QWidget *window, QBoxLayout *outer, const QString &objectName, const QString &spokenName);

// Puts the Tab stops of window's regions one after another in the order
// given, each region's own stops in the order they had; the stops follow
// one another from where the first region's first stop was.
void orderTabStops(QWidget *window, const QList<QWidget *> &regions);

// An interval timer, stopped, named for tests to find.

QTimer *intervalTimer(QObject *parent, const QString &objectName, int milliseconds);

// A rule that runs after changes: a single-shot timer, stopped, named for
// tests to find. runSoon starts it unless it is due already, so the changes
// of one moment run the rule once, and nothing runs it while nothing changes.
QTimer *changeTimer(QObject *parent, const QString &objectName, int milliseconds);
void runSoon(QTimer *timer);

} // namespace Controls

// A straight line drawn on its parent's background. Mouse events pass
// through it, as they would over the bare background.
class LineControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineControl)

public:
    LineControl(QWidget *parent, const QString &objectName, QPointF fromTwips, QPointF toTwips, const QColor &colour,
                int widthPixels);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointF m_from;
    QPointF m_to;
    QColor m_colour;
    int m_width = 1;
};

// A rectangle or an oval (circle) drawn on its parent's background, below
// the controls placed over it.
class ShapeControl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShapeControl)

public:
    enum class Kind { Rectangle, Oval };

    ShapeControl(QWidget *parent, const QString &objectName, Kind kind, const QRectF &twips, const QColor &border,
                 int borderPixels, const std::optional<QColor> &fill);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind;
    QColor m_border;
    int m_borderWidth;
    std::optional<QColor> m_fill;
};
