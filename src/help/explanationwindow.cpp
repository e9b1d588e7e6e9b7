#include "help/explanationwindow.h"

#include "gui/controls.h"
#include "gui/twips.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

ExplanationWindow::ExplanationWindow(const QString &title, QSizeF clientTwips, QRectF outlineTwips,
                                     QRectF closeButtonTwips, QWidget *parent)
    : FixedDialog(Frame::None, clientTwips, parent)
{
    setWindowTitle(title);

    new ShapeControl(this, QStringLiteral("Shape1"), ShapeControl::Kind::Rectangle, outlineTwips, Controls::blue(), 3,
                     std::nullopt);

    m_Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Chiudi Questa Finestra"),
                                  closeButtonTwips);
    connect(m_Command1, &QPushButton::clicked, this, &ExplanationWindow::Command1_Click);
}

void ExplanationWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape closes as the window's own close button does, not as a refusal.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        Command1_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ExplanationWindow::Command1_Click()
{
    accept();
}

QPlainTextEdit *ExplanationWindow::addTextBox(const QRectF &twips, const QFont &font)
{
    auto *box = new QPlainTextEdit(this);
    box->setObjectName(QStringLiteral("Text1"));
    box->setFont(font);
    box->setReadOnly(true);
    // Read-only still lets the reader select and copy, with mouse or keys.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Controls::setColours(box, Controls::darkBlue(), Controls::orange());
    Controls::place(box, twips);
    return box;
}
