#include "gui/fixeddialog.h"

#include "gui/controls.h"
#include "gui/twips.h"

#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

Qt::WindowFlags flagsFor(FixedDialog::Frame frame)
{
    if (frame == FixedDialog::Frame::None)
        return Qt::Dialog | Qt::FramelessWindowHint;
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint;
}

} // namespace

FixedDialog::FixedDialog(Frame frame, QSizeF clientTwips, QWidget *parent)
    : QDialog(parent, flagsFor(frame))
{
    setFixedSize(Twips::toPixels(clientTwips.width()), Twips::toPixels(clientTwips.height()));
    // Only the window itself is orange: buttons and text boxes keep their own colours.
    QPalette background = palette();
    background.setColor(QPalette::Window, Controls::orange());
    setPalette(background);
    setAutoFillBackground(true);
}

void FixedDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        move(screen()->geometry().center() - rect().center());
}

QVBoxLayout *FixedDialog::layOutModeless(const QString &objectName, const QString &title)
{
    setObjectName(objectName);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto *outer = new QVBoxLayout(this);
    const int edge = Twips::toPixels(120);
    outer->setContentsMargins(edge, edge, edge, edge);
    return outer;
}
