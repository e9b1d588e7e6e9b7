#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// What the forum answered when a topic's feed was asked for.
struct FeedAnswer
{
    enum class Kind {
        Feed,      // body holds it
        Unchanged, // 304: nothing new since the last reading
        Failed,    // no answer, or an error; reason says which
        LoginNeeded, // the forum wants the member to log in (401, 403, its login page)
        NotAFeed,  // a page, not a feed
    };
    Kind kind = Kind::Failed;
    QByteArray body;
    QString etag;
    QString modified;
    // Milliseconds the server asked to wait (Retry-After), or -1.
    qint64 retryAfter = -1;
    QString reason;
};

// Reads a topic's feed from the forum and nowhere else: with the member's
// cookies and the system's proxy, as the forum's pages are read, asking only
// for what changed since the last reading.
class FeedFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FeedFetcher)

public:
    using Done = std::function<void(const FeedAnswer &answer)>;

    // network: the manager whose cookies are the forum's; forumHome's host
    // is the only one asked.
    FeedFetcher(QNetworkAccessManager *network, const QUrl &forumHome, QObject *parent = nullptr);

    // True for an address this fetcher would ask: the forum's host, by
    // http or https.
    bool isForum(const QUrl &address) const;

    // Asks for feed; done runs once, here, unless this is destroyed first.
    void fetch(const QUrl &feed, const QString &etag, const QString &modified, Done done);

    // How long one request may take.
    static constexpr int timeoutMs = 30 * 1000;

private:
    FeedAnswer answerOf(QNetworkReply *reply) const;

    QNetworkAccessManager *m_network;
    QUrl m_home;
};
