#pragma once

#include <QLabel>

// A picture used as a button: it reports clicks and the pointer moving over
// it, and shows whatever picture it is given, stretched to its size.
class PictureButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget *parent = nullptr);

signals:
    void clicked();
    void pointerMoved();
    // The pointer left the picture, however fast: no move over the window's
    // background need follow.
    void pointerLeft();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_pressed = false;
};
