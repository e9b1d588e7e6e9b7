#pragma once

#include "gui/appcontext.h"

#include "gui/fixeddialog.h"

class LineControl;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class WebView;

// The manager of the personal set: lists the entries, previews one or a
// typed address, adds and removes entries. Every change is written to the
// file at once, so closing never needs to save or ask anything.
class frmGestionePersonali final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmGestionePersonali)

public:
    explicit frmGestionePersonali(const AppContext &context, QWidget *parent = nullptr);

private:
    void Form_Load();
    void lstEmo_Click();
    void cmdVerifica_Click();
    void cmdAggiungi_Click();
    void cmdRimuovi_Click();
    void cmdEsci_Click();
    void Timer1_Timer();

    QPushButton *button(const QString &name, const QString &text, const QString &toolTip,
                        const QRectF &twips);
    QLabel *caption(const QString &name, const QString &text, const QRectF &twips,
                    const QFont &font, Qt::Alignment alignment);
    int selectedRow() const;
    // Rewrites the file from the two lists; on failure says so and gives false.
    [[nodiscard]] bool saveSet();
    void tellWriteFailed();

    AppContext m_context;
    // The file failed to read: its bytes go to a copy before it is rewritten.
    bool m_keepOldBytes = false;

    QListWidget *lstEmo = nullptr;
    WebView *WBPers = nullptr;
    QListWidget *lstURL = nullptr;
    QPushButton *cmdRimuovi = nullptr;
    QLabel *lblBusy = nullptr;
    LineControl *lneEmo = nullptr;
    LineControl *lneVerifica = nullptr;
    LineControl *Line1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtNome = nullptr;
    QLabel *Label3 = nullptr;
    QPlainTextEdit *txtURL = nullptr;
    QPushButton *cmdVerifica = nullptr;
    QPushButton *cmdAggiungi = nullptr;
    LineControl *Line2 = nullptr;
    QPushButton *cmdEsci = nullptr;
    QTimer *Timer1 = nullptr;
};
