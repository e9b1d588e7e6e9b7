#pragma once

#include <QDialog>
#include <QSizeF>

// What every secondary window shares: a fixed client size given in twips, an
// orange background behind controls that keep their own colours, and a place
// in the middle of the screen whenever it opens.
class FixedDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FixedDialog)

public:
    enum class Frame {
        CloseBoxOnly, // a title bar with a close box, nothing to resize
        None,         // no border and no title bar
    };

protected:
    FixedDialog(Frame frame, QSizeF clientTwips, QWidget *parent);

    void showEvent(QShowEvent *event) override;
};
