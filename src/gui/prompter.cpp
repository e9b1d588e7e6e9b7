#include "gui/prompter.h"

#include <QAbstractButton>

QMessageBox::StandardButton MessageBoxPrompter::ask(QWidget *parent, QMessageBox::Icon icon,
                                                    const QString &title, const QString &text,
                                                    QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    // The program speaks Italian whatever the desktop's language.
    if (QAbstractButton *yes = box.button(QMessageBox::Yes)) {
        yes->setText(QStringLiteral("Sì"));
        box.setDefaultButton(QMessageBox::Yes);
    }
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("No"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
