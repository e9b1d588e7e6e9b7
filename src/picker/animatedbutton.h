#pragma once

#include <QPushButton>

class QMovie;

// A push button showing an animated picture behind its caption. The picture
// moves only while the button can be pressed, so an idle window does not
// repaint ten times a second for nothing.
class AnimatedButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnimatedButton)

public:
    AnimatedButton(const QString &caption, const QString &movieFile, QWidget *parent = nullptr);

    QMovie *movie() const { return m_movie; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateAnimation();

    QMovie *m_movie = nullptr;
};
