#pragma once

#include "help/explanationwindow.h"

class QPlainTextEdit;

// What the personal set is: a heading and five paragraphs of prose.
class frmHowDoesItWork final : public ExplanationWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmHowDoesItWork)

public:
    explicit frmHowDoesItWork(QWidget *parent = nullptr);

    // The text Form_Load puts in Text1: five paragraphs, CR LF between them.
    static QString explanation();

private:
    void Form_Load();

    QPlainTextEdit *m_Text1 = nullptr;
};
