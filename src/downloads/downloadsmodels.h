#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPointer>

class Downloads;
class QWebEngineDownloadRequest;

// The downloads of this session, oldest first, one row each; a request the
// engine has let go leaves its row.
class DownloadsModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadsModel)

public:
    // Qt::DisplayRole is the file's name as saved.
    enum Role {
        // In Italian: where it stands, or why it failed.
        StateRole = Qt::UserRole,
        RunningRole,
        CompletedRole,
        PathRole,
    };

    explicit DownloadsModel(Downloads *downloads, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Stops the row's download.
    void cancel(const QModelIndex &index);

private:
    void append(QWebEngineDownloadRequest *download);
    void progressed(const QWebEngineDownloadRequest *download);
    void dropGone();

    Downloads *m_downloads;
    QList<QPointer<QWebEngineDownloadRequest>> m_rows;
};

// The files pages wanted to save without the member's click, one row for
// each page shown, while they wait for the member's word.
class BlockedDownloadsModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BlockedDownloadsModel)

public:
    // Qt::DisplayRole is the files' names as they would be saved.
    enum Role {
        // How many files the row lists.
        CountRole = Qt::UserRole,
    };

    explicit BlockedDownloadsModel(Downloads *downloads, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Saves the row's first count files; false when its page is gone.
    bool downloadAnyway(const QModelIndex &index, qsizetype count);

private:
    void changed(quint64 id);

    Downloads *m_downloads;
    // The entries still waiting, by id.
    QList<quint64> m_ids;
};
