#pragma once

#include <QWidget>

// Tells a screen reader a short message of the program's own as it is
// shown to the eye: a tag copied, a draft restored, an opening blocked.
// It is an invisible notification that tells it shows with each message, which
// screen readers speak as they speak a desktop notification; a status line
// changing its text is not spoken unless it has the focus.
class SpokenNotice final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpokenNotice)

public:
    explicit SpokenNotice(QWidget *parent);

    void say(const QString &text);
};
