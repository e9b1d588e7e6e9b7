#pragma once

#include <QList>
#include <QObject>

class PictureButton;
class QWidget;

// The six picture buttons over the forum view. Each rests, and lights up
// while the pointer is over it or it is pressed.
class NavigationBar final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NavigationBar)

public:
    static constexpr int buttonCount = 6;

    // Creates the buttons on window.
    explicit NavigationBar(QWidget *window);

    PictureButton *button(int index) const { return m_imgNavy.at(index); }

signals:
    void buttonClicked(int Index);

private:
    QList<PictureButton *> m_imgNavy;
};
