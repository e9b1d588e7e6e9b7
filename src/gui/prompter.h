#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box of the program goes through a Prompter, so tests can
// answer the boxes and read what they said.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                            const QString &text, QMessageBox::StandardButtons buttons) = 0;

    // A question whose safe answer is not Yes: defaultButton is the one
    // Enter presses.
    virtual QMessageBox::StandardButton askDefault(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                   const QString &text, QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton) = 0;

    // The common one-button notice.
    void tell(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
    {
        ask(parent, icon, title, text, QMessageBox::Ok);
    }
};

// The real, modal message box.
class MessageBoxPrompter final : public Prompter
{
public:
    QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton askDefault(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override;
};
