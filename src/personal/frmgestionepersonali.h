#pragma once

#include "core/gestionefiles.h"
#include "core/personalset.h"
#include "gui/appcontext.h"
#include "gui/fixeddialog.h"

#include <chrono>

class LineControl;
class QLabel;
class QLineEdit;
class ListBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class SpokenNotice;
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

    // Fills the boxes of a new entry for the user to check and add.
    void proposeEntry(const QString &name, const QString &url);

    // The set as the file holds it, behind the names the list shows.
    const PersonalSet &personalSet() const { return m_set; }

    // How long after a change Timer1 lets the busy mark and the buttons
    // follow it, 100 ms; tests wait less.
    void setRuleInterval(std::chrono::milliseconds interval);

private:
    void Form_Load();
    void lstEmo_Click();
    void cmdVerifica_Click();
    void cmdAggiungi_Click();
    void cmdRimuovi_Click();
    void cmdEsci_Click();
    void Timer1_Timer();
    // Says how the preview of a typed address ended, when no failure was told.
    void tellVerified();

    int selectedRow() const;
    // The file as it is now; a missing or hidden file is an empty set.
    GestioneFiles::PersonalSetRead readSetFile() const;

    // What a change starts from: the file as it is now, which another
    // program may have changed since the window read or wrote it.
    struct FileNow
    {
        PersonalSet set;
        QByteArray bytes;
        // The list must show set, no longer what it shows.
        bool changed = false;
        // For the member, after the change is saved; empty when nothing is news.
        QString note;
    };
    FileNow fileNow();
    // Shows set, with no entry chosen in it.
    void showSet(const PersonalSet &set);
    void chooseNothing();

    // Writes changed to the file; on failure says so and gives false. The
    // caller shows changed only when it was written.
    [[nodiscard]] bool saveSet(const PersonalSet &changed);
    void tellWriteFailed(const QString &reason);
    // Tells, and is true, when url is longer than the set takes: checked
    // before the address is shown, previewed or written.
    bool refusedAsTooLong(const QString &url);
    void tellTooLong(qsizetype length);

    AppContext m_context;
    PersonalSet m_set;
    // The file's bytes as the window last read or wrote them.
    QByteArray m_fileBytes;
    // The file failed to read: its bytes go to a copy before it is rewritten.
    bool m_keepOldBytes = false;

    ListBox *m_lstEmo = nullptr;
    WebView *m_WBPers = nullptr;
    QPushButton *m_cmdRimuovi = nullptr;
    QLabel *m_lblBusy = nullptr;
    LineControl *m_lneEmo = nullptr;
    LineControl *m_lneVerifica = nullptr;
    QLineEdit *m_txtNome = nullptr;
    QPlainTextEdit *m_txtURL = nullptr;
    QPushButton *m_cmdVerifica = nullptr;
    QPushButton *m_cmdAggiungi = nullptr;
    QPushButton *m_cmdEsci = nullptr;
    QTimer *m_Timer1 = nullptr;
    SpokenNotice *m_notice = nullptr;
    // The preview is loading a typed address; its outcome is still to be said.
    bool m_verifying = false;
};
