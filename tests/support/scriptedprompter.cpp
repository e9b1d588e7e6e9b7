#include "scriptedprompter.h"

QMessageBox::StandardButton ScriptedPrompter::ask(QWidget *, QMessageBox::Icon icon,
                                                  const QString &title, const QString &text,
                                                  QMessageBox::StandardButtons buttons)
{
    shown.append({icon, title, text, buttons});
    if (whileOpen)
        whileOpen();
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
}
