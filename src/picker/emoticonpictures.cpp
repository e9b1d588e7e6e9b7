#include "picker/emoticonpictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace {

// Emoticons are a few KiB; a larger answer is not one.
constexpr qint64 largestPicture = 512 * 1024;
constexpr int cacheBytes = 4 * 1024 * 1024;
constexpr int waitMs = 15000;

} // namespace

EmoticonPictures::EmoticonPictures(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_cache(cacheBytes)
{
}

EmoticonPictures::State EmoticonPictures::state(const QString &url) const
{
    if (m_failed.contains(url))
        return State::Failed;
    if (m_loading.contains(url))
        return State::Loading;
    return m_cache.contains(url) ? State::Ready : State::Unknown;
}

QByteArray EmoticonPictures::bytes(const QString &url) const
{
    const QByteArray *kept = m_cache.object(url);
    return kept ? *kept : QByteArray();
}

void EmoticonPictures::hurry(const QString &url)
{
    if (QNetworkReply *queued = m_loading.take(url))
        queued->abort();
    request(url, true);
}

void EmoticonPictures::keepOnly(const QSet<QString> &urls)
{
    for (auto it = m_loading.begin(); it != m_loading.end();) {
        if (urls.contains(it.key())) {
            ++it;
            continue;
        }
        QNetworkReply *reply = it.value();
        it = m_loading.erase(it);
        reply->abort();
    }
}

void EmoticonPictures::request(const QString &url, bool urgent)
{
    if (state(url) != State::Unknown)
        return;
    const QUrl address(url);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != u"http" && scheme != u"https")) {
        m_failed.insert(url, notAnsweringText());
        emit failed(url, notAnsweringText());
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(waitMs);
    if (urgent)
        request.setPriority(QNetworkRequest::HighPriority);
    QNetworkReply *reply = m_network->get(request);
    m_loading.insert(url, reply);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > largestPicture) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] { finished(reply, url); });
}

void EmoticonPictures::finished(QNetworkReply *reply, const QString &url)
{
    reply->deleteLater();
    // A fetch given up is no answer: the next request asks again.
    if (m_loading.value(url) != reply)
        return;
    m_loading.remove(url);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->property("tooLarge").toBool()) {
        m_failed.insert(url, notAPictureText());
        emit failed(url, notAPictureText());
        return;
    }
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        m_failed.insert(url, notAnsweringText());
        emit failed(url, notAnsweringText());
        return;
    }
    QByteArray data = reply->readAll();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (data.size() > largestPicture || reader.read().isNull()) {
        m_failed.insert(url, notAPictureText());
        emit failed(url, notAPictureText());
        return;
    }
    const int cost = int(std::max<qsizetype>(1, data.size()));
    m_cache.insert(url, new QByteArray(std::move(data)), cost);
    emit ready(url);
}
