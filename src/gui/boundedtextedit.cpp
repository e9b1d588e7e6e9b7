#include "gui/boundedtextedit.h"

#include <QMimeData>

BoundedTextEdit::BoundedTextEdit(qsizetype longest, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_longest(longest)
{
}

void BoundedTextEdit::insertFromMimeData(const QMimeData *source)
{
    const qsizetype length = document()->characterCount() - 1 - textCursor().selectedText().size()
        + source->text().size();
    if (length > m_longest) {
        emit refused(length);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}
