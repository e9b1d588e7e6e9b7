#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several centred lines, as the help
// menu's long questions need; QPushButton itself draws a single line.
class WrappingButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WrappingButton)

public:
    WrappingButton(const QString &text, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};
