#pragma once

#include "gui/prompter.h"

#include <QList>

// Answers message boxes from a script and remembers every box it was shown.
class ScriptedPrompter final : public Prompter
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    // Answers given in order; once they run out, Ok or Yes is pressed.
    QList<QMessageBox::StandardButton> answers;
    QList<Box> shown;
    // Runs while a box is "open", to see what happens meanwhile.
    std::function<void()> whileOpen;

    QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton askDefault(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override;
};
