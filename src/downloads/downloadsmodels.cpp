#include "downloads/downloadsmodels.h"

#include "downloads/downloads.h"
#include "core/downloadname.h"

#include <QWebEngineDownloadRequest>

DownloadsModel::DownloadsModel(Downloads *downloads, QObject *parent)
    : QAbstractListModel(parent)
    , m_downloads(downloads)
{
    const QList<QWebEngineDownloadRequest *> entries = downloads->entries();
    for (QWebEngineDownloadRequest *download : entries)
        append(download);
    connect(downloads, &Downloads::added, this, &DownloadsModel::append);
}

int DownloadsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DownloadsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QWebEngineDownloadRequest *download = m_rows.at(index.row());
    if (!download)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return download->downloadFileName();
    case StateRole:
        return m_downloads->stateText(download);
    case RunningRole:
        return Downloads::isRunning(download);
    case CompletedRole:
        return download->state() == QWebEngineDownloadRequest::DownloadCompleted;
    case PathRole:
        return Downloads::filePath(download);
    default:
        return {};
    }
}

void DownloadsModel::cancel(const QModelIndex &index)
{
    if (checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        if (QWebEngineDownloadRequest *download = m_rows.at(index.row()))
            download->cancel();
    }
}

void DownloadsModel::append(QWebEngineDownloadRequest *download)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(download);
    endInsertRows();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this, download] { progressed(download); });
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, [this, download] { progressed(download); });
    connect(download, &QObject::destroyed, this, &DownloadsModel::dropGone);
}

void DownloadsModel::progressed(const QWebEngineDownloadRequest *download)
{
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row) == download)
            emit dataChanged(index(row), index(row));
    }
}

void DownloadsModel::dropGone()
{
    for (int row = int(m_rows.size()) - 1; row >= 0; --row) {
        if (m_rows.at(row))
            continue;
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
    }
}

BlockedDownloadsModel::BlockedDownloadsModel(Downloads *downloads, QObject *parent)
    : QAbstractListModel(parent)
    , m_downloads(downloads)
{
    for (const Downloads::Blocked &entry : downloads->blocked()) {
        if (!entry.done)
            m_ids.append(entry.id);
    }
    connect(downloads, &Downloads::blockedAdded, this, [this](quint64 id) {
        const int row = int(m_ids.size());
        beginInsertRows({}, row, row);
        m_ids.append(id);
        endInsertRows();
    });
    connect(downloads, &Downloads::blockedChanged, this, &BlockedDownloadsModel::changed);
}

int BlockedDownloadsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

QVariant BlockedDownloadsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Downloads::Blocked *entry = m_downloads->findBlocked(m_ids.at(index.row()));
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        // The names as they would be saved: the server's own could turn
        // their text around ("fdp.exe" shown as "exe.pdf") or hide the rest.
        QStringList names;
        for (const QString &sent : entry->names)
            names.append(DownloadName::safe(sent));
        return names.join(QStringLiteral(", "));
    }
    case CountRole:
        return entry->names.size();
    default:
        return {};
    }
}

bool BlockedDownloadsModel::downloadAnyway(const QModelIndex &index, qsizetype count)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    return m_downloads->downloadAnyway(m_ids.at(index.row()), count);
}

void BlockedDownloadsModel::changed(quint64 id)
{
    const int row = int(m_ids.indexOf(id));
    if (row < 0)
        return;
    const Downloads::Blocked *entry = m_downloads->findBlocked(id);
    if (entry && !entry->done) {
        emit dataChanged(index(row), index(row));
        return;
    }
    // Saved: the files get rows of their own among the downloads.
    beginRemoveRows({}, row, row);
    m_ids.removeAt(row);
    endRemoveRows();
}
