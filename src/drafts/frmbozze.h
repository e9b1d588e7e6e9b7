#pragma once

#include "core/draftstore.h"
#include "gui/fixeddialog.h"

#include <chrono>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;
class SpokenNotice;

// The drafts not yet taken by the forum, newest first: each with its page,
// when it was saved and its first words, and buttons to open its page, copy
// its text or throw it away. It stays open beside the forum.
class frmBozze final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmBozze)

public:
    using OpenPage = std::function<void(const QString &page)>;

    frmBozze(DraftStore *store, OpenPage openPage, QWidget *parent = nullptr);

    // Opens the window, or brings the open one to the front.
    static frmBozze *showFor(DraftStore *store, OpenPage openPage, QWidget *parent);

    static QString title() { return QStringLiteral("Norvale - Bozze non inviate"); }

    // How long a message stays, and with it the offer to undo a deletion.
    void setMessageInterval(std::chrono::milliseconds interval);

private:
    void fill();
    void cmdElimina_Click(const QString &page, const QString &field);
    void cmdAnnulla_Click();
    // Shows and says text; undoable offers "Annulla" until it goes.
    void tell(const QString &text, bool undoable);
    void tmrAvviso_Timer();
    void withdrawUndo();

    DraftStore *m_store;
    OpenPage m_openPage;
    QWidget *m_list = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QLabel *m_lblAvviso = nullptr;
    QPushButton *m_cmdAnnulla = nullptr;
    SpokenNotice *m_notice = nullptr;
    QTimer *m_tmrAvviso = nullptr;
    // The draft the last deletion took, while it can be put back.
    std::optional<Draft> m_removed;
};
