#pragma once

#include <QPushButton>

class QMovie;

// A push button showing an animated picture behind its caption. The picture
// moves while the pointer is over the button and it can be pressed; an idle
// window stays still instead of redrawing itself ten times a second.
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
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void updateAnimation();

    QMovie *m_movie = nullptr;
};
