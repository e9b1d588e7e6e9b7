#pragma once

#include "gui/downloadstatus.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class WebPage;

// Every file the forum's profile receives instead of showing: saved in the
// user's download folder under the server's name made unique, without
// asking, as a browser does, when the member asked for it. The downloads
// window shows the list.
class Downloads final : public QObject, public DownloadStatus
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Downloads)

public:
    explicit Downloads(QObject *parent = nullptr);

    // Starts taking the profile's downloads; once per profile.
    void attach(QWebEngineProfile *profile);

    // The user's download folder unless set otherwise (tests).
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

    // Oldest first; a request the engine has let go is left out.
    QList<QWebEngineDownloadRequest *> entries() const;
    bool running() const override;
    void showOn(QWidget *statusLine) override;
    // Requested or in progress: what "Download: N in corso" counts.
    static bool isRunning(const QWebEngineDownloadRequest *download);

    // In Italian: where an entry stands, or why it failed.
    QString stateText(const QWebEngineDownloadRequest *download) const;
    static QString filePath(const QWebEngineDownloadRequest *download);

    // Files a page wanted to save without the member's click: one entry per
    // page shown, however many it asked for, saved only on the member's word.
    struct Blocked
    {
        QPointer<WebPage> page;
        QUrl pageUrl;
        QList<QUrl> urls;
        QStringList names;
        bool done = false;
    };
    const QList<Blocked> &blocked() const { return m_blocked; }
    // Saves the entry's files after all; false when its page is gone.
    bool downloadAnyway(int index);
    static QString blockedText() { return QStringLiteral("Bloccato"); }

signals:
    void added(QWebEngineDownloadRequest *download);
    void blockedAdded(int index);
    void blockedChanged(int index);
    // An entry's progress or state moved.
    void changed();

private:
    void take(QWebEngineDownloadRequest *download);
    void block(WebPage *page, QWebEngineDownloadRequest *download);

    QString m_folder;
    QList<QPointer<QWebEngineDownloadRequest>> m_entries;
    QSet<QWebEngineProfile *> m_profiles;
    // Names given this session, so two downloads started at once get two.
    QSet<QString> m_given;
    // Failures found before the engine could start, by entry.
    QHash<const QWebEngineDownloadRequest *, QString> m_refused;
    QList<Blocked> m_blocked;
};
