#pragma once

#include "gui/fixeddialog.h"

#include <QPersistentModelIndex>

class BlockedDownloadsModel;
class Downloads;
class DownloadsModel;
class ModelRow;
class QScrollArea;
class RowsView;

// The downloads of this session, newest at the bottom: each with where it
// stands, or why it failed, and buttons to stop it while it runs and to open
// the file or its folder; files a page wanted without a click wait there for
// the member's word.
// Opened from the status line; it stays open beside the forum.
class frmDownloads final : public FixedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDownloads)

public:
    explicit frmDownloads(Downloads *downloads, QWidget *parent = nullptr);

    static QString title() { return QStringLiteral("Norvale - Download"); }

private:
    ModelRow *makeRow(const QPersistentModelIndex &index, QWidget *parent);
    // A page's files saved only if the member says so.
    ModelRow *makeBlockedRow(const QPersistentModelIndex &index, QWidget *parent);
    // Tab goes down the rows as they are shown.
    void orderTabStops();

    DownloadsModel *m_model;
    BlockedDownloadsModel *m_blockedModel;
    QScrollArea *m_list = nullptr;
    RowsView *m_rows = nullptr;
    RowsView *m_blockedRows = nullptr;
};
