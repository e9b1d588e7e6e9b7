#pragma once

#include <QPlainTextEdit>

// A text box that takes no paste or drop that would make its text longer
// than a limit: laying out a megabyte of text without blanks stalls the
// window for a minute. What is typed key by key is not counted here.
class BoundedTextEdit final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoundedTextEdit)

public:
    explicit BoundedTextEdit(qsizetype longest, QWidget *parent = nullptr);

signals:
    // The text would have been this many characters long; nothing was taken.
    void refused(qsizetype length);

protected:
    void insertFromMimeData(const QMimeData *source) override;

private:
    qsizetype m_longest;
};
