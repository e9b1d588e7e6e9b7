#pragma once

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

// The palette's pictures, fetched by Qt rather than by a web view: a grid of
// them would otherwise start a renderer. Each address is asked once; what
// came back is kept in memory, a few MiB at most, for the next opening.
class EmoticonPictures final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmoticonPictures)

public:
    enum class State { Unknown, Loading, Ready, Failed };

    explicit EmoticonPictures(QObject *parent);

    // Starts fetching url unless it is known or on its way; ready or failed
    // follows.
    void request(const QString &url, bool urgent = false);
    // The member waits for this one: it goes before the others.
    void hurry(const QString &url);
    // Gives up the fetches of pictures no longer shown.
    void keepOnly(const QSet<QString> &urls);
    State state(const QString &url) const;
    // The picture's bytes once ready (empty when the cache let them go: ask
    // again).
    QByteArray bytes(const QString &url) const;
    // Why url failed, in Italian.
    QString reason(const QString &url) const { return m_failed.value(url); }

    static QString notAnsweringText() { return QStringLiteral("l'indirizzo non risponde"); }
    static QString notAPictureText() { return QStringLiteral("l'indirizzo non è un'immagine"); }

signals:
    void ready(const QString &url);
    void failed(const QString &url, const QString &reason);

private:
    void finished(QNetworkReply *reply, const QString &url);

    QNetworkAccessManager *m_network;
    QCache<QString, QByteArray> m_cache;
    QHash<QString, QNetworkReply *> m_loading;
    QHash<QString, QString> m_failed;
};
