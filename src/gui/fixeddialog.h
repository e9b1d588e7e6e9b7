#pragma once

#include <QDialog>
#include <QPointer>
#include <QSizeF>

class QVBoxLayout;

// What every secondary window shares: a fixed client size given in twips, an
// orange background behind controls that keep their own colours, and a place
// in the middle of the screen whenever it opens.
class FixedDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FixedDialog)

public:
    // The one window of its kind: the one open is brought to the front with
    // the keyboard, or make() makes it first. open follows it, and forgets
    // it when it goes.
    template <typename Window, typename Make>
    static Window *openOrRaise(QPointer<Window> &open, Make make)
    {
        if (!open)
            open = make();
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }

    enum class Frame {
        CloseBoxOnly, // a title bar with a close box, nothing to resize
        None,         // no border and no title bar
    };

protected:
    FixedDialog(Frame frame, QSizeF clientTwips, QWidget *parent);

    // A window that stays open beside the main one and goes when closed,
    // its contents inset from its edges: the layout they go in.
    QVBoxLayout *layOutModeless(const QString &objectName, const QString &title);

    void showEvent(QShowEvent *event) override;
};
