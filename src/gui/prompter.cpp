#include "gui/prompter.h"

#include <QAbstractButton>

QMessageBox::StandardButton MessageBoxPrompter::ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                    const QString &text, QMessageBox::StandardButtons buttons)
{
    return askDefault(parent, icon, title, text, buttons,
                      buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::NoButton);
}

QMessageBox::StandardButton MessageBoxPrompter::askDefault(QWidget *parent, QMessageBox::Icon icon,
                                                           const QString &title, const QString &text,
                                                           QMessageBox::StandardButtons buttons,
                                                           QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    // The program speaks Italian whatever the desktop's language; each
    // answer has a key of its own (Alt+S, Alt+N), whichever is the default.
    if (QAbstractButton *yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("&Sì"));
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("&No"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
