#pragma once

#include <QList>
#include <QObject>

class PictureButton;
class QLabel;
class QWidget;

// The six picture buttons over the forum view. Each has a resting and a lit
// picture, kept in hidden pictures beside it; the button under the pointer
// is lit and the others rest.
class NavigationBar final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NavigationBar)

public:
    static constexpr int buttonCount = 6;

    // Creates the buttons and their hidden pictures on window.
    explicit NavigationBar(QWidget *window);

    PictureButton *button(int index) const { return m_imgNavy.at(index); }

    // Lights button Index and rests the others.
    void imgNavy_MouseMove(int Index);
    // Rests every button: the pointer is over the bare window.
    void restAll();

signals:
    void buttonClicked(int Index);

private:
    QList<PictureButton *> m_imgNavy;
    QList<QLabel *> m_imgOn;
    QList<QLabel *> m_imgOff;
};
