#include "replies/feedfetcher.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace {

// A feed is small; a bigger answer is no feed of a topic.
constexpr qint64 longestAnswer = 4 * 1024 * 1024;

qint64 retryAfterOf(const QNetworkReply *reply)
{
    const QByteArray value = reply->rawHeader("Retry-After").trimmed();
    if (value.isEmpty())
        return -1;
    bool ok = false;
    const qint64 seconds = value.toLongLong(&ok);
    if (ok)
        return seconds >= 0 ? seconds * 1000 : -1;
    const QDateTime at = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
    return at.isValid() ? std::max<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(at)) : -1;
}

bool looksLikeLogin(const QUrl &address)
{
    const QString where = (address.path() + u'?' + address.query()).toLower();
    return where.contains(u"login"_s) || where.contains(u"accedi"_s) || where.contains(u"mode=login"_s);
}

} // namespace

FeedFetcher::FeedFetcher(QNetworkAccessManager *network, const QUrl &forumHome, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_home(forumHome)
{
}

bool FeedFetcher::isForum(const QUrl &address) const
{
    return address.isValid() && (address.scheme() == u"http" || address.scheme() == u"https")
        && address.host().compare(m_home.host(), Qt::CaseInsensitive) == 0 && address.userInfo().isEmpty();
}

void FeedFetcher::fetch(const QUrl &feed, const QString &etag, const QString &modified, Done done)
{
    if (!isForum(feed)) {
        FeedAnswer refused;
        refused.reason = u"non è un indirizzo del forum"_s;
        done(refused);
        return;
    }
    QNetworkRequest request(feed);
    // A redirect is looked at here: only the forum's own is followed, and
    // one to its login page means the login has expired.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    request.setRawHeader("Accept", "application/atom+xml, application/rss+xml, application/xml;q=0.9, */*;q=0.1");
    if (!etag.isEmpty())
        request.setRawHeader("If-None-Match", etag.toLatin1());
    if (!modified.isEmpty())
        request.setRawHeader("If-Modified-Since", modified.toLatin1());
    QNetworkReply *reply = m_network->get(request);
    reply->setParent(this);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > longestAnswer)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        reply->deleteLater();
        done(answerOf(reply));
    });
}

FeedAnswer FeedFetcher::answerOf(QNetworkReply *reply) const
{
    FeedAnswer answer;
    answer.retryAfter = retryAfterOf(reply);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 304) {
        answer.kind = FeedAnswer::Kind::Unchanged;
        return answer;
    }
    if (status == 401 || status == 403) {
        answer.kind = FeedAnswer::Kind::LoginNeeded;
        return answer;
    }
    if (status >= 300 && status < 400) {
        // Qt reads a relative Location as no address at all.
        const QUrl target =
            reply->url().resolved(QUrl(QString::fromLatin1(reply->rawHeader("Location").trimmed()), QUrl::StrictMode));
        answer.kind = isForum(target) && looksLikeLogin(target) ? FeedAnswer::Kind::LoginNeeded
                                                                  : FeedAnswer::Kind::Failed;
        answer.reason = u"rimanda a "_s + target.toDisplayString();
        return answer;
    }
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        answer.reason = status ? u"HTTP %1"_s.arg(status) : reply->errorString();
        return answer;
    }
    answer.body = reply->readAll();
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLower();
    answer.kind = type.startsWith(u"text/html"_s) ? FeedAnswer::Kind::NotAFeed : FeedAnswer::Kind::Feed;
    answer.etag = QString::fromLatin1(reply->rawHeader("ETag"));
    answer.modified = QString::fromLatin1(reply->rawHeader("Last-Modified"));
    return answer;
}
