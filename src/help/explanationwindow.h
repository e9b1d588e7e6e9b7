#pragma once

#include "gui/fixeddialog.h"

class QPlainTextEdit;
class QPushButton;

// What the three explanation windows share: no title bar, an orange client
// area outlined in blue, and one way out, the "Chiudi Questa Finestra" button.
class ExplanationWindow : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExplanationWindow)

public:
    QPushButton *closeButton() const { return m_Command1; }

protected:
    // Client size, outline and close button in twips.
    ExplanationWindow(const QString &title, QSizeF clientTwips, QRectF outlineTwips, QRectF closeButtonTwips,
                      QWidget *parent);

    void keyPressEvent(QKeyEvent *event) override;

    // The read-only, scrolling text box of the windows that explain in prose.
    QPlainTextEdit *addTextBox(const QRectF &twips, const QFont &font);

    void Command1_Click();

    QPushButton *m_Command1 = nullptr;
};
