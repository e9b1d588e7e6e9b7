#pragma once

#include "gui/fixeddialog.h"

class Downloads;
class QVBoxLayout;
class QWebEngineDownloadRequest;

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
    void addRow(QWebEngineDownloadRequest *download);
    // A page's files saved only if the member says so.
    void addBlockedRow(quint64 id);

    Downloads *m_downloads;
    QVBoxLayout *m_rows = nullptr;
};
