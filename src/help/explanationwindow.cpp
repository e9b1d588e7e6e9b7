#include "help/explanationwindow.h"

#include "gui/controls.h"
#include "gui/twips.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

ExplanationWindow::ExplanationWindow(const QString &title, QSizeF clientTwips,
                                     QRectF outlineTwips, QRectF closeButtonTwips,
                                     QWidget *parent)
    : FixedDialog(Frame::None, clientTwips, parent)
{
    setWindowTitle(title);

    Shape1 = new ShapeControl(this, QStringLiteral("Shape1"), ShapeControl::Kind::Rectangle,
                              outlineTwips, QColor(0, 0, 255), 3, std::nullopt);

    Command1 = new QPushButton(QStringLiteral("Chiudi Questa Finestra"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Controls::place(Command1, closeButtonTwips.left(), closeButtonTwips.top(),
                    closeButtonTwips.width(), closeButtonTwips.height());
    connect(Command1, &QPushButton::clicked, this, &ExplanationWindow::Command1_Click);
}

void ExplanationWindow::keyPressEvent(QKeyEvent *event)
{
    // No title bar and no close box: Escape must not be a hidden way out.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
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
    Controls::setColours(box, QColor(0, 0, 192), Controls::orange());
    Controls::place(box, twips.left(), twips.top(), twips.width(), twips.height());
    return box;
}
