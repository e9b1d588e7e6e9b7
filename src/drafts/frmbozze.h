#pragma once

#include "core/draftstore.h"
#include "gui/fixeddialog.h"

#include <QAbstractListModel>
#include <QPersistentModelIndex>

#include <chrono>
#include <functional>
#include <optional>

class ModelRow;
class QLabel;
class QPushButton;
class QTimer;
class RowsView;
class SpokenNotice;

// The drafts of a store, newest first, one row each, as they were when last
// read: the store does not say when the forum saves one.
class DraftsModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DraftsModel)

public:
    explicit DraftsModel(DraftStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // Qt::DisplayRole is the page's title, or its address when it has none;
    // Qt::ToolTipRole its address.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    const Draft &draft(const QModelIndex &index) const { return m_drafts.at(index.row()); }

    // Reads the store again: the rows of drafts still there stay.
    void reload();

private:
    DraftStore *m_store;
    QList<Draft> m_drafts;
};

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
    ModelRow *makeRow(const QPersistentModelIndex &index, QWidget *parent);
    // New rows join the end of the Tab chain: Tab goes down the rows as they
    // are shown, then to "Annulla", under the list.
    void orderTabStops();
    void cmdElimina_Click(const QString &page, const QString &field);
    void cmdAnnulla_Click();
    // Shows and says text; undoable offers "Annulla" until it goes.
    void tell(const QString &text, bool undoable);
    void tmrAvviso_Timer();
    void withdrawUndo();

    DraftStore *m_store;
    OpenPage m_openPage;
    DraftsModel *m_model;
    QWidget *m_list = nullptr;
    RowsView *m_rows = nullptr;
    QLabel *m_lblNessuna = nullptr;
    QLabel *m_lblAvviso = nullptr;
    QPushButton *m_cmdAnnulla = nullptr;
    SpokenNotice *m_notice = nullptr;
    QTimer *m_tmrAvviso = nullptr;
    // The draft the last deletion took, while it can be put back.
    std::optional<Draft> m_removed;
};
