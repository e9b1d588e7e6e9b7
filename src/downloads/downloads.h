#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class WebPage;

// Every file the forum's profile receives instead of showing: saved in the
// user's download folder under the server's name made unique, without
// asking, as a browser does, when the member asked for it. The downloads
// window shows the list.
class Downloads final : public QObject
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
    // Some are still on their way.
    bool running() const;
    // Requested or in progress: what "Download: N in corso" counts.
    static bool isRunning(const QWebEngineDownloadRequest *download);

    // In Italian: where an entry stands, or why it failed.
    QString stateText(const QWebEngineDownloadRequest *download) const;
    static QString filePath(const QWebEngineDownloadRequest *download);

    // Files a page wanted to save without the member's click: one entry per
    // page shown, however many it asked for, saved only on the member's word.
    // names are the server's, as sent: shown only through DownloadName::safe.
    struct Blocked
    {
        // Which entry, whatever its place in the list.
        quint64 id = 0;
        QPointer<QObject> page;
        QUrl pageUrl;
        QList<QUrl> urls;
        QStringList names;
        bool done = false;
    };
    const QList<Blocked> &blocked() const { return m_blocked; }
    // The entry of that id; null when there is none.
    const Blocked *findBlocked(quint64 id) const;
    // Keeps url, which page (shown at pageUrl) asked for without a click,
    // for the member's word.
    void block(QObject *page, const QUrl &pageUrl, const QUrl &url, const QString &name);
    // Saves the entry's first count files, those its row listed when the
    // member pressed; any the page added since stay blocked. False when its
    // page is gone.
    bool downloadAnyway(quint64 id, qsizetype count);
    static QString blockedText() { return QStringLiteral("Bloccato"); }

    // How a blocked file is saved on the member's word: by the page that
    // asked for it (WebPage::downloadOnWord) unless set otherwise (tests).
    using SaveOnWord = std::function<void(QObject *page, const QUrl &url, const QString &name)>;
    void setSaveOnWord(SaveOnWord save) { m_saveOnWord = std::move(save); }

signals:
    void added(QWebEngineDownloadRequest *download);
    void blockedAdded(quint64 id);
    void blockedChanged(quint64 id);
    // An entry's progress or state moved.
    void changed();

private:
    void take(QWebEngineDownloadRequest *download);
    void refuse(WebPage *page, QWebEngineDownloadRequest *download);

    QString m_folder;
    QList<QPointer<QWebEngineDownloadRequest>> m_entries;
    QSet<QWebEngineProfile *> m_profiles;
    // Names given this session, so two downloads started at once get two.
    QSet<QString> m_given;
    // Failures found before the engine could start, by entry.
    QHash<const QWebEngineDownloadRequest *, QString> m_refused;
    QList<Blocked> m_blocked;
    quint64 m_lastBlockedId = 0;
    SaveOnWord m_saveOnWord;
};
