#pragma once

#include <QColor>
#include <QProxyStyle>

class QPainter;

// The platform's style, with the keyboard's focus on a push button shown by
// a frame of the program's own: the style's faint outline is hard to see on
// the windows' orange. The frame is black, which stands out from the orange
// (over 8:1) and cannot be taken for the blue lines that divide the windows.
class FocusFrameStyle final : public QProxyStyle
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FocusFrameStyle)

public:
    FocusFrameStyle() = default;

    static QColor frameColour() { return Qt::black; }
    static constexpr int frameWidth = 2;
    // The frame, drawn inside rect.
    static void drawFrame(QPainter *painter, const QRect &rect);
    // Whether widget has the focus and it came by keyboard, as the style
    // decides for the controls it frames.
    static bool hasKeyboardFocus(const QWidget *widget);
    // Frames widget just outside its edges while it has the keyboard's focus:
    // for lists and scrolling areas, whose contents cover anything drawn on
    // the widget itself. Once for each widget.
    static void frameWhileFocused(QWidget *widget);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
