#pragma once

#include "gui/appcontext.h"

#include "gui/fixeddialog.h"

// The picker's help menu: three explanations of the personal set and the
// way into its manager.
class frmICHelp final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmICHelp)

public:
    explicit frmICHelp(const AppContext &context, QWidget *parent = nullptr);

    // Builds the menu, shows it over opener, modally to the whole program,
    // and returns when the user has closed it; the menu is gone by then.
    static void showModal(const AppContext &context, QWidget *opener = nullptr);

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    AppContext m_context;
};
