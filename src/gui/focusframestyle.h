#pragma once

#include <QProxyStyle>

// The platform's style, with the keyboard's focus on a push button shown by
// a frame in the program's blue, as on the picture buttons: the style's own
// faint outline is hard to see on the windows' orange.
class FocusFrameStyle final : public QProxyStyle
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FocusFrameStyle)

public:
    FocusFrameStyle() = default;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
