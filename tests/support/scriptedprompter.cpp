#include "scriptedprompter.h"

QMessageBox::StandardButton ScriptedPrompter::ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                  const QString &text, QMessageBox::StandardButtons buttons)
{
    return askDefault(parent, icon, title, text, buttons,
                      buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::NoButton);
}

QMessageBox::StandardButton ScriptedPrompter::askDefault(QWidget *, QMessageBox::Icon icon, const QString &title,
                                                         const QString &text, QMessageBox::StandardButtons buttons,
                                                         QMessageBox::StandardButton defaultButton)
{
    shown.append({icon, title, text, buttons, defaultButton});
    if (whileOpen)
        whileOpen();
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
}
