#pragma once

#include <QDateTime>
#include <QHttpServer>
#include <QObject>
#include <QStringList>

// A forum on loopback that follows FluxBB where following topics leans on
// it:
//   /forum/                  "Velmora Home"; who is logged in, in the
//                            welcome box; a link to the topic
//   /forum/login.php         the login form; posted, it sets the member's
//                            cookie (with an expiry when "Ricordami" is on)
//                            and redirects home
//   /forum/viewtopic.php?id=1 (or ?pid=P) the topic: its Atom feed in the
//                            head, its posts, a reply box focused on load
//   /forum/post.php?tid=1    takes the reply of the member logged in, and
//                            answers with a page that redirects to the post
//   /forum/extern.php?action=feed&tid=1&type=atom  the topic's feed, quotes
//                            marked as FluxBB marks them
// The feed gives an ETag and Last-Modified (unless told not to) and answers
// 304 to a request that names them; it may answer 503 with Retry-After,
// and redirects to the login page when the login has expired.
class FeedForum final : public QObject
{
    Q_OBJECT

public:
    explicit FeedForum(QObject *parent = nullptr);

    bool start();
    QString url(const QString &path) const;
    QString homeUrl() const { return url(QStringLiteral("forum/")); }
    QString topicUrl() const { return url(QStringLiteral("forum/viewtopic.php?id=1")); }
    QString feedUrl() const { return url(QStringLiteral("forum/extern.php?action=feed&tid=1&type=atom")); }
    static QString subject() { return QStringLiteral("Il modem non si connette"); }

    // A post in the topic; quoting, the author its quote names.
    int addPost(const QString &author, const QString &text, const QString &quoting = {});
    QStringList authors() const;
    QString lastText() const { return m_posts.constLast().text; }

    // A request to the feed, as it came.
    struct FeedRequest
    {
        QByteArray ifNoneMatch;
        QByteArray ifModifiedSince;
        QByteArray cookie;
        qint64 atMs;
    };
    QList<FeedRequest> feedRequests;

    bool validators = true;
    // The next this many feed requests answer 503, asking for that wait.
    int unavailable = 0;
    int retryAfterSeconds = 120;
    // The feed sends a request without the login cookie to the login page.
    bool loginRequired = false;
    bool loginExpired = false;

private:
    struct Post
    {
        int id;
        QString author;
        QString text;
        QString quoting;
        QDateTime at;
    };

    QHttpServerResponse topicPage(const QString &member) const;
    QHttpServerResponse feed(const QHttpServerRequest &request);
    QString postHtml(const Post &post) const;

    QHttpServer m_server;
    quint16 m_port = 0;
    QList<Post> m_posts;
    QDateTime m_base = QDateTime::currentDateTimeUtc().addSecs(-3600);
};
