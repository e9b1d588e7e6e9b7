#pragma once

#include "help/explanationwindow.h"

// Why choosing the personal set can end in an error message.
class frmErrorsInPersonalSet final : public ExplanationWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmErrorsInPersonalSet)

public:
    explicit frmErrorsInPersonalSet(QWidget *parent = nullptr);

    // Text1's text exactly as written: 23 lines, each ended by CR LF.
    static QString explanation();
};
