#pragma once

#include "gui/fixeddialog.h"
#include "topics/followedtopics.h"

#include <QAbstractListModel>
#include <QPersistentModelIndex>

class ModelRow;
class QCheckBox;
class QComboBox;
class QLabel;
class RepliesWatcher;
class RowsView;

// The topics followed, those with replies not yet opened first, then by
// their last reply, newest first.
class RisposteModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RisposteModel)

public:
    explicit RisposteModel(RepliesWatcher *watcher, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // Qt::DisplayRole is the topic's title; Qt::ToolTipRole its page.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    const FollowedTopic &topic(const QModelIndex &index) const { return m_topics.at(index.row()); }

    void reload();

private:
    RepliesWatcher *m_watcher;
    QList<FollowedTopic> m_topics;
};

// "Risposte": the topics followed, each with its last reply, a button to
// open it and one to stop following it; whether to be told of replies and
// how often the forum is asked. It stays open beside the forum.
class frmRisposte final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmRisposte)

public:
    explicit frmRisposte(RepliesWatcher *watcher, QWidget *parent = nullptr);

    // Opens the window, or brings the open one to the front.
    static frmRisposte *showFor(RepliesWatcher *watcher, QWidget *parent);

    static QString title() { return QStringLiteral("Norvale - Risposte"); }

private:
    ModelRow *makeRow(const QPersistentModelIndex &index, QWidget *parent);
    void orderTabStops();

    RepliesWatcher *m_watcher;
    RisposteModel *m_model;
    QCheckBox *m_chkAvvisa = nullptr;
    QComboBox *m_cboIntervallo = nullptr;
    QWidget *m_list = nullptr;
    RowsView *m_rows = nullptr;
    QLabel *m_lblNessuna = nullptr;
};
